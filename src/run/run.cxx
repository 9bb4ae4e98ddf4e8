#include "run/run.h"

#include <FL/Fl.H>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "run/run_settings.h"
#include "solver/message_watch.h"
#include "solver/sense_switch.h"

namespace {

const double kCheckInterval = 5.0;
// With several jobs at once, or terminals left from before a Reset, how
// often ended terminals are looked for between the checks.
const double kEndWatch = 1.0;
const double kSummaryWait = 5.0;
// Most a deck or message file is read at one go: the rest waits for the
// event loop's next idle moment, so the window answers within a few
// milliseconds whatever the sizes.
const size_t kSliceBytes = 2 * 1024 * 1024;
// Jobs read in one slice share it, each getting at least this much.
const size_t kMinShare = 64 * 1024;

const char kEmptyMessageFile[] =
    "The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!";

double monotonic()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

size_t share_of(size_t jobs)
{
    return std::max(kSliceBytes / std::max<size_t>(jobs, 1), kMinShare);
}

} // namespace

Run::Run(Queue &queue, RunSettings &settings, RunObserver &observer)
    : m_queue(queue), m_settings(settings), m_observer(observer)
{
}

Run::~Run()
{
    Fl::remove_timeout(CheckTimer, this);
    Fl::remove_timeout(PauseTimer, this);
    Fl::remove_idle(IdleStep, this);
}

void Run::CheckTimer(void *data)
{
    static_cast<Run *>(data)->tick();
}

void Run::PauseTimer(void *data)
{
    static_cast<Run *>(data)->pause_over();
}

void Run::IdleStep(void *data)
{
    static_cast<Run *>(data)->idle_step();
}

RunCounts Run::Counts() const
{
    RunCounts c;
    c.succeeded = m_succeeded;
    c.failed = m_failed;
    c.stopped = m_stopping;
    return c;
}

int Run::slots() const
{
    return m_settings.Jobs();
}

int Run::attached(bool stoppedToo) const
{
    int n = 0;
    for (auto &job : m_jobs)
        if (m_queue.RowOf(job->Id()) && (stoppedToo || !job->m_emptyStop))
            n++;
    return n;
}

bool Run::starting() const
{
    for (auto &job : m_jobs)
        if (job->Starting())
            return true;
    return false;
}

bool Run::checking() const
{
    for (auto &job : m_jobs)
        if (job->Checking())
            return true;
    return false;
}

RunningJob *Run::job_of(int row) const
{
    if (row < 1 || row > m_queue.Rows())
        return nullptr;
    int id = m_queue.At(row).id;
    for (auto &job : m_jobs)
        if (job->Id() == id)
            return job.get();
    return nullptr;
}

const RunningJob *Run::JobAt(int row) const
{
    RunningJob *job = job_of(row);
    return job && !job->Starting() ? job : nullptr;
}

std::shared_ptr<const JobHealth> Run::HealthOf(int row) const
{
    if (const RunningJob *job = JobAt(row))
        return job->Health();
    if (row < 1 || row > m_queue.Rows())
        return nullptr;
    auto kept = m_kept.find(m_queue.At(row).id);
    return kept == m_kept.end() ? nullptr : kept->second;
}

void Run::remove(RunningJob *job)
{
    if (m_queue.RowOf(job->Id()))
        m_kept[job->Id()] = job->Health();
    for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it) {
        if (it->get() == job) {
            m_jobs.erase(it);
            return;
        }
    }
}

bool Run::Reading() const
{
    return Fl::has_idle(IdleStep, const_cast<Run *>(this));
}

void Run::ensure_idle()
{
    if (!Fl::has_idle(IdleStep, this))
        Fl::add_idle(IdleStep, this);
}

int Run::Submit(const RunSetup &setup, std::string *alert)
{
    // During a run the queued rows are the run's already; free slots (of
    // several jobs at once) take them now.
    if (m_active) {
        advance();
        return 0;
    }
    int first = m_queue.Find(JobState::Queued);
    if (!first)
        return 0;
    for (int r = first; r <= m_queue.Rows(); r++) {
        const Job &job = m_queue.At(r);
        if (job.state != JobState::Queued)
            continue;
        if (job.precision == 1 && setup.dbl.empty()) {
            *alert = "Double precision LSDYNA.EXE path error!";
            return -1;
        }
        if (job.precision != 1 && setup.single.empty()) {
            *alert = "Single precision LSDYNA.EXE path error!";
            return -1;
        }
    }
    m_setup = setup;
    m_active = true;
    m_stopping = false;
    m_summarized = false;
    // No pause before the first job; a folder still busy with a terminal
    // from before a Reset holds its rows until it ends, and jobs followed
    // since the program started fill their slots.
    if (int r = attached() < slots() ? next_startable() : 0)
        start(r);
    else
        ensure_tick();
    return 1;
}

