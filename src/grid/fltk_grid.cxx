#include "grid/fltk_grid.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

#include <cstring>
#include <new>

#include "grid/cg_headbtn.h"
#include "grid/progress_cell.h"

namespace {

enum {
    HEAD_WIDTH = 70,    // width of a freshly made column
    BORDER_ZONE = 9,    // reach of a column border on either side
    EDGE_STRIP = 30,    // the grid's right edge (scrollbar) takes no clicks
    DEFAULT_W = 8 * HEAD_WIDTH,
    DEFAULT_H = 200,
    SCRATCH_SIZE = 256,
    STATUS_COL = 7,     // its cells are ProgressCells
    INDEX_ROWS = 16     // the index's first size; it doubles from there
};

// The two items of every choice cell. One array serves every row: a menu
// of its own per row would cost an allocation and a parse per item.
const Fl_Menu_Item kPrecisions[] = {{"Single", 0, nullptr, nullptr, 0, 0, 0, 0, 0},
                                    {"Double", 0, nullptr, nullptr, 0, 0, 0, 0, 0},
                                    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0}};

void alloc_failed()
{
    // The alert leaves no group open; a caller still building its window
    // (the grid's own constructor runs inside one) must get its group back.
    Fl_Group *open = Fl_Group::current();
    fl_alert("%s", "Alloc Memory Failed!Program Exit!");
    Fl_Group::current(open);
}

Fl_Widget *cell_widget(const Fl_Fltkgrid::grid_col *c)
{
    switch (c->type) {
    case 0: return c->grid_widget.button;
    case 1: return c->grid_widget.input;
    case 2: return c->grid_widget.choice;
    default: break;
    }
    return nullptr;
}

// A never-chosen choice reports -1; FLTK clears it only through a null item.
void set_choice(Fl_Choice *c, int v)
{
    if (v < 0)
        c->value(static_cast<const Fl_Menu_Item *>(nullptr));
    else
        c->value(v);
}

void paint_choice(Fl_Choice *c, int v)
{
    c->color(v != 0 ? FL_MAGENTA : FL_CYAN);
    c->redraw();
}

// A cell too narrow for its text shows the text's start, as a table does.
void show_start(Fl_Input *in)
{
    in->position(0);
}

// Holds one cell's text while two cells trade theirs. The buffer is sized
// for the longest text up front, so an exchange either happens whole or,
// when that memory cannot be had, not at all.
class TextSwap {
public:
    explicit TextSwap(int longest) : m_heap(nullptr), m_buf(m_local)
    {
        if (longest >= SCRATCH_SIZE) {
            m_heap = new (std::nothrow) char[(size_t)longest + 1];
            m_buf = m_heap;
        }
    }
    ~TextSwap() { delete[] m_heap; }
    TextSwap(const TextSwap &) = delete;
    TextSwap &operator=(const TextSwap &) = delete;

    bool ok() const { return m_buf != nullptr; }

    void swap(Fl_Input *a, Fl_Input *b)
    {
        int len = a->size();
        memcpy(m_buf, a->value(), (size_t)len);
        a->value(b->value(), b->size());
        b->value(m_buf, len);
        show_start(a);
        show_start(b);
    }

private:
    char m_local[SCRATCH_SIZE];
    char *m_heap;
    char *m_buf;
};

int longest_text(const Fl_Fltkgrid::grid_row *row)
{
    int longest = 0;
    for (const Fl_Fltkgrid::grid_col *c = row->colhead; c; c = c->next)
        if (c->type == 1 && c->grid_widget.input->size() > longest)
            longest = c->grid_widget.input->size();
    return longest;
}

