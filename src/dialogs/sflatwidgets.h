// The file dialog's two flat widgets: SMenubar, a white sunken drop-down
// selector with an engraved triangle, and SButton, an icon button that
// shows a raised frame only while the pointer is over it.
#pragma once
#include <FL/Fl_Button.H>
#include <FL/Fl_Menu_Button.H>

class SMenubar : public Fl_Menu_Button {
public:
    SMenubar(int X, int Y, int W, int H, const char *l = nullptr);
    ~SMenubar() override = default;

    // 1 when the event was used. Keys and focus are never taken.
    int handle(int e) override;

    using Fl_Menu_Button::value;
    // 1 when item v became the chosen item (a redraw is requested); 0 when
    // v is negative, the terminating item or past it, or already chosen.
    int value(int v);

protected:
    void draw() override;
};

class SButton : public Fl_Button {
public:
    SButton(int org_x, int org_y, int width, int height);
    ~SButton() override = default;

    int handle(int event) override;
};
