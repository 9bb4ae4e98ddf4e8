// JobHealth: what a running job's own files tell beyond its outcome: the end
// time the solver uses (its d3hsp), the time step of its cycle lines and the
// energies of its glstat, and the checks those energies trip. It keeps what
// a plot of the job needs, thinned to a bounded size, so that it may outlive
// the job while its row stays in the table.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "solver/cycle_line.h"
#include "solver/d3hsp.h"
#include "solver/glstat.h"

class JobHealth {
public:
    // Points kept a series: past it, pairs of neighbours become one, the
    // time step's lower and each energy's later.
    enum { MAX_POINTS = 8192 };

    // Follows the files the solver writes beside msgFile in folder; with
    // baseline, what they hold now is an earlier run's (a job followed
    // again after a restart of the program reads its own whole).
    void Start(const std::string &folder, const std::string &msgFile, bool baseline = true);
    // The message file's name became known later: its d3hsp is another.
    void Renamed(const std::string &msgFile);
    // Cycle lines the message watch read.
    void AddCycles(const std::vector<CycleLine> &lines);
    // Reads at most budget bytes of d3hsp and glstat; true while more waits.
    bool Step(size_t budget);

    // The solver's own end time, once it has written it.
    bool EndTimeKnown() const { return m_d3hsp.Known(); }
    double EndTime() const { return m_d3hsp.EndTime(); }

    struct Point {
        double t, value;
    };
    const std::vector<Point> &TimeSteps() const { return m_dt; }
    // The energy samples read so far; the one still being written is not
    // among them until the next begins.
    const std::vector<GlstatSample> &Energies() const { return m_energies; }
    const GlstatHealth &Checks() const { return m_checks; }
    // The kinds of check that tripped since the last call, a bit each.
    unsigned TakeTrips();
    // Changes since the last thinning: a plot that kept an older copy must
    // take the series whole again.
    unsigned Thinnings() const { return m_thinnings; }

private:
    D3hspWatch m_d3hsp;
    GlstatWatch m_glstat;
    std::vector<Point> m_dt;
    std::vector<GlstatSample> m_energies;
    GlstatHealth m_checks;
    unsigned m_trips = 0;
    unsigned m_thinnings = 0;
};
