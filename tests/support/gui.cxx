// Fl_X (a window's X side, which knows whether it was exposed yet) is only
// declared for the toolkit's insiders.
#define FL_INTERNALS
#include "support/gui.h"

// Before the X11 headers, whose macros clash with it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <algorithm>
#include <cstring>

namespace gui {

int send_pointer(Fl_Window *win, int event, int x, int y, int button, int clicks)
{
    Fl::e_x = x;
    Fl::e_y = y;
    Fl::e_x_root = win->x_root() + x;
    Fl::e_y_root = win->y_root() + y;
    Fl::e_keysym = FL_Button + button;
    Fl::e_clicks = clicks;
    Fl::e_is_click = event == FL_RELEASE;
    int state = 0;
    if (event == FL_PUSH || event == FL_DRAG)
        state = button == 1 ? FL_BUTTON1 : button == 2 ? FL_BUTTON2 : FL_BUTTON3;
    Fl::e_state = state;
    return Fl::handle(event, win);
}

// A synthetic event delivered from a timeout brings no X event along, so a
// modal loop waiting in Fl::wait() would sleep on: timeouts that run at the
// start of a wait do not end it. A message sent to one of our own windows
// arrives as a real X event, which makes the wait return and the loop look
// at what the synthetic event did.
static void wake_waiting_loop()
{
    Fl_Window *win = Fl::first_window();
    if (!fl_display || !win || !fl_xid(win))
        return;
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = fl_xid(win);
    ev.xclient.message_type = XInternAtom(fl_display, "WENDLE_TEST_WAKE", False);
    ev.xclient.format = 32;
    XSendEvent(fl_display, fl_xid(win), False, NoEventMask, &ev);
    XFlush(fl_display);
}

void click(Fl_Widget *w, int clicks)
{
    guard_modals();
    Fl_Window *win = w->as_window() ? w->as_window() : w->window();
    int x = w->as_window() ? w->w() / 2 : w->x() + w->w() / 2;
    int y = w->as_window() ? w->h() / 2 : w->y() + w->h() / 2;
    send_pointer(win, FL_PUSH, x, y, 1, clicks);
    send_pointer(win, FL_RELEASE, x, y, 1, clicks);
    wake_waiting_loop();
}

int send_key(Fl_Window *win, int keysym, const char *text)
{
    static char buf[16];
    strncpy(buf, text, sizeof buf - 1);
    Fl::e_keysym = keysym;
    Fl::e_text = buf;
    Fl::e_length = (int)strlen(buf);
    Fl::e_state = 0;
    int r = Fl::handle(FL_KEYDOWN, win);
    Fl::handle(FL_KEYUP, win);
    wake_waiting_loop();
    return r;
}

bool wait_for(double seconds, bool (*pred)(void *), void *data)
{
    guard_modals();
    double left = seconds;
    while (left > 0) {
        if (pred && pred(data))
            return true;
        Fl::wait(0.02);
        left -= 0.02;
    }
    return pred ? pred(data) : true;
}

bool wait_drawn(Fl_Window *win, double seconds)
{
    auto drawn = [](void *d) {
        Fl_Window *w = static_cast<Fl_Window *>(d);
        Fl::flush();
        Fl_X *x = Fl_X::i(w);
        return w->shown() && w->visible() && x && !x->wait_for_expose && !w->damage();
    };
    return wait_for(seconds, drawn, win);
}

void settle()
{
    guard_modals();
    for (int i = 0; i < 5; i++)
        Fl::wait(0.01);
    Fl::flush();
}

// The first visible widget below w (w included) that pred accepts.
template <class Pred> static Fl_Widget *search(Fl_Widget *w, Pred pred)
{
    if (!w->visible())
        return nullptr;
    if (pred(w))
        return w;
    if (Fl_Group *g = w->as_group())
        for (int i = 0; i < g->children(); i++)
            if (Fl_Widget *hit = search(g->child(i), pred))
                return hit;
    return nullptr;
}

template <class Pred> static Fl_Widget *search_shown(Fl_Widget *root, Pred pred)
{
    if (root)
        return search(root, pred);
    for (Fl_Window *win = Fl::first_window(); win; win = Fl::next_window(win))
        if (Fl_Widget *hit = search(win, pred))
            return hit;
    return nullptr;
}

static auto labelled(const char *label)
{
    return [label](Fl_Widget *w) { return w->label() && strcmp(w->label(), label) == 0; };
}

static auto button_labelled(const char *label)
{
    return [label](Fl_Widget *w) {
        return dynamic_cast<Fl_Button *>(w) && labelled(label)(w);
    };
}

Fl_Widget *find_by_label(const char *label, Fl_Widget *root)
{
    return search_shown(root, labelled(label));
}

Fl_Button *find_button(const char *label, Fl_Widget *root)
{
    return static_cast<Fl_Button *>(search_shown(root, button_labelled(label)));
}

std::vector<Fl_Input *> find_inputs(Fl_Widget *root)
{
    std::vector<Fl_Input *> out;
    if (Fl_Input *in = dynamic_cast<Fl_Input *>(root))
        out.push_back(in);
    if (Fl_Group *g = root->as_group())
        for (int i = 0; i < g->children(); i++)
            for (Fl_Input *in : find_inputs(g->child(i)))
                out.push_back(in);
    return out;
}

Fl_Window *find_window(const char *title)
{
    for (Fl_Window *win = Fl::first_window(); win; win = Fl::next_window(win))
        if (win->shown() && win->label() && strcmp(win->label(), title) == 0)
            return win;
    return nullptr;
}

static void collect_texts(Fl_Widget *w, std::vector<std::string> &out)
{
    if (w->label() && *w->label() && !dynamic_cast<Fl_Button *>(w))
        out.push_back(w->label());
    if (Fl_Group *g = w->as_group())
        for (int i = 0; i < g->children(); i++)
            collect_texts(g->child(i), out);
}

// Pressers alive now: the boxes they wait for are expected ones.
static std::vector<ButtonPresser *> s_pressers;

ButtonPresser::ButtonPresser(const char *label, int times) : m_label(label), m_wanted(times)
{
    guard_modals();
    s_pressers.push_back(this);
    Fl::add_timeout(0.05, tick, this);
}

ButtonPresser::~ButtonPresser()
{
    Fl::remove_timeout(tick, this);
    s_pressers.erase(std::find(s_pressers.begin(), s_pressers.end(), this));
}

// The toolkit's message boxes carry an icon box labelled "!", "?" or "i".
static bool is_message_box(Fl_Window *win)
{
    for (const char *icon : {"!", "?", "i"})
        if (Fl_Widget *w = find_by_label(icon, win))
            if (!dynamic_cast<Fl_Button *>(w))
                return true;
    return false;
}

static bool awaited(Fl_Window *win)
{
    for (ButtonPresser *p : s_pressers)
        if (p->presses() < p->wanted() && find_button(p->label().c_str(), win))
            return true;
    return false;
}

static void guard_tick(void *)
{
    // A box must stay unanswered this long before the guard steps in.
    static const int kPatience = 8;  // ticks of 0.25 s
    static Fl_Window *s_seen = nullptr;
    static int s_ticks = 0;

    Fl_Window *box = nullptr;
    for (Fl_Window *win = Fl::first_window(); win && !box; win = Fl::next_window(win))
        if (win->shown() && win->visible() && is_message_box(win) && !awaited(win))
            box = win;
    if (box != s_seen) {
        s_seen = box;
        s_ticks = 0;
    }
    if (box && ++s_ticks >= kPatience) {
        std::vector<std::string> texts;
        collect_texts(box, texts);
        std::string text;
        for (const std::string &t : texts)
            if (t.size() > 1)
                text += (text.empty() ? "" : " | ") + t;
        ADD_FAILURE() << "a message box nobody answered: \"" << text << "\"";
        Fl_Button *b = nullptr;
        for (const char *label : {"Close", "No", "Cancel", "OK"})
            if (!b)
                b = find_button(label, box);
        if (b)
            click(b);
        else
            box->hide();
        // Whatever dialog the box came from would wait for steps that are
        // over: close them all, and the calls blocked in them return. They
        // are collected first: hiding one takes it out of the window list.
        std::vector<Fl_Window *> dialogs;
        for (Fl_Window *win = Fl::first_window(); win; win = Fl::next_window(win))
            if (win != box && win->modal())
                dialogs.push_back(win);
        for (Fl_Window *win : dialogs)
            win->hide();
        s_seen = nullptr;
    }
    Fl::repeat_timeout(0.25, guard_tick);
}

void guard_modals()
{
    if (!Fl::has_timeout(guard_tick))
        Fl::add_timeout(0.25, guard_tick);
}

bool ButtonPresser::saw(const std::string &text) const
{
    for (const std::string &t : m_texts)
        if (t.find(text) != std::string::npos)
            return true;
    return false;
}

void ButtonPresser::tick(void *data)
{
    ButtonPresser *self = static_cast<ButtonPresser *>(data);
    for (Fl_Window *win = Fl::first_window(); win; win = Fl::next_window(win)) {
        if (!win->shown() || !win->visible())
            continue;
        Fl_Button *b = find_button(self->m_label.c_str(), win);
        if (!b || !b->active_r())
            continue;
        collect_texts(win, self->m_texts);
        self->m_presses++;
        click(b);
        break;
    }
    if (self->m_presses < self->m_wanted)
        Fl::repeat_timeout(0.05, tick, data);
}

WhenShown::WhenShown(const char *title, Step step, void *data)
    : m_title(title), m_step(step), m_data(data)
{
    guard_modals();
    Fl::add_timeout(0.05, tick, this);
}

WhenShown::~WhenShown()
{
    Fl::remove_timeout(tick, this);
}

void WhenShown::tick(void *data)
{
    WhenShown *self = static_cast<WhenShown *>(data);
    if (Fl_Window *win = find_window(self->m_title.c_str())) {
        self->m_done = true;
        self->m_step(win, self->m_data);
        return;
    }
    Fl::repeat_timeout(0.05, tick, data);
}

} // namespace gui
