// The main window's run engine: submitting the queue, starting each job in a
// terminal, judging it from its message file, and reading that file.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_ask.H>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "foundation/comfunction.h"
#include "grid/fltk_grid.h"

namespace {

const double kCheckInterval = 5.0;
const long long kDefaultMemoryMB = 300;
// Most a deck or message file is read at one go: the rest waits for the
// event loop's next idle moment, so the window answers within a few
// milliseconds whatever the sizes.
const size_t kSliceBytes = 2 * 1024 * 1024;

// The folder part of a path, up to and including its last "/".
std::string folder_of(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash ? std::string(path, slash + 1) : std::string();
}

// The child side of a fork: the program's own descriptors (its X connection
// above all) must not live on in the terminal, or the main window would stay
// on screen after the program ended.
void close_inherited_fds()
{
    if (close_range(3, ~0U, 0) == 0)
        return;
    long max = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); fd++)
        close(fd);
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
    RunDynaProcess(this);
}

void guiMainWnd::real_rundynaprocess()
{
    int r = m_curSub;
    if (r <= 0 || r > m_grid->GetRows())
        return;
    cancel_run_steps();

    SetStatus(r, "Running", 3);
    m_grid->SelectRow(r);
    LockRow(r);

    m_start = JobStart();
    m_start.row = r;
    m_start.solver =
        m_grid->GetChoiceValue(r) == 1 ? inDynaLocation2->value() : inDynaLocation1->value();

    // The solver counts memory in words of 4 bytes: 262144 per MB. A value
    // the argument cannot carry is no memory size at all.
    std::string mbText = CellText(r, COL_MB);
    errno = 0;
    char *end;
    long long mb = strtoll(mbText.c_str(), &end, 10);
    if (end == mbText.c_str() || errno == ERANGE || mb <= 0 || mb > (LLONG_MAX >> 18))
        mb = kDefaultMemoryMB;
    m_start.memory = "memory=" + std::to_string(mb << 18);

    std::string type = CellText(r, COL_TYPE);
    row_data *job = m_grid->GetRowData(r);
    if (type != "Restart") {
        m_start.folder = CellText(r, COL_FOLDER);
        m_start.argA = "i=" + m_start.folder + CellText(r, COL_NAME) + "." + type;
    } else if (job && job->nType == 2) {
        m_start.folder = folder_of(job->szD3dump);
        m_start.argA = std::string("r=") + job->szD3dump;
        m_start.argB = std::string("i=") + job->szK;
    } else if (job) {
        m_start.folder = CellText(r, COL_FOLDER);
        m_start.argA = std::string("r=") + job->szD3dump;
    } else {
        m_start.record = false;
    }
    JobFiles(r, &m_start.msgFolder, &m_start.deck);

    // The message name is fixed now, before the solver can touch its file.
    // A deck read before is known at once; a big one is read in slices.
    bool found;
    std::string name;
    if (m_deckNames.Get(m_start.deck.c_str(), &found, &name)) {
        launch(found, name);
    } else if (!m_deckScan.Open(m_start.deck.c_str())) {
        launch(false, "");
    } else if (m_deckScan.Step(kSliceBytes)) {
        m_deckNames.Put(m_start.deck.c_str(), m_deckScan.Identity(), m_deckScan.Found(),
                        m_deckScan.Name());
        launch(m_deckScan.Found(), m_deckScan.Name());
    } else {
        Fl::add_idle(StartStep, this);
    }
}

void guiMainWnd::StartStep(void *data)
{
    guiMainWnd *self = static_cast<guiMainWnd *>(data);
    DeckNameScan &scan = self->m_deckScan;
    if (!scan.Step(kSliceBytes))
        return;
    Fl::remove_idle(StartStep, data);
    self->m_deckNames.Put(self->m_start.deck.c_str(), scan.Identity(), scan.Found(), scan.Name());
    self->launch(scan.Found(), scan.Name());
}

// Whether exec would find `name` from the working folder: a path with a
// "/" must be an executable regular file, a bare name is looked up along
// PATH. Otherwise *why says what is wrong.
static bool find_program(const std::string &name, std::string *why)
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

std::string guiMainWnd::start_problem()
{
    if (!m_start.record)
        return "the restart job has lost its record";
    if (chdir(m_start.folder.c_str()) != 0)
        return "cannot enter " + m_start.folder + " (" + strerror(errno) + ")";
    std::string why;
    if (!find_program(m_szXterm, &why))
        return "the terminal " + why;
    if (!find_program(m_start.solver, &why))
        return why;
    return "";
}

