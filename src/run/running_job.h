// RunningJob: one job of a run, from its start to its outcome: its job (by
// the queue's id), the terminal it runs in, the message file fixed when it started, the deck scan
// that names that file (and finds the run's end time), the watch that
// follows the file from check to check, and the progress it reads there.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>

#include "solver/deck_name.h"
#include "solver/end_time.h"
#include "solver/message_watch.h"
#include "run/job_health.h"
#include "run/progress.h"
#include "run/solver_command.h"

// What the looks at a job's message file, and at its terminal, decided.
enum class Outcome { Normal, Error, Undecided, EmptyUnwritable };
// From the message file's codes: 1 normal, 0 error, -1 undecided, -2 empty
// and unwritable.
Outcome OutcomeOf(int code);

class RunningJob {
public:
    // What the job runs: filled from its row before it starts.
    struct Launch {
        std::string solver, memory;
        std::string folder;     // the working folder, ending in "/"
        std::string argA, argB;  // "i=…" or "r=…", and "i=…" for a restart with a deck
        std::string msgFolder;  // where its message file lies
        std::string deck;       // the deck that names the message file
        std::string endDeck;    // the deck that gives the run its end time, or none
        CoreSettings cores;     // as the run settings were when it started
    };

    RunningJob(int id, const Launch &launch);
    ~RunningJob();
    RunningJob(const RunningJob &) = delete;
    RunningJob &operator=(const RunningJob &) = delete;

    // The queue's id of its job; the job may have left the queue (Reset)
    // while its terminal runs on.
    int Id() const { return m_id; }
    const Launch &Plan() const { return m_launch; }
    // The working folder as the file system knows it (its device and
    // inode), so that two spellings of one folder, or one folder reached
    // through two mount points, are one folder.
    const std::string &FolderKey() const { return m_folderKey; }
    static std::string FolderKeyOf(const std::string &folder);

    // Before the terminal starts: the deck's message name is being found.
    bool Starting() const { return m_starting; }
    // Finds the message name, reading at most budget bytes of the deck
    // (through cache when it knows the deck). True once the scan is over:
    // with the name, or, when a read of the deck failed, with "messag" for
    // now (Named() false); each check then reads the deck again.
    bool ScanDeck(DeckNameCache &cache, size_t budget);
    bool Named() const { return m_named; }

    // The run's end time (ENDTIM), read on after the message name in
    // slices of at most budget bytes: true once known or known not to be.
    bool EndTimeStep(size_t budget);
    bool EndTimeKnown() const { return m_endState == END_DONE; }
    // The end time: the solver's own once its d3hsp says it, before that
    // the deck's; 0 when neither is known.
    double EndTime() const
    {
        return m_health->EndTimeKnown() ? m_health->EndTime() : m_endTime;
    }
    // Its time steps, energies and their checks; kept by the run while the
    // job's row stays in the table.
    const std::shared_ptr<JobHealth> &Health() const { return m_health; }
    // What the cycle lines of the message file said so far.
    const JobProgress &Progress() const { return m_progress; }

    // Starts the terminal: the message file is fixed, the old "messag" of
    // the folder removed, and terminal -T LS-DYNA/Wendle -e and the solver
    // command forked from the job's folder. Returns the pid, or -1 with
    // *problem saying why nothing was started (a failed fork leaves *problem
    // empty): no terminal, solver or MPI launcher to be found, among others.
    pid_t Start(const char *terminal, std::string *problem);

    // Follows a terminal started by an earlier run of the program, which
    // still runs: pid with the start time it had then. It is no child of
    // this process, so its end is told by polling, never by waitpid. With
    // baseline, what the message file holds now is an earlier run's.
    void Adopt(DeckNameCache &cache, pid_t pid, long long start, const std::string &msgFile,
               bool baseline);
    bool Adopted() const { return m_adopted; }

    pid_t Pid() const { return m_pid; }
    void SetPid(pid_t pid) { m_pid = pid; }
    const std::string &MessageFile() const { return m_msgFile; }

    // A check: BeginCheck, then CheckSlice until it returns true with the
    // outcome: Error also for a terminal that ended without a normal end;
    // EmptyUnwritable only while the terminal runs.
    void BeginCheck();
    bool Checking() const { return m_checking; }
    bool CheckSlice(size_t budget, Outcome *outcome);
    // True when the last check found the terminal still running.
    bool TerminalRunning() const { return !m_ended; }
    // One whole look at the message file, for the outcome alone.
    Outcome Look();

    // "Read Message File" asked before the file was known.
    bool m_readWanted = false;
    // The solver was asked to stop with a restart dump.
    bool m_stopAsked = false;
    // Its empty message file stopped the run; it is followed on until its
    // terminal ends.
    bool m_emptyStop = false;

private:
    // 1 the message file is named, 0 bytes of the deck wait, -1 a read of
    // it failed.
    int NameStep(size_t budget, bool cards);
    void Name(bool found, const std::string &name);
    void BeginEndTime();

    int m_id;
    Launch m_launch;
    std::string m_folderKey;
    bool m_starting;
    DeckNameCache *m_cache = nullptr;
    DeckNameScan m_scan;
    bool m_scanOpen = false;
    bool m_named = false;
    bool m_nameTried = false;  // in this check
    struct timespec m_started = {0, 0};
    // The end time: the deck scan goes on for it (END_DECK), its includes
    // or another deck are read (END_INCLUDES), or it is known.
    enum { END_WAIT, END_DECK, END_INCLUDES, END_DONE } m_endState = END_WAIT;
    EndTimeScan m_endScan;
    double m_endTime = 0;
    JobProgress m_progress;
    pid_t m_pid = -1;
    std::string m_msgFile;
    MessageWatch m_watch;
    bool m_checking = false;
    bool m_endKnown = false, m_ended = false;
    std::shared_ptr<JobHealth> m_health = std::make_shared<JobHealth>();
    bool m_healthRead = false;  // in this check
    bool m_adopted = false;
    long long m_adoptedStart = 0;
};

// The start time of the live process pid (clock ticks after boot, from
// /proc/<pid>/stat), or -1 when no process has that pid or it has ended
// and waits to be reaped.
long long ProcessStartTime(pid_t pid);
// A file as it is now (device, inode, size, time), which tells a message
// file that a run never touched from one it wrote; "" when there is none.
std::string FileMark(const std::string &path);

// Whether exec would find name from the working folder: a path with a "/"
// must be an executable regular file, a bare name is looked up along PATH.
// Otherwise *why says what is wrong.
bool FindProgram(const std::string &name, std::string *why);
