#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>

#include <cerrno>
#include <fstream>
#include <functional>
#include <signal.h>

#include "run_fixture.h"
#include "support/read_fault.h"
#include "support/readonly.h"

namespace {

void write_text(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::trunc) << text;
}

class OutcomeTest : public RunEngineTest {
protected:
    void TearDown() override
    {
        for (pid_t pid : children) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        RunEngineTest::TearDown();
    }
    // A real child standing in for a job's terminal.
    pid_t spawn(const char *program, const char *arg = nullptr)
    {
        pid_t pid = fork();
        if (pid == 0) {
            execlp(program, program, arg, (char *)nullptr);
            _exit(127);
        }
        return pid;
    }
    pid_t running_terminal()
    {
        pid_t pid = spawn("sleep", "30");
        children.push_back(pid);
        return pid;
    }
    pid_t ended_terminal()
    {
        pid_t pid = spawn("true");
        // Wait for it to end without reaping it: the check must find it.
        siginfo_t info;
        waitid(P_PID, pid, &info, WEXITED | WNOWAIT);
        return pid;
    }
    // Sets up row r as the running job and runs one check.
    void check(int r, pid_t terminal)
    {
        wnd->m_curSub = r;
        wnd->m_runStat = 1;
        wnd->m_childpid = terminal;
        wnd->real_chkmsg();
    }
    bool reaped(pid_t pid)
    {
        errno = 0;
        return waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD;
    }
    std::vector<pid_t> children;
};

