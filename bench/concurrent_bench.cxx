// Several jobs at once: a main window runs eight stand-in jobs, each in a
// folder of its own, four at a time with a 1-second pause, in real xterms,
// through its own run engine and timers. The figure is the time from Submit
// to the last job's outcome (the fixed wait before the summary left out).
//
// Usage: bench_concurrent --standin PATH --folder DIR [--jobs 8]
//            [--at-once 4] [--run 30]
// prints "run_ms".
#include <FL/Fl.H>
#include <FL/Fl_Input.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "measure.h"
#include "runner/gui_mainwnd.h"

namespace {

bool all_judged(guiMainWnd *w)
{
    for (int r = 1; r <= w->Jobs().Rows(); r++) {
        JobState state = w->Jobs().At(r).state;
        if (state != JobState::Finished && state != JobState::Aborted)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::string standin, folder;
    int jobs = 8, atOnce = 4, run = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--standin") == 0)
            standin = argv[i + 1];
        else if (strcmp(argv[i], "--folder") == 0)
            folder = argv[i + 1];
        else if (strcmp(argv[i], "--jobs") == 0)
            jobs = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--at-once") == 0)
            atOnce = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--run") == 0)
            run = atoi(argv[i + 1]);
    }
    if (standin.empty() || folder.empty() || jobs < 1) {
        fprintf(stderr, "usage: bench_concurrent --standin PATH --folder DIR [--jobs N] "
                        "[--at-once N] [--run SECONDS]\n");
        return 2;
    }
    // Its own user folder, so that no settings of the user are read or
    // written.
    std::string home = folder + "/home";
    std::filesystem::create_directories(home);
    setenv("HOME", home.c_str(), 1);

    bench::watch_exposures();
    guiMainWnd *w = new guiMainWnd(100, 100, 813, 385, "LS-DYNA Wendle 2.2");
    int status = 1;
    if (bench::show_until_drawn(w)) {
        w->inDynaLocation1->value(standin.c_str());
        w->TheRun().SetJobsAtOnce(atOnce);
        w->inMem->value("64");
        w->inPause->value("1");
        for (int i = 1; i <= jobs; i++) {
            std::string dir = folder + "/job" + std::to_string(i) + "/";
            std::filesystem::create_directories(dir);
            if (FILE *deck = fopen((dir + "deck.k").c_str(), "w")) {
                fprintf(deck, "*KEYWORD\n$ standin: run=%d end=normal\n*END\n", run);
                fclose(deck);
            }
            w->Jobs().Add(w->NewJob(JobKind::Deck, dir + "deck.k", "", "0K"));
        }
        double start = bench::now_ms();
        w->real_submit_cb();
        double limit = start + 1000.0 * (run * jobs + 60);
        while (!all_judged(w) && bench::now_ms() < limit)
            Fl::wait(0.05);
        if (all_judged(w)) {
            bench::report("run_ms", bench::now_ms() - start);
            status = 0;
        } else {
            fprintf(stderr, "bench_concurrent: the jobs did not end in time\n");
        }
    }
    delete w;
    return status;
}
