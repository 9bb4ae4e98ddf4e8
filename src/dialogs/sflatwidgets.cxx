#include "dialogs/sflatwidgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/fl_draw.H>

SMenubar::SMenubar(int X, int Y, int W, int H, const char *l) : Fl_Menu_Button(X, Y, W, H, l)
{
    align(FL_ALIGN_LEFT);
    when(FL_WHEN_RELEASE);
    textfont(FL_HELVETICA);
    box(FL_DOWN_BOX);
    color(FL_WHITE);
}

void SMenubar::draw()
{
    // Pop-up-only menu buttons are invisible.
    if (box() == FL_NO_BOX || type() != 0)
        return;
    draw_box(box(), color());
    if (box() == FL_FLAT_BOX)
        return;

    int H = (labelsize() - 3) & -2;
    int X = x() + w() - 2 * H;
    int Y = y() + (h() - H) / 2;
    fl_color(FL_DARK3);
    fl_line(X + H / 2, Y + H, X, Y, X + H, Y);
    fl_color(FL_LIGHT3);
    fl_line(X + H, Y, X + H / 2, Y + H);

    if (const Fl_Menu_Item *chosen = mvalue()) {
        Fl_Menu_Item m = *chosen;
        if (active_r())
            m.activate();
        else
            m.deactivate();
        int BW = Fl::box_dx(box());
        fl_push_clip(x(), y(), w() - 3 * H, h());
        fl_draw_shortcut = 2;
        m.draw(x() + BW, y(), w() - 2 * BW - 3 * H, h(), this);
        fl_draw_shortcut = 0;
        fl_pop_clip();
    }
    draw_label();
}

int SMenubar::handle(int e)
{
    if (!menu() || !menu()->text)
        return 0;
    switch (e) {
    case FL_PUSH:
        if (!box()) {
            if (Fl::event_button() != 3)
                return 0;
        } else if (type()) {
            int b = Fl::event_button();
            if (b < 1 || b > 8 || !(type() & (1 << (b - 1))))
                return 0;
        }
        popup();
        return 1;
    case FL_ENTER:
    case FL_LEAVE:
        return (box() && !type()) ? 1 : 0;
    case FL_SHORTCUT:
        if (Fl_Widget::test_shortcut()) {
            popup();
            return 1;
        }
        return test_shortcut() != nullptr;
    default:
        return 0;
    }
}

int SMenubar::value(int v)
{
    // size() counts the terminating empty item too.
    if (v < 0 || v >= size() - 1)
        return 0;
    if (!Fl_Menu_::value(v))
        return 0;
    redraw();
    return 1;
}

SButton::SButton(int org_x, int org_y, int width, int height)
    : Fl_Button(org_x, org_y, width, height)
{
    box(FL_FLAT_BOX);
}

int SButton::handle(int event)
{
    if (event == FL_ENTER) {
        box(FL_UP_BOX);
        redraw();
    } else if (event == FL_LEAVE) {
        box(FL_FLAT_BOX);
        redraw();
    }
    return Fl_Button::handle(event);
}