void Run::start(int row)
{
    const Job &job = m_queue.At(row);
    if (job.id == m_waitId) {
        m_waitId = 0;
        Fl::remove_timeout(PauseTimer, this);
    }
    if (job_of(row))
        return;
    m_queue.SetState(row, JobState::Running);
    m_observer.JobStarted(row);
    m_jobs.push_back(std::unique_ptr<RunningJob>(new RunningJob(job.id, plan_of(job))));
    RunningJob *started = m_jobs.back().get();
    // The message name is fixed now, before the solver can touch its file.
    // A deck read before is known at once; a big one is read in slices.
    if (started->ScanDeck(m_deckNames, kSliceBytes))
        launch(started);
    else
        ensure_idle();
}

RunningJob::Launch Run::plan_of(const Job &job) const
{
    RunningJob::Launch plan;
    plan.solver = job.precision == 1 ? m_setup.dbl : m_setup.single;
    plan.memory = MemoryArgument(job);
    plan.folder = WorkFolder(job);
    plan.msgFolder = plan.folder;
    plan.deck = NamingDeck(job);
    plan.endDeck = EndDeck(job);
    plan.cores = m_settings.Cores();
    if (job.kind == JobKind::Deck) {
        plan.argA = "i=" + job.deck;
    } else {
        plan.argA = "r=" + job.dump;
        if (job.kind == JobKind::RestartWithDeck)
            plan.argB = "i=" + job.deck;
    }
    return plan;
}

void Run::launch(RunningJob *job)
{
    int row = m_queue.RowOf(job->Id());
    static char autoMemory[] = "LSTC_MEMORY=auto";
    static char noMemory[] = "LSTC_MEMORY=";
    putenv(m_autoMemory ? autoMemory : noMemory);

    std::string problem;
    std::string mark = FileMark(job->MessageFile());
    pid_t pid = job->Start(m_setup.terminal.c_str(), &problem);
    bool readWanted = job->m_readWanted;
    std::string msg = job->MessageFile();
    m_queue.SetMessageFile(row, msg);
    // Kept with the row, so that a later start of the program can tell the
    // terminal from a process given its pid since.
    m_queue.SetTerminal(row, pid > 0 ? pid : 0, pid > 0 ? ProcessStartTime(pid) : 0, mark);
    if (!problem.empty()) {
        // The check then finds no terminal and judges the job abnormal.
        m_observer.Message("Job " + std::to_string(row) + " not started: " + problem);
    } else if (!job->Named()) {
        m_observer.Message("Job " + std::to_string(row) +
                           ": its deck cannot be read whole; messag is watched until it can");
    }
    ensure_tick();
    if (!job->EndTimeKnown())
        ensure_idle();
    advance();
    m_observer.ProgressChanged();
    if (readWanted)
        open_message_file(msg, m_setup.terminal);
    // Last: the alert's own event loop lets the run go on, and may judge
    // this job before it returns.
    if (pid < 0 && problem.empty())
        m_observer.Alert("Creaet Child Process Failed!\n");
}

void Run::idle_step()
{
    // Each kind reads its slice; a start comes first, since a job waits.
    bool more = scan_slice();
    more = check_slices() || more;
    more = end_time_slices() || more;
    if (!more)
        Fl::remove_idle(IdleStep, this);
}

bool Run::scan_slice()
{
    for (auto &job : m_jobs) {
        if (!job->Starting())
            continue;
        if (!job->ScanDeck(m_deckNames, kSliceBytes))
            return true;
        launch(job.get());
        // The list may have changed under the loop.
        return false;
    }
    return false;
}

bool Run::end_time_slices()
{
    std::vector<RunningJob *> due;
    for (auto &job : m_jobs)
        if (!job->Starting() && !job->EndTimeKnown() && m_queue.RowOf(job->Id()))
            due.push_back(job.get());
    bool more = false;
    for (RunningJob *job : due)
        more = !job->EndTimeStep(share_of(due.size())) || more;
    return more;
}

void Run::Check()
{
    Fl::remove_timeout(CheckTimer, this);
    m_nextRound = monotonic() + kCheckInterval;
    for (auto &job : m_jobs)
        if (!job->Starting())
            job->BeginCheck();
    if (check_slices())
        ensure_idle();
}

