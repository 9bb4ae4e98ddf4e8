// guiMainWnd: the job runner's one main window. It holds the job table, the
// solver and queue controls, the per-user settings and history log, and the
// state of a submission run: a chain of toolkit timers over the jobs that run
// at once.
#pragma once
#include <FL/Fl_Window.H>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/comfunction.h"
#include "solver/deck_name.h"
#include "run/notifier.h"
#include "run/run_settings.h"
#include "run/running_job.h"
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
    MSG_NAME_SIZE = READ_LINE_MAX + 1,
    FILE_INFO_SIZE = 256,
};

class guiMainWnd : public Fl_Window {
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
    void ResizeWindow(int w, int h);
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
    // Appends every row whose status is not exactly "Queued", as one block
    // that goes in whole or not at all.
    void write_log(const char *path);

    // Splits a job file's path (at most FILE_INFO_SIZE - 1 characters) into
    // name, folder (with its "/"), type (mode 1: the text after the last
    // ".") and size ("%dK"), each into FILE_INFO_SIZE bytes. 0 after an
    // alert when the path has no "." (mode 1) or "/", or cannot be read.
    int GetFileInfo(int mode, const char *path, char *name, char *folder, char *type,
                    char *size);

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
    void real_context_cb();

    // Timer callbacks of a run; data is the window.
    static void RunDynaProcess(void *data);
    static void ChkMsg(void *data);
    static void ChkEnd(void *data);
    void real_rundynaprocess();
    void real_chkmsg();
    void real_chkend();

    // The line after the deck's *KEYWORD_ID line, blanks joined by "_", into
    // name (MSG_NAME_SIZE bytes): 1 when found, else 0 with name empty. An
    // ID holding "/" gives no name: it would lead outside the job's folder.
    // Remembered per deck until the deck changes.
    int GetMessageName(const char *deck, char *name);
    // The outcome of row's message file: 1 normal end, 0 error, -1 not yet
    // decided or unreadable, -2 when it exists, is empty, and may be read
    // but not written. For the current job only what its run wrote counts.
    int IsFinishedNormal(int row);
    // The message file of a row: in the job's folder, named after the
    // deck's ID or "messag"; for a row that was started, the file named
    // when it started.
    std::string MessageFile(int row);
    // True while a job's deck or message file is still being read, in
    // slices between the window's events.
    bool IsReading() const;
    // How many jobs a run keeps going at once (1 to 64). A change applies at
    // once, also during a run, and is saved in wendle_run.ini.
    int JobsAtOnce() const { return m_runSettings.Jobs(); }
    void SetJobsAtOnce(int n);
    // Rows below a deleted row move up: the run follows its jobs.
    void RowDeleted(int row);
    // Asks the solver of row's running job for sense switch n (1 to 4) and
    // says so on the first status line.
    void SenseSwitch(int row, int n);
    // The pause before row's job in whole seconds, at least 1: the leading
    // digits of its Sec text.
    int GetPauseSeconds(int row);

