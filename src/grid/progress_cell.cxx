#include "grid/progress_cell.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

ProgressCell::ProgressCell(int x, int y, int w, int h, const char *label)
    : Fl_Input(x, y, w, h, label)
{
}

void ProgressCell::fraction(double f)
{
    if (!(f >= 0))
        f = -1;
    else if (f > 1)
        f = 1;
    if (f != m_fraction) {
        m_fraction = f;
        redraw();
    }
}

Fl_Color ProgressCell::BarColor() const
{
    uchar r, g, b;
    Fl::get_color(textcolor(), r, g, b);
    bool darkText = r * 299 + g * 587 + b * 114 < 128 * 1000;
    return fl_color_average(darkText ? FL_WHITE : FL_BLACK, color(), 0.45f);
}

void ProgressCell::draw()
{
    // Fl_Input_ repaints only the changed part of a text, in the cell's
    // colour, which would cut a gap into the bar: the cell is always drawn
    // whole.
    clear_damage(FL_DAMAGE_ALL);
    Fl_Boxtype b = box();
    draw_box(b, color());
    int X = x() + Fl::box_dx(b);
    int Y = y() + Fl::box_dy(b);
    int W = w() - Fl::box_dw(b);
    int H = h() - Fl::box_dh(b);
    int filled = m_fraction > 0 ? (int)(m_fraction * W + 0.5) : 0;
    if (filled > 0) {
        Fl_Color bar = BarColor();
        fl_color(active_r() ? bar : fl_inactive(bar));
        fl_rectf(X, Y, filled, H);
    }
    drawtext(X, Y, W, H);
}