// Trades everything that belongs to the rows' contents: texts, progress,
// choice values with their colours, payloads. Text-cell colours and
// activation belong to the screen position and stay.
void exchange_rows(Fl_Fltkgrid::grid_row *a, Fl_Fltkgrid::grid_row *b, TextSwap &swap)
{
    Fl_Fltkgrid::grid_col *ca = a->colhead;
    Fl_Fltkgrid::grid_col *cb = b->colhead;
    for (; ca && cb; ca = ca->next, cb = cb->next) {
        if (ca->type == 1 && cb->type == 1) {
            swap.swap(ca->grid_widget.input, cb->grid_widget.input);
            ProgressCell *pa = dynamic_cast<ProgressCell *>(ca->grid_widget.input);
            ProgressCell *pb = dynamic_cast<ProgressCell *>(cb->grid_widget.input);
            if (pa && pb) {
                double fa = pa->fraction();
                pa->fraction(pb->fraction());
                pb->fraction(fa);
            }
        } else if (ca->type == 2 && cb->type == 2) {
            Fl_Choice *pa = ca->grid_widget.choice;
            Fl_Choice *pb = cb->grid_widget.choice;
            int va = pa->value();
            Fl_Color colour = pa->color();
            set_choice(pa, pb->value());
            pa->color(pb->color());
            set_choice(pb, va);
            pb->color(colour);
        }
    }
    row_data *pd = a->pdata;
    a->pdata = b->pdata;
    b->pdata = pd;
}

} // namespace

Fl_Fltkgrid::Fl_Fltkgrid(int x, int y, int w, int h, const char *label)
    : Fl_Group(x, y, w, h, label),
      m_originX(0), m_validMove(0), m_nMoveCol(0),
      m_nRows(0), m_nCols(0), m_nCurRow(-1), m_nCurCol(-1),
      m_fontsize(12), m_nheight(20), m_nactive(0),
      m_rowHead(nullptr), m_rowTail(nullptr), m_pScroll(nullptr),
      m_headCursor(FL_CURSOR_DEFAULT), m_rowIndex(nullptr), m_cellIndex(nullptr),
      m_nIndexRows(0)
{
    m_pScroll = new (std::nothrow) Fl_Scroll(x, y, w, h);
    if (m_pScroll) {
        m_pScroll->box(FL_DOWN_FRAME);
        m_pScroll->type(Fl_Scroll::BOTH_ALWAYS);
        m_pScroll->end();
        grid_row *head = new (std::nothrow) grid_row();
        if (head) {
            head->ntextsize = 12;
            m_rowHead = m_rowTail = head;
        }
        m_pScroll->redraw();
    }
    // Even a grid left without scroll or header must close its group, or the
    // caller's later widgets would land in it.
    end();
    if (!m_pScroll || !m_rowHead)
        alloc_failed();
}

Fl_Fltkgrid::Fl_Fltkgrid(int x, int y) : Fl_Fltkgrid(x, y, DEFAULT_W, DEFAULT_H)
{
}

Fl_Fltkgrid::~Fl_Fltkgrid()
{
    // The cell widgets go with the scroll in the group's own destruction.
    grid_row *row = m_rowHead;
    while (row) {
        grid_row *next = row->next;
        freeRow(row, false);
        row = next;
    }
    delete[] m_rowIndex;
    delete[] m_cellIndex;
}

int Fl_Fltkgrid::handle(int event)
{
    if (event == FL_PUSH) {
        gridClick(Fl::event_x(), Fl::event_y());
        // The right button selects like any push, then offers the owner's
        // menu instead of reaching the cell (a choice would open its own).
        if (Fl::event_button() == FL_RIGHT_MOUSE && m_contextCb) {
            m_contextCb(this, m_contextData);
            return 1;
        }
    }
    // A drop is the table's, not the cell's under the pointer: the drag is
    // taken here, and the paste that follows its release comes here.
    if (m_dropCb) {
        switch (event) {
        case FL_DND_ENTER:
        case FL_DND_DRAG:
        case FL_DND_LEAVE:
        case FL_DND_RELEASE:
            return 1;
        case FL_PASTE:
            m_dropCb(this, m_dropData);
            return 1;
        }
    }
    return Fl_Group::handle(event);
}

void Fl_Fltkgrid::SetDropHandler(Fl_Callback *cb, void *data)
{
    m_dropCb = cb;
    m_dropData = data;
}

void Fl_Fltkgrid::SetContextMenu(Fl_Callback *cb, void *data)
{
    m_contextCb = cb;
    m_contextData = data;
}

// How far the content has been scrolled from where it was laid out. The
// scroll's own xposition()/yposition() also count its frame, which would
// put new rows and the hit test a frame's width off, so the header row,
// laid out at the grid's corner, is the measure.
void Fl_Fltkgrid::scrollOffset(int *sx, int *sy) const
{
    *sx = *sy = 0;
    if (m_rowHead && m_rowHead->colhead) {
        const Fl_Widget *head = m_rowHead->colhead->grid_widget.button;
        *sx = x() - head->x();
        *sy = y() - head->y();
    }
}

