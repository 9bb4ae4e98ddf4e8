#include "grid_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Scroll.H>

#include <string>

#include "support/gui.h"

void GridWindow::SetUp()
{
    win = new Fl_Window(0, 0, 813, 400, "grid test");
    title = new Fl_Box(10, 10, 150, 20, "LS-DYNA Location:");
    grid = new Fl_Fltkgrid(GX, GY, GW, GH);
    win->end();
    grid->SetEditCallback(
        [](int row, int col, void *data) {
            GridWindow *t = static_cast<GridWindow *>(data);
            t->edits.push_back({row, col});
            Fl::focus(t->title);
        },
        this);
    ASSERT_EQ(1, grid->SetCols(COLS));
    win->show();
    gui::settle();
}

void GridWindow::TearDown()
{
    delete win;
    gui::settle();
}

void GridWindow::add_rows(int n)
{
    for (int i = 0; i < n; i++) {
        int r = grid->AppendRow();
        ASSERT_EQ(grid->GetRows(), r);
        for (int c = 1; c < COLS; c++) {
            std::string text = "r" + std::to_string(r) + "c" + std::to_string(c);
            ASSERT_EQ(1, grid->SetMatrixText(r, c, text.c_str()));
        }
        ASSERT_EQ(1, grid->SetChoiceValue(r, r % 2));
    }
}

Fl_Widget *GridWindow::cell(int row, int col)
{
    Fl_Scroll *s = grid->GetScroll();
    int want = row * COLS + col;
    for (int i = 0; i < s->children(); i++) {
        Fl_Widget *w = s->child(i);
        if (w == &s->scrollbar || w == &s->hscrollbar)
            continue;
        if (want-- == 0)
            return w;
    }
    return nullptr;
}

Fl_Input *GridWindow::input(int row, int col)
{
    return dynamic_cast<Fl_Input *>(cell(row, col));
}

Fl_Choice *GridWindow::choice(int row)
{
    return dynamic_cast<Fl_Choice *>(cell(row, 0));
}

void GridWindow::scroll_by(int dy)
{
    Fl_Scroll *s = grid->GetScroll();
    s->scroll_to(s->xposition(), s->yposition() + dy);
}

int GridWindow::cell_count()
{
    Fl_Scroll *s = grid->GetScroll();
    int n = 0;
    for (int i = 0; i < s->children(); i++)
        if (s->child(i) != &s->scrollbar && s->child(i) != &s->hscrollbar)
            n++;
    return n;
}

void GridWindow::expect_cells_addressed()
{
    for (int r = 1; r <= grid->GetRows(); r++) {
        SCOPED_TRACE(testing::Message() << "row " << r);
        for (int c = 1; c < COLS; c++) {
            std::string text = "at" + std::to_string(r) + "," + std::to_string(c);
            ASSERT_EQ(1, grid->SetMatrixText(r, c, text.c_str()));
            ASSERT_STREQ(text.c_str(), input(r, c)->value()) << "col " << c;
        }
        ASSERT_EQ(1, grid->SetChoiceActivate(r, 0));
        EXPECT_FALSE(choice(r)->active());
        ASSERT_EQ(1, grid->SetChoiceActivate(r, 1));
        EXPECT_TRUE(choice(r)->active());
    }
}