bool Run::check_slices()
{
    std::vector<RunningJob *> due;
    for (auto &job : m_jobs)
        if (job->Checking())
            due.push_back(job.get());
    if (due.empty())
        return false;
    bool reading = false;
    // Judging a job removes only that one from the list.
    for (RunningJob *job : due) {
        Outcome outcome;
        if (!job->CheckSlice(share_of(due.size()), &outcome)) {
            reading = true;
            continue;
        }
        int row = m_queue.RowOf(job->Id());
        if (unsigned trips = job->Health()->TakeTrips())
            if (row)
                m_observer.HealthTripped(row, trips);
        finish_check(job, outcome);
    }
    if (!reading) {
        ensure_tick();
        m_observer.ProgressChanged();
    }
    return reading;
}

void Run::tick()
{
    if (checking()) {
        ensure_tick();
        return;
    }
    if (monotonic() >= m_nextRound - 0.05) {
        Check();
        ensure_tick();
        return;
    }
    // Between rounds a terminal that has ended is checked now, so that its
    // slot (or its folder) goes to the next row within a second.
    bool ended = false;
    for (auto &job : m_jobs) {
        if (job->Starting() || job->Pid() <= 0)
            continue;
        bool gone;
        if (job->Adopted()) {
            // A terminal of an earlier start of the program is no child:
            // the check compares its start time too.
            gone = ProcessStartTime(job->Pid()) < 0;
        } else {
            siginfo_t info;
            info.si_pid = 0;
            // Only looked at: the check reaps it, by its pid.
            gone = waitid(P_PID, (id_t)job->Pid(), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                   info.si_pid == job->Pid();
        }
        if (gone) {
            job->BeginCheck();
            ended = true;
        }
    }
    if (ended && check_slices())
        ensure_idle();
    ensure_tick();
}

void Run::ensure_tick()
{
    if (Fl::has_timeout(CheckTimer, this))
        return;
    bool watchEnds = false, any = false;
    for (auto &job : m_jobs) {
        if (job->Starting())
            continue;
        any = true;
        if (slots() > 1 || !m_queue.RowOf(job->Id()))
            watchEnds = true;
    }
    if (!any)
        return;
    double now = monotonic();
    if (m_nextRound <= now)
        m_nextRound = now + kCheckInterval;
    double delay = m_nextRound - now;
    if (watchEnds)
        delay = std::min(delay, kEndWatch);
    Fl::add_timeout(delay, CheckTimer, this);
}

void Run::finish_check(RunningJob *job, Outcome outcome)
{
    int id = job->Id();
    int row = m_queue.RowOf(id);
    if (!row) {
        // Its row left with a Reset: it keeps its folder busy until its
        // terminal ends, and is judged then.
        if (!job->TerminalRunning()) {
            remove(job);
            if (m_queue.DepartedJob(id)) {
                m_queue.EndDeparted(id, outcome == Outcome::Normal ? JobState::Finished
                                                                   : JobState::Aborted);
                m_observer.DepartedJobEnded(id);
            }
            advance();
        }
        return;
    }
    if (outcome == Outcome::Undecided)
        return;
    if (m_queue.At(row).msgFile != job->MessageFile())
        m_queue.SetMessageFile(row, job->MessageFile());
    if (outcome == Outcome::EmptyUnwritable) {
        empty_stop(job, row);
        return;
    }
    if (job->TerminalRunning() && !job->Adopted())
        m_reaper.Add(job->Pid());
    judge(job, row, outcome);
}

void Run::empty_stop(RunningJob *job, int row)
{
    // The solver could not start its run (no licence, as a rule): nothing
    // more is started, and the run ends without a summary once the other
    // jobs are judged. This one stays "Running" until its terminal ends,
    // and is judged by what its message file says then.
    if (job->m_emptyStop)
        return;
    job->m_emptyStop = true;
    if (m_active) {
        m_stopping = true;
        unwait();
    }
    m_observer.JobEnded(row, Outcome::EmptyUnwritable, false);
    m_observer.Message(kEmptyMessageFile);
    if (m_active && attached(false) == 0)
        end_run(true);
}

void Run::judge(RunningJob *job, int row, Outcome outcome)
{
    if (outcome == Outcome::Normal)
        m_succeeded++;
    else
        m_failed++;
    m_queue.SetState(row, outcome == Outcome::Normal ? JobState::Finished : JobState::Aborted);
    bool stopped = job->m_stopAsked;
    std::string folder = job->Plan().folder;
    remove(job);
    m_observer.JobEnded(row, outcome, stopped);
    if (stopped) {
        std::string name = DisplayName(m_queue.At(row)), dump;
        if (NewestRestartDump(folder.c_str(), &dump) == 1)
            m_observer.Message(name + " stopped; its newest restart dump is " + folder + dump);
        else
            m_observer.Message(name + " stopped without a restart dump in " + folder);
    }
    if (m_stopping) {
        if (m_active && attached(false) == 0)
            end_run(true);
        return;
    }
    advance();
}

void Run::advance()
{
    // A waiting row fills its slot once its pause is over, a starting job
    // once its terminal runs.
    if (!m_active || m_stopping || m_waitId || m_ending || starting())
        return;
    int running = attached();
    int next = running < slots() ? next_startable() : 0;
    if (next) {
        wait_and_start(next);
        return;
    }
    // Queued rows whose folders are busy wait for those terminals to end.
    if (running == 0 && !m_queue.Find(JobState::Queued)) {
        m_ending = true;
        Fl::add_timeout(kSummaryWait, PauseTimer, this);
    }
}

int Run::next_startable()
{
    // The solver writes its message file, plots and restart files into its
    // folder: two jobs there would overwrite each other's.
    std::set<std::string> busy;
    for (auto &job : m_jobs)
        busy.insert(job->FolderKey());
    for (int r = m_queue.Find(JobState::Queued); r; r = m_queue.Find(JobState::Queued, r + 1))
        if (busy.empty() || !busy.count(RunningJob::FolderKeyOf(WorkFolder(m_queue.At(r)))))
            return r;
    return 0;
}

void Run::wait_and_start(int row)
{
    m_queue.SetState(row, JobState::Waiting);
    m_waitId = m_queue.At(row).id;
    m_observer.JobWaiting(row);
    Fl::add_timeout(PauseSeconds(m_queue.At(row)), PauseTimer, this);
}

void Run::unwait()
{
    if (!m_waitId)
        return;
    Fl::remove_timeout(PauseTimer, this);
    int row = m_queue.RowOf(m_waitId);
    m_waitId = 0;
    if (row && m_queue.At(row).state == JobState::Waiting) {
        m_queue.SetAutoMemory(row, m_autoMemory);
        m_queue.SetState(row, JobState::Queued);
    }
}

void Run::pause_over()
{
    if (m_ending) {
        // Rows added during the wait keep the run going.
        m_ending = false;
        if (m_queue.Find(JobState::Queued))
            advance();
        else
            end_run(false);
        return;
    }
    int row = m_queue.RowOf(m_waitId);
    m_waitId = 0;
    if (row && m_queue.At(row).state == JobState::Waiting)
        start(row);
}

void Run::end_run(bool stopped)
{
    m_active = false;
    m_summarized = !stopped;
    Fl::remove_timeout(PauseTimer, this);
    RunCounts counts = Counts();
    counts.stopped = stopped;
    m_observer.RunEnded(counts);
}

int Run::SetJobsAtOnce(int n)
{
    if (n < RunSettings::JOBS_MIN || n > RunSettings::JOBS_MAX)
        return -1;
    int saved = m_settings.SetJobs(n) ? 1 : 0;
    if (m_active) {
        // Lowering lets running jobs end without starting new ones.
        if (attached() >= n)
            unwait();
        else
            advance();
    }
    // The watch between checks follows the number.
    Fl::remove_timeout(CheckTimer, this);
    ensure_tick();
    return saved;
}

void Run::Reset()
{
    unwait();
    m_ending = false;
    m_stopping = false;
    m_active = false;
    m_summarized = false;
    m_succeeded = m_failed = 0;
    m_kept.clear();
    // A job still reading its deck has no terminal yet: it goes.
    m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(),
                                [](const std::unique_ptr<RunningJob> &job) {
                                    return job->Starting();
                                }),
                 m_jobs.end());
    // The others leave the table with their records, unseen, and are
    // judged when their terminals end.
    for (auto &job : m_jobs)
        if (int row = m_queue.RowOf(job->Id()))
            m_queue.Depart(row);
    if (!checking())
        Fl::remove_idle(IdleStep, this);
    Fl::remove_timeout(CheckTimer, this);
    ensure_tick();
}

