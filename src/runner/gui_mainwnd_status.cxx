// The main window's two status lines: what they show of the run it
// observes, and the messages held there.
#include "runner/gui_mainwnd.h"

#include <FL/Fl_Box.H>
#include <FL/fl_draw.H>

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "grid/fltk_grid.h"
#include "run/progress.h"
#include "run/solver_command.h"

void guiMainWnd::Hold(int line, const std::string &text)
{
    m_held[line] = text;
    ShowStatus();
}

std::string guiMainWnd::ProgressText()
{
    // The selected running job, else the first in the table.
    int shown = 0;
    int selected = m_grid->GetCurrentRow();
    for (int r = 1; r <= m_queue.Rows(); r++) {
        if (!m_run.JobAt(r))
            continue;
        if (!shown)
            shown = r;
        if (r == selected) {
            shown = r;
            break;
        }
    }
    if (!shown)
        return "";
    const RunningJob *job = m_run.JobAt(shown);
    // A check that tripped is what the line says of the job from then on.
    std::string health;
    const GlstatHealth &checks = job->Health()->Checks();
    for (int k = GlstatHealth::KINDS - 1; k >= 0; k--) {
        if (checks.Tripped((GlstatHealth::Kind)k)) {
            char at[64];
            snprintf(at, sizeof at, " at t = %.2E", checks.FirstTime((GlstatHealth::Kind)k));
            health = std::string(": ") + GlstatHealth::Describe((GlstatHealth::Kind)k) + at;
        }
    }
    // The line has the room left of the control panel: a long deck name
    // gives way to the figures.
    int room = m_bxUpBox->x() - lblFisrt->x() - 4;
    std::string full = DisplayName(m_queue.At(shown));
    std::string name = full, text;
    size_t tail = std::min<size_t>(full.size(), 6);
    size_t head = full.size() - tail;
    fl_font(lblFisrt->labelfont(), lblFisrt->labelsize());
    for (;;) {
        text = health.empty() ? ProgressLine(name, job->Progress(), job->EndTime())
                              : name + health;
        if (text.empty())
            text = name + ": running";
        if (head <= 8 || fl_width(text.c_str()) <= room)
            return text;
        // The "..." takes the room of three: the first cut takes four.
        head -= name == full ? 4 : 1;
        name = full.substr(0, head) + "..." + full.substr(full.size() - tail);
    }
}

void guiMainWnd::ShowStatus()
{
    std::string line[2];
    // Jobs followed since the program started show their progress before
    // any Submit, and a job stopped by its empty message file until it ends.
    bool following = false;
    for (int r = 1; r <= m_queue.Rows() && !following; r++)
        following = m_run.JobAt(r) != nullptr;
    if (m_run.Active() || following) {
        line[0] = ProgressText();
        int done = 0, running = 0, queued = 0, cores = 0;
        for (int r = 1; r <= m_queue.Rows(); r++) {
            if (const RunningJob *job = m_run.JobAt(r))
                cores += job->Plan().cores.cores;
            switch (m_queue.At(r).state) {
            case JobState::Finished:
            case JobState::Aborted: done++; break;
            case JobState::Running: running++; break;
            case JobState::Queued:
            case JobState::Waiting: queued++; break;
            }
        }
        line[1] = JobCoresLine(done, running, queued, cores);
        if (!ClusterTerminal(m_szXterm))
            line[1] += CoresWarning(m_runSettings.Jobs(), m_runSettings.Cores().cores,
                                    sysconf(_SC_NPROCESSORS_ONLN));
    } else if (m_run.Summarized()) {
        char text[64];
        RunCounts counts = m_run.Counts();
        snprintf(text, sizeof text, "%d DYNA JOBS ARE TERMINATED ABNORMALLY!", counts.failed);
        line[0] = text;
        snprintf(text, sizeof text, "%d DYNA JOBS ARE EXECUTED SUCCESSFULLY!", counts.succeeded);
        line[1] = text;
    }
    Fl_Box *box[2] = {lblFisrt, lblSecond};
    bool changed = false;
    for (int i = 0; i < 2; i++) {
        const std::string &text = m_held[i].empty() ? line[i] : m_held[i];
        const char *now = box[i]->label();
        if (text != (now ? now : "")) {
            box[i]->copy_label(text.c_str());
            changed = true;
        }
    }
    // The lines' boxes are narrower than the room their text has, up to the
    // control panel.
    if (changed)
        damage(FL_DAMAGE_ALL, lblFisrt->x(), lblFisrt->y(), m_bxUpBox->x() - lblFisrt->x(),
               lblSecond->y() + lblSecond->h() - lblFisrt->y());
}
