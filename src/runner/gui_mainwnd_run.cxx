// The main window's run engine: submitting the queue, starting jobs in
// terminals (as many at once as the user allows), judging each from its
// message file, and reading that file.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/comfunction.h"
#include "grid/fltk_grid.h"
#include "run/child_process.h"
#include "runner/job_menu.h"
#include "run/progress.h"
#include "run/solver_command.h"
#include "solver/sense_switch.h"

namespace {

const double kCheckInterval = 5.0;
const long long kDefaultMemoryMB = 300;
// Most a deck or message file is read at one go: the rest waits for the
// event loop's next idle moment, so the window answers within a few
// milliseconds whatever the sizes.
const size_t kSliceBytes = 2 * 1024 * 1024;
// Jobs checked in one slice share it, each getting at least this much.
const size_t kMinShare = 64 * 1024;
// With several jobs at once, how often ended terminals are looked for.
const double kEndWatch = 1.0;

// The folder part of a path, up to and including its last "/".
std::string folder_of(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash ? std::string(path, slash + 1) : std::string();
}

} // namespace

void guiMainWnd::RunDynaProcess(void *data)
{
    static_cast<guiMainWnd *>(data)->real_rundynaprocess();
}
void guiMainWnd::ChkMsg(void *data)
{
    static_cast<guiMainWnd *>(data)->real_chkmsg();
}
void guiMainWnd::ChkEnd(void *data)
{
    static_cast<guiMainWnd *>(data)->real_chkend();
}

void guiMainWnd::activate_solver_controls(bool on)
{
    Fl_Widget *controls[] = {btnSinglePrecision,  btnDoublePrecision, btnSelDynaLocation1,
                             btnSelDynaLocation2, inDynaLocation1,    inDynaLocation2};
    for (Fl_Widget *w : controls) {
        if (on)
            w->activate();
        else
            w->deactivate();
    }
}

void guiMainWnd::real_submit_cb()
{
    if (m_runStat == 1)
        return;
    int rows = m_grid->GetRows();
    int first = 0;
    for (int r = 1; r <= rows && !first; r++)
        if (StatusHas(r, "Queued"))
            first = r;
    if (!first)
        return;
    for (int r = first; r <= rows; r++) {
        if (!StatusHas(r, "Queued"))
            continue;
        if (m_grid->GetChoiceValue(r) == 1 && !*inDynaLocation2->value()) {
            fl_alert("Double precision LSDYNA.EXE path error!");
            return;
        }
        if (m_grid->GetChoiceValue(r) != 1 && !*inDynaLocation1->value()) {
            fl_alert("Single precision LSDYNA.EXE path error!");
            return;
        }
    }
    activate_solver_controls(false);
    m_curSub = first;
    m_runStat = 1;
    m_stopping = false;
    RunDynaProcess(this);
}

RunningJob *guiMainWnd::job_at(int row)
{
    for (auto &job : m_jobs)
        if (job->Row() == row)
            return job.get();
    return nullptr;
}

void guiMainWnd::remove_job(RunningJob *job)
{
    // Read shows the file the job was judged on.
    int r = job->Row();
    if (!job->Starting() && r > 0) {
        if (m_jobMsgFile.size() <= (size_t)r)
            m_jobMsgFile.resize((size_t)r + 1);
        m_jobMsgFile[(size_t)r] = job->MessageFile();
    }
    for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it) {
        if (it->get() == job) {
            m_jobs.erase(it);
            return;
        }
    }
}

int guiMainWnd::running_count() const
{
    return (int)m_jobs.size();
}

void guiMainWnd::note_current()
{
    m_noted.row = m_curSub;
    m_noted.pid = m_childpid;
}

