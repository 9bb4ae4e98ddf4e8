// Driving real FLTK windows from tests: synthetic pointer and key events
// delivered through Fl::handle, and answering modal boxes and dialogs by
// pressing their buttons from a toolkit timeout.
#pragma once
#include <string>
#include <vector>

class Fl_Widget;
class Fl_Window;
class Fl_Button;
class Fl_Input;

namespace gui {

// Delivers one pointer event at window coordinates (x, y) of `win`, as the
// toolkit would for a real X event. button is 1..3; clicks > 0 makes it a
// double click for Fl::event_clicks().
int send_pointer(Fl_Window *win, int event, int x, int y, int button = 1, int clicks = 0);
// Push then release at the centre of a widget (inside its window).
void click(Fl_Widget *w, int clicks = 0);
// A key press (and release) delivered to the window; for printable keys
// text holds what the key types.
int send_key(Fl_Window *win, int keysym, const char *text = "");

// Runs the event loop for about `seconds`, returning early once pred() holds.
// Returns pred()'s last value (true when pred is null).
bool wait_for(double seconds, bool (*pred)(void *) = nullptr, void *data = nullptr);
// Lets pending redraws and timers run (a few short Fl::wait passes).
void settle();
// Waits until `win` is on screen and fully drawn (a file dialog has then
// listed its folder: it does so when it draws). False after `seconds`.
bool wait_drawn(Fl_Window *win, double seconds = 10.0);

// Every helper here also keeps a guard running: a message box that nobody
// answers (no ButtonPresser is waiting for one of its buttons) is answered
// after a moment, every other modal window is closed, and the running test
// fails with the box's text, so that a test fails fast instead of hanging.
void guard_modals();

// First visible widget below `root` (or in any shown window when root is
// null) whose label is exactly `label`.
Fl_Widget *find_by_label(const char *label, Fl_Widget *root = nullptr);
Fl_Button *find_button(const char *label, Fl_Widget *root = nullptr);
// Every Fl_Input below `root`, in creation order.
std::vector<Fl_Input *> find_inputs(Fl_Widget *root);
// The shown window whose label is `title`, or null.
Fl_Window *find_window(const char *title);

// Presses, from a toolkit timeout, the button labelled `label` as soon as a
// shown window offers it, `times` times in all. Use it before a call that
// blocks in a modal box or dialog. Texts of the windows it pressed in are
// recorded (an alert's message is the label of one of its boxes).
class ButtonPresser {
public:
    explicit ButtonPresser(const char *label, int times = 1);
    ~ButtonPresser();
    ButtonPresser(const ButtonPresser &) = delete;
    ButtonPresser &operator=(const ButtonPresser &) = delete;

    int presses() const { return m_presses; }
    int wanted() const { return m_wanted; }
    const std::string &label() const { return m_label; }
    // All labels (of non-button widgets) of the windows where it pressed.
    const std::vector<std::string> &texts() const { return m_texts; }
    bool saw(const std::string &text) const;

private:
    static void tick(void *data);
    std::string m_label;
    int m_wanted;
    int m_presses = 0;
    std::vector<std::string> m_texts;
};

// Runs an arbitrary step from a toolkit timeout once a shown window titled
// `title` exists (for driving a dialog that blocks the caller).
class WhenShown {
public:
    using Step = void (*)(Fl_Window *win, void *data);
    WhenShown(const char *title, Step step, void *data = nullptr);
    ~WhenShown();
    WhenShown(const WhenShown &) = delete;
    WhenShown &operator=(const WhenShown &) = delete;
    bool done() const { return m_done; }

private:
    static void tick(void *data);
    std::string m_title;
    Step m_step;
    void *m_data;
    bool m_done = false;
};

} // namespace gui