void Run::Restore(const RunCounts &counts)
{
    m_succeeded = counts.succeeded;
    m_failed = counts.failed;
    std::vector<int> running;
    for (int r = 1; r <= m_queue.Rows(); r++) {
        const Job &job = m_queue.At(r);
        if (job.state == JobState::Running)
            running.push_back(job.id);
        // Queued rows follow "Auto" as it is now; a pause begins anew.
        if (job.state == JobState::Waiting ||
            (job.state == JobState::Queued && job.autoMemory != m_autoMemory)) {
            m_queue.SetAutoMemory(r, m_autoMemory);
            m_queue.SetState(r, JobState::Queued);
        }
    }
    for (const Job &job : m_queue.Departed())
        if (job.state == JobState::Running)
            running.push_back(job.id);
    // Judging a departed job may have it logged and forgotten at once.
    for (int id : running)
        restore(id);
    ensure_tick();
    ensure_idle();
}

void Run::restore(int id)
{
    int row = m_queue.RowOf(id);
    const Job *job = row ? &m_queue.At(row) : m_queue.DepartedJob(id);
    if (!job)
        return;
    if (row && job->msgFile.empty()) {
        m_queue.SetState(row, JobState::Queued);
        return;
    }
    // A file just as it was before the job started holds nothing of its.
    bool untouched = FileMark(job->msgFile) == job->msgMark;
    if (job->terminal > 0 && job->terminalStart > 0 &&
        ProcessStartTime(job->terminal) == job->terminalStart) {
        m_jobs.push_back(std::unique_ptr<RunningJob>(new RunningJob(id, plan_of(*job))));
        m_jobs.back()->Adopt(m_deckNames, job->terminal, job->terminalStart, job->msgFile,
                             untouched);
        return;
    }
    // Its terminal is gone: the message file says all there will be.
    Outcome outcome = Outcome::Error;
    if (!untouched && !job->msgFile.empty()) {
        MessageWatch once;
        once.Start(job->msgFile, false);
        bool more;
        outcome = OutcomeOf(once.Check((size_t)-1, &more));
    }
    JobState state = outcome == Outcome::Normal ? JobState::Finished : JobState::Aborted;
    if (!row) {
        m_queue.EndDeparted(id, state);
        m_observer.DepartedJobEnded(id);
        return;
    }
    if (state == JobState::Finished)
        m_succeeded++;
    else
        m_failed++;
    m_queue.SetState(row, state);
}

