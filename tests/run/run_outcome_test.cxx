// How the run judges its jobs: the message file's lines and name, what an
// earlier run left, the terminal's end, the pause before the next job, the
// summary, the sense switches and Read.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "run_fixture.h"
#include "support/read_fault.h"
#include "support/readonly.h"

namespace {

void append(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::app) << text;
}

TEST_F(RunTest, MessageFileLinesAndNames)
{
    int r = add(jobs);
    home.write("jobs/case1.k", "*KEYWORD\n*END\n");
    struct Line {
        const char *name, *content;
        Outcome outcome;
    } lines[] = {
        {"normal on one line", " N o r m a l    t e r m i n a t i o n   12/08/2026\n", Outcome::Normal},
        {"split over two lines", " N o r m a l\n t e r m i n a t i o n\n", Outcome::Undecided},
        {"error above normal", " *** Error 10246 (KEY+246)\n N o r m a l    t e r m i n a t i o n\n",
         Outcome::Error},
        {"both on one line", " *** Error N o r m a l    t e r m i n a t i o n\n", Outcome::Normal},
        {"deciding line not complete", " N o r m a l    t e r m i n a t i o n", Outcome::Undecided},
        {"error not complete", "banner\n *** Error 10246", Outcome::Undecided},
        {"empty but writable", "", Outcome::Undecided},
    };
    for (const Line &c : lines) {
        SCOPED_TRACE(c.name);
        home.write("jobs/messag", c.content);
        EXPECT_EQ(c.outcome, run.IsFinishedNormal(r));
    }
    // No message file: the look creates an empty one, in the job's folder
    // only; a link there is looked at where it leads, never made there.
    std::remove((jobs + "messag").c_str());
    EXPECT_EQ(Outcome::Undecided, run.IsFinishedNormal(r));
    EXPECT_TRUE(file_exists(jobs + "messag"));
    std::remove((jobs + "messag").c_str());
    ASSERT_EQ(0, symlink(home.file("elsewhere").c_str(), (jobs + "messag").c_str()));
    EXPECT_EQ(Outcome::Undecided, run.IsFinishedNormal(r));
    EXPECT_FALSE(file_exists(home.file("elsewhere")));
    std::remove((jobs + "messag").c_str());

    struct Name {
        const char *name;
        std::string deck;
        const char *file;
    } names[] = {
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
        {"a long ID is cut", "*KEYWORD_ID\n" + std::string(300, 'x') + "\n", nullptr},
    };
    for (const Name &c : names) {
        SCOPED_TRACE(c.name);
        home.write("jobs/case1.k", c.deck);
        EXPECT_EQ(jobs + (c.file ? c.file : std::string(256, 'x') + ".messag"), run.MessageFile(r));
    }
    std::remove((jobs + "case1.k").c_str());
    EXPECT_EQ(jobs + "messag", run.MessageFile(r));

    // A restart with a new deck runs, and writes, in the dump's folder.
    std::string dumps = folder("dumps");
    EXPECT_EQ(dumps + "messag", run.MessageFile(add_restart(dumps + "d3dump01", jobs + "case1.k")));
    EXPECT_EQ(dumps + "messag", run.MessageFile(add_restart(dumps + "d3dump01")));
}

TEST_F(RunTest, AnEmptyMessageFileThatCannotBeWrittenStopsTheRun)
{
    int r = add(jobs);
    int next = add(folder("next"));
    std::string alert;
    run.Submit(setup, &alert);
    // The solver made its message file and could not write into it.
    std::string msg = home.write("jobs/messag", "");
    if (!make_unwritable(msg))
        GTEST_SKIP() << "cannot make a file unwritable here";
    EXPECT_EQ(Outcome::EmptyUnwritable, run.IsFinishedNormal(r));
    run.Check();
    make_writable(msg);
    EXPECT_EQ((std::vector<std::string>{"Running", "Queued"}), statuses());
    EXPECT_TRUE(saw("ended 1 EmptyUnwritable"));
    EXPECT_TRUE(saw("The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!"));
    EXPECT_TRUE(saw("run ended 0 0 stopped")) << "no summary";
    EXPECT_FALSE(run.Active());
    EXPECT_EQ("Queued", status(next));
}

