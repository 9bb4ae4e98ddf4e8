// Fl_Fltkgrid: the job table widget. A header row of buttons and data rows
// of FLTK cells inside one scroll: a "Single"/"Double" choice in column 0,
// editable integer fields in columns 5 and 6, read-only text elsewhere;
// column 7, the status, draws its job's progress behind its text. Rows move
// by exchanging their contents; each row may own a row_data.
#pragma once
#include <FL/Fl_Group.H>

#include "grid/row_data.h"

class Fl_Box;
class Fl_Button;
class Fl_Choice;
class Fl_Input;
class Fl_Scroll;
class Fl_Widget;

class Fl_Fltkgrid : public Fl_Group {
    friend class CgHeadBtn;

public:
    struct grid_col {
        int type;  // 0 header cell, 1 text cell, 2 choice cell
        union {
            Fl_Input *input;
            Fl_Button *button;
            Fl_Choice *choice;
        } grid_widget;
        int datatype;
        int backcolor;
        int textcolor;
        int textsize;
        int align;
        int nwidth;
        grid_col *next;
    };
    struct grid_row {
        int ntextsize;
        grid_col *colhead;
        grid_col *coltail;
        grid_col *colcurrent;
        row_data *pdata;
        grid_row *next;
    };

    Fl_Fltkgrid(int x, int y, int w, int h, const char *label = nullptr);
    // A grid of the default size, 560 x 200: eight 70-pixel columns wide.
    Fl_Fltkgrid(int x, int y);
    ~Fl_Fltkgrid() override;

    int handle(int event) override;

    // Builds the header row once; 0 when columns are already set or nCols <= 0.
    int SetCols(int nCols);
    // Index of the new data row, or -1 before SetCols or when memory ran out.
    int AppendRow();
    int DeleteRow(int nRow);
    int UpRow(int nRow);
    int DownRow(int nRow);
    void SelectRow(int nRow);
    int SetColWidth(int nCol, int nWidth);
    int GetColWidth(int nCol);
    // str is kept, not copied: it must live as long as the grid.
    int SetHeaderText(int col, const char *str);
    int SetMatrixText(int row, int col, const char *str);
    // The cell's own text, valid until that cell's text next changes; null
    // for a bad index or a cell that is not a text cell.
    char *GetMatrixText(int row, int col);
    int SetMatrixColor(int row, int col, int nColor);
    int SetMatrixTextColor(int row, int col, int nColor);
    // The share of a status cell's bar, as ProgressCell::fraction takes it
    // (negative: no bar). 0 for a bad index or a cell of another column.
    int SetMatrixProgress(int row, int col, double fraction);
    int SetMatrixActivate(int row, int col);
    int SetMatrixDeactivate(int row, int col);
    // iVal is 0 ("Single") or 1 ("Double"); other values are rejected.
    int SetChoiceValue(int row, int iVal);
    // 0 also for a choice that was never set.
    int GetChoiceValue(int row);
    int SetChoiceActivate(int row, int bActive);
    // pd must come from new: the grid deletes it with its row or itself.
    void SetRowData(int row, row_data *pd);
    row_data *GetRowData(int row);

    int GetRows();
    int GetCols();
    int GetCurrentRow();
    int GetCurrentCol();
    Fl_Scroll *GetScroll();
    int SetCurrentRow(int nRow);
    int SetCurrentCol(int nCol);
    int SetRowHeight(int nHeight);
    int SetFontSize(int size);
    void SetActive(int num);

    // Pointer handling; rx, ry are window coordinates. Both return 0 when
    // the point lies in the 29-pixel strip at the grid's right edge.
    int headClick(int type, int rx, int ry);  // type 0 move, 1 push, 2 drag
    int gridClick(int rx, int ry);
    // Hit test in scrolled-content coordinates: the row under the point and
    // the column whose right border lies within 9 pixels, else -1. 0 when
    // ry lies above the grid.
    int getRowCol(int rx, int ry, int *row, int *col);
    static void choice_cb(Fl_Widget *w, void *data);
    // cb(row, col, data) runs when the user changes an editable cell: picks
    // a precision (col 0) or types into MB or Sec (cols 5 and 6). The owner
    // keeps the value, and takes the keyboard focus after a pick.
    void SetEditCallback(void (*cb)(int row, int col, void *data), void *data);
    // The data row under window point (x, y), or 0 (the header, no row, the
    // right-edge strip).
    int PointRow(int x, int y);
    // cb(grid, data) runs on a push of the right mouse button, once the
    // push has selected the row under it; the owner shows its menu there.
    void SetContextMenu(Fl_Callback *cb, void *data);
    // cb(grid, data) runs when something is dragged onto the grid and
    // dropped; Fl::event_text() then holds what was dropped. Without it the
    // cells take drops as inputs do.
    void SetDropHandler(Fl_Callback *cb, void *data);

    // The pointer shape the header cells last asked for (FL_CURSOR_DEFAULT
    // or FL_CURSOR_WE).
    Fl_Cursor GetHeadCursor() const;

    // Column resizing state, driven by the header cells.
    int m_originX;
    int m_validMove;
    int m_nMoveCol;

private:
    // Exchanges the contents of two neighbouring rows; nFlag 0 up, 1 down.
    int changePosition(int nRow, int nFlag);

    void real_choice_cb(Fl_Widget *w);
    static void edit_cb(Fl_Widget *w, void *data);
    // The row and column of a cell widget; false for none of this grid's.
    bool findCell(const Fl_Widget *w, int firstCol, int lastCol, int *row, int *col) const;
    void setHeadCursor(Fl_Cursor c);
    void scrollOffset(int *sx, int *sy) const;
    grid_row *rowAt(int nRow) const;
    grid_row *dataRow(int nRow) const;
    grid_col *cellAt(int nRow, int nCol) const;
    Fl_Input *textCell(int nRow, int nCol) const;
    Fl_Choice *choiceCell(int nRow) const;
    grid_col *newCell(int nCol, const grid_col *head, int nY);
    void freeCells(grid_row *row, bool bWidgets);
    void freeRow(grid_row *row, bool bWidgets);
    void deleteLastRow();
    // Room in the index for nRows rows of nCols cells; false, with the
    // index as it was, when memory ran out.
    bool reserveIndex(int nRows, int nCols);
    void indexRow(int nRow, grid_row *row);
    void paintSelection(int nRow, bool on);

    int m_nRows;
    int m_nCols;
    int m_nCurRow;
    int m_nCurCol;
    int m_fontsize;
    int m_nheight;
    int m_nactive;
    grid_row *m_rowHead;
    grid_row *m_rowTail;
    Fl_Scroll *m_pScroll;
    Fl_Cursor m_headCursor;
    // Beside the lists, so that finding a row or cell walks nothing: rows by
    // index, and cells at row * m_nCols + column. Entries past the last row
    // are stale.
    grid_row **m_rowIndex;
    grid_col **m_cellIndex;
    int m_nIndexRows;  // rows the index has room for
    Fl_Callback *m_contextCb = nullptr;
    void *m_contextData = nullptr;
    void (*m_editCb)(int row, int col, void *data) = nullptr;
    void *m_editData = nullptr;
    Fl_Callback *m_dropCb = nullptr;
    void *m_dropData = nullptr;
};
