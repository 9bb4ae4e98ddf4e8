// The job queue: the rows of the job table as typed records, owned here.
// The table widget only shows them; every change goes through this object,
// which tells its listeners.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

enum class JobKind { Deck, RestartFromDump, RestartWithDeck };
enum class JobState { Queued, Waiting, Running, Finished, Aborted };

struct Job {
    int id = 0;  // given by the queue, never reused while the program runs
    JobKind kind = JobKind::Deck;
    std::string deck;  // the input deck: a Deck, or a restart's new deck
    std::string dump;  // the restart dump
    std::string size;  // as shown: "12K", or "2K / 3K" for a dump and its deck
    int precision = 0;  // 0 single, 1 double
    std::string mb, sec;  // as typed
    JobState state = JobState::Queued;
    // "Auto" leaves the memory to the solver: the MB cell is locked while
    // the job is queued.
    bool autoMemory = false;
    std::string msgFile;  // the message file, fixed when the job started
    // The started job's terminal: its pid and that process's start time
    // (clock ticks after boot), which tell it from a later process given
    // the same pid; 0 before it starts.
    pid_t terminal = 0;
    long long terminalStart = 0;
    // The message file as it was just before the job started (device,
    // inode, size, time), so that what an earlier run left is told from
    // what this one wrote. Empty when there was none.
    std::string msgMark;
    bool logged = false;  // its line is in the history log
};

// The row's texts, as the table shows them and the history log writes them.
std::string JobName(const Job &job);
std::string JobFolder(const Job &job);
std::string JobType(const Job &job);
const char *StateText(JobState state);
// "Finished  /home/u/jobs/case1.k\n"
std::string HistoryLine(const Job &job);
// The deck or dump as the status lines name a job: "plate.k", "d3dump01".
std::string DisplayName(const Job &job);

// The folder the job runs in and writes its files to, ending in "/": the
// dump's own for a restart with a new deck (its In Folder text may name two
// folders), else the In Folder text.
std::string WorkFolder(const Job &job);
// The path whose *KEYWORD_ID names the message file. For a restart row it
// names no file, so the solver's plain "messag" is looked for.
std::string NamingDeck(const Job &job);
// The deck the solver is given, which holds the run's end time; empty for a
// restart from the dump alone.
std::string EndDeck(const Job &job);
// The pause before the job in whole seconds, at least 1: the leading digits
// of its Sec text.
int PauseSeconds(const Job &job);
// The solver's memory argument: MB x 262144 words; 300 MB when the MB text
// is no positive number the argument can carry.
std::string MemoryArgument(const Job &job);

class QueueListener {
public:
    virtual ~QueueListener() = default;
    virtual void RowAdded(int row) = 0;
    // Rows below it have moved up one.
    virtual void RowRemoved(int row) = 0;
    virtual void RowsChanged(int first, int last) = 0;
    // A job that left the table changed, or was forgotten.
    virtual void DepartedChanged() {}
};

class Queue {
public:
    // Rows are numbered from 1, as the table numbers them.
    int Rows() const { return (int)m_jobs.size(); }
    // row must be 1..Rows().
    const Job &At(int row) const { return m_jobs[(size_t)row - 1]; }
    // The row of the job with this id, 0 once it has left the queue.
    int RowOf(int id) const;
    // The first row from `from` on whose state is `state`, or 0.
    int Find(JobState state, int from = 1) const;

    // Appends the job with a new id; returns its row.
    int Add(Job job);
    bool Remove(int row);
    // Exchanges row and row + 1.
    bool Swap(int row);
    void Clear();

    void SetState(int row, JobState state);
    void SetMessageFile(int row, const std::string &path);
    void SetPrecision(int row, int precision);
    void SetMb(int row, const std::string &mb);
    void SetSec(int row, const std::string &sec);
    void SetAutoMemory(int row, bool on);
    void SetTerminal(int row, pid_t pid, long long start, const std::string &msgMark);
    void SetLogged(int row);

    // Jobs that left the table (Reset) while their terminal ran on: unseen,
    // followed until the terminal ends, and kept until their line is in
    // the history log.
    const std::vector<Job> &Departed() const { return m_departed; }
    // The departed job with this id, or null.
    const Job *DepartedJob(int id) const;
    // The row leaves the table; its job is kept among the departed.
    void Depart(int row);
    // Appends a departed job with a new id; returns the id.
    int AddDeparted(Job job);
    void EndDeparted(int id, JobState state);
    void Forget(int id);

    void Listen(QueueListener *listener);
    void Unlisten(QueueListener *listener);

private:
    void Changed(int first, int last);
    template <class T> void Set(int row, T Job::*field, const T &value);

    void DepartedChanged();

    std::vector<Job> m_jobs;
    std::vector<Job> m_departed;
    int m_nextId = 1;
    std::vector<QueueListener *> m_listeners;
};
