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
#include <cstring>

#include "dialogs/openfiledialog.h"
#include "grid/fltk_grid.h"
#include "runner/gui_about.h"
#include "runner/gui_restart.h"
#include "runner/job_file.h"

namespace {

const char *const kDynaFilter = "Dyna file(*.dyn;*.k)|All file(*.*)";

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
    JobFileTexts t;
    std::string why;
    int got = SplitJobFile(path, mode == 1, &t, &why);
    if (got != 1) {
        fl_alert(got == 0 ? "The file read is not a *.k file!\n" : "Read file failed!\n");
        return 0;
    }
    // A path of at most 255 characters has parts that fit.
    snprintf(name, FILE_INFO_SIZE, "%s", t.name.c_str());
    snprintf(folder, FILE_INFO_SIZE, "%s", t.folder.c_str());
    snprintf(type, FILE_INFO_SIZE, "%s", t.type.c_str());
    snprintf(size, FILE_INFO_SIZE, "%s", t.size.c_str());
    return 1;
}

Job guiMainWnd::NewJob(JobKind kind, const std::string &deck, const std::string &dump,
                       const std::string &size)
{
    Job job;
    job.kind = kind;
    job.deck = deck;
    job.dump = dump;
    job.size = size;
    job.precision = btnDoublePrecision->value() ? 1 : 0;
    job.mb = inMem->value();
    job.sec = inPause->value();
    // A restart keeps its MB cell open even with "Auto".
    job.autoMemory = kind == JobKind::Deck && m_autoMem->value();
    return job;
}

void guiMainWnd::real_add_cb()
{
    char path[OPENFILE_PATH_SIZE];
    if (openfiledialog("Select Dyna Files", path, m_szLastDir, kDynaFilter, -1) != 1)
        return;
    char name[FILE_INFO_SIZE], folder[FILE_INFO_SIZE], type[FILE_INFO_SIZE], size[FILE_INFO_SIZE];
    if (!GetFileInfo(1, path, name, folder, type, size))
        return;
    m_queue.Add(NewJob(JobKind::Deck, path, "", size));
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

    char name[FILE_INFO_SIZE], folder[FILE_INFO_SIZE], type[FILE_INFO_SIZE];
    char dumpSize[FILE_INFO_SIZE], deckSize[FILE_INFO_SIZE];
    if (kind == 1) {
        if (GetFileInfo(0, dump, name, folder, type, dumpSize))
            m_queue.Add(NewJob(JobKind::RestartFromDump, "", dump, dumpSize));
        return;
    }
    if (!GetFileInfo(1, deck, name, folder, type, deckSize) ||
        !GetFileInfo(0, dump, name, folder, type, dumpSize))
        return;
    m_queue.Add(NewJob(JobKind::RestartWithDeck, deck, dump,
                       std::string(dumpSize) + " / " + deckSize));
}

void guiMainWnd::real_delete_cb()
{
    int r = m_grid->GetCurrentRow();
    if (r < 1 || r > m_queue.Rows() || m_queue.At(r).state != JobState::Queued)
        return;
    int id = m_queue.At(r).id;
    if (!ask("Click Yes to delete the job, No to cancel"))
        return;
    // The run goes on while the question is open and may have taken the
    // job meanwhile, or a Reset removed it: only a job still queued goes.
    r = m_queue.RowOf(id);
    if (r && m_queue.At(r).state == JobState::Queued)
        m_queue.Remove(r);
}

void guiMainWnd::real_up_cb()
{
    // Only queued jobs trade places: with several jobs at once a queued row
    // may stand next to one that runs, which must keep its row.
    int r = m_grid->GetCurrentRow();
    if (r >= 2 && r <= m_queue.Rows() && m_queue.At(r - 1).state == JobState::Queued &&
        m_queue.At(r).state == JobState::Queued && m_queue.Swap(r - 1))
        m_grid->SelectRow(r - 1);
}

void guiMainWnd::real_down_cb()
{
    int r = m_grid->GetCurrentRow();
    if (r >= 1 && r < m_queue.Rows() && m_queue.At(r).state == JobState::Queued &&
        m_queue.At(r + 1).state == JobState::Queued && m_queue.Swap(r))
        m_grid->SelectRow(r + 1);
}