Fl_Fltkgrid::grid_row *Fl_Fltkgrid::rowAt(int nRow) const
{
    if (nRow < 0 || nRow > m_nRows - 1)
        return nullptr;
    return m_rowIndex[nRow];
}

Fl_Fltkgrid::grid_row *Fl_Fltkgrid::dataRow(int nRow) const
{
    if (nRow < 1 || nRow > m_nRows - 1)
        return nullptr;
    return rowAt(nRow);
}

Fl_Fltkgrid::grid_col *Fl_Fltkgrid::cellAt(int nRow, int nCol) const
{
    if (nCol < 0 || nCol > m_nCols - 1 || !dataRow(nRow))
        return nullptr;
    return m_cellIndex[nRow * m_nCols + nCol];
}

Fl_Input *Fl_Fltkgrid::textCell(int nRow, int nCol) const
{
    grid_col *c = cellAt(nRow, nCol);
    return c && c->type == 1 ? c->grid_widget.input : nullptr;
}

Fl_Choice *Fl_Fltkgrid::choiceCell(int nRow) const
{
    grid_col *c = cellAt(nRow, 0);
    return c && c->type == 2 ? c->grid_widget.choice : nullptr;
}

bool Fl_Fltkgrid::reserveIndex(int nRows, int nCols)
{
    if (nRows <= m_nIndexRows)
        return true;
    int rows = m_nIndexRows > 0 ? m_nIndexRows : INDEX_ROWS;
    while (rows < nRows)
        rows *= 2;
    grid_row **rowIndex = new (std::nothrow) grid_row *[(size_t)rows];
    grid_col **cellIndex = new (std::nothrow) grid_col *[(size_t)rows * (size_t)nCols];
    if (!rowIndex || !cellIndex) {
        delete[] rowIndex;
        delete[] cellIndex;
        return false;
    }
    if (m_nIndexRows > 0) {
        memcpy(rowIndex, m_rowIndex, sizeof *rowIndex * (size_t)m_nIndexRows);
        memcpy(cellIndex, m_cellIndex, sizeof *cellIndex * (size_t)m_nIndexRows * (size_t)nCols);
    }
    delete[] m_rowIndex;
    delete[] m_cellIndex;
    m_rowIndex = rowIndex;
    m_cellIndex = cellIndex;
    m_nIndexRows = rows;
    return true;
}

void Fl_Fltkgrid::indexRow(int nRow, grid_row *row)
{
    m_rowIndex[nRow] = row;
    grid_col **cells = m_cellIndex + (size_t)nRow * (size_t)m_nCols;
    for (grid_col *c = row->colhead; c; c = c->next)
        *cells++ = c;
}

void Fl_Fltkgrid::freeCells(grid_row *row, bool bWidgets)
{
    grid_col *c = row->colhead;
    while (c) {
        grid_col *next = c->next;
        Fl_Widget *w = cell_widget(c);
        if (bWidgets && w) {
            m_pScroll->remove(w);
            delete w;
        }
        delete c;
        c = next;
    }
    row->colhead = row->coltail = row->colcurrent = nullptr;
}

void Fl_Fltkgrid::freeRow(grid_row *row, bool bWidgets)
{
    freeCells(row, bWidgets);
    delete row->pdata;
    delete row;
}