TEST_F(OutcomeTest, MessageFileLines)
{
    open_engine();
    int r = add_job("case1", "k");
    home.write("jobs/case1.k", "*KEYWORD\n*END\n");
    struct Case {
        const char *name, *content;
        int code;
    } cases[] = {
        {"normal on one line", " N o r m a l    t e r m i n a t i o n   12/08/2026\n", 1},
        {"split over two lines", " N o r m a l\n t e r m i n a t i o n\n", -1},
        {"error above normal", " *** Error 10246 (KEY+246)\n N o r m a l    t e r m i n a t i o n\n", 0},
        {"both on one line", " *** Error N o r m a l    t e r m i n a t i o n\n", 1},
        {"deciding line not complete", " N o r m a l    t e r m i n a t i o n", -1},
        {"error not complete", "banner\n *** Error 10246", -1},
        {"progress only", " banner\n cycle 1000\n", -1},
        {"empty but writable", "", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        home.write("jobs/messag", c.content);
        EXPECT_EQ(c.code, wnd->IsFinishedNormal(r));
    }
    // The deciding line counts once its newline is there.
    home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n");
    EXPECT_EQ(-1, wnd->IsFinishedNormal(r));
    FILE *fp = fopen((jobs + "messag").c_str(), "a");
    fputs("\n", fp);
    fclose(fp);
    EXPECT_EQ(1, wnd->IsFinishedNormal(r));

    // No message file: the look creates an empty one.
    std::remove((jobs + "messag").c_str());
    EXPECT_EQ(-1, wnd->IsFinishedNormal(r));
    EXPECT_TRUE(file_exists(jobs + "messag"));

    wnd->m_grid->SetMatrixText(r, 2, (jobs + "missing/").c_str());
    EXPECT_EQ(-1, wnd->IsFinishedNormal(r));
}

TEST_F(OutcomeTest, EmptyUnwritableMessageFile)
{
    open_engine();
    int r = add_job("case1", "k");
    std::string msg = home.write("jobs/messag", "");
    if (!make_unwritable(msg))
        GTEST_SKIP() << "cannot make a file unwritable here";
    EXPECT_EQ(-2, wnd->IsFinishedNormal(r));
    make_writable(msg);
    home.write("jobs/messag", "banner\n");
    make_unwritable(msg);
    EXPECT_EQ(-1, wnd->IsFinishedNormal(r));
    make_writable(msg);
    home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n\n");
    make_unwritable(msg);
    EXPECT_EQ(1, wnd->IsFinishedNormal(r));

    // Stopping the run: the row stays "Running", nothing is scheduled.
    make_writable(msg);
    home.write("jobs/messag", "");
    make_unwritable(msg);
    int next = add_job("next", "k");
    wnd->m_grid->SetMatrixText(r, 7, "Running");
    check(r, running_terminal());
    make_writable(msg);
    EXPECT_EQ("Running", status(r));
    EXPECT_EQ(0, wnd->m_runStat);
    EXPECT_STREQ("The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!",
                 wnd->lblFisrt->label());
    EXPECT_EQ("Queued", status(next));
    EXPECT_EQ(r, wnd->m_grid->GetCurrentRow());
    EXPECT_EQ(0, wnd->m_sucNum + wnd->m_failNum);
    EXPECT_TRUE(wnd->inDynaLocation1->active());
    EXPECT_FALSE(Fl::has_timeout(guiMainWnd::ChkMsg, wnd.get()));
    EXPECT_FALSE(Fl::has_timeout(guiMainWnd::RunDynaProcess, wnd.get()));
}

TEST_F(OutcomeTest, MessageFileNames)
{
    open_engine();
    int r = add_job("deck", "k");
    struct Case {
        const char *name, *deck, *file;
    } cases[] = {
        {"no ID", "*KEYWORD\n*END\n", "messag"},
        {"two words", "*KEYWORD\n*KEYWORD_ID\nmy job\n*END\n", "my_job.messag"},
        {"trailing blanks", "*KEYWORD_ID\nmy job   \n", "my_job.messag"},
        {"only blanks", "*KEYWORD_ID\n    \n", ".messag"},
        {"leading blanks and tabs", "*KEYWORD_ID\n  lead\tand \t tabs\n", "_lead_and_tabs.messag"},
        {"ID keyword last", "*KEYWORD\n*KEYWORD_ID\n", "messag"},
        {"ID line without newline", "*KEYWORD_ID\nabc", "messag"},
        {"longer keyword arms too", "*KEYWORD_ID_X\n*KEYWORD_ID\nabc\n", "abc.messag"},
        {"CR LF", "*KEYWORD_ID\r\nabc\r\n", "abc.messag"},
        {"case matters", "*keyword_id\nabc\n", "messag"},
        {"whatever follows", "*KEYWORD_ID\n*TITLE\n", "*TITLE.messag"},
        {"a slash leads nowhere", "*KEYWORD_ID\n../../evil\n", "messag"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        home.write("jobs/deck.k", c.deck);
        EXPECT_EQ(jobs + c.file, wnd->MessageFile(r));
    }
    // A slash in the ID creates nothing outside the job's folder.
    home.write("jobs/deck.k", "*KEYWORD_ID\n../escaped\n");
    wnd->IsFinishedNormal(r);
    EXPECT_FALSE(file_exists(home.file("escaped.messag")));

    std::string longId(300, 'x');
    home.write("jobs/deck.k", "*KEYWORD_ID\n" + longId + "\n");
    EXPECT_EQ(jobs + std::string(256, 'x') + ".messag", wnd->MessageFile(r));

    std::remove((jobs + "deck.k").c_str());
    EXPECT_EQ(jobs + "messag", wnd->MessageFile(r));

    // A restart with a new deck runs, and writes, in the dump's folder.
    std::string dumps = home.mkdir("dumps") + "/";
    int restart = add_restart(2, dumps + "d3dump01", jobs + "deck.k");
    EXPECT_EQ(dumps + "messag", wnd->MessageFile(restart));
    int alone = add_restart(1, dumps + "d3dump01");
    EXPECT_EQ(jobs + "messag", wnd->MessageFile(alone));
}

TEST_F(OutcomeTest, OnlyWhatTheRunWroteDecides)
{
    open_engine();
    const std::string normal = " N o r m a l    t e r m i n a t i o n\n";
    const std::string error = " *** Error 10246 (KEY+246)\n";
    home.write("jobs/case1.k", "*KEYWORD_ID\nstale\n*END\n");
    auto append = [](const std::string &path, const std::string &text) {
        FILE *fp = fopen(path.c_str(), "a");
        fputs(text.c_str(), fp);
        fclose(fp);
    };
    struct Case {
        const char *name;
        std::function<void(const std::string &)> solver;  // what the run writes
        const char *outcome;
    } cases[] = {
        {"left as it was", [](const std::string &) {}, "Aborted"},
        {"appended to with a normal end", [&](const std::string &f) { append(f, normal); },
         "Finished"},
        {"appended to with an error", [&](const std::string &f) { append(f, error); }, "Aborted"},
        {"written anew", [&](const std::string &f) { write_text(f, "banner\n" + normal); },
         "Finished"},
        {"replaced by another file",
         [&](const std::string &f) {
             std::remove(f.c_str());
             write_text(f, error);
         },
         "Aborted"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // A run before this one ended normally, in the file named by the ID.
        std::string msg = home.write("jobs/stale.messag", "old banner\n" + normal);
        int r = add_job("case1", "k");
        start_row(r);
        c.solver(msg);
        check(r, ended_terminal());
        EXPECT_EQ(c.outcome, status(r));
    }
}

TEST_F(OutcomeTest, StaleMessageFileInAFolderThatCannotBeWritten)
{
    open_engine();
    int r = add_job("case1", "k");
    home.write("jobs/case1.k", "*KEYWORD\n");
    home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n\n");
    if (!make_unwritable(jobs))
        GTEST_SKIP() << "cannot make a folder unwritable here";
    start_row(r);
    check(r, ended_terminal());
    make_writable(jobs);
    EXPECT_TRUE(file_exists(jobs + "messag")) << "the old file could not be removed";
    EXPECT_EQ("Aborted", status(r));
}

TEST_F(OutcomeTest, TheMessageFileIsFixedWhenTheJobStarts)
{
    open_engine();
    home.write("jobs/case1.k", "*KEYWORD_ID\nabc\n*END\n");
    int r = add_job("case1", "k");
    start_row(r);
    // The deck goes away during the run: the job still writes abc.messag.
    std::remove((jobs + "case1.k").c_str());
    home.write("jobs/abc.messag", " N o r m a l    t e r m i n a t i o n\n");
    check(r, ended_terminal());
    EXPECT_EQ("Finished", status(r));
    EXPECT_EQ(jobs + "abc.messag", wnd->MessageFile(r)) << "Read shows the job's own file";
    EXPECT_FALSE(file_exists(jobs + "messag"));
}

// A read error is no end of the deck: its ID may lie past the fault. The
// job starts, watches "messag" meanwhile, and its checks read the deck again.
TEST_F(OutcomeTest, ADeckThatFailsAtTheStartIsReadAgainAtTheChecks)
{
    if (!in_read_fault_child()) {
        EXPECT_EQ("", rerun_with_read_fault());
        return;
    }
    open_engine();
    std::string deck = home.write("jobs/case1.k", "*KEYWORD\n*KEYWORD_ID\nabc\n*END\n");
    std::string msg = home.write("jobs/abc.messag", "old run\n N o r m a l    t e r m i n a t i o n\n");
    set_read_fault(deck, 12);
    int r = add_job("case1", "k");
    start_row(r);
    EXPECT_EQ(jobs + "messag", wnd->MessageFile(r));
    EXPECT_STREQ("Job 1: its deck cannot be read whole; messag is watched until it can",
                 wnd->lblFisrt->label());

    check(r, running_terminal());
    EXPECT_EQ("Running", status(r));
    set_read_fault(deck, -1);
    check(r, running_terminal());
    EXPECT_EQ(jobs + "abc.messag", wnd->MessageFile(r));
    EXPECT_EQ("Running", status(r)) << "what an earlier run left decides nothing";
    FILE *fp = fopen(msg.c_str(), "a");
    fputs(" N o r m a l    t e r m i n a t i o n\n", fp);
    fclose(fp);
    check(r, running_terminal());
    EXPECT_EQ("Finished", status(r));
}

TEST_F(OutcomeTest, NormalEndWhileTheTerminalIsOpen)
{
    open_engine();
    int r = add_job("case1", "k");
    int next = add_job("next", "k", "64", "3");
    home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n\n");
    pid_t term = running_terminal();
    check(r, term);

    EXPECT_EQ("Finished", status(r));
    EXPECT_EQ(1, wnd->m_sucNum);
    EXPECT_EQ(next, wnd->m_curSub);
    EXPECT_EQ("Waiting", status(next));
    EXPECT_EQ(next, wnd->m_grid->GetCurrentRow());
    EXPECT_TRUE(Fl::has_timeout(guiMainWnd::RunDynaProcess, wnd.get()));
    EXPECT_FALSE(Fl::has_timeout(guiMainWnd::ChkMsg, wnd.get()));

    // The judged terminal is reaped once it ends, by its own pid.
    kill(term, SIGTERM);
    children.clear();
    // Only the program may wait for it: the test looks whether it is gone.
    EXPECT_TRUE(gui::wait_for(5, [](void *p) {
        return !std::filesystem::exists("/proc/" + std::to_string(*static_cast<pid_t *>(p)));
    }, &term));
}

TEST_F(OutcomeTest, TerminalEndsWithoutADecidingLine)
{
    open_engine();
    int r = add_job("case1", "k");
    home.write("jobs/messag", " banner\n");
    pid_t term = ended_terminal();
    check(r, term);
    EXPECT_EQ("Aborted", status(r));
    EXPECT_EQ(1, wnd->m_failNum);
    EXPECT_TRUE(reaped(term));
    EXPECT_TRUE(Fl::has_timeout(guiMainWnd::ChkEnd, wnd.get())) << "it was the last row";

    // Still running and undecided: look again later.
    int again = add_job("again", "k");
    wnd->m_grid->SetMatrixText(again, 1, "case1");
    Fl::remove_timeout(guiMainWnd::ChkEnd, wnd.get());
    check(again, running_terminal());
    EXPECT_EQ("Queued", status(again));
    EXPECT_TRUE(Fl::has_timeout(guiMainWnd::ChkMsg, wnd.get()));
}

TEST_F(OutcomeTest, NoTerminalAfterAFailedStart)
{
    open_engine();
    int r1 = add_job("case1", "k");
    int r2 = add_job("case1", "k");
    home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n\n");
    check(r1, -1);
    EXPECT_EQ("Finished", status(r1));
    home.write("jobs/messag", "undecided\n");
    check(r2, -1);
    EXPECT_EQ("Aborted", status(r2));
    EXPECT_EQ(1, wnd->m_sucNum);
    EXPECT_EQ(1, wnd->m_failNum);

    // A row whose folder cannot be entered starts no terminal at all.
    int r3 = add_job("x", "k", "1", "1", 0, jobs + "gone/");
    size_t before = parse_record(read_file(record)).size();
    wnd->m_curSub = r3;
    wnd->real_rundynaprocess();
    EXPECT_EQ(-1, wnd->m_childpid);
    EXPECT_EQ(before, parse_record(read_file(record)).size());
}

TEST_F(OutcomeTest, EndOfRunSummary)
{
    open_engine();
    int r = add_job("case1", "k");
    wnd->m_sucNum = 3;
    wnd->m_failNum = 1;
    wnd->m_runStat = 1;
    wnd->m_curSub = r + 1;
    wnd->inDynaLocation1->deactivate();
    wnd->real_chkend();
    EXPECT_STREQ("1 DYNA JOBS ARE TERMINATED ABNORMALLY!", wnd->lblFisrt->label());
    EXPECT_STREQ("3 DYNA JOBS ARE EXECUTED SUCCESSFULLY!", wnd->lblSecond->label());
    EXPECT_EQ(0, wnd->m_runStat);
    EXPECT_TRUE(wnd->inDynaLocation1->active());

    // Rows added during the last wait keep the run going.
    wnd->m_runStat = 1;
    int added = add_job("late", "k");
    wnd->real_chkend();
    EXPECT_EQ("Waiting", status(added));
    EXPECT_TRUE(Fl::has_timeout(guiMainWnd::RunDynaProcess, wnd.get()));
    EXPECT_EQ(1, wnd->m_runStat);
}

// The status lines during a run: the selected running job's progress from
// its cycle lines and its deck's end time, and the counts of the table.
TEST_F(OutcomeTest, ProgressOnTheStatusLines)
{
    open_engine();
    const std::string cycles =
        "     100 t 5.0000E-03 dt 1.00E-06 flush i/o buffers          12/09/26 06:07:50\n"
        "     200 t 1.0000E-02 dt 1.00E-06 write d3plot file          12/09/26 06:07:54\n";
    std::string dumps = home.mkdir("dumps") + "/";
    home.write("jobs/plate.k", "*KEYWORD\n*CONTROL_TERMINATION\n    0.0200\n*END\n");
    home.write("jobs/new.k", "*CONTROL_TERMINATION\n0.04,0\n");
    // t advanced 5.0E-03 in the 4 seconds between the lines' own times.
    struct Case {
        const char *name;
        std::function<int()> row;
        std::string folder, job, line;
    } cases[] = {
        {"a deck with its end time", [&] { return add_job("plate", "k"); }, jobs, "plate.k",
         "plate.k: t = 1.00E-02 of 2.00E-02 (50 %), a few seconds left"},
        {"a restart with a new deck",
         [&] { return add_restart(2, dumps + "d3dump01", jobs + "new.k"); }, dumps, "d3dump01",
         "d3dump01: t = 1.00E-02 of 4.00E-02 (25 %), about 25 s left"},
        {"a restart from the dump alone", [&] { return add_restart(1, jobs + "d3dump02"); }, jobs,
         "d3dump02", "d3dump02: t = 1.00E-02"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int r = c.row();
        add_job("next", "k");
        start_row(r);
        ASSERT_TRUE(gui::wait_for(5, [](void *w) {
            return !static_cast<guiMainWnd *>(w)->IsReading();
        }, wnd.get()));
        EXPECT_STREQ("1 job running, 1 queued", wnd->lblSecond->label());
        write_text(c.folder + "messag", " banner\n" + cycles);
        check(r, running_terminal());
        EXPECT_EQ(c.line, wnd->lblFisrt->label());
        // A message holds the line until the next job starts.
        wnd->SenseSwitch(r, 4);
        EXPECT_STREQ(read_file(c.folder + "D3KIL").c_str(), "sw4.\n");
        std::string asked =
            "Asked " + c.job + " (row " + std::to_string(r) + ") to write a plot state (sw4)";
        EXPECT_EQ(asked, wnd->lblFisrt->label());
        check(r, running_terminal());
        EXPECT_EQ(asked, wnd->lblFisrt->label());
        {
            gui::ButtonPresser yes("Yes");
            wnd->real_reset_cb();
        }
    }
}

// sw1 stops a job with a restart dump: the status line names the newest
// one, and the restart dialog opens in its folder.
TEST_F(OutcomeTest, AStopNamesTheNewestRestartDump)
{
    open_engine();
    int r = add_job("case1", "k");
    int queued = add_job("case2", "k");
    start_row(r);
    wnd->SenseSwitch(queued, 1);
    EXPECT_FALSE(file_exists(jobs + "D3KIL")) << "only a running job is asked";
    wnd->SenseSwitch(r, 1);
    EXPECT_EQ("sw1.\n", read_file(jobs + "D3KIL"));
    home.write("jobs/d3dump01", "1");
    home.write("jobs/d3dump02", "2");
    home.write("jobs/messag", " N o r m a l    t e r m i n a t i o n\n");
    check(r, ended_terminal());
    EXPECT_EQ("Finished", status(r));
    EXPECT_EQ("case1.k stopped; its newest restart dump is " + jobs + "d3dump02",
              std::string(wnd->lblFisrt->label()));
    EXPECT_EQ(jobs, std::string(guiMainWnd::m_szLastDir));
}

TEST_F(OutcomeTest, ReadMessageFile)
{
    open_engine();
    int r = add_job("case1", "k");
    wnd->m_grid->SelectRow(r);
    wnd->real_read_cb();
    gui::wait_for(0.3);
    EXPECT_EQ("", read_file(record)) << "a queued row has nothing to show";

    for (const char *st : {"Finished", "Aborted", "Running"}) {
        SCOPED_TRACE(st);
        wnd->m_grid->SetMatrixText(r, 7, st);
        size_t before = parse_record(read_file(record)).size();
        wnd->real_read_cb();
        for (int i = 0; i < 200 && parse_record(read_file(record)).size() == before; i++)
            usleep(20000);
        std::vector<Start> starts = parse_record(read_file(record));
        ASSERT_EQ(before + 1, starts.size());
        EXPECT_EQ((std::vector<std::string>{kRecTerm, "-e", "vi", jobs + "messag"}),
                  starts.back().args);
    }
    wnd->m_grid->SetMatrixText(r, 7, "Waiting");
    size_t before = parse_record(read_file(record)).size();
    wnd->real_read_cb();
    gui::wait_for(0.3);
    EXPECT_EQ(before, parse_record(read_file(record)).size());

    // A bare terminal name, like the default "xterm", is found through PATH.
    std::string bin = home.mkdir("bin");
    std::filesystem::copy_file(kRecTerm, bin + "/readterm");
    ScopedEnv pathEnv("PATH", (bin + ":" + getenv("PATH")).c_str());
    snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "readterm");
    wnd->m_grid->SetMatrixText(r, 7, "Finished");
    wnd->real_read_cb();
    for (int i = 0; i < 200 && parse_record(read_file(record)).size() == before; i++)
        usleep(20000);
    std::vector<Start> starts = parse_record(read_file(record));
    ASSERT_EQ(before + 1, starts.size());
    EXPECT_EQ("readterm", starts.back().args.at(0));

    // The editor terminals are reaped once they end: no zombie stays.
    EXPECT_TRUE(gui::wait_for(5, [](void *) { return zombie_children() == 0; }));
}

} // namespace
