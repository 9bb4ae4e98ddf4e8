#include "run/queue.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

const long long kDefaultMemoryMB = 300;

std::string folder_of(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string file_of(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A deck's file name without its type: the type is the text after the last
// "." of the file's own name.
std::string stem_of(const std::string &path)
{
    std::string file = file_of(path);
    size_t dot = file.rfind('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

std::string type_of(const std::string &path)
{
    std::string file = file_of(path);
    size_t dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : file.substr(dot + 1);
}

} // namespace

std::string JobName(const Job &job)
{
    switch (job.kind) {
    case JobKind::Deck: return stem_of(job.deck);
    case JobKind::RestartFromDump: return file_of(job.dump);
    case JobKind::RestartWithDeck: return "R =" + file_of(job.dump) + "    I =" + stem_of(job.deck);
    }
    return "";
}

std::string JobFolder(const Job &job)
{
    switch (job.kind) {
    case JobKind::Deck: return folder_of(job.deck);
    case JobKind::RestartFromDump: return folder_of(job.dump);
    case JobKind::RestartWithDeck: {
        std::string dumps = folder_of(job.dump), decks = folder_of(job.deck);
        return dumps == decks ? dumps : "R =" + dumps + "    I =" + decks;
    }
    }
    return "";
}

std::string JobType(const Job &job)
{
    return job.kind == JobKind::Deck ? type_of(job.deck) : "Restart";
}

const char *StateText(JobState state)
{
    switch (state) {
    case JobState::Queued: return "Queued";
    case JobState::Waiting: return "Waiting";
    case JobState::Running: return "Running";
    case JobState::Finished: return "Finished";
    case JobState::Aborted: return "Aborted";
    }
    return "";
}

std::string HistoryLine(const Job &job)
{
    return std::string(StateText(job.state)) + "  " + JobFolder(job) + JobName(job) + "." +
           JobType(job) + "\n";
}

std::string DisplayName(const Job &job)
{
    return job.kind == JobKind::Deck ? file_of(job.deck) : file_of(job.dump);
}

std::string WorkFolder(const Job &job)
{
    return job.kind == JobKind::RestartWithDeck ? folder_of(job.dump) : JobFolder(job);
}

std::string NamingDeck(const Job &job)
{
    return WorkFolder(job) + JobName(job) + "." + JobType(job);
}

std::string EndDeck(const Job &job)
{
    return job.kind == JobKind::RestartFromDump ? std::string() : job.deck;
}

int PauseSeconds(const Job &job)
{
    long long pause = strtoll(job.sec.c_str(), nullptr, 10);
    return pause > 0 ? (int)std::min<long long>(pause, INT_MAX) : 1;
}

std::string MemoryArgument(const Job &job)
{
    // The solver counts memory in words of 4 bytes: 262144 per MB. A value
    // the argument cannot carry is no memory size at all.
    errno = 0;
    char *end;
    long long mb = strtoll(job.mb.c_str(), &end, 10);
    if (end == job.mb.c_str() || errno == ERANGE || mb <= 0 || mb > (LLONG_MAX >> 18))
        mb = kDefaultMemoryMB;
    return "memory=" + std::to_string(mb << 18);
}

int Queue::RowOf(int id) const
{
    for (size_t i = 0; i < m_jobs.size(); i++)
        if (m_jobs[i].id == id)
            return (int)i + 1;
    return 0;
}

int Queue::Find(JobState state, int from) const
{
    for (int r = std::max(from, 1); r <= Rows(); r++)
        if (At(r).state == state)
            return r;
    return 0;
}

int Queue::Add(Job job)
{
    job.id = m_nextId++;
    m_jobs.push_back(std::move(job));
    int row = Rows();
    for (QueueListener *l : m_listeners)
        l->RowAdded(row);
    return row;
}

bool Queue::Remove(int row)
{
    if (row < 1 || row > Rows())
        return false;
    m_jobs.erase(m_jobs.begin() + (row - 1));
    for (QueueListener *l : m_listeners)
        l->RowRemoved(row);
    return true;
}

bool Queue::Swap(int row)
{
    if (row < 1 || row >= Rows())
        return false;
    std::swap(m_jobs[(size_t)row - 1], m_jobs[(size_t)row]);
    Changed(row, row + 1);
    return true;
}

void Queue::Clear()
{
    while (Rows() > 0)
        Remove(1);
}

void Queue::Changed(int first, int last)
{
    for (QueueListener *l : m_listeners)
        l->RowsChanged(first, last);
}

template <class T> void Queue::Set(int row, T Job::*field, const T &value)
{
    m_jobs[(size_t)row - 1].*field = value;
    Changed(row, row);
}

void Queue::SetState(int row, JobState state) { Set(row, &Job::state, state); }
void Queue::SetMessageFile(int row, const std::string &path) { Set(row, &Job::msgFile, path); }
void Queue::SetPrecision(int row, int precision) { Set(row, &Job::precision, precision); }
void Queue::SetMb(int row, const std::string &mb) { Set(row, &Job::mb, mb); }
void Queue::SetSec(int row, const std::string &sec) { Set(row, &Job::sec, sec); }
void Queue::SetAutoMemory(int row, bool on) { Set(row, &Job::autoMemory, on); }

void Queue::SetTerminal(int row, pid_t pid, long long start, const std::string &msgMark)
{
    Job &job = m_jobs[(size_t)row - 1];
    job.terminal = pid;
    job.terminalStart = start;
    job.msgMark = msgMark;
    Changed(row, row);
}

void Queue::SetLogged(int row) { Set(row, &Job::logged, true); }

const Job *Queue::DepartedJob(int id) const
{
    for (const Job &job : m_departed)
        if (job.id == id)
            return &job;
    return nullptr;
}

void Queue::DepartedChanged()
{
    for (QueueListener *l : m_listeners)
        l->DepartedChanged();
}

void Queue::Depart(int row)
{
    if (row < 1 || row > Rows())
        return;
    m_departed.push_back(At(row));
    Remove(row);
}

int Queue::AddDeparted(Job job)
{
    job.id = m_nextId++;
    m_departed.push_back(std::move(job));
    DepartedChanged();
    return m_departed.back().id;
}

void Queue::EndDeparted(int id, JobState state)
{
    for (Job &job : m_departed)
        if (job.id == id)
            job.state = state;
    DepartedChanged();
}

void Queue::Forget(int id)
{
    m_departed.erase(std::remove_if(m_departed.begin(), m_departed.end(),
                                    [id](const Job &job) { return job.id == id; }),
                     m_departed.end());
    DepartedChanged();
}

void Queue::Listen(QueueListener *listener)
{
    m_listeners.push_back(listener);
}

void Queue::Unlisten(QueueListener *listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}
