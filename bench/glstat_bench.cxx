// The first look at a big glstat, as the run engine takes it in slices of
// its own size: the longest slice, which is the longest the window could
// not answer, against the whole look. Each slice hands its samples to the
// health checks as the run engine would.
//
// Usage: bench_glstat --folder DIR --mb N [--runs N]
// The folder gets a glstat of N MB. Prints "block_ms", "total_ms" and
// "samples".
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "measure.h"
#include "solver/glstat.h"

namespace {

// The run engine's slice for one job.
const size_t kSlice = 2 * 1024 * 1024;

bool fill(const std::string &path, long long bytes)
{
    FILE *fp = fopen(path.c_str(), "w");
    if (!fp)
        return false;
    fputs(" a run of the solver   date 12/09/2026\n", fp);
    const char *keys[] = {"kinetic energy...........", "internal energy..........",
                          "spring and damper energy.", "hourglass energy ........",
                          "system damping energy....", "sliding interface energy.",
                          "external work............", "eroded kinetic energy....",
                          "total energy.............", "total energy / initial energy..",
                          "energy ratio w/o eroded energy.", "global x velocity........",
                          "added mass...............", "percentage increase......"};
    long long written = 0;
    for (long cycle = 0; written < bytes; cycle += 100) {
        written += fprintf(fp, "\n dt of cycle %6ld is controlled by shell 1\n\n", cycle);
        written += fprintf(fp, " time.....................%14.5E\n", cycle * 1e-6);
        written += fprintf(fp, " time step................%14.5E\n", 1e-6);
        for (const char *k : keys)
            written += fprintf(fp, " %s%14.5E\n", k, 1e3 - (double)(cycle % 997));
        written += fprintf(fp, " time per zone cycle.(nanosec)           120\n");
    }
    return fclose(fp) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::string folder;
    long long mb = 100;
    for (int i = 1; i + 1 < argc; i++) {
        if (!strcmp(argv[i], "--folder"))
            folder = std::string(argv[i + 1]) + "/";
        else if (!strcmp(argv[i], "--mb"))
            mb = atoll(argv[i + 1]);
    }
    int runs = bench::runs_arg(argc, argv, 5);
    std::string path = folder + "glstat";
    if (folder.empty() || !fill(path, mb << 20))
        return 1;

    std::vector<double> blocks, totals;
    size_t samples = 0;
    for (int r = 0; r < runs; r++) {
        GlstatWatch watch;
        GlstatHealth health;
        watch.Start(path, false);
        double block = 0, started = bench::now_ms();
        bool more = true;
        samples = 0;
        while (more) {
            double t = bench::now_ms();
            if (!watch.Check(kSlice, &more))
                return 1;
            for (const GlstatSample &s : watch.Samples())
                health.Add(s);
            samples += watch.Samples().size();
            block = std::max(block, bench::now_ms() - t);
        }
        totals.push_back(bench::now_ms() - started);
        blocks.push_back(block);
    }
    if (samples == 0)
        return 1;
    bench::report("block_ms", bench::median(blocks));
    bench::report("total_ms", bench::median(totals));
    bench::report("samples", (double)samples);
    return 0;
}
