// Memory over a long run: a main window runs 500 queued jobs one after
// another through its run, each in a "terminal" that exits at once, driven
// step by step: Submit, the terminal's end, a check.
//
// Usage: bench_jobs [--jobs N]; prints "rss_first_kb" (VmRSS after the
// first job) and "rss_last_kb" (after the last).
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "measure.h"
#include "runner/gui_mainwnd.h"

namespace {

// Waits, without reaping it, until the child has exited: the engine's
// check reaps its own terminal.
bool ended(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    double deadline = bench::now_ms() + 10000;
    while (bench::now_ms() < deadline) {
        FILE *fp = fopen(path, "r");
        if (!fp)
            return false;
        char state = 0;
        int got = fscanf(fp, "%*d (%*[^)]) %c", &state);
        fclose(fp);
        if (got == 1 && state == 'Z')
            return true;
        usleep(200);
    }
    return false;
}

// One more job in the table, run from Submit to its outcome; Reset of the
// run (not of the table) then takes the wait before the summary away.
bool run_job(guiMainWnd *w, const std::string &folder)
{
    int r = w->Jobs().Add(w->NewJob(JobKind::Deck, folder + "plate.k", "", "1K"));
    w->real_submit_cb();
    const RunningJob *job = w->TheRun().JobAt(r);
    if (!job || job->Pid() <= 0 || !ended(job->Pid()))
        return false;
    w->TheRun().Check();
    w->TheRun().Reset();
    bench::flush_to_server();
    return w->Jobs().At(r).state != JobState::Running;
}

} // namespace

int main(int argc, char **argv)
{
    int jobs = 500;
    for (int i = 1; i + 1 < argc; i++)
        if (strcmp(argv[i], "--jobs") == 0 && atoi(argv[i + 1]) > 1)
            jobs = atoi(argv[i + 1]);

    char home[] = "/tmp/wendle-bench-jobs.XXXXXX";
    if (!mkdtemp(home))
        return 1;
    setenv("HOME", home, 1);
    std::string folder = std::string(home) + "/jobs/";
    std::filesystem::create_directory(folder);
    if (FILE *deck = fopen((folder + "plate.k").c_str(), "w")) {
        fputs("*KEYWORD\n*END\n", deck);
        fclose(deck);
    }

    bench::watch_exposures();
    guiMainWnd *w = new guiMainWnd(100, 100, 813, 385, "LS-DYNA Wendle 2.2");
    int status = 1;
    if (bench::show_until_drawn(w)) {
        snprintf(w->m_szXterm, sizeof w->m_szXterm, "%s", "/bin/true");
        w->inDynaLocation1->value("/bin/true");
        w->inMem->value("256");
        w->inPause->value("2");
        long first = 0;
        int done = 0;
        for (; done < jobs && run_job(w, folder); done++)
            if (done == 0)
                first = bench::status_kb("VmRSS");
        if (done == jobs) {
            bench::report("rss_first_kb", (double)first);
            bench::report("rss_last_kb", (double)bench::status_kb("VmRSS"));
            status = 0;
        } else {
            fprintf(stderr, "bench_jobs: job %d did not run to its end\n", done + 1);
        }
    }
    delete w;
    std::filesystem::remove_all(home);
    return status;
}
