// What a job start does with the program's own process: the child it makes,
// the pause before the next job, the locked row, and the jobs it refuses.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Scrollbar.H>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

#include "run_fixture.h"
// After the test headers, whose names the X11 macros would clash with.
#include <FL/x.H>

namespace {

class JobStartTest : public RunEngineTest {
protected:
    // A cell widget of the job table, in the order the grid made them.
    Fl_Widget *cell(int row, int col)
    {
        Fl_Scroll *s = wnd->m_grid->GetScroll();
        std::vector<Fl_Widget *> cells;
        for (int i = 0; i < s->children(); i++)
            if (!dynamic_cast<Fl_Scrollbar *>(s->child(i)))
                cells.push_back(s->child(i));
        return cells.at((size_t)(row * 8 + col));
    }
    bool locked(int r)
    {
        return !cell(r, 0)->active() && !cell(r, 5)->active() && !cell(r, 6)->active();
    }
    std::string program(const char *name, const std::string &text, mode_t mode = 0755)
    {
        std::string path = home.write(std::string("solver/") + name, text);
        chmod(path.c_str(), mode);
        return path;
    }
};

TEST_F(JobStartTest, JobsThatCannotStartSayWhyAndAreAborted)
{
    open_engine();
    std::string plain = program("plain", "not a program\n", 0644);
    struct Case {
        const char *name;
        std::function<int()> setup;  // the row, set up to fail
        std::string reason;
    } cases[] = {
        {"solver without the run bit",
         [&] {
             wnd->inDynaLocation1->value(plain.c_str());
             return add_job("case1", "k");
         },
         plain + " is not an executable file"},
        {"solver that is no file",
         [&] {
             wnd->inDynaLocation1->value("/opt/lsdyna/solver");
             return add_job("case1", "k");
         },
         "/opt/lsdyna/solver is not an executable file"},
        {"bare solver name not in PATH",
         [&] {
             wnd->inDynaLocation1->value("no-such-lsdyna");
             return add_job("case1", "k");
         },
         "no-such-lsdyna is not found in PATH"},
        {"terminal that cannot run",
         [&] {
             snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "/no/xterm");
             return add_job("case1", "k");
         },
         "the terminal /no/xterm is not an executable file"},
        {"folder that cannot be entered",
         [&] { return add_job("case1", "k", "1", "1", 0, jobs + "gone/"); },
         "cannot enter " + jobs + "gone/ (No such file or directory)"},
        {"restart row without its record", [&] { return add_job("d3dump01", "Restart"); },
         "the restart job has lost its record"},
        {"MPI launcher not found",
         [&] { home.write("wendle_run.ini", "mpi=no-mpirun\n"); open_engine(); return add_job("c", "k"); },
         "the MPI launcher no-mpirun is not found in PATH"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        open_engine();
        home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n\n");
        int r = c.setup();
        size_t before = parse_record(read_file(record)).size();
        wnd->m_curSub = r;
        wnd->real_rundynaprocess();
        EXPECT_EQ(-1, wnd->m_childpid);
        EXPECT_STREQ(("Job " + std::to_string(r) + " not started: " + c.reason).c_str(),
                     wnd->lblFisrt->label());
        Fl::remove_timeout(guiMainWnd::ChkMsg, wnd.get());
        wnd->real_chkmsg();
        EXPECT_EQ("Aborted", status(r));
        EXPECT_EQ(before, parse_record(read_file(record)).size()) << "no terminal started";
        EXPECT_TRUE(file_exists(jobs + "messag")) << "nothing of the folder is touched";
    }
}

TEST_F(JobStartTest, TheChildKeepsNoDescriptorAndAFailedExecEndsIt)
{
    open_engine();
    int open = ::open("/dev/null", O_RDONLY);  // no close-on-exec
    ASSERT_GE(open, 3);
    Start s = start_row(add_job("case1", "k"));
    close(open);
    EXPECT_EQ(std::vector<int>{}, s.fds) << "the program's descriptors went with the child";

    // A terminal that passes the look-up but cannot be executed: the child
    // must end at once, never go on as a copy of the window.
    std::string broken = program("brokenterm", "#!/no/such/interpreter\n");
    snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "%s", broken.c_str());
    wnd->m_curSub = add_job("case2", "k");
    wnd->real_rundynaprocess();
    Fl::remove_timeout(guiMainWnd::ChkMsg, wnd.get());
    pid_t child = wnd->m_childpid;
    ASSERT_GT(child, 0);
    int st = 0;
    for (int i = 0; i < 250 && waitpid(child, &st, WNOHANG) == 0; i++)
        usleep(20000);
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 127) << "status " << st;
}

TEST_F(JobStartTest, TheNextJobWaitsItsRowsPauseLocked)
{
    open_engine();
    int first = add_job("case1", "k", "300", "9");
    int next = add_job("case2", "k", "300", "2");
    start_row(first);
    EXPECT_TRUE(locked(first));
    home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n\n");
    auto judged = std::chrono::steady_clock::now();
    wnd->real_chkmsg();
    ASSERT_EQ("Waiting", status(next));
    EXPECT_TRUE(locked(next)) << "a waiting row keeps its precision, MB and Sec";

    // The pause is the next row's own 2 seconds, on the real timer.
    gui::wait_for(1.5, [](void *w) {
        return static_cast<guiMainWnd *>(w)->m_grid->GetMatrixText(2, 7)[0] == 'R';
    }, wnd.get());
    EXPECT_EQ("Waiting", status(next));
    ASSERT_TRUE(gui::wait_for(3.0, [](void *w) {
        return static_cast<guiMainWnd *>(w)->m_grid->GetMatrixText(2, 7)[0] == 'R';
    }, wnd.get()));
    double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - judged).count();
    EXPECT_GE(waited, 1.9);
    EXPECT_TRUE(locked(next));
}