void guiMainWnd::real_rundynaprocess()
{
    int r = m_curSub;
    if (r <= 0 || r > m_grid->GetRows())
        return;
    if (r == m_waitRow) {
        m_waitRow = 0;
        Fl::remove_timeout(RunDynaProcess, this);
    }
    Fl::remove_timeout(ChkEnd, this);
    // Jobs start one after another: a start still reading its deck is
    // given up for this one, and a row is run by one job only.
    for (size_t i = 0; i < m_jobs.size();) {
        RunningJob *job = m_jobs[i].get();
        if (job->Starting() || job->Row() == r) {
            reap_later(job->Pid());
            m_jobs.erase(m_jobs.begin() + (long)i);
        } else {
            i++;
        }
    }
    Fl::remove_idle(StartStep, this);

    SetStatus(r, "Running", 3);
    m_grid->SelectRow(r);
    LockRow(r);

    RunningJob::Launch plan;
    plan.solver =
        m_grid->GetChoiceValue(r) == 1 ? inDynaLocation2->value() : inDynaLocation1->value();

    // The solver counts memory in words of 4 bytes: 262144 per MB. A value
    // the argument cannot carry is no memory size at all.
    std::string mbText = CellText(r, COL_MB);
    errno = 0;
    char *end;
    long long mb = strtoll(mbText.c_str(), &end, 10);
    if (end == mbText.c_str() || errno == ERANGE || mb <= 0 || mb > (LLONG_MAX >> 18))
        mb = kDefaultMemoryMB;
    plan.memory = "memory=" + std::to_string(mb << 18);

    // The end time comes from the deck the solver is given: none for a
    // restart from the dump alone.
    std::string type = CellText(r, COL_TYPE);
    row_data *record = m_grid->GetRowData(r);
    if (type != "Restart") {
        plan.folder = CellText(r, COL_FOLDER);
        plan.endDeck = plan.folder + CellText(r, COL_NAME) + "." + type;
        plan.argA = "i=" + plan.endDeck;
    } else if (record && record->nType == 2) {
        plan.folder = folder_of(record->szD3dump);
        plan.argA = std::string("r=") + record->szD3dump;
        plan.argB = std::string("i=") + record->szK;
        plan.endDeck = record->szK;
    } else if (record) {
        plan.folder = CellText(r, COL_FOLDER);
        plan.argA = std::string("r=") + record->szD3dump;
    } else {
        plan.record = false;
    }
    JobFiles(r, &plan.msgFolder, &plan.deck);
    plan.cores = m_runSettings.Cores();

    m_jobs.push_back(std::unique_ptr<RunningJob>(new RunningJob(r, plan)));
    RunningJob *job = m_jobs.back().get();
    note_current();
    // The message name is fixed now, before the solver can touch its file.
    // A deck read before is known at once; a big one is read in slices.
    if (job->ScanDeck(m_deckNames, kSliceBytes))
        launch(job);
    else
        Fl::add_idle(StartStep, this);
}

void guiMainWnd::StartStep(void *data)
{
    guiMainWnd *self = static_cast<guiMainWnd *>(data);
    for (auto &job : self->m_jobs) {
        if (!job->Starting())
            continue;
        if (!job->ScanDeck(self->m_deckNames, kSliceBytes))
            return;
        Fl::remove_idle(StartStep, data);
        self->launch(job.get());
        return;
    }
    Fl::remove_idle(StartStep, data);
}

void guiMainWnd::launch(RunningJob *job)
{
    int r = job->Row();
    static char autoMemory[] = "LSTC_MEMORY=auto";
    static char noMemory[] = "LSTC_MEMORY=";
    putenv(m_autoMem->value() ? autoMemory : noMemory);

    std::string problem;
    pid_t pid = job->Start(m_szXterm, &problem);
    bool readWanted = job->m_readWanted;
    std::string msg = job->MessageFile();
    // A job that starts ends what the status lines held until now.
    m_held[0] = m_held[1] = false;
    if (!problem.empty()) {
        // The check then finds no terminal and judges the job abnormal.
        notice(lblFisrt, "Job " + std::to_string(r) + " not started: " + problem);
    } else if (!job->Named()) {
        notice(lblFisrt, "Job " + std::to_string(r) +
                             ": its deck cannot be read whole; messag is watched until it can");
    }
    m_childpid = pid;
    note_current();
    m_runStat = 1;
    ensure_tick();
    if (!job->EndTimeKnown() && !Fl::has_idle(ScanStep, this))
        Fl::add_idle(ScanStep, this);
    if (JobsAtOnce() > 1 && !Fl::has_timeout(WatchEnds, this))
        Fl::add_timeout(kEndWatch, WatchEnds, this);
    fill_slots();
    update_status();
    if (readWanted)
        open_message_file(msg);
    // Last: the alert's own event loop lets the run go on, and may judge
    // this job before it returns.
    if (pid < 0 && problem.empty())
        fl_alert("Creaet Child Process Failed!\n");
}