TEST_F(RunTest, OnlyWhatTheRunWroteDecides)
{
    const std::string error = " *** Error 10246 (KEY+246)\n";
    struct Case {
        const char *name;
        std::function<void(const std::string &)> solver;  // what the run writes
        const char *outcome;
    } cases[] = {
        {"left as it was", [](const std::string &) {}, "Aborted"},
        {"appended to with a normal end", [&](const std::string &f) { append(f, kNormal); },
         "Finished"},
        {"appended to with an error", [&](const std::string &f) { append(f, error); }, "Aborted"},
        {"written anew", [&](const std::string &f) {
             std::ofstream(f, std::ios::trunc) << "banner\n" << kNormal; }, "Finished"},
        {"replaced by another file", [&](const std::string &f) {
             std::remove(f.c_str());
             std::ofstream(f) << error; }, "Aborted"},
        // The message file is the one named when the job started.
        {"its deck gone during the run", [&](const std::string &f) {
             std::remove((f.substr(0, f.rfind('/') + 1) + "case1.k").c_str());
             append(f, kNormal); }, "Finished"},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = folder("c" + std::to_string(n++));
        home.write("jobs/" + dir.substr(jobs.size()) + "case1.k", "*KEYWORD_ID\nstale\n*END\n");
        // A run before this one ended normally, in the file named by the ID.
        std::string msg = home.write("jobs/" + dir.substr(jobs.size()) + "stale.messag",
                                     "old banner\n" + kNormal);
        int r = add(dir);
        std::string alert;
        run.Submit(setup, &alert);
        c.solver(msg);
        end_job(dir, "");
        EXPECT_EQ(c.outcome, status(r));
        EXPECT_EQ(msg, run.MessageFile(r));
        run.Reset();
        queue.Clear();
    }
}

TEST_F(RunTest, AStaleMessageFileInAFolderThatCannotBeWritten)
{
    setenv("RECTERM_EXEC", "0", 1);
    home.write("jobs/messag", kNormal);
    int r = add(jobs);
    if (!make_unwritable(jobs))
        GTEST_SKIP() << "cannot make a folder unwritable here";
    std::string alert;
    run.Submit(setup, &alert);
    gui::wait_for(0.5);
    run.Check();
    make_writable(jobs);
    EXPECT_TRUE(file_exists(jobs + "messag")) << "the old file could not be removed";
    EXPECT_EQ("Aborted", status(r));
}

// A read error is no end of the deck: its ID may lie past the fault. The
// job starts, watches "messag" meanwhile, and its checks read the deck again.
TEST_F(RunTest, ADeckThatFailsAtTheStartIsReadAgainAtTheChecks)
{
    if (!in_read_fault_child()) {
        EXPECT_EQ("", rerun_with_read_fault());
        return;
    }
    std::string deck = home.write("jobs/case1.k", "*KEYWORD\n*KEYWORD_ID\nabc\n*END\n");
    std::string msg = home.write("jobs/abc.messag", "old run\n" + kNormal);
    set_read_fault(deck, 12);
    int r = add(jobs);
    std::string alert;
    run.Submit(setup, &alert);
    EXPECT_EQ(jobs + "messag", run.MessageFile(r));
    EXPECT_TRUE(saw("Job 1: its deck cannot be read whole; messag is watched until it can"));
    run.Check();
    set_read_fault(deck, -1);
    run.Check();
    EXPECT_EQ(jobs + "abc.messag", run.MessageFile(r));
    EXPECT_EQ("Running", status(r)) << "what an earlier run left decides nothing";
    append(msg, kNormal);
    run.Check();
    EXPECT_EQ("Finished", status(r));
}

TEST_F(RunTest, TheNextJobWaitsItsOwnPauseAfterAnOutcome)
{
    std::string a = folder("a");
    add(a, "case1.k", "300", "9");
    int next = add(folder("b"), "case1.k", "300", "2");
    std::string alert;
    run.Submit(setup, &alert);
    // A normal end with the terminal still open: judged at once.
    append(a + "messag", kNormal);
    auto judged = std::chrono::steady_clock::now();
    run.Check();
    EXPECT_EQ((std::vector<std::string>{"Finished", "Waiting"}), statuses());
    EXPECT_TRUE(saw("waiting 2"));
    EXPECT_FALSE(wait_status(next, "Running", 1.5));
    ASSERT_TRUE(wait_status(next, "Running", 3));
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - judged).count(), 1.9);
    // The judged terminal is reaped once it ends, by its own pid.
    std::ofstream(a + "stop");
    EXPECT_TRUE(gui::wait_for(5, [](void *) { return zombie_children() == 0; }));
}

TEST_F(RunTest, TheSummaryCountsAcrossSubmitsAndWaitsForLateRows)
{
    setup.single = WENDLE_SOURCE_DIR "/examples/lsdyna-standin";
    auto deck = [&](const char *name, const char *end) {
        std::string dir = folder(name);
        home.write("jobs/" + std::string(name) + "/d.k",
                   std::string("*KEYWORD\n$ standin: run=0 end=") + end + "\n*END\n");
        return add(dir, "d.k", "64", "1");
    };
    int ok = deck("good", "normal");
    int bad = deck("bad", "error");
    std::string alert;
    run.Submit(setup, &alert);
    ASSERT_TRUE(wait_end(40));
    EXPECT_EQ("Finished", status(ok));
    EXPECT_EQ("Aborted", status(bad));
    EXPECT_EQ("run ended 1 1", events.back());
    EXPECT_TRUE(run.Summarized());

    deck("more", "normal");
    run.Submit(setup, &alert);
    // A row added during the wait before the summary keeps the run going.
    ASSERT_TRUE(wait_status(3, "Finished", 15));
    int late = deck("late", "die");
    ASSERT_TRUE(wait_end(30));
    EXPECT_EQ("Aborted", status(late));
    EXPECT_EQ("run ended 2 2", events.back());
}

