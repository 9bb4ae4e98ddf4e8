// TextTable: the job-table anchor of the benchmark, an Fl_Table_Row that
// holds eight texts per row and draws them, the status cell on its colour.
#pragma once
#include <FL/Fl_Table_Row.H>

#include <array>
#include <string>
#include <vector>

class TextTable : public Fl_Table_Row {
public:
    enum { COLS = 8 };

    TextTable(int x, int y, int w, int h);

    // Appends a row and returns its index (from 0).
    int AppendRow();
    void SetText(int row, int col, const char *text);
    void SetStatusColor(int row, Fl_Color c);

protected:
    void draw_cell(TableContext context, int R, int C, int X, int Y, int W, int H) override;

private:
    struct Row {
        std::array<std::string, COLS> texts;
        Fl_Color status = FL_WHITE;
    };
    std::vector<Row> m_rows;
};
