#include <FL/Fl_Box.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Scroll.H>

#include <cstring>
#include <string>

#include "grid/cg_headbtn.h"
#include "grid_window.h"
#include "support/gui.h"

namespace {

row_data *payload(const char *dump)
{
    row_data *pd = new row_data();
    pd->nType = 1;
    snprintf(pd->szD3dump, sizeof pd->szD3dump, "%s", dump);
    return pd;
}

std::string text(Fl_Fltkgrid *g, int row, int col)
{
    const char *t = g->GetMatrixText(row, col);
    return t ? t : "<null>";
}

bool highlighted(Fl_Input *in)
{
    return in->color() == FL_DARK_BLUE && in->textcolor() == FL_WHITE;
}

bool plain(Fl_Input *in)
{
    return in->color() == FL_WHITE && in->textcolor() == FL_BLACK;
}

TEST(GridBare, NothingWorksBeforeTheColumns)
{
    Fl_Window win(0, 0, 300, 200);
    Fl_Fltkgrid *g = new Fl_Fltkgrid(0, 0, 300, 200);
    win.end();
    EXPECT_EQ(0, g->SetCols(0));
    EXPECT_EQ(0, g->SetCols(-3));
    EXPECT_EQ(-1, g->AppendRow());
    EXPECT_EQ(0, g->SetColWidth(0, 50));
    EXPECT_EQ(0, g->GetColWidth(0));
    EXPECT_EQ(0, g->SetHeaderText(0, "x"));
    EXPECT_EQ(-1, g->GetRows());
    EXPECT_EQ(0, g->GetCols());

    ASSERT_EQ(1, g->SetCols(2));
    EXPECT_EQ(2, g->GetCols());
    EXPECT_EQ(1, g->AppendRow());
}

TEST(GridBare, ShortConstructorMakesAnEightColumnWideGrid)
{
    Fl_Window win(0, 0, 700, 300);
    Fl_Fltkgrid *g = new Fl_Fltkgrid(5, 7);
    win.end();
    EXPECT_EQ(5, g->x());
    EXPECT_EQ(7, g->y());
    EXPECT_EQ(560, g->w());
    EXPECT_EQ(g->w(), g->GetScroll()->w());
    EXPECT_EQ(g->h(), g->GetScroll()->h());
    EXPECT_EQ(-1, g->GetCurrentCol());
}

TEST_F(GridWindow, ColumnsAreSetOnce)
{
    EXPECT_EQ(0, grid->GetRows());
    EXPECT_EQ(-1, grid->GetCurrentRow());
    EXPECT_EQ(COLS, grid->GetCols());
    EXPECT_EQ(0, grid->SetCols(3));
    EXPECT_EQ(COLS, grid->GetCols());
    ASSERT_EQ(COLS, cell_count());
    EXPECT_EQ(Fl_Scroll::BOTH_ALWAYS, grid->GetScroll()->type());
    EXPECT_EQ(FL_DOWN_FRAME, grid->GetScroll()->box());
    EXPECT_EQ(grid, grid->GetScroll()->parent());
    EXPECT_EQ(win, title->parent());

    for (int c = 0; c < COLS; c++) {
        SCOPED_TRACE(c);
        Fl_Widget *h = cell(0, c);
        ASSERT_NE(nullptr, dynamic_cast<CgHeadBtn *>(h));
        EXPECT_EQ(GX + c * COL_W, h->x());
        EXPECT_EQ(GY, h->y());
        EXPECT_EQ(COL_W, h->w());
        EXPECT_EQ(ROW_H, h->h());
        EXPECT_STREQ("", h->label());
        EXPECT_EQ(12, h->labelsize());
        EXPECT_EQ(COL_W, grid->GetColWidth(c));
    }
    static const char name[] = "Precision";
    EXPECT_EQ(1, grid->SetHeaderText(0, name));
    EXPECT_EQ(name, cell(0, 0)->label());  // kept, not copied
    EXPECT_EQ(0, grid->SetHeaderText(COLS, "x"));
    EXPECT_EQ(0, grid->SetHeaderText(-1, "x"));
    EXPECT_EQ(0, grid->SetHeaderText(1, nullptr));
    EXPECT_EQ(0, grid->GetColWidth(-1));
    EXPECT_EQ(0, grid->GetColWidth(COLS));
}

TEST_F(GridWindow, AppendedRowsHaveTheFixedCellKinds)
{
    EXPECT_EQ(1, grid->AppendRow());
    EXPECT_EQ(2, grid->AppendRow());
    EXPECT_EQ(2, grid->GetRows());
    EXPECT_EQ(3 * COLS, cell_count());
    EXPECT_EQ(-1, grid->GetCurrentRow());

    for (int r = 1; r <= 2; r++) {
        Fl_Choice *ch = choice(r);
        ASSERT_NE(nullptr, ch);
        EXPECT_EQ(2, ch->size() - 1);
        EXPECT_STREQ("Single", ch->text(0));
        EXPECT_STREQ("Double", ch->text(1));
        EXPECT_EQ(-1, ch->value());
        EXPECT_EQ(Fl_Fltkgrid::choice_cb, ch->callback());
        EXPECT_EQ(grid, ch->user_data());
        EXPECT_EQ(row_y(r), ch->y());
        for (int c = 1; c < COLS; c++) {
            SCOPED_TRACE(testing::Message() << "row " << r << " col " << c);
            Fl_Input *in = input(r, c);
            ASSERT_NE(nullptr, in);
            EXPECT_EQ(GX + c * COL_W, in->x());
            EXPECT_EQ(row_y(r), in->y());
            EXPECT_EQ(COL_W, in->w());
            EXPECT_EQ(ROW_H, in->h());
            EXPECT_EQ(FL_THIN_DOWN_BOX, in->box());
            EXPECT_EQ(12, in->textsize());
            EXPECT_STREQ("", in->value());
            bool editable = c == 5 || c == 6;
            EXPECT_EQ(editable ? FL_INT_INPUT : FL_NORMAL_INPUT, in->input_type());
            EXPECT_EQ(!editable, in->output() != 0);
        }
    }
}

TEST_F(GridWindow, NewRowsFollowTheHeaderAndTheScrolledContent)
{
    add_rows(14);
    ASSERT_EQ(1, grid->SetColWidth(1, 100));
    scroll_by(40);
    ASSERT_EQ(GY - 40, cell(0, 0)->y());
    ASSERT_EQ(15, grid->AppendRow());
    EXPECT_EQ(row_y(15) - 40, cell(15, 0)->y());
    EXPECT_EQ(GX + COL_W, cell(15, 1)->x());
    EXPECT_EQ(100, cell(15, 1)->w());
    EXPECT_EQ(GX + COL_W + 100, cell(15, 2)->x());
    scroll_by(-40);
    EXPECT_EQ(row_y(15), cell(15, 0)->y());
    EXPECT_EQ(row_y(14), cell(14, 7)->y());
}

TEST_F(GridWindow, SmallSettersAndNewCellSizes)
{
    EXPECT_EQ(0, grid->SetCurrentRow(0));
    EXPECT_EQ(1, grid->SetCurrentRow(9));  // no upper bound
    EXPECT_EQ(9, grid->GetCurrentRow());
    EXPECT_EQ(0, grid->SetCurrentCol(-1));
    EXPECT_EQ(1, grid->SetCurrentCol(3));
    EXPECT_EQ(3, grid->GetCurrentCol());
    EXPECT_EQ(0, grid->SetRowHeight(0));
    EXPECT_EQ(0, grid->SetFontSize(-1));
    grid->SetActive(4);

    EXPECT_EQ(1, grid->SetFontSize(16));
    EXPECT_EQ(1, grid->SetRowHeight(25));
    ASSERT_EQ(1, grid->AppendRow());
    EXPECT_EQ(16, input(1, 2)->textsize());
    EXPECT_EQ(25, input(1, 2)->h());
    EXPECT_EQ(GY + 25, input(1, 2)->y());
}

TEST_F(GridWindow, BadIndicesAreRejectedAndChangeNothing)
{
    add_rows(2);
    struct Cell { int row, col; } bad[] = {
        {0, 1}, {3, 1}, {-1, 1}, {1, -1}, {1, COLS}, {1, 0}, {2, 0},
    };
    for (const Cell &b : bad) {
        SCOPED_TRACE(testing::Message() << "row " << b.row << " col " << b.col);
        EXPECT_EQ(0, grid->SetMatrixText(b.row, b.col, "x"));
        EXPECT_EQ(nullptr, grid->GetMatrixText(b.row, b.col));
        EXPECT_EQ(0, grid->SetMatrixColor(b.row, b.col, FL_RED));
        EXPECT_EQ(0, grid->SetMatrixTextColor(b.row, b.col, FL_RED));
        EXPECT_EQ(0, grid->SetMatrixActivate(b.row, b.col));
        EXPECT_EQ(0, grid->SetMatrixDeactivate(b.row, b.col));
    }
    EXPECT_EQ(0, grid->SetMatrixText(1, 1, nullptr));
    for (int row : {0, 3, -1}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(0, grid->SetChoiceValue(row, 1));
        EXPECT_EQ(0, grid->GetChoiceValue(row));
        EXPECT_EQ(0, grid->SetChoiceActivate(row, 0));
        EXPECT_EQ(0, grid->DeleteRow(row));
        EXPECT_EQ(nullptr, grid->GetRowData(row));
        row_data *pd = payload("/d/x");
        grid->SetRowData(row, pd);  // ignored: still ours
        delete pd;
    }
    grid->SetRowData(1, nullptr);
    EXPECT_EQ(nullptr, grid->GetRowData(1));

    EXPECT_EQ(2, grid->GetRows());
    for (int r = 1; r <= 2; r++)
        for (int c = 1; c < COLS; c++) {
            EXPECT_EQ("r" + std::to_string(r) + "c" + std::to_string(c), text(grid, r, c));
            EXPECT_TRUE(input(r, c)->active());
            EXPECT_NE(FL_RED, input(r, c)->color());
        }
    EXPECT_TRUE(choice(1)->active());
    EXPECT_EQ(1, grid->GetChoiceValue(1));
}

TEST_F(GridWindow, TextCellsKeepTheirOwnCopy)
{
    add_rows(1);
    char buf[32] = "Queued";
    ASSERT_EQ(1, grid->SetMatrixText(1, 7, buf));
    strncpy(buf, "Mangled", sizeof buf);
    EXPECT_EQ("Queued", text(grid, 1, 7));
    std::string longer(1000, 'k');
    ASSERT_EQ(1, grid->SetMatrixText(1, 2, longer.c_str()));
    EXPECT_EQ(longer, text(grid, 1, 2));
}

TEST_F(GridWindow, ChoiceValuesColoursAndActivation)
{
    ASSERT_EQ(1, grid->AppendRow());
    EXPECT_EQ(0, grid->GetChoiceValue(1));  // never set reads as "Single"
    struct { int val; Fl_Color colour; } cases[] = {{1, FL_MAGENTA}, {0, FL_CYAN}};
    for (auto &c : cases) {
        SCOPED_TRACE(c.val);
        EXPECT_EQ(1, grid->SetChoiceValue(1, c.val));
        EXPECT_EQ(c.val, grid->GetChoiceValue(1));
        EXPECT_EQ(c.val, choice(1)->value());
        EXPECT_EQ(c.colour, choice(1)->color());
    }
    for (int bad : {2, -1}) {
        EXPECT_EQ(0, grid->SetChoiceValue(1, bad));
        EXPECT_EQ(0, choice(1)->value());
        EXPECT_EQ(FL_CYAN, choice(1)->color());
    }
    struct { int flag; bool active; } acts[] = {{0, false}, {1, true}, {2, false}, {1, true}};
    for (auto &a : acts) {
        EXPECT_EQ(1, grid->SetChoiceActivate(1, a.flag));
        EXPECT_EQ(a.active, choice(1)->active() != 0) << a.flag;
    }
    EXPECT_EQ(1, grid->SetMatrixDeactivate(1, 5));
    EXPECT_FALSE(input(1, 5)->active());
    EXPECT_EQ(1, grid->SetMatrixActivate(1, 5));
    EXPECT_TRUE(input(1, 5)->active());
    EXPECT_EQ(1, grid->SetMatrixTextColor(1, 7, 255));
    EXPECT_EQ(255u, input(1, 7)->textcolor());
}

TEST_F(GridWindow, MovingRowsExchangesContentsButNotScreenColours)
{
    add_rows(3);
    ASSERT_EQ(1, grid->SetChoiceValue(1, 1));
    ASSERT_EQ(1, grid->SetChoiceValue(2, 0));
    row_data *p = payload("/jobs/p.d3dump");
    row_data *q = payload("/jobs/q.d3dump");
    grid->SetRowData(1, p);
    grid->SetRowData(2, q);
    ASSERT_EQ(1, grid->SetMatrixColor(1, 7, FL_GREEN));
    ASSERT_EQ(1, grid->SetMatrixDeactivate(2, 5));
    std::string long_p(300, 'p'), long_q(1200, 'q');
    ASSERT_EQ(1, grid->SetMatrixText(1, 2, long_p.c_str()));
    ASSERT_EQ(1, grid->SetMatrixText(2, 2, long_q.c_str()));

    ASSERT_EQ(1, grid->DownRow(1));
    EXPECT_EQ("r2c1", text(grid, 1, 1));
    EXPECT_EQ("r1c1", text(grid, 2, 1));
    EXPECT_EQ("r2c7", text(grid, 1, 7));
    EXPECT_EQ(long_q, text(grid, 1, 2));
    EXPECT_EQ(long_p, text(grid, 2, 2));
    EXPECT_EQ(0, grid->GetChoiceValue(1));
    EXPECT_EQ(FL_CYAN, choice(1)->color());
    EXPECT_EQ(1, grid->GetChoiceValue(2));
    EXPECT_EQ(FL_MAGENTA, choice(2)->color());
    EXPECT_EQ(q, grid->GetRowData(1));
    EXPECT_EQ(p, grid->GetRowData(2));
    EXPECT_EQ(FL_GREEN, input(1, 7)->color());  // stays with the screen row
    EXPECT_FALSE(input(2, 5)->active());
    EXPECT_TRUE(input(1, 5)->active());
    EXPECT_EQ(2, grid->GetCurrentRow());
    EXPECT_TRUE(highlighted(input(2, 1)));

    ASSERT_EQ(1, grid->UpRow(2));
    EXPECT_EQ("r1c1", text(grid, 1, 1));
    EXPECT_EQ(p, grid->GetRowData(1));
    EXPECT_EQ(1, grid->GetChoiceValue(1));
    EXPECT_EQ(FL_MAGENTA, choice(1)->color());
    EXPECT_EQ(1, grid->GetCurrentRow());
    EXPECT_TRUE(highlighted(input(1, 4)));
    EXPECT_TRUE(plain(input(2, 4)));

    for (int bad : {1, 0, 4}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(0, grid->UpRow(bad));
    }
    for (int bad : {3, 0, 4}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(0, grid->DownRow(bad));
    }
    EXPECT_EQ("r1c1", text(grid, 1, 1));
    EXPECT_EQ("r3c1", text(grid, 3, 1));
    EXPECT_EQ(1, grid->GetCurrentRow());
}

TEST_F(GridWindow, AnUnsetChoiceMovesWithItsRow)
{
    add_rows(1);
    ASSERT_EQ(2, grid->AppendRow());
    ASSERT_EQ(1, grid->DownRow(1));
    EXPECT_EQ(-1, choice(1)->value());
    EXPECT_EQ(0, grid->GetChoiceValue(1));
    EXPECT_EQ(1, choice(2)->value());
    EXPECT_EQ(FL_MAGENTA, choice(2)->color());
}

TEST_F(GridWindow, SelectRowHighlightsTheFourCellsAfterTheChoice)
{
    add_rows(3);
    for (int r = 1; r <= 3; r++)
        ASSERT_EQ(1, grid->SetMatrixColor(r, 7, FL_GREEN));
    grid->SelectRow(3);
    grid->SelectRow(1);
    EXPECT_EQ(1, grid->GetCurrentRow());
    for (int c = 1; c <= 4; c++) {
        SCOPED_TRACE(c);
        EXPECT_TRUE(highlighted(input(1, c)));
        EXPECT_TRUE(plain(input(3, c)));
    }
    for (int r = 1; r <= 3; r++) {
        EXPECT_EQ(FL_GREEN, input(r, 7)->color());
        EXPECT_EQ(FL_BACKGROUND2_COLOR, input(r, 5)->color());
        EXPECT_EQ(FL_BACKGROUND2_COLOR, input(r, 6)->color());
        EXPECT_EQ(r % 2 ? FL_MAGENTA : FL_CYAN, choice(r)->color());
    }
    for (int bad : {4, 0, -1}) {
        SCOPED_TRACE(bad);
        grid->SelectRow(bad);
        EXPECT_EQ(1, grid->GetCurrentRow());
        EXPECT_TRUE(highlighted(input(1, 2)));
    }
    grid->SelectRow(1);
    EXPECT_TRUE(highlighted(input(1, 2)));
}

TEST_F(GridWindow, DeletingRows)
{
    struct Case {
        const char *name;
        int rows, current, victim;
        const char *left;  // column 1 texts that remain, in order
        int current_after;
    } cases[] = {
        {"middle row, current", 3, 2, 2, "r1c1 r3c1", 2},
        {"middle row, another current", 3, 1, 2, "r1c1 r3c1", 2},
        {"first row", 3, 3, 1, "r2c1 r3c1", 1},
        {"last row, current", 3, 3, 3, "r1c1 r2c1", 2},
        {"last row, another current", 3, 1, 3, "r1c1 r2c1", 1},
        {"only row", 1, 1, 1, "", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        while (grid->GetRows() > 0)
            grid->DeleteRow(grid->GetRows());
        add_rows(c.rows);
        for (int r = 1; r <= c.rows; r++) {
            grid->SetRowData(r, payload(("/jobs/" + std::to_string(r)).c_str()));
            ASSERT_EQ(1, grid->SetMatrixColor(r, 7, FL_GREEN));
        }
        // Start from a clean screen: only the current row highlighted.
        for (int r = 1; r <= c.rows; r++)
            for (int k = 1; k <= 4; k++) {
                input(r, k)->color(FL_WHITE);
                input(r, k)->textcolor(FL_BLACK);
            }
        grid->SelectRow(c.current);

        ASSERT_EQ(1, grid->DeleteRow(c.victim));
        EXPECT_EQ(c.rows - 1, grid->GetRows());
        EXPECT_EQ((c.rows - 1 + 1) * COLS, cell_count());
        std::string left;
        for (int r = 1; r <= grid->GetRows(); r++) {
            left += (r > 1 ? " " : "") + text(grid, r, 1);
            std::string dump = "/jobs/" + text(grid, r, 1).substr(1, 1);
            ASSERT_NE(nullptr, grid->GetRowData(r));
            EXPECT_EQ(dump, grid->GetRowData(r)->szD3dump) << "payload of row " << r;
            EXPECT_EQ(FL_GREEN, input(r, 7)->color());
        }
        EXPECT_EQ(c.left, left);
        EXPECT_EQ(c.current_after, grid->GetCurrentRow());
        for (int r = 1; r <= grid->GetRows(); r++)
            EXPECT_EQ(r == c.current_after, highlighted(input(r, 3))) << "row " << r;
    }
}

TEST_F(GridWindow, CellsStayAddressedAcrossAppendsDeletesAndMoves)
{
    // Past the first few sizes of the row index, then down and up again.
    add_rows(40);
    expect_cells_addressed();
    ASSERT_EQ(1, grid->DeleteRow(20));
    ASSERT_EQ(1, grid->DeleteRow(grid->GetRows()));
    ASSERT_EQ(1, grid->DeleteRow(1));
    ASSERT_EQ(1, grid->DownRow(3));
    ASSERT_EQ(1, grid->UpRow(30));
    EXPECT_EQ(37, grid->GetRows());
    expect_cells_addressed();
    grid->SelectRow(36);
    EXPECT_TRUE(highlighted(input(36, 1)));
    EXPECT_TRUE(plain(input(29, 1)));
    while (grid->GetRows() > 0)
        ASSERT_EQ(1, grid->DeleteRow(grid->GetRows()));
    add_rows(70);
    EXPECT_EQ(71 * COLS, cell_count());
    expect_cells_addressed();
}

TEST_F(GridWindow, ColumnWidthMovesLaterColumnsInEveryRow)
{
    add_rows(3);
    EXPECT_EQ(0, grid->SetColWidth(2, 0));
    EXPECT_EQ(0, grid->SetColWidth(2, -5));
    EXPECT_EQ(0, grid->SetColWidth(-1, 50));
    EXPECT_EQ(0, grid->SetColWidth(COLS, 50));
    EXPECT_EQ(COL_W, grid->GetColWidth(2));

    ASSERT_EQ(1, grid->SetColWidth(2, 100));
    EXPECT_EQ(100, grid->GetColWidth(2));
    for (int r = 0; r <= 3; r++)
        for (int c = 0; c < COLS; c++) {
            SCOPED_TRACE(testing::Message() << "row " << r << " col " << c);
            Fl_Widget *w = cell(r, c);
            EXPECT_EQ(GX + c * COL_W + (c > 2 ? 30 : 0), w->x());
            EXPECT_EQ(c == 2 ? 100 : COL_W, w->w());
            EXPECT_EQ(row_y(r), w->y());
        }
    ASSERT_EQ(1, grid->SetColWidth(0, 50));
    EXPECT_EQ(GX + 50, cell(3, 1)->x());
    EXPECT_EQ(GX + 50 + COL_W + 100, cell(3, 3)->x());
    EXPECT_EQ(GX + 50 + COL_W, cell(0, 2)->x());
}

TEST_F(GridWindow, HitTestInContentCoordinates)
{
    ASSERT_EQ(1, grid->SetColWidth(1, 12));  // column 1: 70..82
    struct Case { int rx, ry, ret, row, col; } cases[] = {
        {10, GY - 1, 0, -1, -1},
        {35, GY, 1, 0, -1},
        {5, GY + 5, 1, 0, -1},          // the grid's left edge is no border
        {61, GY + 5, 1, 0, 0},          // 9 left of column 0's border
        {60, GY + 5, 1, 0, -1},
        {70, GY + 5, 1, 0, 0},
        {75, GY + 5, 1, 0, 1},          // near both borders: its own right one wins
        {87, GY + 5, 1, 0, 1},          // 5 right of column 1's border
        {92, GY + 5, 1, 0, -1},
        {35, GY + ROW_H, 1, 0, -1},     // first line of row 1's band
        {35, GY + ROW_H + 1, 1, 1, -1},
        {35, GY + 3 * ROW_H, 1, 2, -1},
        {35, GY + 3 * ROW_H + 1, 1, 3, -1},
        {70 + 12 + 6 * COL_W, GY + 5, 1, 0, 7},      // the last border
        {70 + 12 + 6 * COL_W + 9, GY + 5, 1, 0, 7},  // just past it
        {70 + 12 + 6 * COL_W + 10, GY + 5, 1, 0, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.rx << "," << c.ry);
        int row = 99, col = 99;
        EXPECT_EQ(c.ret, grid->getRowCol(c.rx, c.ry, &row, &col));
        EXPECT_EQ(c.row, row);
        EXPECT_EQ(c.col, col);
    }

    Fl_Fltkgrid bare(0, 0, 200, 100);
    int row, col;
    EXPECT_EQ(1, bare.getRowCol(3, 5, &row, &col));
    EXPECT_EQ(-1, col);
}

TEST(GridLifetime, DestroyingTheGridFreesRowsAndPayloads)
{
    Fl_Window *win = new Fl_Window(0, 0, 600, 300);
    Fl_Fltkgrid *g = new Fl_Fltkgrid(0, 0, 600, 300);
    win->end();
    ASSERT_EQ(1, g->SetCols(8));
    for (int i = 0; i < 4; i++) {
        ASSERT_EQ(i + 1, g->AppendRow());
        g->SetRowData(i + 1, payload("/jobs/x"));
    }
    g->SetRowData(2, payload("/jobs/y"));  // replaces, and frees, the first
    EXPECT_STREQ("/jobs/y", g->GetRowData(2)->szD3dump);
    row_data *same = g->GetRowData(3);
    g->SetRowData(3, same);
    EXPECT_EQ(same, g->GetRowData(3));
    win->show();
    gui::settle();
    delete win;  // LeakSanitizer checks that rows, cells and payloads went
}

} // namespace
