// guiPlotWnd: the plot window of one job, non-modal, titled after the job:
// its PlotView, a "Save as PNG" button and a line that says what the last
// save did. PlotWindows: the owner's set of them, one per job.
#pragma once
#include <FL/Fl_Double_Window.H>

#include <memory>
#include <string>
#include <vector>

#include "run/job_health.h"
#include "runner/plot_view.h"

class Fl_Box;
class Fl_Button;
class Fl_Widget;

class guiPlotWnd : public Fl_Double_Window {
public:
    explicit guiPlotWnd(const PlotData &data);

    // As PlotView's; the title follows data.title.
    void SetData(const PlotData &data);
    void Update(const PlotData &data);
    PlotView *View() { return m_view; }
    // What the last save said: the file written, or why it was not.
    const char *SaveStatus() const;

    // The file "Save as PNG" writes: the job's folder and its name's stem,
    // "plate-plots.png" for "plate.k"; empty without a folder. The file
    // dialog's front end only opens existing files, so the name is fixed.
    std::string PngPath() const;
    // Writes the plot, as large as the view, to path. 1, or 0 with *why.
    int SavePng(const std::string &path, std::string *why);

    static void save_cb(Fl_Widget *w, void *data);
    static void close_cb(Fl_Widget *w, void *data);
    void real_save_cb();

private:
    void setTitle(const std::string &title);
    void tell(const std::string &text);

    PlotView *m_view;
    Fl_Button *m_save;
    Fl_Box *m_status;
    std::string m_title;
};

// The plot windows of the jobs in a table, made on first demand and kept
// when closed (closing hides one); they go with this object.
class PlotWindows {
public:
    PlotWindows();
    ~PlotWindows();
    PlotWindows(const PlotWindows &) = delete;
    PlotWindows &operator=(const PlotWindows &) = delete;

    // Shows job's window with data, made first if there is none, and
    // raises it. job is any number that names the job while it is in the
    // table (not its row: rows move).
    guiPlotWnd *Show(int job, const PlotData &data);
    // job's window, or null.
    guiPlotWnd *Find(int job) const;
    // Gives job's window the points data gained, when it is shown; a hidden
    // window takes its data whole when shown again.
    void Update(int job, const PlotData &data);
    // The job has left the table: its window goes.
    void Forget(int job);

private:
    struct Entry {
        int job;
        std::unique_ptr<guiPlotWnd> window;
    };
    std::vector<Entry> m_windows;
};

// What a plot of a job shows of its health: its time steps, the energies
// and added mass its glstat gives, and where a check tripped.
PlotData HealthPlot(const std::string &title, const std::string &folder, double endTime,
                    const JobHealth &health);

// Writes w x h pixels of depth bytes (3 RGB, 4 RGBA), rows stride bytes
// apart, as a PNG at path: into a new file beside it, renamed over path once
// whole, so that a failed write leaves no file behind and an old one as it
// was. A link at path is replaced, not followed. 1, or 0 with *why saying
// what failed.
int WritePng(const std::string &path, const unsigned char *pixels, int w, int h, int depth,
             int stride, std::string *why);