int Fl_Fltkgrid::SetCols(int nCols)
{
    if (m_nCols != 0 || nCols <= 0 || !m_rowTail || !m_pScroll)
        return 0;
    if (!reserveIndex(1, nCols)) {
        alloc_failed();
        return 0;
    }
    // The header row is the content's origin: it starts at the grid's
    // top-left corner whatever the scroll says.
    int gx = x();
    int gy = y() + m_nRows * m_nheight;
    // Cells are placed into the scroll by hand, whatever group the caller
    // may have open.
    Fl_Group *open = Fl_Group::current();
    Fl_Group::current(nullptr);
    bool ok = true;
    for (int i = 0; i < nCols; i++) {
        grid_col *c = new (std::nothrow) grid_col();
        if (!c) {
            ok = false;
            break;
        }
        c->type = 0;
        c->grid_widget.button = nullptr;
        c->datatype = 2;
        c->backcolor = FL_WHITE;
        c->textcolor = FL_BLACK;
        c->textsize = 12;
        c->align = FL_ALIGN_LEFT;
        c->nwidth = HEAD_WIDTH;
        if (m_rowHead->coltail)
            m_rowHead->coltail->next = c;
        else
            m_rowHead->colhead = m_rowHead->colcurrent = c;
        m_rowHead->coltail = c;

        CgHeadBtn *b = new (std::nothrow) CgHeadBtn(this, gx + i * HEAD_WIDTH, gy,
                                                    HEAD_WIDTH, m_nheight, "");
        if (!b) {
            ok = false;
            break;
        }
        b->labelsize(m_fontsize);
        m_pScroll->add(b);
        c->grid_widget.button = b;
    }
    Fl_Group::current(open);
    if (!ok) {
        // Without all its columns the table is unusable: take the partial
        // header back down and leave the grid as SetCols found it.
        freeCells(m_rowHead, true);
        alloc_failed();
        return 0;
    }
    m_nCols = nCols;
    indexRow(0, m_rowHead);
    m_nRows++;
    m_pScroll->redraw();
    return 1;
}

Fl_Fltkgrid::grid_col *Fl_Fltkgrid::newCell(int nCol, const grid_col *head, int nY)
{
    grid_col *c = new (std::nothrow) grid_col();
    if (!c)
        return nullptr;
    c->datatype = head->datatype;
    c->backcolor = head->backcolor;
    c->textcolor = head->textcolor;
    c->textsize = head->textsize;
    c->align = head->align;
    c->nwidth = head->nwidth;
    int cx = head->grid_widget.button->x();
    if (nCol == 0) {
        c->type = 2;
        c->grid_widget.choice = new (std::nothrow) Fl_Choice(cx, nY, c->nwidth, m_nheight);
        if (!c->grid_widget.choice) {
            delete c;
            return nullptr;
        }
        c->grid_widget.choice->menu(kPrecisions);
        // Setting a menu picks its first item; a new row shows none.
        set_choice(c->grid_widget.choice, -1);
        c->grid_widget.choice->callback(choice_cb, this);
        m_pScroll->add(c->grid_widget.choice);
    } else {
        c->type = 1;
        Fl_Input *in = nCol == STATUS_COL
                           ? new (std::nothrow) ProgressCell(cx, nY, c->nwidth, m_nheight, "")
                           : new (std::nothrow) Fl_Input(cx, nY, c->nwidth, m_nheight, "");
        if (!in) {
            delete c;
            return nullptr;
        }
        in->value("");
        in->textsize(m_fontsize);
        in->box(FL_THIN_DOWN_BOX);
        if (nCol == 5 || nCol == 6) {
            in->type(FL_INT_INPUT);
            in->callback(edit_cb, this);
            in->when(FL_WHEN_CHANGED);
        } else
            in->set_output();
        c->grid_widget.input = in;
        m_pScroll->add(in);
    }
    return c;
}

int Fl_Fltkgrid::AppendRow()
{
    if (!m_rowHead || !m_rowHead->colhead)
        return -1;
    if (!reserveIndex(m_nRows + 1, m_nCols)) {
        alloc_failed();
        return -1;
    }
    grid_row *row = new (std::nothrow) grid_row();
    if (!row) {
        alloc_failed();
        return -1;
    }
    row->ntextsize = m_fontsize;
    int sx, sy;
    scrollOffset(&sx, &sy);
    int ny = y() + m_nRows * m_nheight - sy;
    Fl_Group *open = Fl_Group::current();
    Fl_Group::current(nullptr);
    bool ok = true;
    int i = 0;
    for (const grid_col *head = m_rowHead->colhead; head; head = head->next, i++) {
        grid_col *c = newCell(i, head, ny);
        if (!c) {
            ok = false;
            break;
        }
        if (row->coltail)
            row->coltail->next = c;
        else
            row->colhead = row->colcurrent = c;
        row->coltail = c;
    }
    Fl_Group::current(open);
    if (!ok) {
        freeRow(row, true);
        alloc_failed();
        return -1;
    }
    m_rowTail->next = row;
    m_rowTail = row;
    indexRow(m_nRows, row);
    m_nRows++;
    m_pScroll->redraw();
    return m_nRows - 1;
}