TEST_F(JobStartTest, ResetReapsTheRunningTerminal)
{
    setenv("RECTERM_EXEC", "1", 1);
    open_engine();
    std::string slow = program("slow", "#!/bin/sh\nsleep 1\n");
    wnd->inDynaLocation1->value(slow.c_str());
    int r = add_job("case1", "k");
    wnd->real_submit_cb();
    pid_t term = wnd->m_childpid;
    ASSERT_GT(term, 0);
    ASSERT_EQ("Running", status(r));
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_reset_cb();
    }
    EXPECT_EQ(0, wnd->m_grid->GetRows());
    // The terminal ends after a second; nobody but the program may wait for
    // it, so the test only looks whether it is still there.
    EXPECT_TRUE(gui::wait_for(5, [](void *p) {
        std::string proc = "/proc/" + std::to_string(*static_cast<pid_t *>(p));
        return !std::filesystem::exists(proc);
    }, &term));
    EXPECT_EQ(0, zombie_children());
}

TEST_F(JobStartTest, BigDeckAndMessageFileAreReadInSlices)
{
    open_engine();
    std::string node = "       1  0.000000e+00  0.000000e+00  0.000000e+00\n";
    std::string body;
    while (body.size() < 5 * 1024 * 1024)
        body += node;
    // The ID comes at the very end of the deck.
    home.write("jobs/big.k", "*KEYWORD\n*NODE\n" + body + "*KEYWORD_ID\nlate id\n");
    int r = add_job("big", "k");
    size_t before = parse_record(read_file(record)).size();
    wnd->m_curSub = r;
    wnd->real_rundynaprocess();
    EXPECT_TRUE(wnd->IsReading()) << "the deck is read after the call returns";
    // Read asked meanwhile waits for the name instead of reading the deck.
    wnd->m_grid->SelectRow(r);
    wnd->real_read_cb();
    EXPECT_TRUE(wnd->IsReading());
    EXPECT_EQ(before, parse_record(read_file(record)).size());
    ASSERT_TRUE(gui::wait_for(20, [](void *w) {
        return !static_cast<guiMainWnd *>(w)->IsReading();
    }, wnd.get()));
    Fl::remove_timeout(guiMainWnd::ChkMsg, wnd.get());
    EXPECT_GT(wnd->m_childpid, 0);
    EXPECT_EQ(jobs + "late_id.messag", wnd->MessageFile(r));
    for (int i = 0; i < 200 && parse_record(read_file(record)).size() < before + 2; i++)
        usleep(20000);
    // The job's terminal and the editor's start together, in either order.
    std::vector<Start> starts = parse_record(read_file(record));
    ASSERT_EQ(before + 2, starts.size()) << "the job's terminal and the editor's";
    const std::vector<std::string> editor = {kRecTerm, "-e", "vi", jobs + "late_id.messag"};
    EXPECT_TRUE(starts[before].args == editor || starts[before + 1].args == editor);

    home.write("jobs/late_id.messag", body + " N o r m a l    t e r m i n a t i o n\n");
    wnd->m_childpid = -1;  // a terminal that has ended
    wnd->real_chkmsg();
    EXPECT_EQ("Running", status(r)) << "judged only once all is read";
    ASSERT_TRUE(gui::wait_for(20, [](void *w) {
        return !static_cast<guiMainWnd *>(w)->IsReading();
    }, wnd.get()));
    EXPECT_EQ("Finished", status(r));
}

// The failing fork runs in a child process of the test: it may use up its
// user's process limit without touching the other tests.
TEST_F(JobStartTest, AFailedForkIsToldAndTheJobJudged)
{
    chmod(home.path().c_str(), 0755);
    chmod(jobs.c_str(), 0777);
    pid_t tester = fork();
    ASSERT_GE(tester, 0);
    if (tester == 0) {
        int result = 0;
        // The display is opened before the user changes: its key is root's.
        fl_open_display();
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(77);
        struct rlimit none = {0, 0};
        if (setrlimit(RLIMIT_NPROC, &none) != 0 || fork() == 0)
            _exit(77);
        open_window();
        snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "/bin/true");
        wnd->inDynaLocation1->value("/bin/true");
        int r = add_job("case1", "k");
        {
            gui::ButtonPresser close("Close");
            wnd->real_submit_cb();
            if (!close.saw("Creaet Child Process Failed!"))
                result |= 1;
        }
        if (wnd->m_childpid != -1)
            result |= 2;
        Fl::remove_timeout(guiMainWnd::ChkMsg, wnd.get());
        wnd->real_chkmsg();
        if (status(r) != "Aborted")
            result |= 4;
        // Leaving at once: the leak checker itself needs a new process.
        _exit(result);
    }
    int st = 0;
    waitpid(tester, &st, 0);
    if (WIFEXITED(st) && WEXITSTATUS(st) == 77)
        GTEST_SKIP() << "cannot limit the number of processes here";
    EXPECT_TRUE(WIFEXITED(st)) << "status " << st;
    EXPECT_EQ(0, WEXITSTATUS(st)) << "1: no alert, 2: a child pid, 4: not Aborted";
}

} // namespace
