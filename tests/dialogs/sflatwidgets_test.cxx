#include "dialogs/sflatwidgets.h"

#include "filedialog_fixture.h"
#include "support/gui.h"

// Before the X11 headers (through fl_draw.H), whose macros clash with it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <memory>
#include <vector>

namespace {

// A window that can be drawn into an offscreen image.
struct PaintWindow : Fl_Window {
    using Fl_Window::Fl_Window;
    void paint()
    {
        damage(FL_DAMAGE_ALL);
        draw();
        clear_damage();
    }
};

Snapshot shot(PaintWindow *win)
{
    return Snapshot(win, [win]() { win->paint(); });
}

Fl_Menu_Item long_items[] = {
    {"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", 0, nullptr, nullptr, 0, 0, 0, 14, 0},
    {"Second", 0, nullptr, nullptr, 0, 0, 0, 14, 0},
    {nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
};

struct MenuWindow {
    std::unique_ptr<PaintWindow> win{new PaintWindow(50, 50, 220, 60)};
    SMenubar *menu;
    explicit MenuWindow(int labelsize = 14)
    {
        menu = new SMenubar(10, 10, 150, 30);
        menu->labelsize(labelsize);
        win->end();
        win->show();
        EXPECT_TRUE(gui::wait_drawn(win.get()));
    }
};

TEST(SMenubar, ConstructedAsAWhiteSunkenSelector)
{
    SMenubar m(0, 0, 100, 20, "Look");
    EXPECT_EQ(FL_ALIGN_LEFT, m.align());
    EXPECT_EQ(FL_WHEN_RELEASE, m.when());
    EXPECT_EQ(FL_HELVETICA, m.textfont());
    EXPECT_EQ(FL_DOWN_BOX, m.box());
    EXPECT_EQ(FL_WHITE, m.color());
    EXPECT_STREQ("Look", m.label());
}

TEST(SMenubar, DrawsAnEngravedTriangleAndClipsTheItemText)
{
    struct Case {
        int labelsize, H;
    } cases[] = {{14, 10}, {12, 8}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.labelsize);
        MenuWindow mw(c.labelsize);
        mw.menu->menu(long_items);
        Snapshot s = shot(mw.win.get());
        const int X = 10 + 150 - 2 * c.H, Y = 10 + (30 - c.H) / 2;
        const unsigned dark3 = rgb_of(FL_DARK3), light3 = rgb_of(FL_LIGHT3);
        EXPECT_EQ(dark3, s.pixel(X, Y));
        EXPECT_EQ(dark3, s.pixel(X + c.H / 2, Y));
        EXPECT_EQ(dark3, s.pixel(X + c.H - 1, Y));
        EXPECT_EQ(light3, s.pixel(X + c.H, Y));
        EXPECT_EQ(light3, s.pixel(X + c.H / 2, Y + c.H));
        EXPECT_EQ(rgb_of(FL_WHITE), s.pixel(X + c.H / 2, Y + 2));
        EXPECT_EQ(rgb_of(FL_WHITE), s.pixel(X + c.H + 2, Y));
        EXPECT_EQ(rgb_of(FL_WHITE), s.pixel(X - 2, Y));

        // Text pixels stop where the clip starts, 3H before the right edge.
        const int clip = 10 + 150 - 3 * c.H;
        int before = 0, after = 0;
        for (int y = 13; y < 37; y++) {
            for (int x = clip - 20; x < clip; x++)
                before += s.dark(x, y);
            for (int x = clip; x < X - 1; x++)
                after += s.dark(x, y);
        }
        EXPECT_GT(before, 0);
        EXPECT_EQ(0, after);
    }
}

TEST(SMenubar, FlatBoxNoChoiceAndPopUpTypes)
{
    MenuWindow mw;
    mw.menu->add("Only");  // added items leave nothing chosen
    ASSERT_EQ(nullptr, mw.menu->mvalue());
    Snapshot empty = shot(mw.win.get());
    int text = 0;
    for (int y = 13; y < 37; y++)
        for (int x = 14; x < 120; x++)
            text += empty.dark(x, y);
    EXPECT_EQ(0, text);
    EXPECT_EQ(rgb_of(FL_DARK3), empty.pixel(140, 20));

    mw.menu->value(0);
    mw.menu->box(FL_FLAT_BOX);
    Snapshot flat = shot(mw.win.get());
    for (int y = 10; y < 40; y++)
        for (int x = 10; x < 160; x++)
            ASSERT_EQ(rgb_of(FL_WHITE), flat.pixel(x, y)) << x << "," << y;

    mw.menu->box(FL_DOWN_BOX);
    mw.menu->type(Fl_Menu_Button::POPUP1);
    mw.win->color(FL_RED);
    Snapshot hidden = shot(mw.win.get());
    EXPECT_EQ(rgb_of(FL_RED), hidden.pixel(140, 20));
    EXPECT_EQ(rgb_of(FL_RED), hidden.pixel(80, 25));
}

TEST(SMenubar, ValueChangesOnlyToAnotherRealItem)
{
    MenuWindow mw;
    mw.menu->menu(long_items);
    ASSERT_EQ(0, mw.menu->value());
    ASSERT_TRUE(gui::wait_drawn(mw.win.get()));
    ASSERT_EQ(0, mw.menu->damage());
    EXPECT_EQ(0, mw.menu->value(-1));
    EXPECT_EQ(0, mw.menu->value(2));  // the terminating item
    EXPECT_EQ(0, mw.menu->value(7));
    EXPECT_EQ(0, mw.menu->value(0));  // already chosen
    EXPECT_EQ(0, mw.menu->value());
    EXPECT_EQ(0, mw.menu->damage());
    EXPECT_EQ(1, mw.menu->value(1));
    EXPECT_EQ(1, mw.menu->value());
    EXPECT_NE(0, mw.menu->damage());
}

// A push with mouse button b, straight to the widget (one that pops up
// would block, so only refused pushes are sent this way).
int push(SMenubar *m, int b)
{
    Fl::e_keysym = FL_Button + b;
    return m->handle(FL_PUSH);
}

TEST(SMenubar, EventsItUsesAndRefuses)
{
    MenuWindow mw;
    SMenubar *m = mw.menu;
    EXPECT_EQ(0, push(m, 1));  // no menu at all
    EXPECT_EQ(0, m->handle(FL_ENTER));
    Fl_Menu_Item none[] = {{nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0}};
    m->menu(none);
    EXPECT_EQ(0, push(m, 1));
    EXPECT_EQ(0, m->handle(FL_ENTER));

    m->menu(long_items);
    EXPECT_EQ(1, m->handle(FL_ENTER));
    EXPECT_EQ(1, m->handle(FL_LEAVE));
    EXPECT_EQ(0, m->handle(FL_FOCUS));
    EXPECT_EQ(0, m->handle(FL_KEYBOARD));
    EXPECT_EQ(0, m->handle(FL_SHORTCUT));

    m->type(Fl_Menu_Button::POPUP2);  // only the middle button
    EXPECT_EQ(0, m->handle(FL_ENTER));
    EXPECT_EQ(0, push(m, 1));
    EXPECT_EQ(0, push(m, 3));
    m->type(0);
    m->box(FL_NO_BOX);  // only the right button
    EXPECT_EQ(0, m->handle(FL_ENTER));
    EXPECT_EQ(0, push(m, 1));
    EXPECT_EQ(0, push(m, 2));
    EXPECT_EQ(0, m->value());
}

struct PickSecond {
    static void step(void *)
    {
        // The pop-up menu holds the grab: keys go to it.
        Fl_Window *popup = Fl::grab();
        if (!popup) {
            Fl::repeat_timeout(0.05, step);
            return;
        }
        gui::send_key(popup, FL_Down);  // the first item
        gui::send_key(popup, FL_Down);
        gui::send_key(popup, FL_Enter);
    }
};

TEST(SMenubar, APushPopsTheMenuUpAndReportsThePick)
{
    MenuWindow mw;
    mw.menu->menu(long_items);
    static int picked;
    picked = -1;
    mw.menu->callback([](Fl_Widget *w, void *) { picked = ((SMenubar *)w)->value(); });
    Fl::add_timeout(0.1, PickSecond::step);
    EXPECT_EQ(1, gui::send_pointer(mw.win.get(), FL_PUSH, 50, 25));
    Fl::remove_timeout(PickSecond::step);
    EXPECT_EQ(1, picked);
    EXPECT_EQ(1, mw.menu->value());
}

TEST(SButton, RaisedOnlyWhileThePointerIsOver)
{
    std::unique_ptr<Fl_Window> win(new Fl_Window(50, 50, 100, 60));
    SButton *b = new SButton(10, 10, 22, 22);
    win->end();
    win->show();
    ASSERT_TRUE(gui::wait_drawn(win.get()));
    EXPECT_EQ(FL_FLAT_BOX, b->box());
    EXPECT_EQ(nullptr, b->label());
    static int fired;
    fired = 0;
    b->callback([](Fl_Widget *, void *) { fired++; });
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        gui::send_pointer(win.get(), FL_MOVE, 20, 20);
        EXPECT_EQ(FL_UP_BOX, b->box());
        gui::send_pointer(win.get(), FL_MOVE, 80, 50);
        EXPECT_EQ(FL_FLAT_BOX, b->box());
    }
    gui::send_pointer(win.get(), FL_MOVE, 20, 20);
    gui::click(b);
    EXPECT_EQ(1, fired);
    EXPECT_EQ(FL_UP_BOX, b->box());
}

} // namespace
