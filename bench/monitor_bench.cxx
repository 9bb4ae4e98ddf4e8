// The run engine's look at a running job: one periodic check once the job's
// deck and message file have been read, against the least any check must do
// (a stat of both files and a read of only the bytes added), and the first
// look at a big deck and a big message file, as the longest time the window
// could not answer.
//
// Usage: bench_monitor --folder DIR --deck-mb N --msg-kb N [--runs N]
// The folder gets deck.k (N MB without a *KEYWORD_ID line) and, once the
// job runs, its message file. Prints "tick_ms", "floor_ms", "deck_block_ms",
// "deck_total_ms", "msg_block_ms" and "msg_total_ms".
#include <FL/Fl.H>
#include <FL/Fl_Input.H>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "measure.h"
#include "runner/gui_mainwnd.h"

namespace {

const char kProgress[] = "      cycle 1000   time 1.0000E-03   dt 1.0000E-06\n";

bool fill(const std::string &path, const char *line, long long bytes)
{
    FILE *fp = fopen(path.c_str(), "w");
    if (!fp)
        return false;
    std::string block;
    while (block.size() < (1 << 20))
        block += line;
    for (long long done = 0; done < bytes; done += (long long)block.size())
        fwrite(block.data(), 1, std::min<long long>((long long)block.size(), bytes - done), fp);
    return fclose(fp) == 0;
}

// Runs the event loop while the window is still reading: the longest single
// pass, and the whole time, in ms.
void loop_while_reading(guiMainWnd *w, double started, double *block, double *total)
{
    while (w->TheRun().Reading()) {
        double t = bench::now_ms();
        Fl::wait(0.0);
        *block = std::max(*block, bench::now_ms() - t);
    }
    *total = bench::now_ms() - started;
}

} // namespace

int main(int argc, char **argv)
{
    std::string folder;
    long long deckMb = 1, msgKb = 100;
    for (int i = 1; i + 1 < argc; i++) {
        if (!strcmp(argv[i], "--folder"))
            folder = std::string(argv[i + 1]) + "/";
        else if (!strcmp(argv[i], "--deck-mb"))
            deckMb = atoll(argv[i + 1]);
        else if (!strcmp(argv[i], "--msg-kb"))
            msgKb = atoll(argv[i + 1]);
    }
    int runs = bench::runs_arg(argc, argv, 51);
    std::string deck = folder + "deck.k";
    std::string msg = folder + "messag";
    std::string term = folder + "term";
    if (folder.empty() || !fill(deck, "*NODE\n       1  0.000000e+00  0.000000e+00\n",
                                deckMb << 20))
        return 1;
    // A terminal that stays open, as a job's does while its solver runs.
    FILE *fp = fopen(term.c_str(), "w");
    fputs("#!/bin/sh\nexec sleep 600\n", fp);
    fclose(fp);
    chmod(term.c_str(), 0755);
    setenv("HOME", folder.c_str(), 1);

    bench::watch_exposures();
    guiMainWnd *w = new guiMainWnd(100, 100, 813, 385, "LS-DYNA Wendle 2.2");
    if (!bench::show_until_drawn(w))
        return 1;
    snprintf(w->m_szXterm, sizeof w->m_szXterm, "%s", term.c_str());
    w->inDynaLocation1->value("/bin/true");
    Run &run = w->TheRun();
    int r = w->Jobs().Add(w->NewJob(JobKind::Deck, deck, "", "0K"));

    // The first look at the deck happens as the job starts.
    double deckBlock, deckTotal;
    double t = bench::now_ms();
    w->real_submit_cb();
    deckBlock = bench::now_ms() - t;
    loop_while_reading(w, t, &deckBlock, &deckTotal);

    // The solver has written its message file by the first check.
    if (!fill(msg, kProgress, msgKb << 10))
        return 1;
    double msgBlock, msgTotal;
    t = bench::now_ms();
    run.Check();
    msgBlock = bench::now_ms() - t;
    loop_while_reading(w, t, &msgBlock, &msgTotal);

    // Every later check: a few new lines since the last one.
    std::vector<double> ticks, floors;
    std::vector<char> buf(4096);
    for (int i = 0; i < runs; i++) {
        off_t before;
        struct stat st;
        stat(msg.c_str(), &st);
        before = st.st_size;
        FILE *out = fopen(msg.c_str(), "a");
        fputs(kProgress, out);
        fputs(kProgress, out);
        fclose(out);

        t = bench::now_ms();
        run.Check();
        ticks.push_back(bench::now_ms() - t);

        t = bench::now_ms();
        struct stat sd, sm;
        stat(deck.c_str(), &sd);
        stat(msg.c_str(), &sm);
        int fd = open(msg.c_str(), O_RDONLY);
        ssize_t got = pread(fd, buf.data(), (size_t)(sm.st_size - before), before);
        close(fd);
        floors.push_back(bench::now_ms() - t);
        if (got <= 0)
            return 1;
    }
    if (w->Jobs().At(r).state != JobState::Running || !run.JobAt(r))
        return 1;

    bench::report("tick_ms", bench::median(ticks));
    bench::report("floor_ms", bench::median(floors));
    bench::report("deck_block_ms", deckBlock);
    bench::report("deck_total_ms", deckTotal);
    bench::report("msg_block_ms", msgBlock);
    bench::report("msg_total_ms", msgTotal);
    kill(run.JobAt(r)->Pid(), SIGTERM);
    delete w;
    return 0;
}