void guiMainWnd::real_reset_cb()
{
    if (m_queue.Rows() == 0)
        return;
    if (!ask("Click Yes to delete all jobs, No to cancel"))
        return;
    if (m_szUsrProfile[0]) {
        char log[PROFILE_PATH_SIZE];
        snprintf(log, sizeof log, "%s/wendle_history.log", m_szUsrProfile);
        write_log(log);
    }
    // Every pending step of the run goes: a pending start or end would
    // otherwise act on rows added later, without a Submit.
    m_run.Reset();
    for (int r = 1; r <= m_queue.Rows(); r++)
        m_plots.Forget(m_queue.At(r).id);
    m_queue.Clear();
    m_held[0].clear();
    m_held[1].clear();
    activate_solver_controls(true);
    ShowStatus();
    redraw();
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
    m_run.SetAutoMemory(on);
    for (int r = 1; r <= m_queue.Rows(); r++)
        if (m_queue.At(r).state == JobState::Queued)
            m_queue.SetAutoMemory(r, on);
}

void guiMainWnd::real_location_cb(Fl_Widget *w)
{
    if (m_run.Active())
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

void guiMainWnd::RowAdded(int row)
{
    if (m_grid->AppendRow() == row)
        ShowRow(row);
}

void guiMainWnd::RowRemoved(int row)
{
    // The grid moves the texts of the rows below up; their colours and
    // locks stay with the screen position, so every row below is drawn
    // again from its record.
    m_grid->DeleteRow(row);
    RowsChanged(row, m_queue.Rows());
}

void guiMainWnd::RowsChanged(int first, int last)
{
    for (int r = first; r <= last; r++)
        ShowRow(r);
}

void guiMainWnd::ShowRow(int row)
{
    if (row < 1 || row > m_queue.Rows() || row > m_grid->GetRows())
        return;
    const Job &job = m_queue.At(row);
    // Only what differs is set: most of a row stays as it is.
    auto text = [&](int col, const std::string &value) {
        const char *now = m_grid->GetMatrixText(row, col);
        if (!now || value != now)
            m_grid->SetMatrixText(row, col, value.c_str());
    };
    if (m_grid->GetChoiceValue(row) != job.precision || job.precision == 0)
        m_grid->SetChoiceValue(row, job.precision);
    text(COL_NAME, JobName(job));
    text(COL_FOLDER, JobFolder(job));
    text(COL_SIZE, job.size);
    text(COL_TYPE, JobType(job));
    text(COL_MB, job.mb);
    text(COL_SEC, job.sec);
    text(COL_STATUS, StateText(job.state));

    static const int kBack[] = {2, 3, 3, 4, 1};  // by state, Queued first
    bool ended = job.state == JobState::Finished || job.state == JobState::Aborted;
    m_grid->SetMatrixColor(row, COL_STATUS, kBack[(int)job.state]);
    if (job.state != JobState::Running)
        m_grid->SetMatrixProgress(row, COL_STATUS, -1);
    m_grid->SetMatrixTextColor(row, COL_STATUS, ended ? 255 : FL_FOREGROUND_COLOR);
    // A job that left the queue keeps its precision, MB and Sec.
    bool queued = job.state == JobState::Queued;
    m_grid->SetChoiceActivate(row, queued ? 1 : 0);
    if (queued && !job.autoMemory)
        m_grid->SetMatrixActivate(row, COL_MB);
    else
        m_grid->SetMatrixDeactivate(row, COL_MB);
    if (queued)
        m_grid->SetMatrixActivate(row, COL_SEC);
    else
        m_grid->SetMatrixDeactivate(row, COL_SEC);
}

void guiMainWnd::cell_edited(int row, int col, void *data)
{
    guiMainWnd *self = static_cast<guiMainWnd *>(data);
    if (row > self->m_queue.Rows())
        return;
    const char *text = self->m_grid->GetMatrixText(row, col);
    if (col == COL_PRECISION) {
        self->m_queue.SetPrecision(row, self->m_grid->GetChoiceValue(row));
        // The choice does not keep the keyboard.
        Fl::focus(self->m_bxLocTitle);
    } else if (col == COL_MB) {
        self->m_queue.SetMb(row, text ? text : "");
    } else if (col == COL_SEC) {
        self->m_queue.SetSec(row, text ? text : "");
    }
}