int guiMainWnd::GetMessageName(const char *deck, char *name)
{
    std::string found;
    int r = deck ? DeckMessageName(m_deckNames, deck, &found) : 0;
    snprintf(name, MSG_NAME_SIZE, "%s", found.c_str());
    return r;
}

void guiMainWnd::JobFiles(int row, std::string *folder, std::string *deck)
{
    row_data *job = m_grid->GetRowData(row);
    *folder = job && job->nType == 2 ? folder_of(job->szD3dump) : CellText(row, COL_FOLDER);
    *deck = *folder + CellText(row, COL_NAME) + "." + CellText(row, COL_TYPE);
}

std::string guiMainWnd::MessageFile(int row)
{
    RunningJob *job = job_at(row);
    if (job && !job->Starting())
        return job->MessageFile();
    if ((size_t)row < m_jobMsgFile.size() && !m_jobMsgFile[(size_t)row].empty())
        return m_jobMsgFile[(size_t)row];
    std::string folder, deck;
    JobFiles(row, &folder, &deck);
    char name[MSG_NAME_SIZE];
    if (GetMessageName(deck.c_str(), name))
        return folder + name + ".messag";
    return folder + "messag";
}

int guiMainWnd::IsFinishedNormal(int row)
{
    RunningJob *job = job_at(row);
    if (job && !job->Starting())
        return job->Look();
    RunningJob once(row, -1, MessageFile(row));
    return once.Look();
}

bool guiMainWnd::IsReading() const
{
    guiMainWnd *self = const_cast<guiMainWnd *>(this);
    return Fl::has_idle(StartStep, self) || Fl::has_idle(CheckStep, self) ||
           Fl::has_idle(ScanStep, self);
}

void guiMainWnd::take_current_from_fields()
{
    // With one job at a time the fields name the job, as they always have;
    // with more, the list does, unless they were set from outside.
    bool changed = m_curSub != m_noted.row || m_childpid != m_noted.pid;
    if (!changed && JobsAtOnce() > 1)
        return;
    int r = m_curSub;
    if (r < 1 || r > m_grid->GetRows())
        return;
    RunningJob *job = job_at(r);
    if (job && job->Starting())
        return;
    if (!job) {
        if (r == m_waitRow) {
            m_waitRow = 0;
            Fl::remove_timeout(RunDynaProcess, this);
        }
        m_jobs.push_back(
            std::unique_ptr<RunningJob>(new RunningJob(r, m_childpid, MessageFile(r))));
    } else if (job->Pid() != m_childpid) {
        reap_later(job->Pid());
        job->SetPid(m_childpid);
    }
    note_current();
}

void guiMainWnd::real_chkmsg()
{
    take_current_from_fields();
    // A check asked for out of turn stands for the pending one.
    Fl::remove_timeout(ChkMsg, this);
    Fl::remove_idle(CheckStep, this);
    bool any = false;
    for (auto &job : m_jobs) {
        if (!job->Starting()) {
            job->BeginCheck();
            any = true;
        }
    }
    if (any)
        check_step();
}

void guiMainWnd::CheckStep(void *data)
{
    static_cast<guiMainWnd *>(data)->check_step();
}

void guiMainWnd::check_step()
{
    Fl::remove_idle(CheckStep, this);
    std::vector<RunningJob *> due;
    for (auto &job : m_jobs)
        if (job->Checking())
            due.push_back(job.get());
    if (due.empty())
        return;
    size_t share = std::max(kSliceBytes / due.size(), kMinShare);
    bool reading = false;
    for (RunningJob *job : due) {
        int code = job->CheckSlice(share);
        if (code == RunningJob::CHECK_READING)
            reading = true;
        else
            finish_check(job, code);
    }
    if (reading) {
        Fl::add_idle(CheckStep, this);
    } else {
        ensure_tick();
        update_status();
    }
}

void guiMainWnd::ScanStep(void *data)
{
    static_cast<guiMainWnd *>(data)->scan_step();
}

void guiMainWnd::scan_step()
{
    std::vector<RunningJob *> due;
    for (auto &job : m_jobs)
        if (!job->Starting() && !job->EndTimeKnown())
            due.push_back(job.get());
    if (due.empty()) {
        Fl::remove_idle(ScanStep, this);
        return;
    }
    size_t share = std::max(kSliceBytes / due.size(), kMinShare);
    for (RunningJob *job : due)
        job->EndTimeStep(share);
}

