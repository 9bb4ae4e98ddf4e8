// Run: a submission run over the job queue. It starts the queued jobs in
// terminals, as many at once as the run settings allow and never two in one
// folder, follows each through a RunningJob, judges it from its message
// file and its terminal's end, and counts the outcomes for the summary.
// Everything happens in three toolkit callbacks: the check timer, the pause
// timer (before a job, or before the summary) and an idle step that reads
// decks and message files in slices. It knows the queue and an observer,
// and no widget.
#pragma once
#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "run/child_process.h"
#include "run/queue.h"
#include "run/running_job.h"
#include "solver/deck_name.h"

class RunSettings;

// What a run is given at Submit.
struct RunSetup {
    std::string single, dbl;  // the solvers of the two precisions
    std::string terminal;     // the terminal program that runs jobs
};

struct RunCounts {
    int succeeded = 0, failed = 0;
    // The run ended without its summary: a job's message file was empty.
    bool stopped = false;
};

// What the run tells the window. Rows' records change through the queue,
// which tells its own listeners; these are the run's events.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The row's job waits for its pause, or has started (its terminal is
    // being started).
    virtual void JobWaiting(int row) = 0;
    virtual void JobStarted(int row) = 0;
    // The row's job was judged: Normal ("Finished") or Error ("Aborted");
    // EmptyUnwritable: its empty message file stopped the run, the row
    // stays "Running". stopAsked: the job had been asked to stop (sw1).
    virtual void JobEnded(int row, Outcome outcome, bool stopAsked) = 0;
    // A check round ended: the running jobs' progress may have moved.
    virtual void ProgressChanged() = 0;
    // Checks of the row's energies tripped: a bit 1 << GlstatHealth::Kind
    // each, once per job and kind.
    virtual void HealthTripped(int row, unsigned kinds) = 0;
    // A line for the first status line, held until the next job starts.
    virtual void Message(const std::string &text) = 0;
    // A failure the user must acknowledge (a failed fork).
    virtual void Alert(const std::string &text) = 0;
    virtual void RunEnded(const RunCounts &counts) = 0;
    // A job that had left the table (Reset) while its terminal ran on has
    // ended: the queue's departed record of that id holds its outcome.
    virtual void DepartedJobEnded(int id) = 0;
};

class Run {
public:
    Run(Queue &queue, RunSettings &settings, RunObserver &observer);
    ~Run();
    Run(const Run &) = delete;
    Run &operator=(const Run &) = delete;

    // Submit Jobs: 1 the run started, 0 nothing to do (no row is queued, or
    // a run is going: its free slots take queued rows), -1 with *alert
    // naming the precision whose solver path is empty (nothing has changed
    // then).
    int Submit(const RunSetup &setup, std::string *alert);
    bool Active() const { return m_active; }
    RunCounts Counts() const;
    // The last run ended with its summary, and nothing has been started or
    // reset since.
    bool Summarized() const { return m_summarized; }
    // Reset Jobs, before the queue is cleared: every pending step goes and
    // the counts start again. Terminals still open run on; their jobs leave
    // the table for the queue's departed ones, their folders stay busy for
    // new jobs until they end, and then they are judged.
    void Reset();
    // At start, over the rows (and departed jobs) a saved queue brought
    // back, with the counts saved with them: a "Waiting" row is queued
    // again; a "Running" job whose terminal still runs (the same pid and
    // start time) is followed, counts against the slots and keeps its
    // folder busy; one whose terminal is gone is judged at once from its
    // message file; one that never got a terminal is queued again.
    void Restore(const RunCounts &counts);

    // Jobs at once, saved in the run settings: 1 saved, 0 in force but the
    // file not written, -1 outside the allowed range (nothing changes). A
    // change applies at once: raising starts more, lowering sends the row
    // waiting for its pause back to the queue.
    int SetJobsAtOnce(int n);
    // The "Auto" memory switch, for the environment of the jobs to come.
    void SetAutoMemory(bool on) { m_autoMemory = on; }

    // A check of every running job now, as the check timer makes one.
    void Check();
    // True while a deck or message file is still being read in slices.
    bool Reading() const;

    // Asks the solver of the row's running job for sense switch n (1 to 4)
    // and says so in a message.
    void SenseSwitch(int row, int n);
    // "Read Message File" for a row that ran or runs: the message file in
    // vi in the terminal; for a job still reading its deck, once its name
    // is known (in the run's terminal).
    void Read(int row, const std::string &terminal);
    // The row's message file: the one fixed when its job started, else the
    // one its deck names now.
    std::string MessageFile(int row);
    Outcome IsFinishedNormal(int row);
    // The row's job once its terminal has been started, or null.
    const RunningJob *JobAt(int row) const;
    // What the row's job told of its health, while it runs and after it
    // ended; null for a job that never started.
    std::shared_ptr<const JobHealth> HealthOf(int row) const;

private:
    static void CheckTimer(void *data);
    static void PauseTimer(void *data);
    static void IdleStep(void *data);
    void tick();
    void pause_over();
    void idle_step();

    void start(int row);
    RunningJob::Launch plan_of(const Job &job) const;
    void launch(RunningJob *job);
    void restore(int id);
    // One slice of each kind of reading; true while more waits.
    bool scan_slice();
    bool check_slices();
    bool end_time_slices();
    void finish_check(RunningJob *job, Outcome outcome);
    void empty_stop(RunningJob *job, int row);
    void judge(RunningJob *job, int row, Outcome outcome);
    // After a change of the jobs running: the next row waits for its pause,
    // or the run waits for its summary.
    void advance();
    void wait_and_start(int row);
    // The row waiting for its pause goes back to the queue.
    void unwait();
    void end_run(bool stopped);
    // The first queued row whose folder no job uses, or 0.
    int next_startable();
    int slots() const;
    // Jobs followed whose rows are in the table; without stoppedToo, not
    // those an empty message file stopped.
    int attached(bool stoppedToo = true) const;
    bool starting() const;
    bool checking() const;
    void ensure_tick();
    void ensure_idle();
    void remove(RunningJob *job);
    RunningJob *job_of(int row) const;
    void open_message_file(const std::string &path, const std::string &terminal);

    Queue &m_queue;
    RunSettings &m_settings;
    RunObserver &m_observer;
    RunSetup m_setup;
    bool m_autoMemory = false;
    bool m_active = false;
    bool m_stopping = false;  // an empty message file: no more starts
    bool m_ending = false;    // the pause before the summary
    bool m_summarized = false;
    int m_succeeded = 0, m_failed = 0;
    int m_waitId = 0;  // the job waiting for its pause
    double m_nextRound = 0;
    // Jobs whose terminal was started or is being started; a job whose row
    // left the queue (Reset) is followed until its terminal ends.
    std::vector<std::unique_ptr<RunningJob>> m_jobs;
    DeckNameCache m_deckNames;
    ChildReaper m_reaper;
    // The health of ended jobs whose rows are still in the table, by id.
    std::map<int, std::shared_ptr<JobHealth>> m_kept;
};
