#include "run/running_job.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/comfunction.h"
#include "run/child_process.h"
#include "solver/sense_switch.h"

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

long long ProcessStartTime(pid_t pid)
{
    // A process of another user answers EPERM: it is there.
    if (pid <= 0 || (kill(pid, 0) != 0 && errno != EPERM))
        return -1;
    char path[64], stat[1024];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    ssize_t n = read(fd, stat, sizeof stat - 1);
    close(fd);
    if (n <= 0)
        return -1;
    // The command name may hold blanks and ")": the fields follow its last
    // ")". The state is the first of them, the start time the 20th.
    const char *end = stat + n;
    const char *p = end;
    while (p > stat && p[-1] != ')')
        p--;
    if (p == stat)
        return -1;
    char state = 0;
    long long start = -1;
    for (int field = 0; field < 20 && p < end; field++) {
        while (p < end && *p == ' ')
            p++;
        const char *word = p;
        while (p < end && *p != ' ')
            p++;
        if (field == 0 && p > word)
            state = *word;
        if (field == 19 && std::from_chars(word, p, start).ec != std::errc())
            return -1;
    }
    return state == 'Z' || state == 'X' ? -1 : start;
}

std::string FileMark(const std::string &path)
{
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return "";
    return std::to_string((unsigned long long)st.st_dev) + ":" +
           std::to_string((unsigned long long)st.st_ino) + ":" +
           std::to_string((long long)st.st_size) + ":" +
           std::to_string((long long)st.st_mtim.tv_sec) + "." +
           std::to_string((long long)st.st_mtim.tv_nsec);
}

Outcome OutcomeOf(int code)
{
    switch (code) {
    case 1: return Outcome::Normal;
    case 0: return Outcome::Error;
    case -2: return Outcome::EmptyUnwritable;
    default: return Outcome::Undecided;
    }
}

std::string RunningJob::FolderKeyOf(const std::string &folder)
{
    struct stat st;
    if (!folder.empty() && stat(folder.c_str(), &st) == 0)
        return "@" + std::to_string((unsigned long long)st.st_dev) + ":" +
               std::to_string((unsigned long long)st.st_ino);
    return folder;
}

RunningJob::RunningJob(int id, const Launch &launch)
    : m_id(id), m_launch(launch), m_folderKey(FolderKeyOf(launch.folder)), m_starting(true)
{
}

RunningJob::~RunningJob() = default;

void RunningJob::Name(bool found, const std::string &name)
{
    m_msgFile = m_launch.msgFolder + (found ? name + ".messag" : "messag");
    m_named = true;
}

int RunningJob::NameStep(size_t budget, bool cards)
{
    const char *deck = m_launch.deck.c_str();
    if (!m_scanOpen) {
        bool found;
        std::string name;
        if (m_cache->Get(deck, &found, &name)) {
            Name(found, name);
            return 1;
        }
        // A deck that cannot be opened gives no name: "messag".
        if (!m_scan.Open(deck, cards)) {
            Name(false, "");
            return 1;
        }
        m_scanOpen = true;
    }
    if (!m_scan.NameKnown())
        m_scan.Step(budget);
    if (!m_scan.NameKnown())
        return 0;
    // The same pass may go on for the end time.
    m_scanOpen = !m_scan.Done();
    if (m_scan.Failed())
        return -1;
    m_cache->Put(deck, m_scan.Identity(), m_scan.Found(), m_scan.Name());
    Name(m_scan.Found(), m_scan.Name());
    return 1;
}

bool RunningJob::ScanDeck(DeckNameCache &cache, size_t budget)
{
    m_cache = &cache;
    // The deck's end-time cards are read on the same pass when it gives
    // the run its end time too.
    int got = NameStep(budget, m_launch.endDeck == m_launch.deck);
    if (got == 0)
        return false;
    // A read error is no end of the deck: its ID may lie past the fault.
    // The plain "messag" stands in until a later look reads the deck whole.
    if (got < 0)
        m_msgFile = m_launch.msgFolder + "messag";
    BeginEndTime();
    return true;
}

void RunningJob::BeginEndTime()
{
    const std::string &deck = m_launch.endDeck;
    if (deck.empty()) {
        m_endState = END_DONE;
        return;
    }
    if (deck == m_launch.deck && m_scanOpen) {
        m_endState = END_DECK;
        return;
    }
    EndTimeCards cards;
    // The name's own pass may have read the deck to its end already.
    if (deck == m_launch.deck && m_scan.CardsRead()) {
        m_cache->PutCards(deck.c_str(), m_scan.Identity(), m_scan.Cards());
        m_endScan.OpenAfter(deck.c_str(), m_scan.Cards());
    } else if (m_cache->GetCards(deck.c_str(), &cards)) {
        m_endScan.OpenAfter(deck.c_str(), cards);
    } else {
        m_endScan.Open(deck.c_str());
    }
    m_endState = END_INCLUDES;
}

bool RunningJob::EndTimeStep(size_t budget)
{
    if (m_endState == END_DECK) {
        if (!m_scan.Step(budget))
            return false;
        m_scanOpen = false;
        if (!m_scan.CardsRead()) {
            m_endState = END_DONE;  // a read failed: no end time is known
            return true;
        }
        m_cache->PutCards(m_launch.deck.c_str(), m_scan.Identity(), m_scan.Cards());
        m_endScan.OpenAfter(m_launch.deck.c_str(), m_scan.Cards());
        m_endState = END_INCLUDES;
        return false;
    }
    if (m_endState == END_INCLUDES) {
        if (!m_endScan.Step(budget))
            return false;
        m_endTime = m_endScan.Result() == 1 ? m_endScan.Value() : 0;
        m_endState = END_DONE;
    }
    return m_endState == END_DONE;
}