void Fl_Fltkgrid::deleteLastRow()
{
    grid_row *last = m_rowTail;
    grid_row *prev = rowAt(m_nRows - 2);
    prev->next = nullptr;
    m_rowTail = prev;
    freeRow(last, true);
    m_nRows--;
    if (m_nCurRow >= m_nRows)
        SelectRow(m_nRows - 1);
    else
        SelectRow(m_nCurRow);
    m_pScroll->redraw();
}

int Fl_Fltkgrid::DeleteRow(int nRow)
{
    grid_row *row = dataRow(nRow);
    if (!row)
        return 0;
    if (nRow < m_nRows - 1) {
        int longest = 0;
        for (grid_row *r = row; r; r = r->next) {
            int len = longest_text(r);
            if (len > longest)
                longest = len;
        }
        TextSwap swap(longest);
        if (!swap.ok()) {
            alloc_failed();
            return 0;
        }
        // Through SelectRow, so a highlight on another row does not linger.
        SelectRow(nRow);
        for (grid_row *r = row; r->next; r = r->next)
            exchange_rows(r, r->next, swap);
    }
    deleteLastRow();
    return 1;
}

int Fl_Fltkgrid::changePosition(int nRow, int nFlag)
{
    int first;
    if (nFlag == 0 && nRow >= 2 && nRow <= m_nRows - 1)
        first = nRow - 1;
    else if (nFlag == 1 && nRow >= 1 && nRow <= m_nRows - 2)
        first = nRow;
    else
        return 0;
    grid_row *a = rowAt(first);
    if (!a || !a->next)
        return 0;
    int la = longest_text(a);
    int lb = longest_text(a->next);
    TextSwap swap(la > lb ? la : lb);
    if (!swap.ok()) {
        alloc_failed();
        return 0;
    }
    exchange_rows(a, a->next, swap);
    return 1;
}

