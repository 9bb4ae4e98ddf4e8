#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "grid/fltk_grid.h"
#include "run_fixture.h"

namespace {

TEST_F(RunEngineTest, PlainJobArgumentsFolderAndOldMessageFile)
{
    open_engine();
    home.write("jobs/case1.k", "*KEYWORD\n");
    home.write("jobs/messag", "old run\n");
    home.write("jobs/abc.messag", "kept\n");
    home.write("jobs/D3KIL", "sw1.\n");  // would stop the new run at once
    int r = add_job("case1", "k", "300");
    Start s = start_row(r);
    EXPECT_EQ((std::vector<std::string>{kRecTerm, "-T", "LS-DYNA/Wendle", "-e",
                                        single, "i=" + jobs + "case1.k",
                                        "memory=78643200"}),
              s.args);
    EXPECT_EQ(jobs, s.cwd + "/");
    EXPECT_FALSE(file_exists(jobs + "messag"));
    EXPECT_FALSE(file_exists(jobs + "D3KIL"));
    EXPECT_TRUE(file_exists(jobs + "abc.messag"));
    EXPECT_EQ("Running", status(r));
    EXPECT_EQ(r, wnd->m_grid->GetCurrentRow());
    EXPECT_EQ(1, wnd->m_runStat);
}

TEST_F(RunEngineTest, RestartJobsAndTheDoubleSolver)
{
    open_engine();
    std::string other = std::filesystem::canonical(home.mkdir("dumps")).string() + "/";
    home.write("dumps/messag", "old\n");

    int r1 = add_restart(1, jobs + "d3dump01");
    Start s = start_row(r1);
    EXPECT_EQ((std::vector<std::string>{kRecTerm, "-T", "LS-DYNA/Wendle", "-e",
                                        single, "r=" + jobs + "d3dump01",
                                        "memory=78643200"}),
              s.args);
    EXPECT_EQ(jobs, s.cwd + "/");

    // A new deck: r= before i=, run in the dump's own folder.
    int r2 = add_restart(2, other + "d3dump02", jobs + "deck.k");
    wnd->m_grid->SetMatrixText(r2, 2, ("R =" + other + "    I =" + jobs).c_str());
    wnd->m_grid->SetChoiceValue(r2, 1);
    s = start_row(r2);
    EXPECT_EQ((std::vector<std::string>{kRecTerm, "-T", "LS-DYNA/Wendle", "-e",
                                        dbl, "r=" + other + "d3dump02",
                                        "i=" + jobs + "deck.k", "memory=78643200"}),
              s.args);
    EXPECT_EQ(other, s.cwd + "/");
    EXPECT_FALSE(file_exists(other + "messag"));
}

TEST_F(RunEngineTest, MemoryArgumentAndEnvironment)
{
    open_engine();
    struct Case {
        const char *mb;
        bool autoMem;
        const char *arg, *env;
    } cases[] = {
        {"", false, "memory=78643200", ""},
        {"0", false, "memory=78643200", ""},
        {"-5", false, "memory=78643200", ""},
        {"128", true, "memory=33554432", "auto"},
        {"8192", false, "memory=2147483648", ""},
        {"40000", true, "memory=10485760000", "auto"},
        {"99999999999999999999", false, "memory=78643200", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mb);
        wnd->m_autoMem->value(c.autoMem);
        Start s = start_row(add_job("m", "k", c.mb));
        ASSERT_FALSE(s.args.empty());
        EXPECT_EQ(c.arg, s.args.back());
        EXPECT_EQ(c.env, s.memoryEnv);
        EXPECT_STREQ(c.env, getenv("LSTC_MEMORY")) << "set in the program's own environment";
    }
}

TEST_F(RunEngineTest, CoresOnTheSolversCommandLine)
{
    std::string deck = single + " i=" + jobs + "c.k memory=78643200", dump = single + " r=" + jobs + "d3dump01";
    struct Case {
        std::string settings;
        int restart;          // 0 a deck, else the kind of restart row
        std::string command;  // after "-e"
    } cases[] = {
        {"", 0, deck},
        {"cores=4\nconsistent=on\n", 0, deck + " ncpu=-4"},
        {"cores=2\noptions= memory2=9\td=nodump\n", 2,
         dump + " i=" + jobs + "c.k memory=78643200 ncpu=2 memory2=9 d=nodump"},
        {"cores=8\nconsistent=on\nmpi=" + dbl + " -x A\n", 1, dbl + " -x A -np 8 " + dump + " memory=78643200"},
        {"cores=0\noptions=ncpu=8\n", 0, deck},  // values not used
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings);
        home.write("wendle_run.ini", c.settings);
        open_engine();
        Start s = start_row(c.restart ? add_restart(c.restart, jobs + "d3dump01", jobs + "c.k")
                                      : add_job("c", "k"));
        std::string command;
        for (size_t i = 4; i < s.args.size(); i++)
            command += (i > 4 ? " " : "") + s.args[i];
        EXPECT_EQ(c.command, command);
    }
}

TEST_F(RunEngineTest, TerminalFoundThroughPath)
{
    open_engine();
    std::string bin = home.mkdir("bin");
    std::filesystem::copy_file(kRecTerm, bin + "/myterm");
    std::string path = bin + ":" + getenv("PATH");
    ScopedEnv pathEnv("PATH", path.c_str());
    snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "myterm");
    Start s = start_row(add_job("case1", "k"));
    ASSERT_FALSE(s.args.empty());
    EXPECT_EQ("myterm", s.args[0]);
}

