// Several jobs at once: the run keeps up to N jobs going, never two in one
// folder, and follows changes of N, Reset and an empty message file while
// it runs. The solver of every job runs until its folder holds "stop".
#include <sched.h>
#include <sys/mount.h>

#include <chrono>
#include <fcntl.h>

#include "run_fixture.h"
#include "support/readonly.h"

namespace {

using V = std::vector<std::string>;

class SlotsTest : public RunTest {
protected:
    // Plain jobs in folders of their own names; N at once; submitted.
    void submit(int n, std::initializer_list<const char *> names)
    {
        run.SetJobsAtOnce(n);
        for (const char *name : names)
            add(folder(name));
        std::string alert;
        ASSERT_EQ(1, run.Submit(setup, &alert));
    }
    // The folders the terminals were started in, in order.
    V started(size_t count)
    {
        V out;
        for (const Start &s : starts(count))
            out.push_back(s.cwd.substr(jobs.size()));
        return out;
    }
};

struct FillCase {
    const char *name;
    const char *folders[3];
    V afterFill;   // once the slots are filled
    V afterFirst;  // once the first job ended and its slot filled again
    V order;       // folders in the order their jobs started
};

class SlotsFillTest : public SlotsTest, public ::testing::WithParamInterface<FillCase> {
};

TEST_P(SlotsFillTest, RowsStartInTableOrderWhileSlotsAreFree)
{
    const FillCase &c = GetParam();
    submit(2, {c.folders[0], c.folders[1], c.folders[2]});
    EXPECT_EQ("Running", status(1)) << "the first job starts at once";
    int second = c.afterFill[1] == "Running" ? 2 : 3;
    EXPECT_EQ("Waiting", status(second)) << "the next one after its pause";
    ASSERT_TRUE(wait_status(second, "Running"));
    gui::wait_for(0.3);
    EXPECT_EQ(c.afterFill, statuses());

    // The slot is taken again within a second or two of the terminal's
    // end, not at the next five-second round.
    auto ended = std::chrono::steady_clock::now();
    end_job(jobs + c.folders[0] + "/", kNormal, false);
    int third = second == 2 ? 3 : 2;
    ASSERT_TRUE(wait_status(third, "Waiting", 2.5));
    EXPECT_EQ("Finished", status(1));
    ASSERT_TRUE(wait_status(third, "Running"));
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - ended).count(), 0.9)
        << "its own pause after the slot came free";
    EXPECT_EQ(c.afterFirst, statuses());
    EXPECT_EQ(c.order, started(3));

    end_job(jobs + c.folders[1] + "/");
    end_job(jobs + c.folders[2] + "/");
    ASSERT_TRUE(wait_end(15));
    EXPECT_EQ("run ended 3 0", events.back());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SlotsFillTest,
    ::testing::Values(FillCase{"three_folders", {"a", "b", "c"}, {"Running", "Running", "Queued"},
                               {"Finished", "Running", "Running"}, {"a", "b", "c"}},
                      FillCase{"rows_1_and_2_share_a_folder", {"a", "a", "c"},
                               {"Running", "Queued", "Running"},
                               {"Finished", "Running", "Running"}, {"a", "c", "a"}}),
    [](const ::testing::TestParamInfo<FillCase> &info) { return std::string(info.param.name); });

TEST_F(SlotsTest, JobsAtOnceChangedDuringARun)
{
    submit(3, {"a", "b", "c", "d"});
    ASSERT_TRUE(wait_status(2, "Running"));
    ASSERT_EQ("Waiting", status(3));

    // Lowered: the waiting row goes back to the queue, the running ones end.
    run.SetJobsAtOnce(1);
    EXPECT_EQ((V{"Running", "Running", "Queued", "Queued"}), statuses());
    end_job(jobs + "a/");
    gui::wait_for(1.5);
    EXPECT_EQ((V{"Finished", "Running", "Queued", "Queued"}), statuses())
        << "one still runs: nothing starts";
    end_job(jobs + "b/");
    EXPECT_EQ("Waiting", status(3));
    ASSERT_TRUE(wait_status(3, "Running"));

    // Raised: more rows start at once.
    EXPECT_EQ(1, run.SetJobsAtOnce(3));
    EXPECT_EQ("Waiting", status(4));
    ASSERT_TRUE(wait_status(4, "Running"));
    EXPECT_EQ((V{"a", "b", "c", "d"}), started(4));
    EXPECT_EQ("jobs=3\n", read_file(home.file("wendle_run.ini"))) << "saved when changed";
    EXPECT_EQ(-1, run.SetJobsAtOnce(65));
}