void guiMainWnd::launch(bool named, const std::string &name)
{
    int r = m_start.row;
    std::string msg = m_start.msgFolder + (named ? name + ".messag" : "messag");
    if (m_jobMsgFile.size() <= (size_t)r)
        m_jobMsgFile.resize((size_t)r + 1);
    m_jobMsgFile[(size_t)r] = msg;

    static char autoMemory[] = "LSTC_MEMORY=auto";
    static char noMemory[] = "LSTC_MEMORY=";
    putenv(m_autoMem->value() ? autoMemory : noMemory);

    // A job that cannot run starts nothing, touches no file, and says why;
    // the check then finds no terminal and judges it abnormal. The solver
    // must never run in some other job's folder.
    std::string problem = start_problem();
    if (problem.empty())
        RemoveFile((m_start.folder + "messag").c_str());
    // Whatever the file holds now is an earlier run's.
    m_watch.Start(msg, true);
    m_watchRow = r;

    pid_t pid = -1;
    if (problem.empty()) {
        const char *argv[10];
        int n = 0;
        argv[n++] = m_szXterm;
        argv[n++] = "-T";
        argv[n++] = "LS-DYNA/Wendle";
        argv[n++] = "-e";
        argv[n++] = m_start.solver.c_str();
        argv[n++] = m_start.argA.c_str();
        if (!m_start.argB.empty())
            argv[n++] = m_start.argB.c_str();
        argv[n++] = m_start.memory.c_str();
        argv[n] = nullptr;

        pid = fork();
        if (pid == 0) {
            close_inherited_fds();
            execvp(m_szXterm, const_cast<char *const *>(argv));
            _exit(127);
        }
        if (pid < 0)
            fl_alert("Creaet Child Process Failed!\n");
    } else {
        std::string text = "Job " + std::to_string(r) + " not started: " + problem;
        lblFisrt->copy_label(text.c_str());
        lblFisrt->redraw();
    }

    m_childpid = pid;
    Fl::add_timeout(kCheckInterval, ChkMsg, this);
    m_runStat = 1;
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
    std::string path = MessageFile(row);
    bool more;
    if (row == m_watchRow && path == m_watch.Path())
        return m_watch.Check((size_t)-1, &more);
    MessageWatch once;
    once.Start(path, false);
    return once.Check((size_t)-1, &more);
}

bool guiMainWnd::IsReading() const
{
    return Fl::has_idle(StartStep, const_cast<guiMainWnd *>(this)) ||
           Fl::has_idle(CheckStep, const_cast<guiMainWnd *>(this));
}

void guiMainWnd::real_chkmsg()
{
    if (m_curSub <= 0 || m_curSub > m_grid->GetRows())
        return;
    Fl::remove_idle(CheckStep, this);
    std::string path = MessageFile(m_curSub);
    if (m_watchRow != m_curSub || m_watch.Path() != path) {
        m_watch.Start(path, false);
        m_watchRow = m_curSub;
    }
    m_endKnown = false;
    check_step();
}

void guiMainWnd::CheckStep(void *data)
{
    static_cast<guiMainWnd *>(data)->check_step();
}

void guiMainWnd::check_step()
{
    Fl::remove_idle(CheckStep, this);
    if (m_curSub <= 0 || m_curSub > m_grid->GetRows())
        return;
    int code;
    for (;;) {
        bool more;
        code = m_watch.Check(kSliceBytes, &more);
        if (more) {
            Fl::add_idle(CheckStep, this);
            return;
        }
        if (m_endKnown)
            break;
        // The file is consulted before the process. A failed fork left no
        // terminal: it counts as one that has ended, and "any child" is
        // never waited for.
        m_endKnown = true;
        m_ended = true;
        if (m_childpid > 0) {
            int status;
            pid_t got = waitpid(m_childpid, &status, WNOHANG);
            m_ended = got == m_childpid || (got < 0 && errno == ECHILD);
        }
        // A terminal that has just ended may have had its last lines
        // written after the look: one more look sees them.
        if (!m_ended || code == 1)
            break;
    }
    if (m_ended && code != 1)
        code = 0;
    if (!m_ended && (code == 1 || code == 0 || code == -2))
        reap_later(m_childpid);

    if (code == -2) {
        m_runStat = 0;
        m_grid->SelectRow(m_curSub);
        lblFisrt->label(
            "The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!");
        lblFisrt->redraw();
        activate_solver_controls(true);
        return;
    }
    if (code == 1 || code == 0) {
        judge(code);
        return;
    }
    Fl::add_timeout(kCheckInterval, ChkMsg, this);
}

void guiMainWnd::cancel_run_steps()
{
    Fl::remove_idle(StartStep, this);
    Fl::remove_idle(CheckStep, this);
    m_deckScan.Close();
}

void guiMainWnd::judge(int code)
{
    if (code == 1) {
        m_sucNum++;
        SetStatus(m_curSub, "Finished", 4, 255);
    } else {
        m_failNum++;
        SetStatus(m_curSub, "Aborted", 1, 255);
    }
    m_curSub++;
    if (m_curSub > m_grid->GetRows())
        Fl::add_timeout(kCheckInterval, ChkEnd, this);
    else
        wait_and_start(m_curSub);
}

void guiMainWnd::wait_and_start(int r)
{
    m_grid->SelectRow(r);
    SetStatus(r, "Waiting", 3);
    LockRow(r);

    Fl::add_timeout(GetPauseSeconds(r), RunDynaProcess, this);
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
    char text[64];
    snprintf(text, sizeof text, "%d DYNA JOBS ARE TERMINATED ABNORMALLY!", m_failNum);
    lblFisrt->copy_label(text);
    snprintf(text, sizeof text, "%d DYNA JOBS ARE EXECUTED SUCCESSFULLY!", m_sucNum);
    lblSecond->copy_label(text);
    activate_solver_controls(true);
    redraw();
}

void guiMainWnd::real_read_cb()
{
    int r = m_grid->GetCurrentRow();
    if (r < 1 || r > m_grid->GetRows())
        return;
    if (!StatusHas(r, "Finished") && !StatusHas(r, "Aborted") &&
        !StatusHas(r, "Running"))
        return;
    std::string path = MessageFile(r);

    // The terminal is found through PATH, as for a job: the default "xterm"
    // is a bare name.
    pid_t pid = fork();
    if (pid == 0) {
        close_inherited_fds();
        execlp(m_szXterm, m_szXterm, "-e", "vi", path.c_str(), (char *)nullptr);
        _exit(127);
    }
    if (pid > 0)
        reap_later(pid);
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
            orphans.erase(orphans.begin() + i);
        else
            i++;
    }
    if (!orphans.empty())
        Fl::repeat_timeout(1.0, ReapChildren, data);
}