TEST_F(RunEngineTest, SubmitChecksPathsAndLocksControls)
{
    open_engine();
    // No queued row: nothing happens.
    wnd->real_submit_cb();
    EXPECT_EQ(0, wnd->m_runStat);

    int first = add_job("a", "k");
    wnd->m_grid->SetMatrixText(first, 7, "Finished");
    int second = add_job("b", "k", "300", "1", 1);
    wnd->inDynaLocation2->value("");
    {
        gui::ButtonPresser close("Close");
        wnd->real_submit_cb();
        EXPECT_TRUE(close.saw("Double precision LSDYNA.EXE path error!"));
    }
    EXPECT_EQ(0, wnd->m_runStat);
    EXPECT_EQ("Queued", status(second));

    wnd->inDynaLocation2->value(dbl.c_str());
    wnd->inDynaLocation1->value("");
    add_job("c", "k");
    {
        gui::ButtonPresser close("Close");
        wnd->real_submit_cb();
        EXPECT_TRUE(close.saw("Single precision LSDYNA.EXE path error!"));
    }
    wnd->inDynaLocation1->value(single.c_str());

    wnd->real_submit_cb();
    EXPECT_EQ(1, wnd->m_runStat);
    EXPECT_EQ(second, wnd->m_curSub);
    EXPECT_EQ("Running", status(second));
    for (Fl_Widget *w : {(Fl_Widget *)wnd->btnSinglePrecision, (Fl_Widget *)wnd->btnDoublePrecision,
                         (Fl_Widget *)wnd->btnSelDynaLocation1, (Fl_Widget *)wnd->btnSelDynaLocation2,
                         (Fl_Widget *)wnd->inDynaLocation1, (Fl_Widget *)wnd->inDynaLocation2})
        EXPECT_FALSE(w->active());
    EXPECT_TRUE(Fl::has_timeout(guiMainWnd::ChkMsg, wnd.get()));

    // A second Submit during the run starts nothing more.
    for (int i = 0; i < 200 && parse_record(read_file(record)).empty(); i++)
        usleep(20000);
    size_t starts = parse_record(read_file(record)).size();
    EXPECT_EQ(1u, starts);
    wnd->real_submit_cb();
    gui::wait_for(0.3);
    EXPECT_EQ(starts, parse_record(read_file(record)).size());
    EXPECT_EQ(second, wnd->m_curSub);
}

TEST_F(RunEngineTest, PausesInWholeSeconds)
{
    open_engine();
    struct Case {
        const char *sec;
        int seconds;
    } cases[] = {{"2.5", 2}, {"", 1}, {"0", 1}, {"-3", 1}, {"10", 10}, {"7x", 7},
                 {"-99999999999999999999", 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sec);
        EXPECT_EQ(c.seconds, wnd->GetPauseSeconds(add_job("p", "k", "1", c.sec)));
    }
}

// Whole runs on the toolkit's timers, with the stand-in solver.
class FullRunTest : public RunEngineTest {
protected:
    void SetUp() override
    {
        RunEngineTest::SetUp();
        setenv("RECTERM_EXEC", "1", 1);
    }
    void open_standin()
    {
        open_engine();
        std::string solver = WENDLE_SOURCE_DIR "/examples/lsdyna-standin";
        wnd->inDynaLocation1->value(solver.c_str());
    }
    int add_deck(const char *name, const char *end)
    {
        home.write(std::string("jobs/") + name + ".k",
                   std::string("*KEYWORD\n$ standin: run=0 end=") + end + "\n*END\n");
        return add_job(name, "k", "64", "1");
    }
    bool wait_summary(double seconds)
    {
        return gui::wait_for(seconds, [](void *p) {
            return static_cast<guiMainWnd *>(p)->m_runStat == 0;
        }, wnd.get());
    }
};

TEST_F(FullRunTest, SummaryCountsAcrossSubmits)
{
    open_standin();
    int ok = add_deck("good", "normal");
    int bad = add_deck("bad", "error");
    wnd->real_submit_cb();
    ASSERT_TRUE(wait_summary(40));
    EXPECT_EQ("Finished", status(ok));
    EXPECT_EQ("Aborted", status(bad));
    EXPECT_STREQ("1 DYNA JOBS ARE TERMINATED ABNORMALLY!", wnd->lblFisrt->label());
    EXPECT_STREQ("1 DYNA JOBS ARE EXECUTED SUCCESSFULLY!", wnd->lblSecond->label());

    int more = add_deck("more", "normal");
    wnd->real_submit_cb();
    EXPECT_EQ("Running", status(more)) << "the first job starts at once";
    ASSERT_TRUE(wait_summary(20));
    EXPECT_EQ("Finished", status(more));
    EXPECT_STREQ("2 DYNA JOBS ARE EXECUTED SUCCESSFULLY!", wnd->lblSecond->label());
    EXPECT_STREQ("1 DYNA JOBS ARE TERMINATED ABNORMALLY!", wnd->lblFisrt->label());
}

TEST_F(FullRunTest, RealTerminal)
{
    open_standin();
    snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "xterm");
    int r = add_deck("plate", "normal");
    wnd->real_submit_cb();
    ASSERT_TRUE(wait_summary(30));
    EXPECT_EQ("Finished", status(r));
    EXPECT_NE(std::string::npos, read_file(jobs + "messag").find("N o r m a l"));
}

} // namespace
