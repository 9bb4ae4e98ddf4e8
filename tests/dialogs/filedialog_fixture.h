// Shared pieces of the dialog tests: a file dialog subclass that opens its
// internals to the tests, readers of its icon grid, a reader of the pixels
// a window draws, and a script of steps run from toolkit timeouts while a
// dialog (or an alert) blocks the test.
#pragma once
#include "dialogs/sfiledialog.h"

#include <FL/Enumerations.H>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class Fl_Window;

struct TestDialog : SFileDialog {
    using SFileDialog::SFileDialog;
    using SFileDialog::CANCEL;
    using SFileDialog::Dialog_Mode;
    using SFileDialog::Dir_num;
    using SFileDialog::DRAW;
    using SFileDialog::Elem_num;
    using SFileDialog::FileChoice;
    using SFileDialog::FileItem;
    using SFileDialog::FilterChoice;
    using SFileDialog::FilterItem;
    using SFileDialog::FolderContain;
    using SFileDialog::Getlastdir;
    using SFileDialog::GetFilter;
    using SFileDialog::IMPORT;
    using SFileDialog::Is_filter_file;
    using SFileDialog::Is_root_dir;
    using SFileDialog::LASTDIR;
    using SFileDialog::NEWDIR;
    using SFileDialog::OPEN;
    using SFileDialog::UPDIR;
    using SFileDialog::ValidFilename;
    using SFileDialog::ValidInput;
    using SFileDialog::_dir;
    using SFileDialog::_filename;
    using SFileDialog::_filter;
    using SFileDialog::_sh;
    using SFileDialog::_sw;
    using SFileDialog::chk_filter;
    using SFileDialog::checked;
    using SFileDialog::cur_check;
    using SFileDialog::cur_node;
    using SFileDialog::dir_cur;
    using SFileDialog::drivename;
    using SFileDialog::drivenum;
    using SFileDialog::file_box;
    using SFileDialog::file_type_num;
    using SFileDialog::filter_file;
    using SFileDialog::getfile;
    using SFileDialog::head_list;
    using SFileDialog::interval;
    using SFileDialog::nRow;
    using SFileDialog::pbtn;
    using SFileDialog::plabelbox;
    using SFileDialog::scroll;
    using SFileDialog::usr_ans;

    // Names of the grid entries in grid order.
    std::vector<std::string> names() const;
    // Name button of the entry called `name`, or null.
    Fl_Button *entry(const std::string &name) const;
    std::vector<std::string> filterItems() const;
    std::vector<std::string> lookInItems() const;
    // True once the window is shown and has listed its folder: a rebuild of
    // the grid happens when the window draws.
    bool listed();
    // Waits until the window has drawn, and with it any rebuild of the grid
    // that a step asked for; fails the test when it does not within 10 s.
    void waitDrawn();
    // Shows the window (if needed), then waitDrawn().
    void showAndDraw();
    // Draws the whole window (into the current drawing target).
    void paint();
};

// What a window draws, read back pixel by pixel. paint() draws it into an
// offscreen image: windows of other tests on the same X server may cover
// the real one.
struct Snapshot {
    Snapshot(Fl_Window *win, const std::function<void()> &paint);
    unsigned pixel(int x, int y) const;  // 0xRRGGBB
    bool dark(int x, int y) const;
    // Leftmost and rightmost column of dark pixels in the rectangle from
    // (x0, y0) up to, not including, (x1, y1); both -1 when there are none.
    std::pair<int, int> ink(int x0, int y0, int x1, int y1) const;
    int w, h;
    std::vector<unsigned char> rgb;
};
// 0xRRGGBB of a colour of the toolkit's map.
unsigned rgb_of(Fl_Color c);
// True when a label that the toolkit reads with its symbols ("@") lays out
// as `text` read plainly: the same width and height in the alert's font.
bool label_shows(const std::string &label, const std::string &text);

// Runs steps from a toolkit timeout, one per tick, while the test is
// blocked in a modal loop. then() steps run once; an until() step is tried
// again on each tick until it returns true. A tick that ran late may be
// followed by the next one at once, before a modal loop has looked at what
// the step did: loopRan() waits for that. A message box nobody expects
// fails the test (see gui::guard_modals). When the script does not end
// within `limit` seconds every shown window is hidden, so no test hangs on
// a dialog; timedOut() tells.
class Script {
public:
    explicit Script(double limit = 20.0);
    ~Script();
    Script(const Script &) = delete;
    Script &operator=(const Script &) = delete;

    Script &then(std::function<void()> step);
    Script &until(std::function<bool()> cond);
    // Waits until the event loop has come round twice since this step was
    // reached: a press queued for a modal loop, or a box closed under it,
    // has been looked at by then.
    Script &loopRan();
    // Waits for an alert, keeps its message in `told` and closes it.
    Script &closesAlert(std::string &told);
    void start();
    bool finished() const { return m_next >= m_steps.size(); }
    bool timedOut() const { return m_timedOut; }

private:
    static void tick(void *data);
    static void count_pass(void *data);
    struct Step {
        std::function<bool()> fn;
        bool once;
    };
    std::vector<Step> m_steps;
    size_t m_next = 0;
    double m_left;
    bool m_timedOut = false;
    int m_passes = -1;  // loop passes counted for loopRan(), -1 when not counting
};

// The shown alert box (the window with a "Close" button other than `except`),
// or null.
Fl_Window *shown_alert(Fl_Window *except = nullptr);
// Message text of a shown alert, "" when none is shown.
std::string alert_text();
// Presses the alert's "Close" button; false when no alert is shown.
bool close_alert();
// Asks the window to close as a window manager does (a real client message
// from another X client).
void wm_close(Fl_Window *win);