    char m_szXterm[256];
    char m_szUsrProfile[USER_DIR_SIZE];
    int m_curWidth, m_curHeight;
    int m_runStat;
    int m_failNum;
    int m_sucNum;
    int m_curSub;
    Fl_Fltkgrid *m_grid;
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
    pid_t m_childpid;

protected:
    void draw() override;

private:
    // A job-table cell's text, "" when it has none.
    std::string CellText(int row, int col);
    // Status tests ask whether the text contains the word; only the history
    // log compares exactly.
    bool StatusHas(int row, const char *word);
    void SetStatus(int row, const char *status, int back, int text = -1);
    // The row is being run or about to be: its precision, MB and Sec stay.
    void LockRow(int row);
    // Marks row r "Waiting" and starts it after its pause.
    void wait_and_start(int r);
    // A waiting row that will not start after all goes back to the queue.
    void unwait();
    // Counts and colours a job's outcome (1 normal, 0 abnormal) and moves
    // on to the next row or the end of the run.
    void judge(RunningJob *job, int code);
    // After an outcome: the next row, or the end of the run.
    void advance();
    // While fewer jobs run than may, the next row that can start waits for
    // its pause.
    void fill_slots();
    // The first queued row whose folder no job uses, or 0.
    int next_startable();
    int running_count() const;
    // A job is still reading its deck before its terminal starts.
    bool starting() const;
    // Every pending step of the run goes; terminals keep running.
    void CancelRun();
    void remove_run_steps();
    RunningJob *job_at(int row);
    void remove_job(RunningJob *job);
    void activate_solver_controls(bool on);
    // A settings file that exists but was not read is kept beside itself
    // before exit replaces it, or, when it cannot be read (readFailed: a
    // read of it already failed), is not replaced.
    void keep_rejected(const char *path, bool readFailed);
    bool m_bKeepSettings = false;
    // The folder a row's job writes its message file in, and its deck.
    void JobFiles(int row, std::string *folder, std::string *deck);
    // The second half of a job start, once its message name is known.
    void launch(RunningJob *job);
    void open_message_file(const std::string &path);
    // The current job is the one m_curSub and m_childpid name; when they
    // were set from outside since the engine last did, it follows them.
    void note_current();
    void take_current_from_fields();
    struct {
        int row = 0;
        pid_t pid = 0;
    } m_noted;
    // One slice of the checks under way; a round ends when all is read.
    void check_step();
    void finish_check(RunningJob *job, int code);
    void ensure_tick();
    static void WatchEnds(void *data);
    void watch_ends();
    // The end times of running jobs, read after their names in slices.
    static void ScanStep(void *data);
    void scan_step();
    // During a run the status lines show the progress of the selected
    // running job (else the first) and the counts of the table's jobs; a
    // message put there holds its line until the next job starts.
    void update_status();
    void notice(Fl_Box *line, const std::string &text);
    void clear_progress_lines();
    // The room the status lines' text has, and its redrawing.
    int status_width();
    void redraw_status();
    // The run ends without its summary (an empty message file).
    void stop_run();
    bool m_held[2] = {false, false};
    // A job's deck as the status lines name it.
    std::string job_name(int row);
    Notifier m_notifier;
    static void StartStep(void *data);
    static void CheckStep(void *data);
    // The jobs of the run that have started and are not judged yet.
    std::vector<std::unique_ptr<RunningJob>> m_jobs;
    int m_waitRow = 0;       // the row waiting for its pause, or 0
    bool m_stopping = false;  // a job's message file was empty: no more starts
    DeckNameCache m_deckNames;
    RunSettings m_runSettings;
    // Message files fixed when each row's job started, by row.
    std::vector<std::string> m_jobMsgFile;
    // Terminals that are no longer followed, reaped from a timer by their
    // own pid only.
    void reap_later(pid_t pid);
    static void ReapChildren(void *data);
    std::vector<pid_t> m_orphans;

    // Files from outside the window's dialogs: the command line, another
    // wendle, a drop on the job table.
public:
    // Adds decks as "Add Dyn Job" adds them and restart dumps as "Add
    // Restart Job" adds a dump alone, a slice at a time while the loop is
    // idle, in the order given and after files handed over before. What is
    // refused is said on the first status line, never in a box. submit
    // presses Submit Jobs once the files are in.
    void OpenFiles(const std::vector<std::string> &paths, bool submit);
    bool IsOpening() const { return m_openQueue.Busy(); }
    // The job table's drop: Fl::event_text() holds what was dropped.
    static void drop_cb(Fl_Widget *w, void *data);
    void real_drop_cb();

private:
    static bool open_one(const std::string &path, JobFileKind kind, std::string *why, void *data);
    static void open_done(const OpenQueue::Refused &refused, bool submit, void *data);
    OpenQueue m_openQueue{open_one, open_done, this};
};