std::string guiMainWnd::job_name(int row)
{
    if (CellText(row, COL_TYPE) != "Restart")
        return CellText(row, COL_NAME) + "." + CellText(row, COL_TYPE);
    row_data *record = m_grid->GetRowData(row);
    const char *dump = record ? strrchr(record->szD3dump, '/') : nullptr;
    return dump ? dump + 1 : CellText(row, COL_NAME);
}

void guiMainWnd::notice(Fl_Box *line, const std::string &text)
{
    line->copy_label(text.c_str());
    redraw_status();
    m_held[line == lblFisrt ? 0 : 1] = true;
}

int guiMainWnd::status_width()
{
    // Left of the control panel, which keeps its distance from the right
    // edge: the lines' boxes are narrower than the room their text has.
    return m_bxUpBox->x() - lblFisrt->x();
}

void guiMainWnd::redraw_status()
{
    int top = lblFisrt->y();
    damage(FL_DAMAGE_ALL, lblFisrt->x(), top, status_width(), lblSecond->y() + lblSecond->h() - top);
}

void guiMainWnd::clear_progress_lines()
{
    if (!m_held[0])
        lblFisrt->copy_label("");
    if (!m_held[1])
        lblSecond->copy_label("");
}

void guiMainWnd::update_status()
{
    if (m_runStat != 1)
        return;
    if (!m_held[0]) {
        // The selected running job, else the first in the table.
        RunningJob *shown = nullptr;
        int selected = m_grid->GetCurrentRow();
        for (auto &job : m_jobs) {
            if (job->Starting())
                continue;
            if (job->Row() == selected) {
                shown = job.get();
                break;
            }
            if (!shown || job->Row() < shown->Row())
                shown = job.get();
        }
        std::string text;
        if (shown) {
            // The line has the width the window gives it: a long deck name
            // gives way to the figures.
            std::string full = job_name(shown->Row());
            std::string name = full;
            size_t tail = std::min<size_t>(full.size(), 6);
            size_t head = full.size() - tail;
            fl_font(lblFisrt->labelfont(), lblFisrt->labelsize());
            for (;;) {
                text = ProgressLine(name, shown->Progress(), shown->EndTime());
                if (text.empty())
                    text = name + ": running";
                if (head <= 8 || fl_width(text.c_str()) <= status_width() - 4)
                    break;
                // The "..." takes the room of three: the first cut takes four.
                head -= name == full ? 4 : 1;
                name = full.substr(0, head) + "..." + full.substr(full.size() - tail);
            }
        }
        lblFisrt->copy_label(text.c_str());
    }
    if (!m_held[1]) {
        int done = 0, running = 0, queued = 0;
        for (int r = 1; r <= m_grid->GetRows(); r++) {
            if (StatusHas(r, "Finished") || StatusHas(r, "Aborted"))
                done++;
            else if (StatusHas(r, "Running"))
                running++;
            else if (StatusHas(r, "Queued") || StatusHas(r, "Waiting"))
                queued++;
        }
        int cores = 0;
        for (auto &job : m_jobs)
            cores += job->Plan().cores.cores;
        std::string line = JobCoresLine(done, running, queued, cores);
        if (!ClusterTerminal(m_szXterm))
            line += CoresWarning(JobsAtOnce(), m_runSettings.Cores().cores,
                                 sysconf(_SC_NPROCESSORS_ONLN));
        lblSecond->copy_label(line.c_str());
    }
    redraw_status();
}

void guiMainWnd::WatchEnds(void *data)
{
    static_cast<guiMainWnd *>(data)->watch_ends();
}

