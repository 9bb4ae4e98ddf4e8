#include "grid/cg_headbtn.h"

#include <FL/Fl.H>

#include "grid/fltk_grid.h"

CgHeadBtn::CgHeadBtn(Fl_Fltkgrid *q, int x, int y, int w, int h, const char *str)
    : Fl_Button(x, y, w, h, str), m_gridLst(q)
{
}

CgHeadBtn::~CgHeadBtn() = default;

int CgHeadBtn::handle(int event)
{
    int ex = Fl::event_x();
    int ey = Fl::event_y();
    switch (event) {
    case FL_MOVE:
        m_gridLst->headClick(0, ex, ey);
        break;
    case FL_PUSH:
        m_gridLst->headClick(1, ex, ey);
        break;
    case FL_DRAG:
        m_gridLst->headClick(2, ex, ey);
        break;
    case FL_RELEASE:
        // A resize lasts one press of the mouse button; a later drag must
        // start from a fresh push on a border.
        m_gridLst->m_validMove = 0;
        break;
    case FL_LEAVE:
        m_gridLst->m_validMove = 0;
        m_gridLst->setHeadCursor(FL_CURSOR_DEFAULT);
        break;
    default:
        break;
    }
    return Fl_Button::handle(event);
}