// The solver's own end time wins over the deck's once it has written it;
// its energies trip a check once, and are kept after the job ended.
TEST_F(RunTest, TheJobsOwnFilesTellItsEndTimeAndHealth)
{
    home.write("jobs/case1.k", "*KEYWORD\n*CONTROL_TERMINATION\n0.02\n*END\n");
    int r = add(jobs);
    std::string alert;
    run.Submit(setup, &alert);
    ASSERT_TRUE(wait_idle());
    EXPECT_DOUBLE_EQ(0.02, run.JobAt(r)->EndTime());
    auto block = [](double t, double hourglass) {
        char text[256];
        snprintf(text, sizeof text,
                 " time.....................   %.5E\n internal energy..........   1.00000E+02\n"
                 " hourglass energy ........   %.5E\n total energy.............   1.00000E+02\n",
                 t, hourglass);
        return std::string(text);
    };
    home.write("jobs/d3hsp", "    termination time...............................    0.2400E+03\n");
    home.write("jobs/glstat", block(1, 1) + block(2, 20) + block(3, 30));
    run.Check();
    EXPECT_DOUBLE_EQ(240, run.JobAt(r)->EndTime());
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "health 1 1"));
    append(jobs + "glstat", block(4, 40) + block(5, 50));
    run.Check();
    EXPECT_EQ(1, std::count(events.begin(), events.end(), "health 1 1")) << "once a job and kind";
    EXPECT_EQ(4u, run.HealthOf(r)->Energies().size());
    end_job(jobs);
    ASSERT_EQ("Finished", status(r));
    ASSERT_NE(nullptr, run.HealthOf(r)) << "kept for its plot";
    EXPECT_DOUBLE_EQ(2, run.HealthOf(r)->Checks().FirstTime(GlstatHealth::HOURGLASS));
}

// sw1 stops a job with a restart dump: the message names the newest one.
TEST_F(RunTest, SenseSwitchesAndAStop)
{
    int r = add(jobs);
    int queued = add(folder("q"));
    std::string alert;
    run.Submit(setup, &alert);
    run.SenseSwitch(queued, 1);
    EXPECT_FALSE(file_exists(jobs + "q/D3KIL")) << "only a running job is asked";
    run.SenseSwitch(r, 4);
    EXPECT_EQ("sw4.\n", read_file(jobs + "D3KIL"));
    EXPECT_EQ("Asked case1.k (row 1) to write a plot state (sw4)", events.back());
    run.SenseSwitch(r, 1);
    EXPECT_EQ("sw1.\n", read_file(jobs + "D3KIL"));
    home.write("jobs/d3dump01", "1");
    home.write("jobs/d3dump02", "2");
    end_job(jobs);
    EXPECT_EQ("Finished", status(r));
    EXPECT_TRUE(saw("ended 1 Normal stopped"));
    EXPECT_TRUE(saw("case1.k stopped; its newest restart dump is " + jobs + "d3dump02"));
}

TEST_F(RunTest, ReadMessageFile)
{
    setenv("RECTERM_EXEC", "0", 1);
    int r = add(jobs);
    run.Read(r, kRecTerm);
    gui::wait_for(0.3);
    EXPECT_EQ("", read_file(record)) << "a queued row has nothing to show";
    // A bare terminal name, like the default "xterm", is found through PATH.
    std::string bin = home.mkdir("bin");
    std::filesystem::copy_file(kRecTerm, bin + "/readterm");
    ScopedEnv pathEnv("PATH", (bin + ":" + getenv("PATH")).c_str());
    size_t n = 0;
    for (JobState st : {JobState::Finished, JobState::Aborted, JobState::Running}) {
        SCOPED_TRACE(StateText(st));
        queue.SetState(r, st);
        run.Read(r, "readterm");
        std::vector<Start> s = starts(++n);
        ASSERT_EQ(n, s.size());
        EXPECT_EQ((std::vector<std::string>{"readterm", "-e", "vi", jobs + "messag"}), s.back().args);
    }
    queue.SetState(r, JobState::Waiting);
    run.Read(r, "readterm");
    gui::wait_for(0.3);
    EXPECT_EQ(n, parse_record(read_file(record)).size());
    // The editor terminals are reaped once they end: no zombie stays.
    EXPECT_TRUE(gui::wait_for(5, [](void *) { return zombie_children() == 0; }));
}

} // namespace
