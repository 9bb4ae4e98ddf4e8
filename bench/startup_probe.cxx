// Measures a GUI program's start-up from outside: from the exec until its
// first top-level window is mapped and the program, having handled that
// window's first Expose, waits in its event loop again; and its peak memory
// (VmHWM) at that moment. Each run gets a fresh HOME, holding a copy of
// the files of the folder given by --home before a program, if any.
//
// Usage: bench_startup [--runs N] [--home DIR] NAME=PROGRAM [ARG...]
//            [-- [--home DIR] NAME=PROGRAM ...]
// The programs are started in turn, N rounds; prints "NAME_ms" and
// "NAME_hwm_kb" medians.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "measure.h"

namespace {

struct Sample {
    double ms = -1;
    long hwmKb = -1;
};

// FLTK waits for events in select(); a process blocked there has read
// every event the server had written to it, so it has handled the Expose
// that mapping its window queued.
bool idle_in_select(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/syscall", (int)pid);
    FILE *fp = fopen(path, "r");
    if (!fp)
        return false;
    long nr = -1;
    int got = fscanf(fp, "%ld", &nr);
    fclose(fp);
    return got == 1 && (nr == SYS_select || nr == SYS_pselect6);
}

bool next_event(Display *dpy, XEvent *ev, double deadline)
{
    while (!XPending(dpy)) {
        if (bench::now_ms() > deadline)
            return false;
        usleep(100);
    }
    XNextEvent(dpy, ev);
    return true;
}

struct Program {
    std::string name, home;
    std::vector<std::string> argv;
    std::vector<double> ms, hwm;
};

Sample run_once(Display *dpy, const Program &program)
{
    Sample s;
    char home[] = "/tmp/wendle-bench-home.XXXXXX";
    if (!mkdtemp(home))
        return s;
    if (!program.home.empty())
        std::filesystem::copy(program.home, home, std::filesystem::copy_options::recursive);
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, True);  // old notifications belong to earlier runs

    double t0 = bench::now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", home, 1);
        close(ConnectionNumber(dpy));
        std::vector<char *> args;
        for (const std::string &a : program.argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (pid > 0) {
        double deadline = t0 + 10000;
        XEvent ev;
        bool mapped = false;
        while (!mapped && next_event(dpy, &ev, deadline))
            mapped = ev.type == MapNotify && ev.xmap.event == root && !ev.xmap.override_redirect;
        // A round trip: the server has now written the program's Expose.
        XSync(dpy, False);
        while (mapped && bench::now_ms() < deadline) {
            if (idle_in_select(pid)) {
                s.ms = bench::now_ms() - t0;
                s.hwmKb = bench::status_kb("VmHWM", (int)pid);
                break;
            }
            usleep(50);
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    XSelectInput(dpy, root, NoEventMask);
    std::filesystem::remove_all(home);
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = bench::runs_arg(argc, argv, 9);
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        fprintf(stderr, "bench_startup: cannot open the display\n");
        return 1;
    }
    std::vector<Program> programs;
    bool starts = true;  // the next word names a program
    std::string seed;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--runs") == 0) {
            i++;
        } else if (starts && strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
            seed = argv[++i];
        } else if (strcmp(argv[i], "--") == 0) {
            starts = true;
        } else if (starts && strchr(argv[i], '=')) {
            const char *eq = strchr(argv[i], '=');
            programs.push_back(
                {std::string(argv[i], (size_t)(eq - argv[i])), seed, {eq + 1}, {}, {}});
            seed.clear();
            starts = false;
        } else if (!programs.empty()) {
            programs.back().argv.push_back(argv[i]);
        }
    }
    if (programs.empty()) {
        fprintf(stderr, "usage: bench_startup [--runs N] NAME=PROGRAM [ARG...] [-- ...]\n");
        return 1;
    }
    // Interleaved, so that a busy moment of the machine hits all alike; a
    // first round, not counted, brings every program into the page cache.
    for (int r = 0; r <= runs; r++)
        for (Program &p : programs) {
            Sample s = run_once(dpy, p);
            if (s.ms < 0) {
                fprintf(stderr, "bench_startup: %s showed no drawn window\n", p.argv[0].c_str());
                return 1;
            }
            if (r == 0)
                continue;
            p.ms.push_back(s.ms);
            p.hwm.push_back((double)s.hwmKb);
        }
    for (Program &p : programs) {
        bench::report((p.name + "_ms").c_str(), bench::median(p.ms));
        bench::report((p.name + "_hwm_kb").c_str(), bench::median(p.hwm));
    }
    XCloseDisplay(dpy);
    return 0;
}
