// The Status cell's progress bar: what it keeps, how it is drawn on a real
// X server, and that it follows its row's contents when rows move.
// GoogleTest before the toolkit's drawing header, whose X11 macros clash with it.
#include "grid_window.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <cmath>
#include <string>
#include <vector>

#include "grid/progress_cell.h"
#include "support/gui.h"

namespace {

enum { STATUS = 7 };

struct Rgb {
    uchar r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream &operator<<(std::ostream &os, const Rgb &c)
{
    return os << "rgb(" << (int)c.r << "," << (int)c.g << "," << (int)c.b << ")";
}

Rgb rgb_of(Fl_Color c)
{
    Rgb v;
    Fl::get_color(c, v.r, v.g, v.b);
    return v;
}

// The pixel at (dx, dy) of a widget as the X server shows it.
Rgb pixel_at(Fl_Widget *w, int dx, int dy)
{
    w->window()->make_current();
    uchar p[3];
    fl_read_image(p, w->x() + dx, w->y() + dy, 1, 1);
    return {p[0], p[1], p[2]};
}

TEST_F(GridWindow, StatusCellDrawsItsBarBehindTheText)
{
    add_rows(1);
    ProgressCell *cell = dynamic_cast<ProgressCell *>(input(1, STATUS));
    ASSERT_NE(nullptr, cell);
    ASSERT_EQ(1, grid->SetMatrixText(1, STATUS, "Running"));
    ASSERT_EQ(1, grid->SetMatrixColor(1, STATUS, 3));
    EXPECT_EQ(-1, cell->fraction());
    const Rgb back = rgb_of(cell->color());
    const Rgb bar = rgb_of(cell->BarColor());
    ASSERT_FALSE(back == bar);

    struct Case {
        double set, kept;
        bool leftFilled, rightFilled;
    } cases[] = {
        {0.5, 0.5, true, false}, {-1, -1, false, false}, {0, 0, false, false},
        {1, 1, true, true},      {1.7, 1, true, true},   {NAN, -1, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "fraction " << c.set);
        EXPECT_EQ(1, grid->SetMatrixProgress(1, STATUS, c.set));
        EXPECT_EQ(c.kept, cell->fraction());
        // Above the text, inside the frame: a quarter in, and at the right
        // end, once drawn (a loaded machine draws late).
        Rgb left = c.leftFilled ? bar : back, right = c.rightFilled ? bar : back;
        for (int i = 0; i < 100 && !(pixel_at(cell, cell->w() / 4, 2) == left &&
                                     pixel_at(cell, cell->w() - 3, 2) == right); i++)
            gui::wait_for(0.02);
        EXPECT_EQ(left, pixel_at(cell, cell->w() / 4, 2));
        EXPECT_EQ(right, pixel_at(cell, cell->w() - 3, 2));
    }
    EXPECT_STREQ("Running", cell->value());
}

TEST_F(GridWindow, ProgressFollowsItsRowAndOnlyStatusCellsTakeIt)
{
    add_rows(4);
    for (int r = 1; r <= 4; r++)
        ASSERT_EQ(1, grid->SetMatrixProgress(r, STATUS, r / 10.0));
    struct Bad {
        int row, col;
    } bad[] = {{0, STATUS}, {5, STATUS}, {1, 6}, {1, 0}, {1, STATUS + 1}};
    for (const Bad &b : bad)
        EXPECT_EQ(0, grid->SetMatrixProgress(b.row, b.col, 0.9)) << b.row << "," << b.col;

    // Each step leaves the rows holding the contents of these first rows.
    enum Move { UP, DOWN, DELETE };
    struct Step {
        Move move;
        int row;
        std::vector<int> rows;
    } steps[] = {
        {UP, 3, {1, 3, 2, 4}}, {DOWN, 1, {3, 1, 2, 4}}, {DELETE, 1, {1, 2, 4}}, {DELETE, 3, {1, 2}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(testing::Message() << "move " << s.move << " of row " << s.row);
        int done = s.move == UP     ? grid->UpRow(s.row)
                   : s.move == DOWN ? grid->DownRow(s.row)
                                    : grid->DeleteRow(s.row);
        ASSERT_EQ(1, done);
        ASSERT_EQ((int)s.rows.size(), grid->GetRows());
        for (int r = 1; r <= grid->GetRows(); r++) {
            int was = s.rows[(size_t)r - 1];
            std::string text = "r" + std::to_string(was) + "c7";
            EXPECT_STREQ(text.c_str(), grid->GetMatrixText(r, STATUS)) << "row " << r;
            auto *cell = dynamic_cast<ProgressCell *>(input(r, STATUS));
            ASSERT_NE(nullptr, cell);
            EXPECT_DOUBLE_EQ(was / 10.0, cell->fraction()) << "row " << r;
        }
    }
    ASSERT_EQ(3, grid->AppendRow());
    EXPECT_EQ(-1, dynamic_cast<ProgressCell *>(input(3, STATUS))->fraction());
}

} // namespace
