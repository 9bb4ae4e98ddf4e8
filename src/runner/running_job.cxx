#include "runner/running_job.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "foundation/comfunction.h"

bool FindProgram(const std::string &name, std::string *why)
{
    auto runnable = [](const std::string &path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
               access(path.c_str(), X_OK) == 0;
    };
    if (name.find('/') != std::string::npos) {
        if (runnable(name))
            return true;
        *why = name + " is not an executable file";
        return false;
    }
    const char *path = getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t from = 0;
    while (from <= dirs.size()) {
        size_t colon = dirs.find(':', from);
        std::string dir = dirs.substr(from, colon == std::string::npos ? colon : colon - from);
        if (runnable((dir.empty() ? "." : dir) + "/" + name))
            return true;
        if (colon == std::string::npos)
            break;
        from = colon + 1;
    }
    *why = name.empty() ? std::string("no program is named") : name + " is not found in PATH";
    return false;
}

void CloseInheritedFds()
{
    if (close_range(3, ~0U, 0) == 0)
        return;
    long max = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); fd++)
        close(fd);
}

std::string RunningJob::FolderKeyOf(const std::string &folder)
{
    char real[PATH_MAX];
    if (!folder.empty() && realpath(folder.c_str(), real))
        return std::string(real) + "/";
    return folder;
}

RunningJob::RunningJob(int row, const Launch &launch)
    : m_row(row), m_launch(launch), m_folderKey(FolderKeyOf(launch.folder)), m_starting(true)
{
}

RunningJob::RunningJob(int row, pid_t pid, const std::string &msgFile)
    : m_row(row), m_starting(false), m_pid(pid), m_msgFile(msgFile)
{
    m_watch.Start(msgFile, false);
}

RunningJob::~RunningJob() = default;

bool RunningJob::ScanDeck(DeckNameCache &cache, size_t budget)
{
    const char *deck = m_launch.deck.c_str();
    bool found = false;
    std::string name;
    bool known = false;
    if (!m_scanOpen) {
        if (cache.Get(deck, &found, &name)) {
            known = true;
        } else if (!m_scan.Open(deck)) {
            known = true;
        } else {
            m_scanOpen = true;
        }
    }
    if (m_scanOpen) {
        if (!m_scan.Step(budget))
            return false;
        m_scanOpen = false;
        cache.Put(deck, m_scan.Identity(), m_scan.Found(), m_scan.Name());
        found = m_scan.Found();
        name = m_scan.Name();
        known = true;
    }
    if (known)
        m_msgFile = m_launch.msgFolder + (found ? name + ".messag" : "messag");
    return known;
}

void RunningJob::StopScan()
{
    m_scan.Close();
    m_scanOpen = false;
}

pid_t RunningJob::Start(const char *terminal, std::string *problem)
{
    m_starting = false;
    problem->clear();
    // A job that cannot run starts nothing and touches no file. The solver
    // must never run in some other job's folder.
    std::string why;
    if (!m_launch.record)
        *problem = "the restart job has lost its record";
    else if (chdir(m_launch.folder.c_str()) != 0)
        *problem = "cannot enter " + m_launch.folder + " (" + strerror(errno) + ")";
    else if (!FindProgram(terminal, &why))
        *problem = "the terminal " + why;
    else if (!FindProgram(m_launch.solver, &why))
        *problem = why;
    if (problem->empty())
        RemoveFile((m_launch.folder + "messag").c_str());
    // Whatever the file holds now is an earlier run's.
    m_watch.Start(m_msgFile, true);
    m_pid = -1;
    if (!problem->empty())
        return -1;

    const char *argv[10];
    int n = 0;
    argv[n++] = terminal;
    argv[n++] = "-T";
    argv[n++] = "LS-DYNA/Wendle";
    argv[n++] = "-e";
    argv[n++] = m_launch.solver.c_str();
    argv[n++] = m_launch.argA.c_str();
    if (!m_launch.argB.empty())
        argv[n++] = m_launch.argB.c_str();
    argv[n++] = m_launch.memory.c_str();
    argv[n] = nullptr;

    pid_t pid = fork();
    if (pid == 0) {
        CloseInheritedFds();
        execvp(terminal, const_cast<char *const *>(argv));
        _exit(127);
    }
    m_pid = pid < 0 ? -1 : pid;
    return m_pid;
}

void RunningJob::BeginCheck()
{
    m_checking = true;
    m_endKnown = false;
}

int RunningJob::CheckSlice(size_t budget)
{
    int code;
    for (;;) {
        bool more;
        code = m_watch.Check(budget, &more);
        if (more)
            return CHECK_READING;
        if (m_endKnown)
            break;
        // The file is consulted before the process. A failed fork left no
        // terminal: it counts as one that has ended, and "any child" is
        // never waited for.
        m_endKnown = true;
        m_ended = true;
        if (m_pid > 0) {
            int status;
            pid_t got = waitpid(m_pid, &status, WNOHANG);
            m_ended = got == m_pid || (got < 0 && errno == ECHILD);
        }
        // A terminal that has just ended may have had its last lines
        // written after the look: one more look sees them.
        if (!m_ended || code == 1)
            break;
    }
    m_checking = false;
    if (m_ended && code != 1)
        code = 0;
    return code;
}

int RunningJob::Look()
{
    bool more;
    return m_watch.Check((size_t)-1, &more);
}
