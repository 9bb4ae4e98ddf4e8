// The main window's queue commands: adding plain and restart jobs, deleting
// and moving queued jobs, resetting the table, the memory switch, choosing
// the solvers, About.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_ask.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dialogs/openfiledialog.h"
#include "grid/fltk_grid.h"
#include "runner/gui_about.h"
#include "runner/gui_restart.h"

namespace {

const char *const kDynaFilter = "Dyna file(*.dyn;*.k)|All file(*.*)";

enum { TEXT_SIZE = 1024 };

// The confirmation boxes are the toolkit's Yes/No question.
int ask(const char *question)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return fl_ask("%s", question);
#pragma GCC diagnostic pop
}

} // namespace

int guiMainWnd::GetFileInfo(int mode, const char *path, char *name, char *folder, char *type,
                            char *size)
{
    char base[FILE_INFO_SIZE];
    int n = snprintf(base, sizeof base, "%s", path);
    if (n < 0 || n >= (int)sizeof base) {
        fl_alert("Read file failed!\n");
        return 0;
    }
    char *slash = strrchr(base, '/');
    if (mode == 1) {
        // The type is the file's own: a "." in a folder's name would make
        // the folder's tail a type and the job run in the parent folder.
        char *dot = strrchr(base, '.');
        if (!dot || (slash && dot < slash)) {
            fl_alert("The file read is not a *.k file!\n");
            return 0;
        }
        snprintf(type, FILE_INFO_SIZE, "%s", dot + 1);
        *dot = '\0';
    }
    if (!slash) {
        fl_alert("The file read is not a *.k file!\n");
        return 0;
    }
    snprintf(name, FILE_INFO_SIZE, "%s", slash + 1);
    slash[1] = '\0';
    snprintf(folder, FILE_INFO_SIZE, "%s", base);

    // Without blocking: a FIFO named like a deck would wait for a writer
    // for ever. Only a regular file is a job file.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    bool ok = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (fd >= 0)
        close(fd);
    if (!ok) {
        fl_alert("Read file failed!\n");
        return 0;
    }
    snprintf(size, FILE_INFO_SIZE, "%lldK", (long long)st.st_size / 1024);
    return 1;
}

// Fills a freshly appended row as every new job starts: its precision from
// the radio pair, MB and Sec from the inputs, "Queued" on green.
static void fill_new_row(guiMainWnd *w, int r, const char *name, const char *folder,
                         const char *size, const char *type)
{
    Fl_Fltkgrid *g = w->m_grid;
    g->SetChoiceValue(r, w->btnDoublePrecision->value() ? 1 : 0);
    g->SetMatrixText(r, guiMainWnd::COL_NAME, name);
    g->SetMatrixText(r, guiMainWnd::COL_FOLDER, folder);
    g->SetMatrixText(r, guiMainWnd::COL_SIZE, size);
    g->SetMatrixText(r, guiMainWnd::COL_TYPE, type);
    g->SetMatrixText(r, guiMainWnd::COL_MB, w->inMem->value());
    g->SetMatrixText(r, guiMainWnd::COL_SEC, w->inPause->value());
    g->SetMatrixText(r, guiMainWnd::COL_STATUS, "Queued");
    g->SetMatrixColor(r, guiMainWnd::COL_STATUS, 2);
}

void guiMainWnd::real_add_cb()
{
    char path[OPENFILE_PATH_SIZE];
    if (openfiledialog("Select Dyna Files", path, m_szLastDir, kDynaFilter, -1) != 1)
        return;
    char name[FILE_INFO_SIZE], folder[FILE_INFO_SIZE], type[FILE_INFO_SIZE], size[FILE_INFO_SIZE];
    if (!GetFileInfo(1, path, name, folder, type, size))
        return;
    int r = m_grid->AppendRow();
    if (r < 0)
        return;
    fill_new_row(this, r, name, folder, size, type);
    if (m_autoMem->value())
        m_grid->SetMatrixDeactivate(r, COL_MB);
}