void guiMainWnd::watch_ends()
{
    // With several jobs at once a terminal that has ended is checked now,
    // not at the next round: its slot goes to the next row within a second.
    if (JobsAtOnce() < 2 || m_jobs.empty())
        return;
    bool ended = false;
    for (auto &job : m_jobs) {
        if (job->Starting() || job->Checking() || job->Pid() <= 0)
            continue;
        siginfo_t info;
        info.si_pid = 0;
        // Only looked at: the check reaps it, by its pid.
        if (waitid(P_PID, (id_t)job->Pid(), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == job->Pid()) {
            job->BeginCheck();
            ended = true;
        }
    }
    if (ended && !Fl::has_idle(CheckStep, this))
        check_step();
    Fl::repeat_timeout(kEndWatch, WatchEnds, this);
}

void guiMainWnd::ensure_tick()
{
    if (Fl::has_timeout(ChkMsg, this) || Fl::has_idle(CheckStep, this))
        return;
    for (auto &job : m_jobs) {
        if (!job->Starting()) {
            Fl::add_timeout(kCheckInterval, ChkMsg, this);
            return;
        }
    }
}

void guiMainWnd::finish_check(RunningJob *job, int code)
{
    if (code != 1 && code != 0 && code != -2)
        return;
    if (job->TerminalRunning())
        reap_later(job->Pid());
    if (code != -2) {
        judge(job, code);
        return;
    }
    // The solver could not start its run (no licence, as a rule): nothing
    // more is started, the row stays "Running", and the run ends without a
    // summary once the jobs still running are judged.
    int r = job->Row();
    remove_job(job);
    m_stopping = true;
    unwait();
    m_grid->SelectRow(r);
    notice(lblFisrt, "The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!");
    if (m_jobs.empty())
        stop_run();
    else
        update_status();
}

void guiMainWnd::stop_run()
{
    m_runStat = 0;
    activate_solver_controls(true);
    // The run ends without a summary: counts of a run that stopped would
    // mislead.
    clear_progress_lines();
    Fl::remove_timeout(ChkMsg, this);
}

void guiMainWnd::judge(RunningJob *job, int code)
{
    int r = job->Row();
    if (code == 1) {
        m_sucNum++;
        SetStatus(r, "Finished", 4, 255);
    } else {
        m_failNum++;
        SetStatus(r, "Aborted", 1, 255);
        if (m_runSettings.Notify())
            m_notifier.Notify(("Wendle: " + job_name(r) + " aborted").c_str(),
                              job->Plan().folder.c_str());
    }
    bool stopped = job->m_stopAsked;
    std::string folder = job->Plan().folder;
    remove_job(job);
    if (stopped) {
        // Going on from where it stopped is "Add Restart Job": its dialog
        // opens in this folder.
        std::string dump;
        if (NewestRestartDump(folder.c_str(), &dump) == 1)
            notice(lblFisrt, job_name(r) + " stopped; its newest restart dump is " + folder + dump);
        else
            notice(lblFisrt, job_name(r) + " stopped without a restart dump in " + folder);
        snprintf(m_szLastDir, sizeof m_szLastDir, "%s", folder.c_str());
    }
    if (m_stopping) {
        if (m_jobs.empty())
            stop_run();
        return;
    }
    advance();
    update_status();
}

bool guiMainWnd::starting() const
{
    for (auto &job : m_jobs)
        if (job->Starting())
            return true;
    return false;
}

void guiMainWnd::advance()
{
    // A waiting row fills the slot once its pause is over, a starting job
    // once its terminal runs.
    if (m_waitRow || starting())
        return;
    int next = running_count() < JobsAtOnce() ? next_startable() : 0;
    if (next) {
        m_curSub = next;
        note_current();
        wait_and_start(next);
    } else if (m_jobs.empty()) {
        m_curSub = m_grid->GetRows() + 1;
        note_current();
        Fl::add_timeout(kCheckInterval, ChkEnd, this);
    } else {
        m_curSub = m_jobs.back()->Row();
        m_childpid = m_jobs.back()->Pid();
        note_current();
    }
}

void guiMainWnd::fill_slots()
{
    if (m_runStat != 1 || m_stopping || m_waitRow || starting() ||
        running_count() >= JobsAtOnce())
        return;
    int next = next_startable();
    if (!next)
        return;
    m_curSub = next;
    note_current();
    wait_and_start(next);
}

int guiMainWnd::next_startable()
{
    // The solver writes its message file, plot, history and restart files
    // into its folder: two jobs there would overwrite each other's.
    std::set<std::string> busy;
    for (auto &job : m_jobs)
        busy.insert(job->FolderKey());
    for (int r = 1; r <= m_grid->GetRows(); r++) {
        if (!StatusHas(r, "Queued"))
            continue;
        if (busy.empty())
            return r;
        std::string folder, deck;
        JobFiles(r, &folder, &deck);
        if (!busy.count(RunningJob::FolderKeyOf(folder)))
            return r;
    }
    return 0;
}

void guiMainWnd::wait_and_start(int r)
{
    m_grid->SelectRow(r);
    SetStatus(r, "Waiting", 3);
    LockRow(r);
    m_waitRow = r;
    Fl::add_timeout(GetPauseSeconds(r), RunDynaProcess, this);
}

void guiMainWnd::unwait()
{
    if (!m_waitRow)
        return;
    Fl::remove_timeout(RunDynaProcess, this);
    int r = m_waitRow;
    m_waitRow = 0;
    if (r <= m_grid->GetRows() && StatusHas(r, "Waiting")) {
        SetStatus(r, "Queued", 2);
        if (!m_autoMem->value())
            m_grid->SetMatrixActivate(r, COL_MB);
        m_grid->SetMatrixActivate(r, COL_SEC);
        m_grid->SetChoiceActivate(r, 1);
    }
    if (!m_jobs.empty())
        m_curSub = m_jobs.back()->Row();
    note_current();
}

int guiMainWnd::GetPauseSeconds(int row)
{
    std::string sec = CellText(row, COL_SEC);
    long long pause = strtoll(sec.c_str(), nullptr, 10);
    if (pause > INT_MAX)
        pause = INT_MAX;
    return pause > 0 ? (int)pause : 1;
}

void guiMainWnd::real_chkend()
{
    if (m_curSub <= m_grid->GetRows()) {
        wait_and_start(m_curSub);
        return;
    }
    m_runStat = 0;
    char first[64], second[64];
    snprintf(first, sizeof first, "%d DYNA JOBS ARE TERMINATED ABNORMALLY!", m_failNum);
    lblFisrt->copy_label(first);
    snprintf(second, sizeof second, "%d DYNA JOBS ARE EXECUTED SUCCESSFULLY!", m_sucNum);
    lblSecond->copy_label(second);
    m_held[0] = m_held[1] = false;
    activate_solver_controls(true);
    redraw();
    if (m_runSettings.Notify())
        m_notifier.Notify("Wendle: the run has ended", (std::string(first) + "\n" + second).c_str());
}

void guiMainWnd::SetJobsAtOnce(int n)
{
    if (n < RunSettings::JOBS_MIN || n > RunSettings::JOBS_MAX)
        return;
    if (!m_runSettings.SetJobs(n))
        notice(lblFisrt,
               "Jobs at once: " + std::to_string(n) + " for now; wendle_run.ini is not written");
    if (m_runStat != 1)
        return;
    // Lowering lets running jobs end without starting new ones.
    if (running_count() >= n)
        unwait();
    else
        fill_slots();
}

void guiMainWnd::RowDeleted(int row)
{
    for (size_t i = 0; i < m_jobs.size();) {
        RunningJob *job = m_jobs[i].get();
        if (job->Row() == row) {
            reap_later(job->Pid());
            m_jobs.erase(m_jobs.begin() + (long)i);
            continue;
        }
        if (job->Row() > row)
            job->SetRow(job->Row() - 1);
        i++;
    }
    if (m_waitRow == row)
        unwait();
    else if (m_waitRow > row)
        m_waitRow--;
    if (m_curSub > row)
        m_curSub--;
    if (m_noted.row > row)
        m_noted.row--;
    if ((size_t)row < m_jobMsgFile.size())
        m_jobMsgFile.erase(m_jobMsgFile.begin() + row);
}

void guiMainWnd::context_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_context_cb();
}

