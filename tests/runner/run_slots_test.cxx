// Several jobs at once: the run keeps up to N jobs going, never two in one
// folder, and follows changes of N, Reset and an empty message file while
// it runs. Real terminals (the recording one) run a solver that lasts until
// its folder holds a file "stop".
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>

#include <chrono>
#include <fstream>

#include "run_fixture.h"
#include "run/run_settings.h"
#include "support/readonly.h"

namespace {

const char *const kNormal = " N o r m a l    t e r m i n a t i o n\n";

class SlotsTest : public RunEngineTest {
protected:
    void SetUp() override
    {
        RunEngineTest::SetUp();
        setenv("RECTERM_EXEC", "1", 1);
        // It also ends once its folder is gone: a test that ends removes
        // the folder, perhaps before the solver saw its "stop".
        waiter = home.write("solver/waiter",
                            "#!/bin/sh\nwhile [ ! -e stop ] && [ -d \"$PWD\" ]; do sleep 0.05; done\n");
        chmod(waiter.c_str(), 0755);
    }
    void TearDown() override
    {
        for (const std::string &f : folders)
            std::ofstream(f + "stop");
        RunEngineTest::TearDown();
    }
    void open_slots(int n)
    {
        open_engine();
        wnd->inDynaLocation1->value(waiter.c_str());
        wnd->SetJobsAtOnce(n);
    }
    // A plain job in a folder of its own name below the jobs folder.
    int add(const std::string &folder)
    {
        std::string dir = jobs + folder + "/";
        if (!file_exists(dir)) {
            home.mkdir("jobs/" + folder);
            folders.push_back(dir);
        }
        home.write("jobs/" + folder + "/deck.k", "*KEYWORD\n*END\n");
        return add_job("deck", "k", "64", "1", 0, dir);
    }
    // Ends the job in folder: its solver writes a deciding line and quits,
    // and a check judges it (at once, or when the run notices the end).
    void end_job(const std::string &folder, bool checkNow = true)
    {
        std::ofstream(jobs + folder + "/messag", std::ios::app) << kNormal;
        std::ofstream(jobs + folder + "/stop");
        if (checkNow)
            wnd->real_chkmsg();
        wait_for([](guiMainWnd *w) { return !w->IsReading(); });
    }
    // Three jobs in three folders, two at once: true once two run.
    bool run_two_of_three()
    {
        open_slots(2);
        add("a");
        add("b");
        add("c");
        wnd->real_submit_cb();
        return wait_status(2, "Running");
    }
    bool wait_for(bool (*pred)(guiMainWnd *), double seconds = 10)
    {
        struct Ctx {
            guiMainWnd *w;
            bool (*pred)(guiMainWnd *);
        } ctx{wnd.get(), pred};
        return gui::wait_for(seconds, [](void *p) {
            Ctx *c = static_cast<Ctx *>(p);
            return c->pred(c->w);
        }, &ctx);
    }
    bool wait_status(int r, const char *word, double seconds = 10)
    {
        row = r;
        want = word;
        return gui::wait_for(seconds, [](void *p) {
            SlotsTest *t = static_cast<SlotsTest *>(p);
            return t->status(t->row).find(t->want) != std::string::npos;
        }, this);
    }
    std::vector<std::string> statuses()
    {
        std::vector<std::string> out;
        for (int r = 1; r <= wnd->m_grid->GetRows(); r++)
            out.push_back(status(r));
        return out;
    }
    // The folders the terminals were started in, in order, once count
    // terminals have said so.
    std::vector<std::string> started(size_t count)
    {
        record_count = count;
        gui::wait_for(5, [](void *p) {
            SlotsTest *t = static_cast<SlotsTest *>(p);
            return parse_record(read_file(t->record)).size() >= t->record_count;
        }, this);
        std::vector<std::string> out;
        for (const Start &s : parse_record(read_file(record)))
            out.push_back(s.cwd.substr(jobs.size()));
        return out;
    }

