// guiMainWnd: the job runner's one main window. It holds the job table, the
// solver and queue controls and the per-user settings and history log; it
// shows the job queue and the run over it, which it observes, and turns the
// user's commands into changes of both.
#pragma once
#include <FL/Fl_Window.H>

#include <string>
#include <vector>

#include "foundation/comfunction.h"
#include "run/notifier.h"
#include "run/queue.h"
#include "run/queue_file.h"
#include "run/run.h"
#include "run/run_settings.h"
#include "runner/gui_plot.h"
#include "runner/open_queue.h"

class Fl_Box;
class Fl_Button;
class Fl_Check_Button;
class Fl_Input;
class Fl_Round_Button;
class Fl_Widget;
class Fl_Fltkgrid;

// Paths built from the user's folder ("%s/wendle.ini" and the like).
enum {
    PROFILE_PATH_SIZE = USER_DIR_SIZE + 32,
    // Longest text the solver, memory and pause inputs take: any path.
    SETTING_VALUE_MAX = PATH_MAX - 1,
    FILE_INFO_SIZE = 256,
};

class guiMainWnd : public Fl_Window, private QueueListener, private RunObserver {
public:
    // The job table's columns.
    enum {
        COL_PRECISION, COL_NAME, COL_FOLDER, COL_SIZE, COL_TYPE, COL_MB, COL_SEC, COL_STATUS
    };

    guiMainWnd(int x, int y, int w, int h, const char *title);
    ~guiMainWnd() override;

    // Start folder of every job-file dialog; the file dialog writes back the
    // folder it ended in. Kept in the settings file as lastdir.
    static char m_szLastDir[256];

    void InitWindow();
    // Places every named widget for a window of w x h; the toolkit calls it
    // through resize().
    void ResizeWindow(int w, int h);
    void resize(int x, int y, int w, int h) override;
    void InitJobSub();
    // 1 when read and applied; 0 when it cannot be opened or a line does not
    // carry the key expected at its place, -1 when a read fails part-way
    // (then nothing is applied).
    int read_config(const char *path);
    // 1 when written. The file is replaced only once all six lines are
    // safely on disk; on any failure, or when the file exists and the user
    // may not write it, the old file stays and 0 is returned.
    // Control characters of a value are left out: they would not read back.
    int write_config(const char *path);
    // Appends the line of every job that has ended and is not in the log
    // yet: the table's rows (unless departedOnly) and the jobs that left it
    // while their terminal ran on, as one block that goes in whole or not
    // at all. They are then marked as logged, and departed ones forgotten.
    void write_log(const char *path, bool departedOnly = false);

    // Splits a job file's path (at most FILE_INFO_SIZE - 1 characters) into
    // name, folder (with its "/"), type (mode 1: the text after the last
    // ".") and size ("%dK"), each into FILE_INFO_SIZE bytes. 0 after an
    // alert when the path has no "." (mode 1) or "/", or cannot be read.
    int GetFileInfo(int mode, const char *path, char *name, char *folder, char *type,
                    char *size);

    // The queue the table shows, the run over it, and the queue's file.
    Queue &Jobs() { return m_queue; }
    Run &TheRun() { return m_run; }
    const QueueFile &KeptQueue() const { return m_queueFile; }
    // A job as the queue commands make it: precision from the radio pair, MB
    // and Sec from the Control Parameter fields, MB locked by "Auto" for a
    // deck.
    Job NewJob(JobKind kind, const std::string &deck, const std::string &dump,
               const std::string &size);

    static void exit_cb(Fl_Widget *w, void *data);
    static void add_cb(Fl_Widget *w, void *data);
    static void addrestart_cb(Fl_Widget *w, void *data);
    static void delete_cb(Fl_Widget *w, void *data);
    static void up_cb(Fl_Widget *w, void *data);
    static void down_cb(Fl_Widget *w, void *data);
    static void reset_cb(Fl_Widget *w, void *data);
    static void automem_cb(Fl_Widget *w, void *data);
    static void location_cb(Fl_Widget *w, void *data);
    static void about_cb(Fl_Widget *w, void *data);
    static void submit_cb(Fl_Widget *w, void *data);
    static void read_cb(Fl_Widget *w, void *data);
    static void context_cb(Fl_Widget *w, void *data);

