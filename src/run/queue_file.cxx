#include "run/queue_file.h"

#include <FL/Fl.H>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "foundation/safe_write.h"

namespace {

const char kName[] = "wendle_queue.ini";
const char kLockName[] = "wendle_queue.lock";
const char kVersionKey[] = "wendle-queue";
// A burst of changes (a Reset, a run's step) is saved once, this long after
// its first change.
const double kSaveDelay = 0.1;
const double kWriterPoll = 0.02;
// Far more than any table a user keeps: anything larger is no queue file.
const size_t kMaxFile = 256 * 1024 * 1024;

const char *const kKinds[] = {"deck", "restart-dump", "restart-deck"};
const JobState kStates[] = {JobState::Queued, JobState::Waiting, JobState::Running,
                            JobState::Finished, JobState::Aborted};

// Control characters, "\\" and "=" are escaped; values without any, nearly
// all, go in whole.
bool plain(const std::string &value)
{
    for (char ch : value) {
        unsigned char c = (unsigned char)ch;
        if (c < 32 || c == 127 || c == '\\' || c == '=')
            return false;
    }
    return true;
}

void put(std::string &out, const char *key, const std::string &value)
{
    out += key;
    out += '=';
    if (plain(value)) {
        out += value;
        out += '\n';
        return;
    }
    for (char ch : value) {
        unsigned char c = (unsigned char)ch;
        if (c == '\\' || c == '=') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 32 || c == 127) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += ch;
        }
    }
    out += '\n';
}

void put(std::string &out, const char *key, long long value)
{
    char digits[24];
    auto got = std::to_chars(digits, digits + sizeof digits, value);
    out += key;
    out += '=';
    out.append(digits, got.ptr);
    out += '\n';
}

void put_job(std::string &out, const Job &job, bool departed)
{
    put(out, "job", kKinds[(int)job.kind]);
    put(out, "deck", job.deck);
    put(out, "dump", job.dump);
    put(out, "size", job.size);
    put(out, "precision", job.precision);
    put(out, "mb", job.mb);
    put(out, "sec", job.sec);
    put(out, "state", StateText(job.state));
    put(out, "auto", job.autoMemory);
    put(out, "message", job.msgFile);
    put(out, "mark", job.msgMark);
    put(out, "terminal", job.terminal);
    put(out, "started", job.terminalStart);
    put(out, "logged", job.logged);
    put(out, "departed", departed);
}

std::string job_lines(const Job &job)
{
    std::string out;
    put_job(out, job, false);
    return out;
}

// The file's text; rows, when given, holds each row's lines already.
std::string queue_text(const Queue &queue, const std::vector<std::string> *rows,
                       const RunCounts &counts, const std::string &boot)
{
    size_t size = 100 + 400 * (queue.Departed().size() + (rows ? 0 : (size_t)queue.Rows()));
    if (rows)
        for (const std::string &lines : *rows)
            size += lines.size();
    std::string out;
    out.reserve(size);
    put(out, kVersionKey, QUEUE_FILE_VERSION);
    put(out, "boot", boot);
    put(out, "succeeded", counts.succeeded);
    put(out, "failed", counts.failed);
    for (int r = 1; r <= queue.Rows(); r++) {
        if (rows)
            out += (*rows)[(size_t)r - 1];
        else
            put_job(out, queue.At(r), false);
    }
    for (const Job &job : queue.Departed())
        put_job(out, job, true);
    put(out, "end", queue.Rows() + (long long)queue.Departed().size());
    return out;
}

bool unescape(const char *p, const char *end, std::string *out)
{
    for (; p < end; p++) {
        unsigned char c = (unsigned char)*p;
        if (c < 32 || c == 127 || c == '=')
            return false;
        if (c != '\\') {
            *out += *p;
            continue;
        }
        if (++p == end)
            return false;
        if (*p == '\\' || *p == '=') {
            *out += *p;
        } else if (*p == 'n') {
            *out += '\n';
        } else if (*p == 'x' && end - p >= 3) {
            unsigned v = 0;
            auto got = std::from_chars(p + 1, p + 3, v, 16);
            if (got.ptr != p + 3)
                return false;
            *out += (char)v;
            p += 2;
        } else {
            return false;
        }
    }
    return true;
}

