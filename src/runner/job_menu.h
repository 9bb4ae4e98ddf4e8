// The job table's context menu, opened by the right mouse button: the run's
// settings and commands that do not fit the window's fixed layout.
#pragma once

class JobMenu {
public:
    // What the menu shows: the values marked as current, and whether the
    // row under the pointer runs (its job can be steered).
    struct State {
        int jobsAtOnce = 1;
        int cores = 1;
        bool mpp = false;  // the MPP solver runs through an MPI launcher
        bool notify = true;
        bool rowRunning = false;
        bool rowPlots = false;  // the row's job has started: its plots can be shown
    };
    enum What { NONE, JOBS_AT_ONCE, SENSE_SWITCH, NOTIFY, CORES, MPP, PLOTS };
    struct Pick {
        What what = NONE;
        // The count, the switch (1 to 4), or 1/0 for a setting turned on/off.
        int value = 0;
    };
    // The counts "Jobs at once" and "Cores per job" offer.
    static const int kJobChoices[10];
    static const int kCoreChoices[8];

    // Shows the menu at the pointer of the current event and waits for a
    // pick; the run's timers go on meanwhile. NONE when dismissed.
    static Pick Popup(const State &state);
};
