// A running job's plot window: one check, that is the new points of every
// curve handed to an open plot and drawn, on a plot of 100,000 samples a
// curve, against the same on a plot of 1,000; and the window's taking of a
// whole plot at once.
//
// Usage: bench_plot [--runs N] [--samples N]; prints "check_ms", "small_ms"
// and "open_ms". bench_plot --show [--folder DIR] opens the window on a
// sample run of a job in DIR and waits until it is closed
// (scripts/screenshot-plot.sh).
#include <FL/Fl.H>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "measure.h"
#include "runner/gui_plot.h"

namespace {

const double kEnd = 0.02;  // ENDTIM of the sample run
const char *const kEnergies[] = {"kinetic", "internal", "hourglass", "total", "external work"};

// A plate struck at the start: kinetic energy turns into internal energy,
// hourglass energy grows past a tenth of the internal energy late in the
// run, mass scaling adds mass, and one contact makes the time step dip
// for a single cycle.
class SampleRun {
public:
    SampleRun(size_t dip, const char *folder) : m_dip(dip)
    {
        m_data.title = "plate.k";
        m_data.folder = folder;
        m_data.endTime = kEnd;
        for (const char *name : kEnergies)
            m_data.energies.push_back(PlotSeries{name, {}});
    }

    // Adds the sample at t of the job's n-th cycle line.
    void Add(size_t n, double t)
    {
        double s = t / kEnd;
        double wobble = 0.02 * std::sin(n * 0.37) * std::sin(n * 0.011);
        double dt = n == m_dip ? 0.2e-6 : 1.2e-6 * (1 - 0.15 * s) * (1 + 0.1 * wobble);
        double external = 400 * s;
        double kinetic = 5000 * (1 - 0.75 * (1 - std::exp(-4 * s)));
        double ramp = std::min(1.0, std::max(0.0, (s - 0.35) / 0.35));
        double hourglassShare = 0.02 + 0.14 * ramp * ramp * (3 - 2 * ramp);
        double rest = 5000 + external - kinetic;
        double hourglass = rest * hourglassShare / (1 + hourglassShare);
        double internal = rest - hourglass;
        double values[] = {kinetic, internal, hourglass, kinetic + internal + hourglass,
                           external};
        m_data.dt.push_back(PlotPoint{t, dt});
        for (size_t i = 0; i < m_data.energies.size(); i++)
            m_data.energies[i].points.push_back(PlotPoint{t, values[i]});
        m_data.addedMass.push_back(PlotPoint{t, 2e-4 * std::pow(std::max(0.0, s - 0.2), 1.5)});
        if (m_data.marks.empty() && hourglass > 0.1 * internal)
            m_data.marks.push_back(PlotMark{t, "hourglass > 10 %"});
    }

    const PlotData &Data() const { return m_data; }

private:
    size_t m_dip;
    PlotData m_data;
};

// The first `samples` cycle lines of a run whose lines go on to `total`,
// spread over 70 % of the run.
void fill(SampleRun *run, size_t samples, size_t total)
{
    for (size_t n = 0; n < samples; n++)
        run->Add(n, 0.7 * kEnd * (double)n / (double)total);
}

// Median time of a check: two new lines a curve given to the window and
// drawn.
double check_ms(size_t samples, int runs)
{
    size_t total = samples + 2 * (size_t)runs;
    SampleRun run(samples / 3, "/tmp/");
    fill(&run, samples, total);
    guiPlotWnd *w = new guiPlotWnd(run.Data());
    if (!bench::show_until_drawn(w))
        exit(1);
    std::vector<double> times;
    for (size_t n = samples; n < total; n += 2) {
        run.Add(n, 0.7 * kEnd * (double)n / (double)total);
        run.Add(n + 1, 0.7 * kEnd * (double)(n + 1) / (double)total);
        double t = bench::now_ms();
        w->Update(run.Data());
        bench::flush_to_server();
        times.push_back(bench::now_ms() - t);
    }
    if (w->View()->Data().dt.size() != total)
        exit(1);
    delete w;
    return bench::median(times);
}

double open_ms(size_t samples)
{
    SampleRun run(samples / 3, "/tmp/");
    fill(&run, samples, samples);
    PlotData none;
    none.title = "plate.k";
    guiPlotWnd *w = new guiPlotWnd(none);
    if (!bench::show_until_drawn(w))
        exit(1);
    double t = bench::now_ms();
    w->SetData(run.Data());
    bench::flush_to_server();
    double ms = bench::now_ms() - t;
    delete w;
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    size_t samples = 100000;
    bool show = false;
    const char *folder = "/tmp/";
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--show"))
            show = true;
        else if (!strcmp(argv[i], "--samples") && i + 1 < argc)
            samples = strtoul(argv[i + 1], nullptr, 10);
        else if (!strcmp(argv[i], "--folder") && i + 1 < argc)
            folder = argv[i + 1];
    }
    bench::watch_exposures();
    if (show) {
        SampleRun run(6000, folder);
        fill(&run, 20000, 20000);
        guiPlotWnd w(run.Data());
        w.show();
        return Fl::run();
    }
    if (samples < 10)
        return 1;
    int runs = bench::runs_arg(argc, argv, 51);
    bench::report("check_ms", check_ms(samples, runs));
    bench::report("small_ms", check_ms(1000, runs));
    bench::report("open_ms", open_ms(samples));
    return 0;
}