bool number(const std::string &text, long long lo, long long hi, long long *n)
{
    auto got = std::from_chars(text.data(), text.data() + text.size(), *n);
    return got.ec == std::errc() && got.ptr == text.data() + text.size() && *n >= lo && *n <= hi;
}

// One job's "key=value" line; false when the key or value is none of ours.
bool job_field(Job &job, bool *departed, const std::string &key, const std::string &value)
{
    long long n = 0;
    bool yes = value == "1";
    bool flag = yes || value == "0";
    if (key == "deck")
        job.deck = value;
    else if (key == "dump")
        job.dump = value;
    else if (key == "size")
        job.size = value;
    else if (key == "mb")
        job.mb = value;
    else if (key == "sec")
        job.sec = value;
    else if (key == "message")
        job.msgFile = value;
    else if (key == "mark")
        job.msgMark = value;
    else if (key == "precision" && flag)
        job.precision = yes;
    else if (key == "auto" && flag)
        job.autoMemory = yes;
    else if (key == "logged" && flag)
        job.logged = yes;
    else if (key == "departed" && flag)
        *departed = yes;
    else if (key == "terminal" && number(value, 0, INT32_MAX, &n))
        job.terminal = (pid_t)n;
    else if (key == "started" && number(value, -1, INT64_MAX, &n))
        job.terminalStart = n;
    else if (key == "state") {
        const JobState *st = std::find_if(std::begin(kStates), std::end(kStates),
                                          [&](JobState s) { return value == StateText(s); });
        if (st == std::end(kStates))
            return false;
        job.state = *st;
    } else
        return false;
    return true;
}

bool job_whole(const Job &job)
{
    switch (job.kind) {
    case JobKind::Deck: return !job.deck.empty();
    case JobKind::RestartFromDump: return !job.dump.empty();
    case JobKind::RestartWithDeck: return !job.deck.empty() && !job.dump.empty();
    }
    return false;
}


} // namespace

std::string QueueText(const Queue &queue, const RunCounts &counts, const std::string &boot)
{
    return queue_text(queue, nullptr, counts, boot);
}

int ReadQueueText(const std::string &text, SavedQueue *saved, std::string *why)
{
    *saved = SavedQueue();
    std::vector<Job> jobs;
    std::vector<bool> departed;
    bool ended = false;
    int line = 0;
    auto damaged = [&](const char *what) {
        *why = line ? "line " + std::to_string(line) + ": " + what : std::string(what);
        return 0;
    };
    for (size_t at = 0; at < text.size();) {
        line++;
        size_t nl = text.find('\n', at);
        if (nl == std::string::npos)
            return damaged("cut short");
        const char *begin = text.data() + at, *end = text.data() + nl;
        at = nl + 1;
        const char *eq = std::find(begin, end, '=');
        std::string key(begin, eq), value;
        if (eq == end || !unescape(eq + 1, end, &value))
            return damaged("not a key=value line");
        long long n = 0;
        if (line == 1) {
            if (key != kVersionKey || !number(value, 1, INT32_MAX, &n))
                return damaged("not a job queue");
            if (n > QUEUE_FILE_VERSION)
                return -1;
            continue;
        }
        if (ended)
            return damaged("after the end");
        if (key == "end") {
            if (!number(value, 0, INT32_MAX, &n) || n != (long long)jobs.size())
                return damaged("not the number of jobs");
            ended = true;
        } else if (key == "job") {
            const char *const *kind = std::find(std::begin(kKinds), std::end(kKinds), value);
            if (kind == std::end(kKinds))
                return damaged("no kind of job");
            if (!jobs.empty() && !job_whole(jobs.back()))
                return damaged("the job before lacks its files");
            jobs.emplace_back();
            jobs.back().kind = (JobKind)(kind - kKinds);
            departed.push_back(false);
        } else if (!jobs.empty()) {
            bool left = departed.back();
            if (!job_field(jobs.back(), &left, key, value))
                return damaged("no field of a job");
            departed.back() = left;
        } else if (key == "boot") {
            saved->boot = value;
        } else if (key == "succeeded" && number(value, 0, INT32_MAX, &n)) {
            saved->counts.succeeded = (int)n;
        } else if (key == "failed" && number(value, 0, INT32_MAX, &n)) {
            saved->counts.failed = (int)n;
        } else {
            return damaged("no setting of the queue");
        }
    }
    if (!ended)
        return damaged(line ? "cut short" : "empty");
    if (!jobs.empty() && !job_whole(jobs.back()))
        return damaged("the last job lacks its files");
    for (size_t i = 0; i < jobs.size(); i++)
        (departed[i] ? saved->departed : saved->rows).push_back(std::move(jobs[i]));
    return 1;
}

