#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>

#include <vector>

#include "grid_window.h"
#include "support/gui.h"

namespace {

struct GridPointer : GridWindow {
    void push(int x, int y) { gui::send_pointer(win, FL_PUSH, x, y); }
    void drag(int x, int y) { gui::send_pointer(win, FL_DRAG, x, y); }
    void release(int x, int y) { gui::send_pointer(win, FL_RELEASE, x, y); }
    void click(int x, int y)
    {
        push(x, y);
        release(x, y);
    }
    // The first move over a cell only enters it; the second is its move.
    void hover(int x, int y)
    {
        gui::send_pointer(win, FL_MOVE, x, y);
        gui::send_pointer(win, FL_MOVE, x, y);
    }
    void reset_widths()
    {
        for (int c = 0; c < COLS; c++)
            ASSERT_EQ(1, grid->SetColWidth(c, COL_W));
    }
    // Left edges of the cells of columns from..COLS-1 in rows 0..rows.
    std::vector<int> lefts(int from, int rows)
    {
        std::vector<int> xs;
        for (int r = 0; r <= rows; r++)
            for (int c = from; c < COLS; c++)
                xs.push_back(cell(r, c)->x());
        return xs;
    }
    static std::vector<int> shifted(std::vector<int> xs, int d)
    {
        for (int &x : xs)
            x += d;
        return xs;
    }
};

const int HEAD_Y = GridWindow::GY + 10;

TEST_F(GridPointer, APushSelectsTheRowUnderIt)
{
    add_rows(5);
    struct Case { const char *what; int y, current; } cases[] = {
        {"row 3", row_y(3) + 10, 3},
        {"header row", HEAD_Y, 3},
        {"below the last row", row_y(6) + 5, 3},
        {"first line of row 3's band", row_y(3), 2},
        {"second line of row 3's band", row_y(3) + 1, 3},
        {"first line of row 1's band", row_y(1), 3},
        {"last line of row 5's band", row_y(6) - 1, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        click(105, c.y);
        EXPECT_EQ(c.current, grid->GetCurrentRow());
        EXPECT_EQ(FL_DARK_BLUE, input(c.current, 1)->color());
    }
}

TEST_F(GridPointer, APushInScrolledContentSelectsByContentRow)
{
    add_rows(15);
    scroll_by(40);
    ASSERT_EQ(GY - 40, cell(0, 0)->y());
    click(105, GY + 5);
    EXPECT_EQ(2, grid->GetCurrentRow());
    click(105, row_y(5) - 40 + 10);
    EXPECT_EQ(5, grid->GetCurrentRow());
    click(105, row_y(3) - 40);  // first line of row 3's band
    EXPECT_EQ(2, grid->GetCurrentRow());
}

TEST_F(GridPointer, HeaderCursorFollowsTheBorderZones)
{
    struct Case { const char *what; int x; Fl_Cursor cursor; } cases[] = {
        {"5 left of the border of columns 1 and 2", 135, FL_CURSOR_WE},
        {"middle of column 1", 105, FL_CURSOR_DEFAULT},
        {"5 right of that border", 145, FL_CURSOR_WE},
        {"4 left of column 0's right border", 66, FL_CURSOR_WE},
        {"left 9 pixels of column 0", 4, FL_CURSOR_DEFAULT},
        {"9 right of the border", 149, FL_CURSOR_WE},
        {"10 right of the border", 150, FL_CURSOR_DEFAULT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        hover(c.x, HEAD_Y);
        EXPECT_EQ(c.cursor, grid->GetHeadCursor());
    }
    hover(135, HEAD_Y);
    ASSERT_EQ(FL_CURSOR_WE, grid->GetHeadCursor());
    hover(135, row_y(2) + 5);  // leaving the header cell
    EXPECT_EQ(FL_CURSOR_DEFAULT, grid->GetHeadCursor());
}

TEST_F(GridPointer, OnlyABorderPushArmsAResize)
{
    push(4, HEAD_Y);
    EXPECT_EQ(0, grid->m_validMove);
    drag(30, HEAD_Y);
    EXPECT_EQ(COL_W, grid->GetColWidth(0));
    release(30, HEAD_Y);

    push(135, HEAD_Y);
    EXPECT_EQ(1, grid->m_validMove);
    EXPECT_EQ(1, grid->m_nMoveCol);
    EXPECT_EQ(135, grid->m_originX);
    EXPECT_EQ(FL_CURSOR_WE, grid->GetHeadCursor());
    release(135, HEAD_Y);
    EXPECT_EQ(0, grid->m_validMove);
    grid->headClick(2, 200, HEAD_Y);  // a stray drag after the release
    EXPECT_EQ(COL_W, grid->GetColWidth(1));

    // A push away from every border disarms as well.
    grid->headClick(1, 135, HEAD_Y);
    grid->headClick(1, 105, HEAD_Y);
    EXPECT_EQ(0, grid->m_validMove);
    grid->headClick(2, 125, HEAD_Y);
    EXPECT_EQ(COL_W, grid->GetColWidth(1));
}

TEST_F(GridPointer, DraggingABorderResizesItsColumnInEveryRow)
{
    add_rows(3);
    struct Case { int x, d, col; } cases[] = {
        {135, 20, 1}, {135, -20, 1}, {145, 20, 1}, {145, -20, 1}, {66, 20, 0}, {493, 30, 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.x << " by " << c.d);
        reset_widths();
        std::vector<int> before = lefts(c.col + 1, 3);
        push(c.x, HEAD_Y);
        Fl_Button *pressed = dynamic_cast<Fl_Button *>(cell(0, c.x / COL_W));
        drag(c.x + c.d / 2, HEAD_Y);
        drag(c.x + c.d, HEAD_Y);
        EXPECT_EQ(1, pressed->value());  // still an ordinary button
        release(c.x + c.d, HEAD_Y);
        EXPECT_EQ(COL_W + c.d, grid->GetColWidth(c.col));
        for (int r = 0; r <= 3; r++)
            EXPECT_EQ(COL_W + c.d, cell(r, c.col)->w()) << "row " << r;
        EXPECT_EQ(shifted(before, c.d), lefts(c.col + 1, 3));
        EXPECT_EQ(0, grid->m_validMove);
    }
}

TEST_F(GridPointer, DraggingFarLeftKeepsTheLastPositiveWidth)
{
    add_rows(2);
    push(135, HEAD_Y);
    drag(80, HEAD_Y);
    EXPECT_EQ(15, grid->GetColWidth(1));
    drag(0, HEAD_Y);
    EXPECT_EQ(15, grid->GetColWidth(1));
    EXPECT_EQ(COL_W + 15, cell(2, 2)->x());
    drag(10, HEAD_Y);  // right again: widens from there
    EXPECT_EQ(25, grid->GetColWidth(1));
    EXPECT_EQ(COL_W + 25, cell(2, 2)->x());
    release(10, HEAD_Y);
}

TEST_F(GridPointer, TheRightEdgeStripIgnoresEverything)
{
    add_rows(3);
    ASSERT_EQ(1, grid->SetColWidth(7, 340));  // column 7 now reaches under the strip
    const int strip = GX + GW - 23;

    hover(495, HEAD_Y);
    ASSERT_EQ(FL_CURSOR_WE, grid->GetHeadCursor());
    hover(strip, HEAD_Y);  // far from every border: would be the default
    EXPECT_EQ(FL_CURSOR_WE, grid->GetHeadCursor());
    EXPECT_EQ(0, grid->headClick(0, strip, HEAD_Y));
    EXPECT_EQ(1, grid->headClick(0, GX + GW - 30, HEAD_Y));
    EXPECT_EQ(0, grid->headClick(0, GX + GW - 29, HEAD_Y));

    click(strip, HEAD_Y);
    EXPECT_EQ(0, grid->m_validMove);
    click(strip, row_y(2) + 5);
    EXPECT_EQ(-1, grid->GetCurrentRow());
    EXPECT_EQ(0, grid->gridClick(GX + GW - 29, row_y(2) + 5));
    EXPECT_EQ(-1, grid->GetCurrentRow());
    EXPECT_EQ(1, grid->gridClick(GX + GW - 30, row_y(2) + 5));
    EXPECT_EQ(2, grid->GetCurrentRow());

    push(485, HEAD_Y);  // column 6's border
    ASSERT_EQ(1, grid->m_validMove);
    drag(strip, HEAD_Y);
    EXPECT_EQ(COL_W, grid->GetColWidth(6));
    EXPECT_EQ(485, grid->m_originX);
    drag(500, HEAD_Y);
    EXPECT_EQ(COL_W + 15, grid->GetColWidth(6));
    release(500, HEAD_Y);
}

// Answers an open pull-down menu with keys, as a user would.
struct MenuAnswer {
    Fl_Window *owner;
    std::vector<int> keys;
    bool answered = false;
    int ticks = 0;

    static void tick(void *data)
    {
        MenuAnswer *a = static_cast<MenuAnswer *>(data);
        for (Fl_Window *w = Fl::first_window(); w; w = Fl::next_window(w)) {
            if (w == a->owner || !w->shown())
                continue;
            for (int key : a->keys)
                gui::send_key(w, key);
            a->answered = true;
            return;
        }
        if (++a->ticks < 100)
            Fl::repeat_timeout(0.05, tick, data);
    }
};

TEST_F(GridPointer, PickingAPrecisionRecoloursAndHandsFocusOn)
{
    add_rows(3);
    ASSERT_EQ(4, grid->AppendRow());  // its choice still unset
    struct Case { const char *what; std::vector<int> keys; int value; Fl_Color colour; } cases[] = {
        {"Double from nothing", {FL_Down, FL_Down, FL_Enter}, 1, FL_MAGENTA},
        {"Single from Double", {FL_Up, FL_Enter}, 0, FL_CYAN},
        {"Double from Single", {FL_Down, FL_Enter}, 1, FL_MAGENTA},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        grid->SelectRow(1);
        Fl::focus(nullptr);
        MenuAnswer answer{win, c.keys};
        Fl::add_timeout(0.1, MenuAnswer::tick, &answer);
        push(35, row_y(4) + 10);  // returns once the menu is answered
        Fl::remove_timeout(MenuAnswer::tick, &answer);
        release(35, row_y(4) + 10);
        ASSERT_TRUE(answer.answered);
        EXPECT_EQ(4, grid->GetCurrentRow());
        EXPECT_EQ(c.value, choice(4)->value());
        EXPECT_EQ(c.value, grid->GetChoiceValue(4));
        EXPECT_EQ(c.colour, choice(4)->color());
        EXPECT_EQ(static_cast<Fl_Widget *>(title), Fl::focus());
        ASSERT_FALSE(edits.empty());
        EXPECT_EQ(std::make_pair(4, 0), edits.back());
    }
    // Typed into MB and Sec, the owner is told at every key.
    edits.clear();
    for (int col : {5, 6}) {
        Fl::focus(input(2, col));
        gui::send_key(win, '7', "7");
        EXPECT_EQ(std::make_pair(2, col), edits.back());
    }
    EXPECT_EQ(2u, edits.size());
}

} // namespace
