// A running job's progress from the cycle lines of its message file: where
// its simulation time is, how long it will take at the pace of the recent
// lines, whether its time step has collapsed; and the status texts.
#pragma once
#include <string>

#include "solver/cycle_line.h"

class JobProgress {
public:
    JobProgress();
    // A new run: nothing is known.
    void Reset();
    // A cycle line read at `wall` (seconds of a clock that never goes back).
    // A line whose t is below the last one begins the run anew: the message
    // file was written again.
    void Add(double wall, const CycleLine &line);

    bool Known() const { return m_known; }
    long long Cycle() const { return m_last.cycle; }
    double T() const { return m_last.t; }
    double Dt() const { return m_last.dt; }
    double FirstDt() const { return m_firstDt; }
    // dt has fallen below a tenth of the first dt of the run.
    bool StepCollapsed() const;
    // Seconds until t reaches endTime at the pace it advanced over the
    // recent lines, 0 once there; -1 when that cannot be estimated yet (no
    // two lines some seconds apart, t standing still) or endTime is not
    // positive. The lines' own date and time are the clock when they carry
    // one, else the time they were read.
    double SecondsLeft(double endTime) const;

private:
    // How fast t advances against one clock, from samples at least a
    // second apart (the newest is replaced until it is).
    class Pace {
    public:
        void Clear() { m_count = 0; }
        void Add(double clock, double t);
        // false when it cannot be told yet.
        bool Rate(double *perSecond) const;

    private:
        enum { SAMPLES = 64 };
        struct Sample {
            double clock, t;
        };
        const Sample &Back(int k) const;  // 0 the newest
        Sample m_samples[SAMPLES];
        int m_next = 0;  // where the next sample goes
        int m_count = 0;
    };

    bool m_known;
    CycleLine m_last;
    double m_firstDt;
    Pace m_read;     // by the time lines were read
    Pace m_stamped;  // by the lines' own clock
};

// The first status line for a running job named `name` (a deck's file
// name): "plate.k: t = 1.20E-02 of 2.00E-02 (60 %), about 3 min left", the
// parts after t only as far as they are known (an endTime that is not
// positive is none); "plate.k: time step 1.2E-09, was 1.5E-06 at the start"
// once the step has collapsed. Empty before the first cycle line.
std::string ProgressLine(const std::string &name, const JobProgress &progress, double endTime);

// "about 3 min left" and the like, for seconds >= 0.
std::string TimeLeftText(double seconds);

// "2 jobs done, 1 running, 2 queued": parts that are 0 are left out, the
// noun goes with the first part shown; empty when all are 0.
std::string JobCountsLine(int done, int running, int queued);

// JobCountsLine's line with the cores the running jobs use, when a job uses
// more than one: "1 job done, 3 running on 24 cores, 2 queued".
std::string JobCoresLine(int done, int running, int queued, int coresInUse);

// What follows the counts on a machine (machineCores above 0) with fewer
// cores than jobsAtOnce x coresPerJob, whose jobs then slow each other
// down: "; 4 x 8 cores, more than the machine's 16". Empty otherwise.
std::string CoresWarning(int jobsAtOnce, int coresPerJob, long machineCores);
