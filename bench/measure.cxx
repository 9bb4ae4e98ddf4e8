#include "measure.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace bench {

namespace {

std::vector<Window> g_exposed;

int note_expose(void *event, void *)
{
    const XEvent *xe = static_cast<const XEvent *>(event);
    if (xe->type == Expose)
        g_exposed.push_back(xe->xexpose.window);
    else if (xe->type == UnmapNotify)
        g_exposed.erase(std::remove(g_exposed.begin(), g_exposed.end(), xe->xunmap.window),
                        g_exposed.end());
    return 0;  // FLTK handles every event as usual
}

} // namespace

double now_ms()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long status_kb(const char *field, int pid)
{
    char path[64];
    if (pid > 0)
        snprintf(path, sizeof path, "/proc/%d/status", pid);
    else
        snprintf(path, sizeof path, "/proc/self/status");
    FILE *fp = fopen(path, "r");
    if (!fp)
        return -1;
    char line[256];
    long kb = -1;
    size_t n = strlen(field);
    while (fgets(line, sizeof line, fp))
        if (strncmp(line, field, n) == 0 && line[n] == ':') {
            kb = strtol(line + n + 1, nullptr, 10);
            break;
        }
    fclose(fp);
    return kb;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

void report(const char *key, double value)
{
    printf("%s %.3f\n", key, value);
    fflush(stdout);
}

void watch_exposures()
{
    fl_open_display();
    Fl::add_system_handler(note_expose, nullptr);
}

bool exposed(Fl_Window *win)
{
    if (!win->shown())
        return false;
    Window xid = fl_xid(win);
    return std::find(g_exposed.begin(), g_exposed.end(), xid) != g_exposed.end();
}

void flush_to_server()
{
    Fl::flush();
    XSync(fl_display, False);
}

bool show_until_drawn(Fl_Window *win)
{
    win->show();
    double deadline = now_ms() + 10000;
    while (!exposed(win)) {
        if (now_ms() > deadline) {
            fprintf(stderr, "window \"%s\" was not drawn within 10 s\n",
                    win->label() ? win->label() : "");
            return false;
        }
        Fl::wait(0.5);
    }
    flush_to_server();
    return true;
}

Fl_Button *find_button(Fl_Widget *root, const char *label)
{
    if (Fl_Button *b = dynamic_cast<Fl_Button *>(root))
        if (b->label() && strcmp(b->label(), label) == 0)
            return b;
    if (Fl_Group *g = root->as_group())
        for (int i = 0; i < g->children(); i++)
            if (Fl_Button *b = find_button(g->child(i), label))
                return b;
    return nullptr;
}

int runs_arg(int argc, char **argv, int fallback)
{
    for (int i = 1; i + 1 < argc; i++)
        if (strcmp(argv[i], "--runs") == 0)
            return atoi(argv[i + 1]) > 0 ? atoi(argv[i + 1]) : fallback;
    return fallback;
}

} // namespace bench