std::string BootId()
{
    std::string id;
    if (ReadFileWhole("/proc/sys/kernel/random/boot_id", kMaxFile, &id) != 1)
        return "";
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id;
}

QueueFile::QueueFile(Queue &queue, const Run &run) : m_queue(queue), m_run(run)
{
    m_queue.Listen(this);
}

QueueFile::~QueueFile()
{
    m_queue.Unlisten(this);
    Fl::remove_timeout(SaveTimer, this);
    wait_writer();
    if (m_lock >= 0)
        close(m_lock);
}

void QueueFile::OnFailure(void (*cb)(const std::string &, void *), void *data)
{
    m_failure = cb;
    m_failureData = data;
}

void QueueFile::Open(const std::string &folder, RunCounts *counts)
{
    m_path = folder + kName;
    m_boot = BootId();
    std::string lock = folder + kLockName;
    m_lock = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock file that is there can be locked read-only too. Without one
    // (a folder that may not be written) the queue is read all the same,
    // and its saves say why they fail.
    if (m_lock < 0)
        m_lock = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_lock >= 0 && flock(m_lock, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        close(m_lock);
        m_lock = -1;
        m_problem = "Another Wendle keeps the job queue: this table is not saved";
        return;
    }
    std::string text, why;
    int got = ReadFileWhole(m_path.c_str(), kMaxFile, &text);
    if (got == 0) {
        m_keeping = true;
        return;
    }
    SavedQueue saved;
    int read = got < 0 ? -2 : ReadQueueText(text, &saved, &why);
    if (read != 1) {
        // Never written over unread: put aside whole, whatever it holds.
        std::string kept = m_path + ".rejected";
        if (rename(m_path.c_str(), kept.c_str()) != 0) {
            m_problem = "Job queue file not read, nor put aside: this table is not saved";
            return;
        }
        m_keeping = true;
        m_problem = read == -1   ? "Job queue file of a newer Wendle"
                    : read == 0  ? "Job queue file damaged (" + why + ")"
                                 : std::string("Job queue file cannot be read");
        m_problem += ": kept as wendle_queue.ini.rejected";
        return;
    }
    // After a new start of the system every pid names another process.
    bool sameBoot = !saved.boot.empty() && saved.boot == m_boot;
    for (std::vector<Job> *jobs : {&saved.rows, &saved.departed})
        for (Job &job : *jobs)
            if (!sameBoot)
                job.terminal = 0;
    for (Job &job : saved.rows)
        m_queue.Add(std::move(job));
    for (Job &job : saved.departed)
        m_queue.AddDeparted(std::move(job));
    *counts = saved.counts;
    m_keeping = true;
}

void QueueFile::RowAdded(int row)
{
    if (row >= 1 && (size_t)row <= m_rows.size() + 1)
        m_rows.insert(m_rows.begin() + (row - 1), job_lines(m_queue.At(row)));
    schedule();
}

void QueueFile::RowRemoved(int row)
{
    if (row >= 1 && (size_t)row <= m_rows.size())
        m_rows.erase(m_rows.begin() + (row - 1));
    schedule();
}