    std::string waiter;
    std::vector<std::string> folders;
    int row = 0;
    const char *want = "";
    size_t record_count = 0;
};

using V = std::vector<std::string>;

struct FillCase {
    const char *name;
    const char *folders[3];
    V afterFill;   // once the slots are filled
    V afterFirst;  // once the first job ended and its slot filled again
    V order;       // folders in the order their jobs started
};

void PrintTo(const FillCase &c, std::ostream *os)
{
    *os << c.name;
}

class SlotsFillTest : public SlotsTest, public ::testing::WithParamInterface<FillCase> {
};

TEST_P(SlotsFillTest, RowsStartInTableOrderWhileSlotsAreFree)
{
    const FillCase &c = GetParam();
    open_slots(2);
    for (const char *f : c.folders)
        add(f);
    wnd->real_submit_cb();
    EXPECT_EQ("Running", status(1)) << "the first job starts at once";
    int second = c.afterFill[1] == "Running" ? 2 : 3;
    EXPECT_EQ("Waiting", status(second)) << "the next one after its pause";
    ASSERT_TRUE(wait_status(second, "Running"));
    gui::wait_for(0.3);
    EXPECT_EQ(c.afterFill, statuses());

    // The slot is taken again within a second or two of the terminal's
    // end, not at the next five-second round.
    auto ended = std::chrono::steady_clock::now();
    end_job(c.folders[0], false);
    int third = second == 2 ? 3 : 2;
    ASSERT_TRUE(wait_status(third, "Waiting", 2.5));
    EXPECT_EQ("Finished", status(1));
    ASSERT_TRUE(wait_status(third, "Running"));
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - ended).count(), 0.9)
        << "its own pause after the slot came free";
    EXPECT_EQ(c.afterFirst, statuses());
    EXPECT_EQ(c.order, started(3));

    end_job(c.folders[1]);
    end_job(c.folders[2]);
    ASSERT_TRUE(wait_for([](guiMainWnd *w) { return w->m_runStat == 0; }, 15));
    EXPECT_STREQ("3 DYNA JOBS ARE EXECUTED SUCCESSFULLY!", wnd->lblSecond->label());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SlotsFillTest,
    ::testing::Values(FillCase{"three_folders", {"a", "b", "c"},
                               {"Running", "Running", "Queued"},
                               {"Finished", "Running", "Running"}, {"a", "b", "c"}},
                      FillCase{"rows_1_and_2_share_a_folder", {"a", "a", "c"},
                               {"Running", "Queued", "Running"},
                               {"Finished", "Running", "Running"}, {"a", "c", "a"}}),
    [](const ::testing::TestParamInfo<FillCase> &info) { return std::string(info.param.name); });

TEST_F(SlotsTest, JobsAtOnceChangedDuringARun)
{
    open_slots(3);
    for (const char *f : {"a", "b", "c", "d"})
        add(f);
    wnd->real_submit_cb();
    ASSERT_TRUE(wait_status(2, "Running"));
    ASSERT_EQ("Waiting", status(3));

    // Lowered: the waiting row goes back to the queue, the running ones end.
    wnd->SetJobsAtOnce(1);
    EXPECT_EQ((V{"Running", "Running", "Queued", "Queued"}), statuses());
    end_job("a");
    gui::wait_for(1.5);
    EXPECT_EQ((V{"Finished", "Running", "Queued", "Queued"}), statuses())
        << "one still runs: nothing starts";
    end_job("b");
    EXPECT_EQ("Waiting", status(3));
    ASSERT_TRUE(wait_status(3, "Running"));

    // Raised: more rows start at once.
    wnd->SetJobsAtOnce(3);
    EXPECT_EQ("Waiting", status(4));
    ASSERT_TRUE(wait_status(4, "Running"));
    EXPECT_EQ((V{"a", "b", "c", "d"}), started(4));
    EXPECT_EQ("jobs=3\n", read_file(home.file("wendle_run.ini"))) << "saved when changed";
}

