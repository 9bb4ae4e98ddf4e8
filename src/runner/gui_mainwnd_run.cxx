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

    SetStatus(r, "Running", 3);
    m_grid->SelectRow(r);
    LockRow(r);

    std::string solver =
        m_grid->GetChoiceValue(r) == 1 ? inDynaLocation2->value() : inDynaLocation1->value();

    // The solver counts memory in words of 4 bytes: 262144 per MB. A value
    // the argument cannot carry is no memory size at all.
    std::string mbText = CellText(r, COL_MB);
    errno = 0;
    char *end;
    long long mb = strtoll(mbText.c_str(), &end, 10);
    if (end == mbText.c_str() || errno == ERANGE || mb <= 0 || mb > (LLONG_MAX >> 18))
        mb = kDefaultMemoryMB;
    std::string memory = "memory=" + std::to_string(mb << 18);

    static char autoMemory[] = "LSTC_MEMORY=auto";
    static char noMemory[] = "LSTC_MEMORY=";
    putenv(m_autoMem->value() ? autoMemory : noMemory);

    std::string folder, argA, argB;
    std::string type = CellText(r, COL_TYPE);
    row_data *job = m_grid->GetRowData(r);
    if (type != "Restart") {
        folder = CellText(r, COL_FOLDER);
        argA = "i=" + folder + CellText(r, COL_NAME) + "." + type;
    } else if (job && job->nType == 2) {
        folder = folder_of(job->szD3dump);
        argA = std::string("r=") + job->szD3dump;
        argB = std::string("i=") + job->szK;
    } else if (job) {
        folder = CellText(r, COL_FOLDER);
        argA = std::string("r=") + job->szD3dump;
    }

    // A restart row without its record, or a folder that cannot be entered,
    // starts nothing: the solver must never run in some other job's folder.
    // The check then finds no terminal and judges the job abnormal.
    pid_t pid = -1;
    if (!argA.empty() && chdir(folder.c_str()) == 0) {
        RemoveFile((folder + "messag").c_str());
        const char *argv[10];
        int n = 0;
        argv[n++] = m_szXterm;
        argv[n++] = "-T";
        argv[n++] = "LS-DYNA/Wendle";
        argv[n++] = "-e";
        argv[n++] = solver.c_str();
        argv[n++] = argA.c_str();
        if (!argB.empty())
            argv[n++] = argB.c_str();
        argv[n++] = memory.c_str();
        argv[n] = nullptr;

        pid = fork();
        if (pid == 0) {
            close_inherited_fds();
            execvp(m_szXterm, const_cast<char *const *>(argv));
            _exit(127);
        }
        if (pid < 0)
            fl_alert("Creaet Child Process Failed!\n");
    }

    m_childpid = pid;
    Fl::add_timeout(kCheckInterval, ChkMsg, this);
    m_runStat = 1;
}

int guiMainWnd::GetMessageName(const char *deck, char *name)
{
    name[0] = '\0';
    if (!deck || !*deck)
        return 0;
    FILE *fp = fopen(deck, "r");
    if (!fp)
        return 0;

    char line[1024];
    bool armed = false;
    while (read_line(fp, line) != -1) {
        bool keyword = strncmp(line, "*KEYWORD_ID", 11) == 0;
        if (armed && !keyword) {
            fclose(fp);
            if (strchr(line, '/'))
                return 0;
            // Runs of blanks and tabs become one "_"; one trailing "_" goes.
            size_t n = 0;
            bool inRun = false;
            for (const char *p = line; *p && n < MSG_NAME_SIZE - 1; p++) {
                bool blank = *p == ' ' || *p == '\t';
                if (!blank)
                    name[n++] = *p;
                else if (!inRun)
                    name[n++] = '_';
                inRun = blank;
            }
            if (n > 0 && name[n - 1] == '_')
                n--;
            name[n] = '\0';
            return 1;
        }
        if (keyword)
            armed = true;
    }
    fclose(fp);
    return 0;
}

std::string guiMainWnd::MessageFile(int row)
{
    row_data *job = m_grid->GetRowData(row);
    std::string folder =
        job && job->nType == 2 ? folder_of(job->szD3dump) : CellText(row, COL_FOLDER);
    std::string deck =
        folder + CellText(row, COL_NAME) + "." + CellText(row, COL_TYPE);
    char name[MSG_NAME_SIZE];
    if (GetMessageName(deck.c_str(), name))
        return folder + name + ".messag";
    return folder + "messag";
}

// The first deciding line: 1 for normal termination, 0 for an error, -1
// when none is there yet. A line counts only once its newline is written.
static int scan_message(FILE *fp)
{
    char line[1024];
    while (read_line(fp, line) != -1) {
        if (strstr(line, "N o r m a l") && strstr(line, "t e r m i n a t i o n"))
            return 1;
        if (strstr(line, "*** Error"))
            return 0;
    }
    return -1;
}

int guiMainWnd::IsFinishedNormal(int row)
{
    std::string path = MessageFile(row);
    if (FILE *fp = fopen(path.c_str(), "a+")) {
        rewind(fp);
        int code = scan_message(fp);
        fclose(fp);
        return code;
    }
    FILE *fp = fopen(path.c_str(), "r");
    if (!fp)
        return -1;
    int code = scan_message(fp);
    struct stat st;
    if (code == -1 && fstat(fileno(fp), &st) == 0 && st.st_size == 0)
        code = -2;
    fclose(fp);
    return code;
}

void guiMainWnd::real_chkmsg()
{
    if (m_curSub <= 0 || m_curSub > m_grid->GetRows())
        return;
    int code = IsFinishedNormal(m_curSub);

    // The file is consulted before the process. A failed fork left no
    // terminal: it counts as one that has ended, and "any child" is never
    // waited for.
    bool ended = true;
    if (m_childpid > 0) {
        int status;
        pid_t got = waitpid(m_childpid, &status, WNOHANG);
        ended = got == m_childpid || (got < 0 && errno == ECHILD);
    }
    if (ended && code != 1)
        code = 0;
    if (!ended && (code == 1 || code == 0 || code == -2))
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