// Lowering N while a job that ended between the checks has just handed its
// slot on: no running job is judged from another's terminal or file, and
// the row that waited runs later, once.
TEST_F(SlotsTest, LoweringJobsAtOnceJudgesNoJobFromAnother)
{
    struct Case {
        const char *name;
        int n;
        std::vector<const char *> folders;
        const char *endsFirst;
        V afterCheck;
    } cases[] = {
        // The job started last ends first while the next row waits.
        {"three at once", 3, {"a", "b", "c", "d"}, "c", {"Running", "Running", "Finished", "Queued"}},
        // The row waiting for a folder that has just come free.
        {"a folder come free", 2, {"a", "b", "a"}, "a", {"Finished", "Running", "Queued"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string prefix = jobs + c.name[0];
        run.SetJobsAtOnce(c.n);
        for (const char *f : c.folders)
            add(folder(c.name[0] + std::string(f)));
        std::string alert;
        ASSERT_EQ(1, run.Submit(setup, &alert));
        ASSERT_TRUE(wait_status(c.n, "Running"));
        end_job(prefix + c.endsFirst + "/", kNormal, false);
        ASSERT_TRUE(gui::wait_for(3, [](void *q) {
            return static_cast<Queue *>(q)->Find(JobState::Waiting) != 0;
        }, &queue)) << "the slot goes to the next row";
        run.SetJobsAtOnce(1);
        run.Check();
        wait_idle();
        EXPECT_EQ(c.afterCheck, statuses());
        for (const char *f : c.folders)
            std::ofstream(prefix + f + "/stop");
        ASSERT_TRUE(wait_end(30));
        EXPECT_EQ("run ended " + std::to_string(c.folders.size()) + " 0", events.back());
        run.Reset();
        queue.Clear();
    }
}

TEST_F(SlotsTest, ResetLeavesTerminalsRunningAndTheirFoldersBusy)
{
    submit(2, {"a", "b", "c"});
    ASSERT_TRUE(wait_status(2, "Running"));
    run.Reset();
    queue.Clear();
    EXPECT_FALSE(run.Active());
    EXPECT_FALSE(run.Reading());

    // The same deck again: its folder's solver from before still runs.
    int again = add(folder("a"));
    int other = add(folder("c"));
    std::string alert;
    ASSERT_EQ(1, run.Submit(setup, &alert));
    EXPECT_EQ((V{"Queued", "Running"}), statuses()) << "the busy folder waits";
    gui::wait_for(2);
    EXPECT_EQ("Queued", status(again));
    end_job(jobs + "c/");
    std::ofstream(jobs + "a/stop");
    ASSERT_TRUE(wait_status(again, "Running", 5));
    EXPECT_EQ((V{"a", "b", "c", "a"}), started(4));
    EXPECT_EQ("Finished", status(other));

    // Their terminals are reaped once they end.
    std::ofstream(jobs + "b/stop");
    end_job(jobs + "a/");
    EXPECT_TRUE(gui::wait_for(5, [](void *) { return zombie_children() == 0; }));
}

TEST_F(SlotsTest, AnEmptyMessageFileOfOneOfTwoJobs)
{
    submit(2, {"a", "b", "c"});
    ASSERT_TRUE(wait_status(2, "Running"));
    std::string msg = home.write("jobs/a/messag", "");
    if (!make_unwritable(msg))
        GTEST_SKIP() << "cannot make a file unwritable here";
    run.Check();
    make_writable(msg);
    EXPECT_TRUE(saw("The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!"));
    EXPECT_EQ((V{"Running", "Running", "Queued"}), statuses()) << "no further job starts";
    EXPECT_TRUE(run.Active()) << "the other job is still checked";

    end_job(jobs + "b/");
    EXPECT_EQ((V{"Running", "Finished", "Queued"}), statuses());
    EXPECT_FALSE(run.Active());
    EXPECT_EQ("run ended 1 0 stopped", events.back()) << "no summary";
}

// One folder reached through two mount points is one folder: in a private
// mount namespace, so no mount outlives the test.
TEST_F(SlotsTest, OneFolderThroughTwoMountPoints)
{
    std::string a = folder("a"), b = folder("b"), other = folder("other");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        uid_t uid = geteuid();
        gid_t gid = getegid();
        if (unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0)
            _exit(77);
        if (uid != 0) {
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(a.c_str(), b.c_str(), nullptr, MS_BIND, nullptr) != 0)
            _exit(77);
        bool same = RunningJob::FolderKeyOf(a) == RunningJob::FolderKeyOf(b);
        bool apart = RunningJob::FolderKeyOf(a) != RunningJob::FolderKeyOf(other);
        _exit(same && apart ? 0 : 1);
    }
    int st = 0;
    waitpid(child, &st, 0);
    if (WIFEXITED(st) && WEXITSTATUS(st) == 77)
        GTEST_SKIP() << "cannot make a mount namespace here";
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << "status " << st;
}

} // namespace
