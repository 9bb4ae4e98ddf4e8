// The grid's behaviour when memory runs out. The grid allocates its records,
// widgets and long-text scratch with nothrow new; this test program lets
// the n-th such allocation from a chosen moment fail.
#include <FL/Fl_Box.H>
#include <FL/Fl_Scroll.H>

#include <new>
#include <string>

#include "grid_window.h"
#include "support/gui.h"

namespace {
int g_failIn = -1;  // nothrow allocations to let through before one fails

bool fail_now()
{
    if (g_failIn < 0)
        return false;
    return g_failIn-- == 0;
}
} // namespace

void *operator new(std::size_t n, const std::nothrow_t &) noexcept
{
    return fail_now() ? nullptr : ::operator new(n);
}

void *operator new[](std::size_t n, const std::nothrow_t &) noexcept
{
    return fail_now() ? nullptr : ::operator new[](n);
}

namespace {

const char ALERT[] = "Alloc Memory Failed!Program Exit!";

// Runs step with the k-th nothrow allocation failing; the alert it must
// raise is answered by pressing its button.
template <typename Step>
void failing_at(int k, Step step)
{
    gui::ButtonPresser close("Close");
    g_failIn = k;
    step();
    g_failIn = -1;
    EXPECT_EQ(1, close.presses());
    EXPECT_TRUE(close.saw(ALERT));
}

int cells_in(Fl_Scroll *s)
{
    return s->children() - 2;  // both scrollbars are children too
}

TEST(GridOutOfMemory, ConstructionLeavesAnInertGridAndClosesItsGroup)
{
    for (int k : {0, 1}) {
        SCOPED_TRACE(k == 0 ? "no scroll" : "no header row");
        Fl_Window *win = new Fl_Window(0, 0, 400, 300);
        Fl_Fltkgrid *g = nullptr;
        failing_at(k, [&] { g = new Fl_Fltkgrid(0, 50, 400, 250); });
        Fl_Box *after = new Fl_Box(0, 0, 10, 10);
        win->end();
        EXPECT_EQ(win, after->parent());
        EXPECT_EQ(k == 0, g->GetScroll() == nullptr);
        EXPECT_EQ(0, g->SetCols(8));
        EXPECT_EQ(-1, g->AppendRow());
        EXPECT_EQ(0, g->GetColWidth(0));
        win->show();
        gui::settle();
        gui::send_pointer(win, FL_PUSH, 100, 80);
        gui::send_pointer(win, FL_RELEASE, 100, 80);
        EXPECT_EQ(-1, g->GetCurrentRow());
        delete win;
    }
}

TEST(GridOutOfMemory, SetColsTakesAPartialHeaderBackDown)
{
    Fl_Window *win = new Fl_Window(0, 0, 400, 300);
    Fl_Fltkgrid *g = new Fl_Fltkgrid(0, 50, 400, 250);
    win->end();
    win->show();
    // Each column takes a record and a button.
    for (int k = 0; k < 6; k++) {
        SCOPED_TRACE(k);
        failing_at(k, [&] { EXPECT_EQ(0, g->SetCols(3)); });
        EXPECT_EQ(0, g->GetCols());
        EXPECT_EQ(0, cells_in(g->GetScroll()));
        EXPECT_EQ(-1, g->AppendRow());
    }
    ASSERT_EQ(1, g->SetCols(3));
    EXPECT_EQ(3, cells_in(g->GetScroll()));
    EXPECT_EQ(1, g->AppendRow());
    delete win;
}

TEST_F(GridWindow, AppendRowOutOfMemoryLeavesTheTableAsItWas)
{
    // With 15 rows (16 with the header) the row index must grow first: the
    // first two failures hit its two halves, and once had it stays.
    for (int rows : {2, 15}) {
        SCOPED_TRACE(testing::Message() << rows << " rows");
        while (grid->GetRows() > 0)
            grid->DeleteRow(grid->GetRows());
        add_rows(rows);
        grid->SelectRow(2);
        // The row record, then a record and a widget per column.
        for (int k = 0; k < 1 + 2 * COLS; k++) {
            SCOPED_TRACE(k);
            failing_at(k, [&] { EXPECT_EQ(-1, grid->AppendRow()); });
            EXPECT_EQ(rows, grid->GetRows());
            EXPECT_EQ((rows + 1) * COLS, cell_count());
        }
        EXPECT_EQ(2, grid->GetCurrentRow());
        EXPECT_STREQ("r2c7", grid->GetMatrixText(2, 7));
        EXPECT_EQ(rows + 1, grid->AppendRow());
        expect_cells_addressed();
    }
}

TEST_F(GridWindow, LongTextExchangeOutOfMemoryChangesNothing)
{
    add_rows(3);
    std::string longer(400, 'x');
    ASSERT_EQ(1, grid->SetMatrixText(2, 1, longer.c_str()));
    grid->SelectRow(3);
    failing_at(0, [&] { EXPECT_EQ(0, grid->DownRow(1)); });
    failing_at(0, [&] { EXPECT_EQ(0, grid->UpRow(3)); });
    failing_at(0, [&] { EXPECT_EQ(0, grid->DeleteRow(1)); });
    EXPECT_EQ(3, grid->GetRows());
    EXPECT_EQ(3, grid->GetCurrentRow());
    EXPECT_STREQ("r1c1", grid->GetMatrixText(1, 1));
    EXPECT_EQ(longer, grid->GetMatrixText(2, 1));
    EXPECT_STREQ("r3c1", grid->GetMatrixText(3, 1));

    // Short texts need no memory to trade.
    ASSERT_EQ(1, grid->SetMatrixText(2, 1, "short"));
    g_failIn = 0;
    EXPECT_EQ(1, grid->DownRow(1));
    g_failIn = -1;
    EXPECT_STREQ("short", grid->GetMatrixText(1, 1));
}

} // namespace