void guiMainWnd::real_context_cb()
{
    // The push has selected the row under the pointer.
    int row = m_grid->GetCurrentRow();
    RunningJob *job = job_at(row);
    JobMenu::State state;
    state.jobsAtOnce = JobsAtOnce();
    state.cores = m_runSettings.Cores().cores;
    state.mpp = !m_runSettings.Cores().mpi.empty();
    state.notify = m_runSettings.Notify();
    state.rowRunning = job && !job->Starting() && StatusHas(row, "Running");
    JobMenu::Pick pick = JobMenu::Popup(state);
    if (pick.what == JobMenu::JOBS_AT_ONCE) {
        SetJobsAtOnce(pick.value);
    } else if (pick.what == JobMenu::SENSE_SWITCH) {
        // The run went on while the menu was open: the row is asked for
        // only if its job still runs.
        SenseSwitch(row, pick.value);
    } else if (pick.what == JobMenu::NOTIFY) {
        if (!m_runSettings.SetNotify(pick.value == 1))
            notice(lblFisrt, "Notices: " + std::string(pick.value == 1 ? "on" : "off") +
                                 " for now; wendle_run.ini is not written");
    } else if (pick.what == JobMenu::CORES) {
        if (!m_runSettings.SetCores(pick.value))
            notice(lblFisrt, "Cores per job: " + std::to_string(pick.value) +
                                 " for now; wendle_run.ini is not written");
    } else if (pick.what == JobMenu::MPP) {
        if (!m_runSettings.SetMpi(pick.value == 1 ? "mpirun" : ""))
            notice(lblFisrt, std::string("MPP solver through MPI: ") +
                                 (pick.value == 1 ? "on" : "off") +
                                 " for now; wendle_run.ini is not written");
    }
    // The warning of too many cores follows both counts.
    if (pick.what == JobMenu::JOBS_AT_ONCE || pick.what == JobMenu::CORES)
        update_status();
}

