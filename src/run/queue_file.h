// The job queue kept in the user's folder (wendle_queue.ini), so that
// closing the window, a lost X session or a crash loses no row: the table's
// rows, the jobs that left it while their terminal ran on, and the run's
// counts. Saved after every change, read back at start; a lock file beside
// it (wendle_queue.lock) keeps a second program of the same user from
// writing it.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "run/queue.h"
#include "run/run.h"

enum { QUEUE_FILE_VERSION = 1 };

// What a queue file holds.
struct SavedQueue {
    std::string boot;  // the system start its terminals' pids belong to
    RunCounts counts;
    std::vector<Job> rows;      // the table, top first
    std::vector<Job> departed;  // jobs that left it while their terminal ran on
};

// The file's text: "wendle-queue=<version>" first, then "key=value" lines,
// each job's starting with "job=<kind>", and "end=<number of jobs>" last.
// Values are escaped ("\\", "\n", "\=", "\xHH" for any other control
// character), so that every text travels on its line.
std::string QueueText(const Queue &queue, const RunCounts &counts, const std::string &boot);
// 1 read; 0 damaged, *why saying where; -1 written by a newer version.
int ReadQueueText(const std::string &text, SavedQueue *saved, std::string *why);
// This system start's identity, or "" when it cannot be read.
std::string BootId();

class QueueFile : private QueueListener {
public:
    QueueFile(Queue &queue, const Run &run);
    ~QueueFile() override;
    QueueFile(const QueueFile &) = delete;
    QueueFile &operator=(const QueueFile &) = delete;

    // Takes the queue file of folder (ending in "/") for this program and
    // fills the empty queue from it; *counts gets the saved counts. A file
    // that cannot be read, is damaged or comes from a newer version is
    // renamed "wendle_queue.ini.rejected" and the table starts empty; while
    // another program holds the lock, the table is this one's own and is
    // not saved. Problem() then says so, in a line for the status line.
    void Open(const std::string &folder, RunCounts *counts);
    const std::string &Problem() const { return m_problem; }
    const std::string &Path() const { return m_path; }
    // Changes are saved (a moment after each burst of them).
    bool Keeping() const { return m_keeping; }
    // A save waits or is being written.
    bool Busy() const;
    // Saves without the wait that gathers a burst of changes: the history
    // log has just been written, and its jobs must be marked as logged.
    void SaveNow();
    // Called with a line for the status line when a save fails; once, until
    // a save succeeds again.
    void OnFailure(void (*cb)(const std::string &text, void *data), void *data);
    // At exit: the last save, written at once after any still under way;
    // the lock goes with it.
    void Close();

private:
    // Each row's lines are kept, and made anew only when the row changes:
    // a save of a long table is then a copy of them.
    void RowAdded(int row) override;
    void RowRemoved(int row) override;
    void RowsChanged(int first, int last) override;
    void DepartedChanged() override { schedule(); }
    void schedule();
    static void SaveTimer(void *data);
    static void WriterTimer(void *data);
    void save();
    void saved(int err);
    void wait_writer();

    Queue &m_queue;
    const Run &m_run;
    std::string m_path, m_boot, m_problem;
    int m_lock = -1;
    bool m_keeping = false;
    bool m_again = false;  // changed while a save was being written
    bool m_failing = false;
    pid_t m_writer = -1;
    std::string m_writerTemp;
    std::vector<std::string> m_rows;  // each row's lines, top first
    void (*m_failure)(const std::string &, void *) = nullptr;
    void *m_failureData = nullptr;
};