TEST_F(SlotsTest, AQueuedRowBesideRunningOnes)
{
    open_slots(2);
    add("a");
    add("a");  // waits for the folder
    add("c");
    wnd->real_submit_cb();
    ASSERT_TRUE(wait_status(3, "Running"));
    ASSERT_EQ((V{"Running", "Queued", "Running"}), statuses());

    // It cannot trade places with a running row.
    wnd->m_grid->SelectRow(2);
    wnd->real_down_cb();
    wnd->m_grid->SelectRow(3);
    wnd->real_up_cb();
    EXPECT_EQ((V{"Running", "Queued", "Running"}), statuses());

    // Deleted, the rows below move up and their jobs with them.
    wnd->m_grid->SelectRow(2);
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_delete_cb();
    }
    ASSERT_EQ((V{"Running", "Running"}), statuses());
    end_job("c");
    EXPECT_EQ((V{"Running", "Finished"}), statuses());
    EXPECT_EQ(jobs + "c/messag", wnd->MessageFile(2)) << "Read shows the moved job's file";
}

TEST_F(SlotsTest, ResetWithTwoJobsRunning)
{
    ASSERT_TRUE(run_two_of_three());
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_reset_cb();
    }
    EXPECT_EQ(0, wnd->m_grid->GetRows());
    EXPECT_FALSE(Fl::has_timeout(guiMainWnd::ChkMsg, wnd.get()));
    EXPECT_FALSE(Fl::has_timeout(guiMainWnd::RunDynaProcess, wnd.get()));
    EXPECT_FALSE(wnd->IsReading());
    // Their terminals run on and are reaped once they end.
    for (const std::string &f : folders)
        std::ofstream(f + "stop");
    EXPECT_TRUE(gui::wait_for(5, [](void *) { return zombie_children() == 0; }));
    EXPECT_EQ((V{"a", "b"}), started(2));
}

TEST_F(SlotsTest, EmptyMessageFileOfOneOfTwoJobs)
{
    ASSERT_TRUE(run_two_of_three());
    std::string msg = home.write("jobs/a/messag", "");
    if (!make_unwritable(msg))
        GTEST_SKIP() << "cannot make a file unwritable here";
    wnd->real_chkmsg();
    make_writable(msg);
    EXPECT_STREQ("The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!",
                 wnd->lblFisrt->label());
    EXPECT_EQ((V{"Running", "Running", "Queued"}), statuses()) << "no further job starts";
    EXPECT_EQ(1, wnd->m_runStat) << "the other job is still checked";
    EXPECT_FALSE(wnd->inDynaLocation1->active());

    end_job("b");
    EXPECT_EQ((V{"Running", "Finished", "Queued"}), statuses());
    EXPECT_EQ(0, wnd->m_runStat);
    EXPECT_TRUE(wnd->inDynaLocation1->active());
    EXPECT_STREQ("", wnd->lblSecond->label()) << "no summary, and no counts of a run that stopped";
    EXPECT_FALSE(Fl::has_timeout(guiMainWnd::ChkEnd, wnd.get()));
    EXPECT_FALSE(Fl::has_timeout(guiMainWnd::ChkMsg, wnd.get()));
}

