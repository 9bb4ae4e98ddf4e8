// The main window's side of a run: Submit, Read, the job table's menu, and
// what the window shows of the run it observes: the rows the run moves the
// selection to, the bars and plots of running jobs, the desktop notices.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_ask.H>

#include <cstdio>

#include "grid/fltk_grid.h"
#include "runner/job_menu.h"

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
    RunSetup setup;
    setup.single = inDynaLocation1->value();
    setup.dbl = inDynaLocation2->value();
    setup.terminal = m_szXterm;
    std::string alert;
    // Locked before the first job starts: its start may already end the run.
    activate_solver_controls(false);
    int got = m_run.Submit(setup, &alert);
    if (got != 1)
        activate_solver_controls(!m_run.Active());
    if (got < 0)
        fl_alert("%s", alert.c_str());
    ShowStatus();
}

void guiMainWnd::real_read_cb()
{
    m_run.Read(m_grid->GetCurrentRow(), m_szXterm);
}

void guiMainWnd::context_cb(Fl_Widget *, void *data)
{
    guiMainWnd *self = static_cast<guiMainWnd *>(data);
    self->real_context_cb(self->m_grid->PointRow(Fl::event_x(), Fl::event_y()));
}

void guiMainWnd::real_context_cb(int row)
{
    // The switches are offered for the running row under the pointer only;
    // the run may move the selection anywhere meanwhile.
    JobMenu::State state;
    state.jobsAtOnce = m_runSettings.Jobs();
    state.cores = m_runSettings.Cores().cores;
    state.mpp = !m_runSettings.Cores().mpi.empty();
    state.notify = m_runSettings.Notify();
    state.rowRunning = row > 0 && row <= m_queue.Rows() && m_run.JobAt(row) &&
                       m_queue.At(row).state == JobState::Running;
    state.rowPlots = row > 0 && row <= m_queue.Rows() && m_run.HealthOf(row);
    int id = state.rowPlots ? m_queue.At(row).id : 0;
    JobMenu::Pick pick = JobMenu::Popup(state);
    if (pick.what == JobMenu::JOBS_AT_ONCE) {
        if (m_run.SetJobsAtOnce(pick.value) == 0)
            Hold(0, "Jobs at once: " + std::to_string(pick.value) +
                        " for now; wendle_run.ini is not written");
    } else if (pick.what == JobMenu::PLOTS) {
        if (int now = m_queue.RowOf(id))
            ShowPlots(now, true);
    } else if (pick.what == JobMenu::SENSE_SWITCH) {
        // The run went on while the menu was open: the job is asked only
        // if it still runs, wherever its row is now.
        if (int now = m_queue.RowOf(id))
            m_run.SenseSwitch(now, pick.value);
    } else if (pick.what == JobMenu::NOTIFY) {
        if (!m_runSettings.SetNotify(pick.value == 1))
            Hold(0, "Notices: " + std::string(pick.value == 1 ? "on" : "off") +
                        " for now; wendle_run.ini is not written");
    } else if (pick.what == JobMenu::CORES) {
        if (!m_runSettings.SetCores(pick.value))
            Hold(0, "Cores per job: " + std::to_string(pick.value) +
                        " for now; wendle_run.ini is not written");
    } else if (pick.what == JobMenu::MPP) {
        if (!m_runSettings.SetMpi(pick.value == 1 ? "mpirun" : ""))
            Hold(0, std::string("MPP solver through MPI: ") + (pick.value == 1 ? "on" : "off") +
                        " for now; wendle_run.ini is not written");
    }
    // The warning of too many cores follows both counts.
    ShowStatus();
}

void guiMainWnd::JobWaiting(int row)
{
    m_grid->SelectRow(row);
}

void guiMainWnd::JobStarted(int row)
{
    m_grid->SelectRow(row);
    // A job that starts ends what the status lines held until now.
    m_held[0].clear();
    m_held[1].clear();
}

void guiMainWnd::JobEnded(int row, Outcome outcome, bool stopAsked)
{
    const Job &job = m_queue.At(row);
    if (outcome == Outcome::Error && m_runSettings.Notify())
        m_notifier.Notify(("Wendle: " + DisplayName(job) + " aborted").c_str(),
                          WorkFolder(job).c_str());
    if (outcome == Outcome::EmptyUnwritable)
        m_grid->SelectRow(row);
    // Going on from where it stopped is "Add Restart Job": its dialog
    // opens in this folder.
    if (stopAsked)
        snprintf(m_szLastDir, sizeof m_szLastDir, "%s", WorkFolder(job).c_str());
    ShowStatus();
}

void guiMainWnd::ProgressChanged()
{
    // Every running row's status cell fills as its job nears its end time,
    // and its plot window, if it has one, follows.
    for (int r = 1; r <= m_queue.Rows(); r++) {
        const RunningJob *job = m_run.JobAt(r);
        double share = -1;
        if (job && job->EndTime() > 0 && job->Progress().Known())
            share = job->Progress().T() / job->EndTime();
        m_grid->SetMatrixProgress(r, COL_STATUS, share);
        if (job)
            ShowPlots(r, false);
    }
    ShowStatus();
}

void guiMainWnd::HealthTripped(int row, unsigned kinds)
{
    const Job &job = m_queue.At(row);
    for (int k = 0; k < GlstatHealth::KINDS; k++)
        if ((kinds >> k) & 1 && m_runSettings.Notify())
            m_notifier.Notify(("Wendle: " + DisplayName(job) + ": " +
                               GlstatHealth::Describe((GlstatHealth::Kind)k))
                                  .c_str(),
                              WorkFolder(job).c_str());
    ShowPlots(row, false);
    ShowStatus();
}

void guiMainWnd::ShowPlots(int row, bool open)
{
    std::shared_ptr<const JobHealth> health = m_run.HealthOf(row);
    int id = m_queue.At(row).id;
    if (!health || (!open && !m_plots.Find(id)))
        return;
    const RunningJob *job = m_run.JobAt(row);
    const Job &record = m_queue.At(row);
    PlotData data = HealthPlot(DisplayName(record), WorkFolder(record),
                               job ? job->EndTime() : 0, *health);
    if (open)
        m_plots.Show(id, data);
    else
        m_plots.Update(id, data);
}

void guiMainWnd::Message(const std::string &text)
{
    Hold(0, text);
}

void guiMainWnd::Alert(const std::string &text)
{
    fl_alert("%s", text.c_str());
}

void guiMainWnd::RunEnded(const RunCounts &counts)
{
    activate_solver_controls(true);
    if (!counts.stopped) {
        m_held[0].clear();
        m_held[1].clear();
    }
    ShowStatus();
    redraw();
    if (!m_runSettings.Notify())
        return;
    if (counts.stopped)
        m_notifier.Notify("Wendle: the run has stopped", lblFisrt->label());
    else
        m_notifier.Notify("Wendle: the run has ended",
                          (std::string(lblFisrt->label()) + "\n" + lblSecond->label()).c_str());
}