void Run::SenseSwitch(int row, int n)
{
    static const char *const kAsked[5] = {"", "to stop and write a restart dump (sw1)",
                                          "to report time and cycle (sw2)",
                                          "to write a restart dump and go on (sw3)",
                                          "to write a plot state (sw4)"};
    RunningJob *job = job_of(row);
    if (n < 1 || n > 4 || !job || job->Starting() ||
        m_queue.At(row).state != JobState::Running)
        return;
    std::string who = DisplayName(m_queue.At(row)) + " (row " + std::to_string(row) + ")";
    std::string why;
    if (!WriteSenseSwitch(job->Plan().folder.c_str(), n, &why)) {
        m_observer.Message("Could not ask " + who + " " + kAsked[n] + ": " + why);
        return;
    }
    if (n == 1)
        job->m_stopAsked = true;
    m_observer.Message("Asked " + who + " " + kAsked[n]);
}

std::string Run::MessageFile(int row)
{
    if (const RunningJob *job = JobAt(row))
        return job->MessageFile();
    const Job &job = m_queue.At(row);
    if (!job.msgFile.empty())
        return job.msgFile;
    std::string name;
    if (DeckMessageName(m_deckNames, NamingDeck(job).c_str(), &name))
        return WorkFolder(job) + name + ".messag";
    return WorkFolder(job) + "messag";
}

Outcome Run::IsFinishedNormal(int row)
{
    if (RunningJob *job = job_of(row))
        if (!job->Starting())
            return job->Look();
    MessageWatch once;
    once.Start(MessageFile(row), false);
    bool more;
    return OutcomeOf(once.Check((size_t)-1, &more));
}

void Run::Read(int row, const std::string &terminal)
{
    if (row < 1 || row > m_queue.Rows())
        return;
    JobState state = m_queue.At(row).state;
    if (state != JobState::Finished && state != JobState::Aborted && state != JobState::Running)
        return;
    // A job still reading its deck has no message file yet: it is shown
    // once known, never found by a whole read of the deck here.
    RunningJob *job = job_of(row);
    if (job && job->Starting()) {
        job->m_readWanted = true;
        return;
    }
    open_message_file(MessageFile(row), terminal);
}

void Run::open_message_file(const std::string &path, const std::string &terminal)
{
    // The terminal is found through PATH, as for a job: the default "xterm"
    // is a bare name.
    pid_t pid = fork();
    if (pid == 0) {
        CloseInheritedFds();
        execlp(terminal.c_str(), terminal.c_str(), "-e", "vi", path.c_str(), (char *)nullptr);
        _exit(127);
    }
    m_reaper.Add(pid);
}
