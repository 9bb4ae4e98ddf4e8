#include "filedialog_fixture.h"

#include "support/gui.h"

// Before the X11 headers, whose macros clash with it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include "dialogs/sflatwidgets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

std::vector<std::string> TestDialog::names() const
{
    std::vector<std::string> out;
    for (int i = 0; i < Elem_num; i++)
        out.push_back(plabelbox[i]->label());
    return out;
}

Fl_Button *TestDialog::entry(const std::string &name) const
{
    for (int i = 0; i < Elem_num; i++)
        if (name == plabelbox[i]->label())
            return plabelbox[i];
    return nullptr;
}

static std::vector<std::string> items(const Fl_Menu_Item *m)
{
    std::vector<std::string> out;
    for (; m && m->text; m++)
        out.push_back(m->text);
    return out;
}

std::vector<std::string> TestDialog::filterItems() const
{
    return items(FilterChoice->menu());
}

std::vector<std::string> TestDialog::lookInItems() const
{
    return items(FileChoice->menu());
}

bool TestDialog::listed()
{
    return shown() && visible() && DRAW == 0;
}

void TestDialog::waitDrawn()
{
    EXPECT_TRUE(gui::wait_drawn(this)) << "the file dialog did not draw";
    EXPECT_EQ(0, DRAW) << "the file dialog did not list its folder";
}

void TestDialog::showAndDraw()
{
    if (!shown())
        show();
    waitDrawn();
}

void TestDialog::paint()
{
    damage(FL_DAMAGE_ALL);
    draw();
    clear_damage();
}

Snapshot::Snapshot(Fl_Window *win, const std::function<void()> &paint)
    : w(win->w()), h(win->h()), rgb((size_t)w * h * 3)
{
    win->make_current();
    Fl_Offscreen off = fl_create_offscreen(w, h);
    fl_begin_offscreen(off);
    paint();
    fl_read_image(rgb.data(), 0, 0, w, h);
    fl_end_offscreen();
    fl_delete_offscreen(off);
}

unsigned Snapshot::pixel(int x, int y) const
{
    const unsigned char *p = &rgb[((size_t)y * w + x) * 3];
    return (unsigned)p[0] << 16 | (unsigned)p[1] << 8 | p[2];
}

bool Snapshot::dark(int x, int y) const
{
    const unsigned char *p = &rgb[((size_t)y * w + x) * 3];
    return p[0] < 90 && p[1] < 90 && p[2] < 90;
}

std::pair<int, int> Snapshot::ink(int x0, int y0, int x1, int y1) const
{
    std::pair<int, int> span(-1, -1);
    for (int y = std::max(y0, 0); y < std::min(y1, h); y++)
        for (int x = std::max(x0, 0); x < std::min(x1, w); x++)
            if (dark(x, y)) {
                if (span.first < 0 || x < span.first)
                    span.first = x;
                span.second = std::max(span.second, x);
            }
    return span;
}

bool label_shows(const std::string &label, const std::string &text)
{
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int lw = 0, lh = 0, tw = 0, th = 0;
    fl_measure(label.c_str(), lw, lh, 1);
    fl_measure(text.c_str(), tw, th, 0);
    return lw == tw && lh == th;
}

unsigned rgb_of(Fl_Color c)
{
    return Fl::get_color(c) >> 8;
}

Script::Script(double limit) : m_left(limit) {}

Script::~Script()
{
    Fl::remove_timeout(tick, this);
    Fl::remove_check(count_pass, this);
}

Script &Script::then(std::function<void()> step)
{
    m_steps.push_back({[step]() {
                           step();
                           return true;
                       },
                       true});
    return *this;
}

Script &Script::until(std::function<bool()> cond)
{
    m_steps.push_back({cond, false});
    return *this;
}

Script &Script::loopRan()
{
    return until([this]() {
        if (m_passes < 0) {
            m_passes = 0;
            Fl::add_check(count_pass, this);
            return false;
        }
        if (m_passes < 2)
            return false;
        Fl::remove_check(count_pass, this);
        m_passes = -1;
        return true;
    });
}

Script &Script::closesAlert(std::string &told)
{
    return until([&told]() {
        if (!shown_alert())
            return false;
        told = alert_text();
        return close_alert();
    });
}

void Script::count_pass(void *data)
{
    static_cast<Script *>(data)->m_passes++;
}

void Script::start()
{
    gui::guard_modals();
    Fl::add_timeout(0.05, tick, this);
}

void Script::tick(void *data)
{
    Script *self = static_cast<Script *>(data);
    self->m_left -= 0.05;
    if (self->m_left <= 0) {
        self->m_timedOut = true;
        while (Fl_Window *w = Fl::first_window())
            w->hide();
        return;
    }
    if (self->finished())
        return;
    // The next tick is due before the step runs: a step may block in a
    // nested loop (an alert) that later steps have to answer. After the
    // last step it wakes a modal loop that the step changed without any
    // event of the X server.
    Fl::repeat_timeout(0.05, tick, data);
    Step &step = self->m_steps[self->m_next];
    if (step.once) {
        self->m_next++;
        step.fn();
    } else if (step.fn()) {
        self->m_next++;
    }
}

Fl_Window *shown_alert(Fl_Window *except)
{
    for (Fl_Window *w = Fl::first_window(); w; w = Fl::next_window(w))
        if (w != except && w->shown() && w->visible() && gui::find_button("Close", w))
            return w;
    return nullptr;
}

static void collect(Fl_Widget *w, std::string &out)
{
    if (w->label() && *w->label() && !dynamic_cast<Fl_Button *>(w) && std::string(w->label()) != "!") {
        if (!out.empty())
            out += "\n";
        out += w->label();
    }
    if (Fl_Group *g = w->as_group())
        for (int i = 0; i < g->children(); i++)
            collect(g->child(i), out);
}

std::string alert_text()
{
    Fl_Window *w = shown_alert();
    std::string out;
    if (w)
        for (int i = 0; i < w->children(); i++)
            collect(w->child(i), out);
    return out;
}

bool close_alert()
{
    Fl_Window *w = shown_alert();
    if (!w)
        return false;
    gui::click(gui::find_button("Close", w));
    return true;
}

void wm_close(Fl_Window *win)
{
    char cmd[512];
    snprintf(cmd, sizeof cmd, "%s/tests/wm_close %lu", WENDLE_BUILD_DIR,
             (unsigned long)fl_xid(win));
    if (system(cmd) != 0)
        ADD_FAILURE() << "wm_close failed";
}
