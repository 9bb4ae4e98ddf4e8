#include "support/gui.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

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
    double left = seconds;
    while (left > 0) {
        if (pred && pred(data))
            return true;
        Fl::wait(0.02);
        left -= 0.02;
    }
    return pred ? pred(data) : true;
}

void settle()
{
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

ButtonPresser::ButtonPresser(const char *label, int times) : m_label(label), m_wanted(times)
{
    Fl::add_timeout(0.05, tick, this);
}

ButtonPresser::~ButtonPresser()
{
    Fl::remove_timeout(tick, this);
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
