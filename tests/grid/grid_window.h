// A shown window holding an eight-column job table as the main window lays
// it out; its owner's edit callback notes each edit and hands the focus to
// the "LS-DYNA Location:" box, as the main window does.
#pragma once
#include <FL/Fl_Window.H>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "grid/fltk_grid.h"

class Fl_Box;
class Fl_Input;
class Fl_Choice;

struct GridWindow : ::testing::Test {
    enum { GX = 0, GY = 133, GW = 813, GH = 252, ROW_H = 20, COL_W = 70, COLS = 8 };

    Fl_Window *win = nullptr;
    Fl_Box *title = nullptr;
    Fl_Fltkgrid *grid = nullptr;
    std::vector<std::pair<int, int>> edits;  // (row, col) the user changed

    void SetUp() override;
    void TearDown() override;

    // Appends n rows; row r gets the texts "r<r>c<c>" and precision r % 2.
    void add_rows(int n);
    // The widget of a cell, found by creation order among the scroll's
    // children (rows are appended and only the last is ever removed).
    Fl_Widget *cell(int row, int col);
    Fl_Input *input(int row, int col);
    Fl_Choice *choice(int row);
    // Scrolls the content up by dy pixels. The scroll's own positions count
    // its frame, so they are only ever changed relatively.
    void scroll_by(int dy);
    // Cell widgets in the scroll, scrollbars not counted.
    int cell_count();
    // Writes a text of its own into every text cell through the grid, and
    // switches every choice off and on, checking that each reached the
    // widget at that place.
    void expect_cells_addressed();
    // Window y of a row's band top with the content unscrolled.
    static int row_y(int row) { return GY + row * ROW_H; }
};
