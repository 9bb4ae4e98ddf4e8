// Jobs followed beyond their place in a run: rows a saved queue brought
// back (a terminal that is no child of this process, one that is gone, a
// pid that names another process now), a job left running by Reset, and
// one whose empty message file stopped the run. Each is judged by what its
// message file says when its terminal ends, never left "Running".
#include <signal.h>

#include "run_fixture.h"
#include "support/readonly.h"

namespace {

using V = std::vector<std::string>;

// A process that is no child of this one: its parent has ended.
pid_t orphan()
{
    int pid = 0;
    if (FILE *p = popen("sleep 60 >/dev/null 2>&1 & echo $!", "r")) {
        if (fscanf(p, "%d", &pid) != 1)
            pid = 0;
        pclose(p);
    }
    return pid;
}

pid_t gone()
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

class FollowedTest : public RunTest {
protected:
    void TearDown() override
    {
        if (alive > 0)
            kill(alive, SIGKILL);
        RunTest::TearDown();
    }
    // A job as a saved queue brings it back, started in dir.
    Job saved(const std::string &dir, JobState state, pid_t pid, long long start,
              const char *msg)
    {
        Job job;
        job.deck = dir + "case1.k";
        job.sec = "1";
        job.state = state;
        job.terminal = pid;
        job.terminalStart = start;
        if (msg) {
            job.msgFile = dir + "messag";
            std::ofstream(job.msgFile) << msg;
        }
        return job;
    }
    bool wait_event(const std::string &event)
    {
        want = event;
        return gui::wait_for(5, [](void *p) {
            FollowedTest *t = static_cast<FollowedTest *>(p);
            return t->saw(t->want);
        }, this);
    }
    pid_t alive = orphan();
};

TEST_F(FollowedTest, RowsComeBack)
{
    ASSERT_GT(alive, 0);
    long long self = ProcessStartTime(getpid());
    struct Case {
        const char *name;
        JobState state;
        pid_t pid;
        long long start;
        const char *msg;
        const char *after;
    } cases[] = {
        {"its terminal runs on", JobState::Running, alive, ProcessStartTime(alive), "", "Running"},
        {"its terminal is gone", JobState::Running, gone(), 100, kNormal.c_str(), "Finished"},
        {"its pid names another process", JobState::Running, getpid(), self + 1,
         kNormal.c_str(), "Finished"},
        {"the same, no deciding line", JobState::Running, getpid(), 1, "banner\n", "Aborted"},
        {"a file as it was before the start", JobState::Running, 0, 0, kNormal.c_str(),
         "Aborted"},
        {"no terminal was started", JobState::Running, 0, 0, nullptr, "Queued"},
        {"waiting for its pause", JobState::Waiting, 0, 0, nullptr, "Queued"},
        {"finished", JobState::Finished, 0, 0, nullptr, "Finished"},
    };
    V after;
    for (const Case &c : cases) {
        Job job = saved(folder(c.name), c.state, c.pid, c.start, c.msg);
        if (c.name == std::string("a file as it was before the start"))
            job.msgMark = FileMark(job.msgFile);
        queue.Add(job);
        after.push_back(c.after);
    }
    std::string left = folder("left");
    queue.AddDeparted(saved(left, JobState::Running, gone(), 100, kNormal.c_str()));
    RunCounts counts;
    counts.succeeded = counts.failed = 5;
    run.Restore(counts);
    EXPECT_EQ(after, statuses());
    EXPECT_EQ(7, run.Counts().succeeded);
    EXPECT_EQ(7, run.Counts().failed);
    EXPECT_TRUE(saw("departed Finished  " + left + "case1.k\n"));

    // Followed by polling: a check while it lives does not end it.
    ASSERT_TRUE(run.JobAt(1) && run.JobAt(1)->Adopted());
    run.Check();
    wait_idle();
    EXPECT_EQ("Running", status(1));
    std::ofstream(queue.At(1).msgFile) << kNormal;
    kill(alive, SIGKILL);
    alive = 0;
    run.Check();
    wait_idle();
    EXPECT_EQ("Finished", status(1));
}

TEST_F(FollowedTest, FollowedJobsFillTheirSlotsAndKeepTheirFolders)
{
    std::string a = folder("a");
    queue.Add(saved(a, JobState::Running, alive, ProcessStartTime(alive), ""));
    int same = add(a);
    int other = add(folder("b"));
    run.Restore(RunCounts());
    std::string alert;
    ASSERT_EQ(1, run.Submit(setup, &alert));
    gui::wait_for(1.5);
    EXPECT_EQ((V{"Running", "Queued", "Queued"}), statuses()) << "one at once: its slot is taken";
    run.SetJobsAtOnce(2);
    ASSERT_TRUE(wait_status(other, "Running", 5));
    EXPECT_EQ("Queued", status(same)) << "its folder is busy";
    std::ofstream(a + "messag") << kNormal;
    kill(alive, SIGKILL);
    alive = 0;
    ASSERT_TRUE(wait_status(1, "Finished", 10));
    ASSERT_TRUE(wait_status(same, "Running", 10));
}

TEST_F(FollowedTest, AJobLeftRunningByResetIsJudgedWhenItEnds)
{
    int r = add(jobs);
    std::string alert;
    run.Submit(setup, &alert);
    ASSERT_TRUE(wait_status(r, "Running"));
    run.Reset();
    queue.Clear();
    ASSERT_EQ(1u, queue.Departed().size());
    EXPECT_EQ(JobState::Running, queue.Departed()[0].state);
    end_job(jobs);
    EXPECT_TRUE(wait_event("departed Finished  " + jobs + "case1.k\n"));
}

TEST_F(FollowedTest, AJobStoppedByItsEmptyMessageFileIsJudgedWhenItsTerminalEnds)
{
    std::string msg = home.write("jobs/messag", "");
    if (!make_unwritable(msg))
        GTEST_SKIP() << "cannot make a file unwritable here";
    int r = add(jobs);
    std::string alert;
    run.Submit(setup, &alert);
    run.Check();
    make_writable(msg);
    EXPECT_TRUE(saw("run ended 0 0 stopped"));
    EXPECT_EQ("Running", status(r));
    // Its solver writes its normal end as it goes.
    end_job(jobs, "");
    EXPECT_EQ("Finished", status(r));
    EXPECT_EQ("ended 1 Normal", events.back());
}

} // namespace