int Fl_Fltkgrid::UpRow(int nRow)
{
    if (!changePosition(nRow, 0))
        return 0;
    SelectRow(nRow - 1);
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::DownRow(int nRow)
{
    if (!changePosition(nRow, 1))
        return 0;
    SelectRow(nRow + 1);
    m_pScroll->redraw();
    return 1;
}

// The highlight covers the four cells after the choice cell.
void Fl_Fltkgrid::paintSelection(int nRow, bool on)
{
    for (int col = 1; col <= 4; col++)
        if (Fl_Input *in = textCell(nRow, col)) {
            in->color(on ? FL_DARK_BLUE : FL_WHITE);
            in->textcolor(on ? FL_WHITE : FL_BLACK);
        }
}

void Fl_Fltkgrid::SelectRow(int nRow)
{
    if (!dataRow(nRow))
        return;
    paintSelection(m_nCurRow, false);
    paintSelection(nRow, true);
    m_nCurRow = nRow;
    m_pScroll->redraw();
}

int Fl_Fltkgrid::SetColWidth(int nCol, int nWidth)
{
    if (nCol < 0 || nCol > m_nCols - 1 || nWidth <= 0)
        return 0;
    for (grid_row *row = m_rowHead; row; row = row->next) {
        int delta = 0;
        int col = 0;
        for (grid_col *c = row->colhead; c; c = c->next, col++) {
            Fl_Widget *w = cell_widget(c);
            if (col == nCol) {
                delta = nWidth - c->nwidth;
                c->nwidth = nWidth;
                w->resize(w->x(), w->y(), nWidth, m_nheight);
            } else if (col > nCol) {
                w->resize(w->x() + delta, w->y(), w->w(), m_nheight);
            } else {
                continue;
            }
            w->redraw();
        }
    }
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::GetColWidth(int nCol)
{
    if (nCol < 0 || nCol > m_nCols - 1)
        return 0;
    return m_cellIndex[nCol]->nwidth;
}

int Fl_Fltkgrid::SetHeaderText(int col, const char *str)
{
    if (col < 0 || col > m_nCols - 1 || !str)
        return 0;
    grid_col *c = m_cellIndex[col];
    if (c->type != 0)
        return 0;
    c->grid_widget.button->label(str);
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::SetMatrixText(int row, int col, const char *str)
{
    Fl_Input *in = textCell(row, col);
    if (!in || !str)
        return 0;
    in->value(str);
    show_start(in);
    m_pScroll->redraw();
    return 1;
}

char *Fl_Fltkgrid::GetMatrixText(int row, int col)
{
    Fl_Input *in = textCell(row, col);
    // The interface hands out char* for its callers' sake; nobody writes
    // through it.
    return in ? const_cast<char *>(in->value()) : nullptr;
}

int Fl_Fltkgrid::SetMatrixColor(int row, int col, int nColor)
{
    Fl_Input *in = textCell(row, col);
    if (!in)
        return 0;
    in->color((Fl_Color)nColor);
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::SetMatrixTextColor(int row, int col, int nColor)
{
    Fl_Input *in = textCell(row, col);
    if (!in)
        return 0;
    in->textcolor((Fl_Color)nColor);
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::SetMatrixProgress(int row, int col, double fraction)
{
    ProgressCell *cell = dynamic_cast<ProgressCell *>(textCell(row, col));
    if (!cell)
        return 0;
    // The cell redraws itself when its bar changes: a check that sets every
    // running row costs no redrawing of the whole table.
    cell->fraction(fraction);
    return 1;
}

int Fl_Fltkgrid::SetMatrixActivate(int row, int col)
{
    Fl_Input *in = textCell(row, col);
    if (!in)
        return 0;
    in->activate();
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::SetMatrixDeactivate(int row, int col)
{
    Fl_Input *in = textCell(row, col);
    if (!in)
        return 0;
    in->deactivate();
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::SetChoiceValue(int row, int iVal)
{
    Fl_Choice *c = choiceCell(row);
    if (!c || iVal < 0 || iVal > 1)
        return 0;
    c->value(iVal);
    paint_choice(c, iVal);
    m_pScroll->redraw();
    return 1;
}

int Fl_Fltkgrid::GetChoiceValue(int row)
{
    Fl_Choice *c = choiceCell(row);
    if (!c || c->value() < 0)
        return 0;
    return c->value();
}

int Fl_Fltkgrid::SetChoiceActivate(int row, int bActive)
{
    Fl_Choice *c = choiceCell(row);
    if (!c)
        return 0;
    if (bActive == 1)
        c->activate();
    else
        c->deactivate();
    m_pScroll->redraw();
    return 1;
}

void Fl_Fltkgrid::SetRowData(int row, row_data *pd)
{
    grid_row *r = dataRow(row);
    if (!r || !pd || r->pdata == pd)
        return;
    delete r->pdata;
    r->pdata = pd;
}

row_data *Fl_Fltkgrid::GetRowData(int row)
{
    grid_row *r = dataRow(row);
    return r ? r->pdata : nullptr;
}

int Fl_Fltkgrid::GetRows()
{
    return m_nRows - 1;
}

int Fl_Fltkgrid::GetCols()
{
    return m_nCols;
}

int Fl_Fltkgrid::GetCurrentRow()
{
    return m_nCurRow;
}

int Fl_Fltkgrid::GetCurrentCol()
{
    return m_nCurCol;
}

Fl_Scroll *Fl_Fltkgrid::GetScroll()
{
    return m_pScroll;
}

int Fl_Fltkgrid::SetCurrentRow(int nRow)
{
    if (nRow <= 0)
        return 0;
    m_nCurRow = nRow;
    return 1;
}

int Fl_Fltkgrid::SetCurrentCol(int nCol)
{
    if (nCol < 0)
        return 0;
    m_nCurCol = nCol;
    return 1;
}

int Fl_Fltkgrid::SetRowHeight(int nHeight)
{
    if (nHeight <= 0)
        return 0;
    m_nheight = nHeight;
    return 1;
}

int Fl_Fltkgrid::SetFontSize(int size)
{
    if (size < 0)
        return 0;
    m_fontsize = size;
    return 1;
}

void Fl_Fltkgrid::SetActive(int num)
{
    m_nactive = num;
}

int Fl_Fltkgrid::getRowCol(int rx, int ry, int *row, int *col)
{
    *row = -1;
    *col = -1;
    if (ry < y())
        return 0;
    *row = (ry - y() - 1) / m_nheight;

    int right = x();
    int i = 0;
    int cw = 0;
    const grid_col *c = m_rowHead ? m_rowHead->colhead : nullptr;
    for (; c; c = c->next, i++) {
        cw = c->grid_widget.button->w();
        right += cw;
        if (right >= rx)
            break;
    }
    if (i == 0 && !c)
        return 1;  // no columns, no borders
    if (!c) {
        // Past the last column only the last border can be near.
        if (rx - right <= BORDER_ZONE)
            *col = i - 1;
        return 1;
    }
    if (right - rx <= BORDER_ZONE)
        *col = i;
    else if (rx - (right - cw) <= BORDER_ZONE)
        *col = i - 1;
    return 1;
}

int Fl_Fltkgrid::headClick(int type, int rx, int ry)
{
    if (x() + w() - rx < EDGE_STRIP)
        return 0;
    int sx, sy;
    scrollOffset(&sx, &sy);
    int row, col;
    switch (type) {
    case 0:
        getRowCol(rx + sx, ry + sy, &row, &col);
        setHeadCursor(row == 0 && col != -1 ? FL_CURSOR_WE : FL_CURSOR_DEFAULT);
        break;
    case 1:
        getRowCol(rx + sx, ry + sy, &row, &col);
        if (row == 0 && col != -1) {
            m_nMoveCol = col;
            m_validMove = 1;
            m_originX = rx;
            setHeadCursor(FL_CURSOR_WE);
        } else {
            // A press away from every border must not let a following drag
            // resize the column armed before.
            m_validMove = 0;
        }
        break;
    case 2:
        if (m_validMove == 1) {
            SetColWidth(m_nMoveCol, GetColWidth(m_nMoveCol) + rx - m_originX);
            m_originX = rx;
        }
        break;
    default:
        break;
    }
    return 1;
}

int Fl_Fltkgrid::gridClick(int rx, int ry)
{
    if (x() + w() - rx < EDGE_STRIP)
        return 0;
    if (int row = PointRow(rx, ry))
        SelectRow(row);
    return 1;
}

void Fl_Fltkgrid::choice_cb(Fl_Widget *w, void *data)
{
    static_cast<Fl_Fltkgrid *>(data)->real_choice_cb(w);
}

void Fl_Fltkgrid::real_choice_cb(Fl_Widget *w)
{
    Fl_Choice *c = static_cast<Fl_Choice *>(w);
    paint_choice(c, c->value());
    int row, col;
    if (m_editCb && findCell(w, 0, 0, &row, &col))
        m_editCb(row, col, m_editData);
}

void Fl_Fltkgrid::edit_cb(Fl_Widget *w, void *data)
{
    Fl_Fltkgrid *grid = static_cast<Fl_Fltkgrid *>(data);
    int row, col;
    if (grid->m_editCb && grid->findCell(w, 5, 6, &row, &col))
        grid->m_editCb(row, col, grid->m_editData);
}

bool Fl_Fltkgrid::findCell(const Fl_Widget *w, int firstCol, int lastCol, int *row, int *col) const
{
    // A cell keeps its place: rows exchange contents, never widgets.
    for (int r = 1; r < m_nRows; r++) {
        for (int c = firstCol; c <= lastCol && c < m_nCols; c++) {
            if (cell_widget(m_cellIndex[r * m_nCols + c]) == w) {
                *row = r;
                *col = c;
                return true;
            }
        }
    }
    return false;
}

void Fl_Fltkgrid::SetEditCallback(void (*cb)(int row, int col, void *data), void *data)
{
    m_editCb = cb;
    m_editData = data;
}

int Fl_Fltkgrid::PointRow(int x0, int y0)
{
    if (x() + w() - x0 < EDGE_STRIP)
        return 0;
    int sx, sy;
    scrollOffset(&sx, &sy);
    int row, col;
    getRowCol(x0 + sx, y0 + sy, &row, &col);
    return row > 0 && row < m_nRows ? row : 0;
}

void Fl_Fltkgrid::setHeadCursor(Fl_Cursor c)
{
    m_headCursor = c;
    if (Fl_Window *win = window())
        win->cursor(c, FL_BLACK, FL_WHITE);
}

Fl_Cursor Fl_Fltkgrid::GetHeadCursor() const
{
    return m_headCursor;
}