TEST(RunSettingsFile, ReadAndWritten)
{
    TempDir dir;
    std::string path = dir.file("wendle_run.ini");
    struct Case {
        const char *name;
        const char *content;  // null: no file
        int jobs;
        bool notify;
        const char *problem;
        const char *cores = "1||off|";  // cores|mpi|consistent|options
    } cases[] = {
        {"no file", nullptr, 1, true, ""},
        {"set", "jobs=8\nnotify=off\n", 8, false, ""},
        {"blanks, CR LF, no last newline", " jobs = 16 \r\nnotify=on", 16, true, ""},
        {"leading zeros", "jobs=007\n", 7, true, ""},
        {"too many", "jobs=65\n", 1, true, "wendle_run.ini: jobs=65 is not a number from 1 to 64; 1 is used"},
        {"none", "jobs=0\n", 1, true, "wendle_run.ini: jobs=0 is not a number from 1 to 64; 1 is used"},
        {"not a number", "jobs=two\n", 1, true, "wendle_run.ini: jobs=two is not a number from 1 to 64; 1 is used"},
        {"empty", "jobs=\n", 1, true, "wendle_run.ini: jobs= is not a number from 1 to 64; 1 is used"},
        {"bad switch", "notify=yes\n", 1, true, "wendle_run.ini: notify=yes is not on or off; on is used"},
        {"cores", "cores=128\nmpi= mpirun -x A \noptions=memory2=9 d=nodump\nconsistent=on\n", 1, true,
         "", "128|mpirun -x A|on|memory2=9 d=nodump"},
        {"too many cores", "cores=4097\n", 1, true, "wendle_run.ini: cores=4097 is not a number from 1 to 4096; 1 is used"},
        {"options with a deck", "options=d=nodump I=b.k\n", 1, true,
         "wendle_run.ini: options=d=nodump I=b.k is not arguments other than i=, r=, memory= and ncpu=; none is used"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path.c_str());
        if (c.content)
            dir.write("wendle_run.ini", c.content);
        RunSettings s;
        EXPECT_TRUE(s.Load(path));
        EXPECT_EQ(c.jobs, s.Jobs());
        EXPECT_EQ(c.notify, s.Notify());
        EXPECT_EQ(c.problem, s.Problem());
        EXPECT_EQ(c.cores, std::to_string(s.Cores().cores) + "|" + s.Cores().mpi +
                               (s.Cores().consistent ? "|on|" : "|off|") + s.Cores().options);
        EXPECT_EQ(c.content ? c.content : "", read_file(path)) << "kept as it is";
    }

    // Unknown lines stay, in their place; a changed value replaces its line.
    dir.write("wendle_run.ini", "# mine\ncolour=blue\njobs=abc\nnotify=off\n");
    RunSettings s;
    s.Load(path);
    ASSERT_TRUE(s.SetJobs(4));
    EXPECT_EQ("# mine\ncolour=blue\njobs=4\nnotify=off\n", read_file(path));
    ASSERT_TRUE(s.SetNotify(true));
    RunSettings again;
    again.Load(path);
    EXPECT_EQ(4, again.Jobs());
    EXPECT_TRUE(again.Notify());
    EXPECT_FALSE(s.SetJobs(65));

    // A file the user made read-only, or one that could not be read, stays.
    if (make_unwritable(path)) {
        EXPECT_FALSE(s.SetJobs(2));
        make_writable(path);
        EXPECT_EQ("# mine\ncolour=blue\njobs=4\nnotify=on\n", read_file(path));
    }
    ASSERT_TRUE(s.SetCores(16) && s.SetMpi("mpirun") && s.SetMpi(""));
    EXPECT_EQ("# mine\ncolour=blue\njobs=4\nnotify=on\ncores=16\nmpi=\n", read_file(path));
    std::remove(path.c_str());
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    RunSettings fifo;
    EXPECT_FALSE(fifo.Load(path));
    EXPECT_EQ("Run settings file cannot be read: it is left as it is", fifo.Problem());
    EXPECT_FALSE(fifo.SetJobs(2));
    struct stat st;
    EXPECT_TRUE(stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

TEST_F(SlotsTest, TheFirstStatusLineSaysWhichValueWasNotUsed)
{
    home.write("wendle_run.ini", "jobs=100\n");
    open_window();
    EXPECT_EQ(1, wnd->JobsAtOnce());
    EXPECT_STREQ("wendle_run.ini: jobs=100 is not a number from 1 to 64; 1 is used",
                 wnd->lblFisrt->label());
    EXPECT_EQ("jobs=100\n", read_file(home.file("wendle_run.ini")));
}

} // namespace