    void real_exit_cb();
    void real_add_cb();
    void real_addrestart_cb();
    void real_delete_cb();
    void real_up_cb();
    void real_down_cb();
    void real_reset_cb();
    void real_automem_cb();
    void real_location_cb(Fl_Widget *w);
    void real_about_cb();
    void real_submit_cb();
    void real_read_cb();
    // The job table's menu, for the row under the pointer (0: none).
    void real_context_cb(int row);

    // Files from outside the window's dialogs: the command line, another
    // wendle, a drop on the job table. Decks are added as "Add Dyn Job"
    // adds them and restart dumps as "Add Restart Job" adds a dump alone, a
    // slice at a time while the loop is idle, in the order given and after
    // files handed over before. What is refused is said on the first status
    // line, never in a box. submit presses Submit Jobs once the files are in.
    void OpenFiles(const std::vector<std::string> &paths, bool submit);
    bool IsOpening() const { return m_openQueue.Busy(); }
    // The job table's drop: Fl::event_text() holds what was dropped.
    static void drop_cb(Fl_Widget *w, void *data);
    void real_drop_cb();

    char m_szXterm[256];
    char m_szUsrProfile[USER_DIR_SIZE];
    Fl_Fltkgrid *m_grid;
    Fl_Box *m_bxLocTitle;
    Fl_Check_Button *m_autoMem;
    Fl_Input *inMem;
    Fl_Input *inPause;
    Fl_Input *inDynaLocation1;
    Fl_Input *inDynaLocation2;
    Fl_Box *lblFisrt, *lblSecond;
    Fl_Round_Button *btnSinglePrecision, *btnDoublePrecision;
    Fl_Button *btnSelDynaLocation1, *btnSelDynaLocation2;
    Fl_Box *m_bxUpBox, *m_bxCtlPara, *m_bxMemory, *m_bxPause, *m_bxMB, *m_bxSec, *m_bxDown;
    Fl_Button *btnReset, *btnSubmit, *btnRead, *btnRestart, *btnAdd, *btnDel, *btnUp,
        *btnDown, *btnAbout;

private:
    // The table shows the queue: each row's texts, colours and locks are
    // drawn from its record, whatever the row showed before.
    void RowAdded(int row) override;
    void RowRemoved(int row) override;
    void RowsChanged(int first, int last) override;
    void ShowRow(int row);
    static void cell_edited(int row, int col, void *data);

    void JobWaiting(int row) override;
    void JobStarted(int row) override;
    void JobEnded(int row, Outcome outcome, bool stopAsked) override;
    void ProgressChanged() override;
    void HealthTripped(int row, unsigned kinds) override;
    void Message(const std::string &text) override;
    void Alert(const std::string &text) override;
    void RunEnded(const RunCounts &counts) override;
    void DepartedJobEnded(int id) override;
    static void queue_not_saved(const std::string &text, void *data);

    // The two status lines, from the run's state and what is held there: a
    // message holds its line until the next job starts; during a run the
    // lines show the selected running job's progress (else the first's) and
    // the counts of the table; after it, the summary.
    void ShowStatus();
    void Hold(int line, const std::string &text);
    std::string ProgressText();
    // The row's plot window, made or raised; when it exists, given what its
    // job has told since.
    void ShowPlots(int row, bool open);
    void activate_solver_controls(bool on);
    // A settings file that exists but was not read is kept beside itself
    // before exit replaces it, or, when it cannot be read (readFailed: a
    // read of it already failed), is not replaced.
    void keep_rejected(const char *path, bool readFailed);

    bool m_bKeepSettings = false;
    RunSettings m_runSettings;
    Queue m_queue;
    Run m_run;
    QueueFile m_queueFile;
    Notifier m_notifier;
    PlotWindows m_plots;
    std::string m_held[2];  // messages holding the status lines
    static bool open_one(const std::string &path, JobFileKind kind, std::string *why, void *data);
    static void open_done(const OpenQueue::Refused &refused, bool submit, void *data);
    OpenQueue m_openQueue{open_one, open_done, this};
};