void guiMainWnd::real_addrestart_cb()
{
    guiRestartDlg dlg(230, 200, 350, 173, "Select restart job");
    int kind = dlg.DoModal();
    if (kind != 1 && kind != 2)
        return;

    // The job record holds 255 characters a path; a longer one would be
    // cut into a path that names some other file.
    char dump[ROW_PATH_SIZE], deck[ROW_PATH_SIZE];
    if (!dlg.GetD3dumpPathName(dump, sizeof dump) ||
        (kind == 2 && !dlg.GetKPathName(deck, sizeof deck))) {
        fl_alert("The file path is too long: at most %d characters are allowed.",
                 ROW_PATH_SIZE - 1);
        return;
    }

    char rName[FILE_INFO_SIZE], rFolder[FILE_INFO_SIZE], rType[FILE_INFO_SIZE],
        rSize[FILE_INFO_SIZE];
    char name[TEXT_SIZE], folder[TEXT_SIZE], size[TEXT_SIZE];
    if (kind == 1) {
        if (!GetFileInfo(0, dump, rName, rFolder, rType, rSize))
            return;
        snprintf(name, sizeof name, "%s", rName);
        snprintf(folder, sizeof folder, "%s", rFolder);
        snprintf(size, sizeof size, "%s", rSize);
    } else {
        char kName[FILE_INFO_SIZE], kFolder[FILE_INFO_SIZE], kType[FILE_INFO_SIZE],
            kSize[FILE_INFO_SIZE];
        if (!GetFileInfo(1, deck, kName, kFolder, kType, kSize) ||
            !GetFileInfo(0, dump, rName, rFolder, rType, rSize))
            return;
        snprintf(name, sizeof name, "R =%s    I =%s", rName, kName);
        snprintf(size, sizeof size, "%s / %s", rSize, kSize);
        if (strcmp(rFolder, kFolder) == 0)
            snprintf(folder, sizeof folder, "%s", rFolder);
        else
            snprintf(folder, sizeof folder, "R =%s    I =%s", rFolder, kFolder);
    }

    int r = m_grid->AppendRow();
    if (r < 0)
        return;
    fill_new_row(this, r, name, folder, size, "Restart");

    row_data *job = new (std::nothrow) row_data();
    if (!job)
        return;
    job->nType = kind;
    snprintf(job->szD3dump, sizeof job->szD3dump, "%s", dump);
    if (kind == 2)
        snprintf(job->szK, sizeof job->szK, "%s", deck);
    m_grid->SetRowData(r, job);
}

void guiMainWnd::real_delete_cb()
{
    int r = m_grid->GetCurrentRow();
    if (r < 1 || r > m_grid->GetRows() || !StatusHas(r, "Queued"))
        return;
    if (!ask("Click Yes to delete the job, No to cancel"))
        return;
    // The run goes on while the question is open and may have taken the
    // row meanwhile: a job that left the queue is not deleted.
    if (r <= m_grid->GetRows() && StatusHas(r, "Queued") && m_grid->DeleteRow(r))
        RowDeleted(r);
}

void guiMainWnd::real_up_cb()
{
    // Only queued jobs trade places: with several jobs at once a queued row
    // may stand next to one that runs, which must keep its row.
    int r = m_grid->GetCurrentRow();
    if (r >= 2 && r <= m_grid->GetRows() && StatusHas(r - 1, "Queued") && StatusHas(r, "Queued"))
        m_grid->UpRow(r);
}

void guiMainWnd::real_down_cb()
{
    int r = m_grid->GetCurrentRow();
    if (r >= 1 && r < m_grid->GetRows() && StatusHas(r, "Queued") && StatusHas(r + 1, "Queued"))
        m_grid->DownRow(r);
}

void guiMainWnd::real_reset_cb()
{
    int rows = m_grid->GetRows();
    if (rows == 0)
        return;
    if (!ask("Click Yes to delete all jobs, No to cancel"))
        return;
    if (m_szUsrProfile[0]) {
        char log[PROFILE_PATH_SIZE];
        snprintf(log, sizeof log, "%s/wendle_history.log", m_szUsrProfile);
        write_log(log);
    }
    for (int i = 0; i < rows; i++)
        m_grid->DeleteRow(1);
    lblFisrt->label("");
    lblSecond->label("");
    activate_solver_controls(true);
    redraw();
    m_failNum = m_sucNum = m_runStat = 0;

    // Every timer of the run goes: a pending start or end would otherwise
    // act on whatever row later takes its number, without a Submit.
    CancelRun();
}

void guiMainWnd::real_automem_cb()
{
    bool on = m_autoMem->value();
    if (on) {
        inMem->value("300");
        inMem->deactivate();
    } else {
        inMem->activate();
    }
    for (int r = 1; r <= m_grid->GetRows(); r++) {
        if (!StatusHas(r, "Queued"))
            continue;
        if (on)
            m_grid->SetMatrixDeactivate(r, COL_MB);
        else
            m_grid->SetMatrixActivate(r, COL_MB);
    }
}

void guiMainWnd::real_location_cb(Fl_Widget *w)
{
    if (m_runStat == 1)
        return;
    Fl_Input *target = w == btnSelDynaLocation2 ? inDynaLocation2 : inDynaLocation1;
    Fl_Input *other = target == inDynaLocation1 ? inDynaLocation2 : inDynaLocation1;

    // Start where the solver already entered lies; the job dialogs' folder
    // is not touched. A path too long to start from starts nowhere special.
    const char *from = *target->value() ? target->value() : other->value();
    char start[OPENFILE_PATH_SIZE];
    int n = snprintf(start, sizeof start, "%s", from);
    if (n < 0 || n >= (int)sizeof start)
        start[0] = '\0';
    if (char *slash = strrchr(start, '/'))
        *slash = '\0';

    char path[OPENFILE_PATH_SIZE];
    if (openfiledialog("LS-DYNA Location", path, start, "LS-DYNA SOLVER(*.*)", -1) == 1) {
        target->textsize(12);
        target->value(path);
    }
}

void guiMainWnd::real_about_cb()
{
    guiAboutDlg dlg(230, 200, 450, 120, "About Wendle");
    dlg.DoModal();
}
