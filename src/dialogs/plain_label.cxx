#include "dialogs/plain_label.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/fl_draw.H>

namespace {

void draw_plain(const Fl_Label *o, int X, int Y, int W, int H, Fl_Align align)
{
    // Menus set the shortcut flag around every item they draw.
    char shortcut = fl_draw_shortcut;
    fl_draw_shortcut = 0;
    fl_font(o->font, o->size);
    fl_color((Fl_Color)o->color);
    fl_draw(o->value, X, Y, W, H, align, o->image, 0);
    fl_draw_shortcut = shortcut;
}

void measure_plain(const Fl_Label *o, int &W, int &H)
{
    char shortcut = fl_draw_shortcut;
    fl_draw_shortcut = 0;
    fl_font(o->font, o->size);
    fl_measure(o->value, W, H, 0);
    fl_draw_shortcut = shortcut;
    if (o->image) {
        if (o->image->w() > W)
            W = o->image->w();
        H += o->image->h();
    }
}

} // namespace

Fl_Labeltype PlainLabel_Type()
{
    static bool registered = false;
    if (!registered) {
        Fl::set_labeltype(FL_FREE_LABELTYPE, draw_plain, measure_plain);
        registered = true;
    }
    return FL_FREE_LABELTYPE;
}

void PlainLabel_Escape(const char *text, char *out, size_t size)
{
    if (!out || size == 0)
        return;
    size_t n = 0;
    for (const char *c = text ? text : ""; *c; c++) {
        size_t need = *c == '@' ? 2 : 1;
        if (n + need >= size)
            break;
        out[n++] = *c;
        if (*c == '@')
            out[n++] = '@';
    }
    out[n] = '\0';
}
