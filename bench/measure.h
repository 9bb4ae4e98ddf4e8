// Timing and memory readings shared by the benchmark programs: a clock, the
// process's own memory figures, medians, and showing a window until its
// first exposure has been drawn and reached the X server.
#pragma once
#include <string>
#include <vector>

class Fl_Button;
class Fl_Widget;
class Fl_Window;

namespace bench {

// Milliseconds on the monotonic clock.
double now_ms();
// A field of the process's /proc status in kB ("VmRSS", "VmHWM"): this
// process's when pid is 0. -1 if missing.
long status_kb(const char *field, int pid = 0);
double median(std::vector<double> v);
// One result line for scripts/bench.sh: "key value".
void report(const char *key, double value);

// Watches for Expose events, so that "drawn" means what a user sees: the
// window mapped, its first Expose handled and the drawing done in the
// server. Opens the display.
void watch_exposures();
// True once win has received an Expose since it was last shown.
bool exposed(Fl_Window *win);
// Draws what is damaged and waits until the X server has done it.
void flush_to_server();
// Shows win and runs the event loop until it is drawn as above; false if
// that took longer than 10 s.
bool show_until_drawn(Fl_Window *win);

// The first button below root labelled exactly label, or null.
Fl_Button *find_button(Fl_Widget *root, const char *label);

// The number after "--runs" in argv, or fallback.
int runs_arg(int argc, char **argv, int fallback);

} // namespace bench
