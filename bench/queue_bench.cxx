// The queue kept on disk: the longest the window's event loop is held while
// a saved queue of N rows (1,000) is saved again after one edit, against
// the same save done in the loop through ReplaceFileSafely.
//
// Usage: bench_queue [--rows N] [--runs R]; prints "block_ms" and
// "in_loop_ms" (medians). bench_queue --seed PATH [--rows N] writes a queue
// file of N rows, half of them finished, for the start-up row.
#include <FL/Fl.H>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "foundation/safe_write.h"
#include "measure.h"
#include "run/queue_file.h"
#include "runner/gui_mainwnd.h"

namespace {

std::string queue_text(int rows)
{
    Queue queue;
    for (int i = 0; i < rows; i++) {
        Job job;
        job.deck = "/home/engineer/projects/crash-box/variant" + std::to_string(i) + "/model.k";
        job.size = "1234K";
        job.mb = "2000";
        job.sec = "10";
        int r = queue.Add(job);
        if (i < rows / 2) {
            queue.SetMessageFile(r, "/home/engineer/projects/crash-box/variant" +
                                        std::to_string(i) + "/messag");
            queue.SetState(r, JobState::Finished);
            queue.SetLogged(r);
        }
    }
    return QueueText(queue, RunCounts(), BootId());
}

} // namespace

int main(int argc, char **argv)
{
    int rows = 1000;
    const char *seed = nullptr;
    for (int i = 1; i + 1 < argc; i++) {
        if (strcmp(argv[i], "--rows") == 0 && atoi(argv[i + 1]) > 0)
            rows = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--seed") == 0)
            seed = argv[i + 1];
    }
    if (seed)
        return ReplaceFileSafely(seed, queue_text(rows)) ? 0 : 1;
    int runs = bench::runs_arg(argc, argv, 21);

    char home[] = "/tmp/wendle-bench-queue.XXXXXX";
    if (!mkdtemp(home))
        return 1;
    setenv("HOME", home, 1);
    std::string path = std::string(home) + "/wendle_queue.ini";
    ReplaceFileSafely(path.c_str(), queue_text(rows));

    bench::watch_exposures();
    guiMainWnd *w = new guiMainWnd(100, 100, 813, 385, "LS-DYNA Wendle 2.2");
    int status = 1;
    auto settle = [w] {
        while (w->KeptQueue().Busy())
            Fl::wait(0.01);
    };
    if (bench::show_until_drawn(w) && w->Jobs().Rows() == rows) {
        settle();
        std::vector<double> blocks, inLoop;
        for (int i = 0; i < runs; i++) {
            // One edit of a cell, then the event loop as it runs until the
            // file is written: each pass is a stretch the window is held.
            double t0 = bench::now_ms();
            w->Jobs().SetMb(rows, std::to_string(3000 + i));
            double longest = bench::now_ms() - t0;
            while (w->KeptQueue().Busy()) {
                double t = bench::now_ms();
                Fl::wait(0);
                longest = std::max(longest, bench::now_ms() - t);
                usleep(200);
            }
            blocks.push_back(longest);
            t0 = bench::now_ms();
            ReplaceFileSafely(path.c_str(), QueueText(w->Jobs(), RunCounts(), BootId()));
            inLoop.push_back(bench::now_ms() - t0);
        }
        bench::report("block_ms", bench::median(blocks));
        bench::report("in_loop_ms", bench::median(inLoop));
        status = 0;
    } else {
        fprintf(stderr, "bench_queue: the saved queue did not come back\n");
    }
    delete w;
    std::filesystem::remove_all(home);
    return status;
}