void QueueFile::RowsChanged(int first, int last)
{
    for (int r = std::max(first, 1); r <= last && (size_t)r <= m_rows.size(); r++)
        m_rows[(size_t)r - 1] = job_lines(m_queue.At(r));
    schedule();
}

bool QueueFile::Busy() const
{
    return m_writer > 0 || Fl::has_timeout(SaveTimer, const_cast<QueueFile *>(this));
}

void QueueFile::schedule()
{
    if (!m_keeping)
        return;
    if (m_writer > 0)
        m_again = true;
    else if (!Fl::has_timeout(SaveTimer, this))
        Fl::add_timeout(kSaveDelay, SaveTimer, this);
}

void QueueFile::SaveNow()
{
    if (!m_keeping)
        return;
    if (m_writer > 0) {
        m_again = true;
        return;
    }
    Fl::remove_timeout(SaveTimer, this);
    save();
}

void QueueFile::SaveTimer(void *data)
{
    static_cast<QueueFile *>(data)->save();
}

void QueueFile::save()
{
    m_again = false;
    // Rows the lines were not kept for (none, as a rule) are written anew.
    if (m_rows.size() != (size_t)m_queue.Rows()) {
        m_rows.clear();
        for (int r = 1; r <= m_queue.Rows(); r++)
            m_rows.push_back(job_lines(m_queue.At(r)));
    }
    std::string text = queue_text(m_queue, &m_rows, m_run.Counts(), m_boot);
    // The safe replacement's slow step (the writing and its sync, which
    // waits for the disk) in a child: the window never waits for the disk,
    // and a save is whole or not there.
    Replacement r;
    int got = BeginReplacement(m_path.c_str(), &r);
    if (got == 0) {
        saved(EACCES);
        return;
    }
    pid_t pid = got > 0 ? fork() : -1;
    if (pid == 0)
        _exit(FinishReplacement(r, text.data(), text.size()));
    if (got > 0)
        close(r.fd);
    if (pid < 0) {
        // No file can be made beside it, or no child: written here, in
        // place when it must be.
        if (got > 0)
            unlink(r.temp.c_str());
        saved(ReplaceFileSafely(m_path.c_str(), text) ? 0 : errno ? errno : EIO);
        return;
    }
    m_writer = pid;
    m_writerTemp = r.temp;
    Fl::add_timeout(kWriterPoll, WriterTimer, this);
}

void QueueFile::WriterTimer(void *data)
{
    QueueFile *self = static_cast<QueueFile *>(data);
    int status = 0;
    pid_t got = waitpid(self->m_writer, &status, WNOHANG);
    if (got == 0 || (got < 0 && errno == EINTR)) {
        Fl::repeat_timeout(kWriterPoll, WriterTimer, data);
        return;
    }
    self->m_writer = -1;
    int err = got > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : EIO;
    if (err)
        unlink(self->m_writerTemp.c_str());
    self->saved(err);
    if (self->m_again)
        self->schedule();
}

void QueueFile::saved(int err)
{
    if (!err) {
        m_failing = false;
        return;
    }
    if (m_failing)
        return;
    m_failing = true;
    if (m_failure)
        m_failure("Job queue not saved in wendle_queue.ini (" + std::string(strerror(err)) +
                      "); the run goes on",
                  m_failureData);
}

void QueueFile::wait_writer()
{
    if (m_writer <= 0)
        return;
    Fl::remove_timeout(WriterTimer, this);
    int status = 0;
    while (waitpid(m_writer, &status, 0) < 0 && errno == EINTR) {
    }
    m_writer = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        unlink(m_writerTemp.c_str());
}

void QueueFile::Close()
{
    Fl::remove_timeout(SaveTimer, this);
    wait_writer();
    if (m_keeping)
        ReplaceFileSafely(m_path.c_str(), QueueText(m_queue, m_run.Counts(), m_boot));
    m_keeping = false;
    if (m_lock >= 0)
        close(m_lock);
    m_lock = -1;
}