pid_t RunningJob::Start(const char *terminal, std::string *problem)
{
    m_starting = false;
    problem->clear();
    std::vector<std::string> args = {m_launch.argA};
    if (!m_launch.argB.empty())
        args.push_back(m_launch.argB);
    SolverCommand cmd = MakeSolverCommand(m_launch.solver, args, m_launch.memory, m_launch.cores,
                                          ClusterTerminal(terminal));
    // A job that cannot run starts nothing and touches no file. The solver
    // must never run in some other job's folder.
    std::string why;
    if (chdir(m_launch.folder.c_str()) != 0)
        *problem = "cannot enter " + m_launch.folder + " (" + strerror(errno) + ")";
    else if (!FindProgram(terminal, &why))
        *problem = "the terminal " + why;
    else if (!FindProgram(m_launch.solver, &why))
        *problem = why;
    else if (!cmd.launcher.empty() && !FindProgram(cmd.launcher, &why))
        *problem = "the MPI launcher " + why;
    // What an earlier run left: its message file, and a sense switch that
    // would stop the new run at once.
    if (problem->empty()) {
        RemoveFile((m_launch.folder + "messag").c_str());
        RemoveSenseSwitch(m_launch.folder.c_str());
    }
    clock_gettime(CLOCK_REALTIME, &m_started);
    // Whatever the files hold now is an earlier run's.
    m_watch.Start(m_msgFile, true);
    m_health->Start(m_launch.folder, m_msgFile);
    m_pid = -1;
    if (!problem->empty())
        return -1;

    std::vector<const char *> argv = {terminal, "-T", "LS-DYNA/Wendle", "-e"};
    for (const std::string &arg : cmd.argv)
        argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    // The program's environment with the job's cores, made before the fork:
    // the child may only exec.
    std::vector<std::string> env;
    for (char **e = environ; *e; e++) {
        bool ours = false;
        for (const std::string &set : cmd.env)
            ours = ours || strncmp(*e, set.c_str(), set.find('=') + 1) == 0;
        if (!ours)
            env.push_back(*e);
    }
    env.insert(env.end(), cmd.env.begin(), cmd.env.end());
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(&e[0]);
    envp.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        CloseInheritedFds();
        execvpe(terminal, const_cast<char *const *>(argv.data()), envp.data());
        _exit(127);
    }
    m_pid = pid < 0 ? -1 : pid;
    return m_pid;
}

void RunningJob::Adopt(DeckNameCache &cache, pid_t pid, long long start,
                       const std::string &msgFile, bool baseline)
{
    m_cache = &cache;
    m_starting = false;
    m_named = true;
    m_msgFile = msgFile;
    m_pid = pid;
    m_adopted = true;
    m_adoptedStart = start;
    clock_gettime(CLOCK_REALTIME, &m_started);
    m_watch.Start(m_msgFile, baseline);
    // Its d3hsp and glstat were written by this run: read whole.
    m_health->Start(m_launch.folder, m_msgFile, false);
    BeginEndTime();
}

void RunningJob::BeginCheck()
{
    m_checking = true;
    m_endKnown = false;
    m_nameTried = false;
    m_healthRead = false;
}

bool RunningJob::CheckSlice(size_t budget, Outcome *outcome)
{
    if (!m_named && m_cache && !m_nameTried) {
        std::string before = m_msgFile;
        int got = NameStep(budget, false);
        if (got == 0)
            return false;
        // Once a look; when it fails again this look is "messag"'s.
        m_nameTried = true;
        if (got > 0 && m_msgFile != before) {
            // Its name was not known when the job started: a file last
            // written before then is an earlier run's.
            struct stat st;
            bool earlier = stat(m_msgFile.c_str(), &st) == 0 &&
                           (st.st_mtim.tv_sec < m_started.tv_sec ||
                            (st.st_mtim.tv_sec == m_started.tv_sec &&
                             st.st_mtim.tv_nsec < m_started.tv_nsec));
            m_watch.Start(m_msgFile, earlier);
            m_health->Renamed(m_msgFile);
        }
    }
    // The energies first: a job judged now is not followed any more.
    if (!m_healthRead) {
        if (m_health->Step(budget))
            return false;
        m_healthRead = true;
    }
    int code;
    for (;;) {
        bool more;
        code = m_watch.Check(budget, &more);
        if (!m_watch.Cycles().empty()) {
            struct timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            double read = (double)now.tv_sec + (double)now.tv_nsec / 1e9;
            for (const CycleLine &line : m_watch.Cycles())
                m_progress.Add(read, line);
            m_health->AddCycles(m_watch.Cycles());
        }
        if (more)
            return false;
        if (m_endKnown)
            break;
        // The file is consulted before the process. A failed fork left no
        // terminal: it counts as one that has ended, and "any child" is
        // never waited for.
        m_endKnown = true;
        m_ended = true;
        if (m_pid > 0 && m_adopted) {
            m_ended = ProcessStartTime(m_pid) != m_adoptedStart;
        } else if (m_pid > 0) {
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
    *outcome = OutcomeOf(code);
    return true;
}

Outcome RunningJob::Look()
{
    bool more;
    return OutcomeOf(m_watch.Check((size_t)-1, &more));
}