void guiMainWnd::SenseSwitch(int row, int n)
{
    static const char *const kAsked[5] = {"", "to stop and write a restart dump (sw1)",
                                          "to report time and cycle (sw2)",
                                          "to write a restart dump and go on (sw3)",
                                          "to write a plot state (sw4)"};
    RunningJob *job = job_at(row);
    if (n < 1 || n > 4 || !job || job->Starting() || !StatusHas(row, "Running"))
        return;
    std::string who = job_name(row) + " (row " + std::to_string(row) + ")";
    std::string why;
    if (!WriteSenseSwitch(job->Plan().folder.c_str(), n, &why)) {
        notice(lblFisrt, "Could not ask " + who + " " + kAsked[n] + ": " + why);
        return;
    }
    if (n == 1)
        job->m_stopAsked = true;
    notice(lblFisrt, "Asked " + who + " " + kAsked[n]);
}

void guiMainWnd::real_read_cb()
{
    int r = m_grid->GetCurrentRow();
    if (r < 1 || r > m_grid->GetRows())
        return;
    if (!StatusHas(r, "Finished") && !StatusHas(r, "Aborted") &&
        !StatusHas(r, "Running"))
        return;
    // A job still reading its deck has no message file yet: it is shown
    // once known, never found by a whole read of the deck here.
    RunningJob *job = job_at(r);
    if (job && job->Starting()) {
        job->m_readWanted = true;
        return;
    }
    open_message_file(MessageFile(r));
}

void guiMainWnd::open_message_file(const std::string &path)
{
    // The terminal is found through PATH, as for a job: the default "xterm"
    // is a bare name.
    pid_t pid = fork();
    if (pid == 0) {
        CloseInheritedFds();
        execlp(m_szXterm, m_szXterm, "-e", "vi", path.c_str(), (char *)nullptr);
        _exit(127);
    }
    if (pid > 0)
        reap_later(pid);
}

void guiMainWnd::CancelRun()
{
    // A job still running keeps its terminal, which is reaped when it ends.
    for (auto &job : m_jobs)
        reap_later(job->Pid());
    m_jobs.clear();
    m_waitRow = 0;
    m_stopping = false;
    remove_run_steps();
    m_jobMsgFile.clear();
    m_held[0] = m_held[1] = false;
}

void guiMainWnd::remove_run_steps()
{
    Fl::remove_timeout(ChkMsg, this);
    Fl::remove_timeout(RunDynaProcess, this);
    Fl::remove_timeout(ChkEnd, this);
    Fl::remove_timeout(WatchEnds, this);
    Fl::remove_idle(StartStep, this);
    Fl::remove_idle(CheckStep, this);
    Fl::remove_idle(ScanStep, this);
}

void guiMainWnd::reap_later(pid_t pid)
{
    if (pid <= 0)
        return;
    m_orphans.push_back(pid);
    if (!Fl::has_timeout(ReapChildren, this))
        Fl::add_timeout(1.0, ReapChildren, this);
}

void guiMainWnd::ReapChildren(void *data)
{
    guiMainWnd *self = static_cast<guiMainWnd *>(data);
    std::vector<pid_t> &orphans = self->m_orphans;
    for (size_t i = 0; i < orphans.size();) {
        int status;
        pid_t got = waitpid(orphans[i], &status, WNOHANG);
        if (got == orphans[i] || (got < 0 && errno == ECHILD))
            orphans.erase(orphans.begin() + (long)i);
        else
            i++;
    }
    if (!orphans.empty())
        Fl::repeat_timeout(1.0, ReapChildren, data);
}
