#include "text_table.h"

#include <FL/fl_draw.H>

namespace {
const char *const kHeaders[TextTable::COLS] = {"Precision", "File Name", "In Folder", "Size",
                                               "Type",      "MB",        "Sec",       "Status"};
}

TextTable::TextTable(int x, int y, int w, int h) : Fl_Table_Row(x, y, w, h)
{
    cols(COLS);
    col_header(1);
    col_header_height(20);
    row_height_all(20);
    end();
}

int TextTable::AppendRow()
{
    m_rows.emplace_back();
    rows((int)m_rows.size());
    return (int)m_rows.size() - 1;
}

void TextTable::SetText(int row, int col, const char *text)
{
    m_rows[(size_t)row].texts[(size_t)col] = text;
    redraw();
}

void TextTable::SetStatusColor(int row, Fl_Color c)
{
    m_rows[(size_t)row].status = c;
    redraw();
}

void TextTable::draw_cell(TableContext context, int R, int C, int X, int Y, int W, int H)
{
    switch (context) {
    case CONTEXT_STARTPAGE:
        fl_font(FL_HELVETICA, 12);
        return;
    case CONTEXT_COL_HEADER:
        fl_push_clip(X, Y, W, H);
        fl_draw_box(FL_UP_BOX, X, Y, W, H, FL_BACKGROUND_COLOR);
        fl_color(FL_BLACK);
        fl_draw(kHeaders[C], X, Y, W, H, FL_ALIGN_CENTER);
        fl_pop_clip();
        return;
    case CONTEXT_CELL: {
        const Row &row = m_rows[(size_t)R];
        fl_push_clip(X, Y, W, H);
        fl_draw_box(FL_THIN_DOWN_BOX, X, Y, W, H, C == COLS - 1 ? row.status : FL_WHITE);
        fl_color(FL_BLACK);
        fl_draw(row.texts[(size_t)C].c_str(), X + 3, Y, W - 6, H, FL_ALIGN_LEFT);
        fl_pop_clip();
        return;
    }
    default:
        return;
    }
}
