// Jobs followed beyond their place in a run: rows a saved queue brought back,
// a job left running by Reset, one whose empty message file stopped the run.
#include <signal.h>

#include "run_fixture.h"
#include "support/readonly.h"

namespace {

using V = std::vector<std::string>;

// A process that is no child of this one: its parent has ended.
pid_t orphan()
{
    FILE *p = popen("sleep 60 >/dev/null 2>&1 & echo $!", "r");
    int pid = 0;
    if (fscanf(p, "%d", &pid) != 1)
        pid = 0;
    pclose(p);
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
    // A job as a saved queue brings it back, started in dir.
    Job saved(const std::string &dir, JobState state, pid_t pid, long long start, const char *msg)
    {
        Job job;
        job.deck = dir + "case1.k";
        job.state = state;
        job.terminal = pid;
        job.terminalStart = start;
        if (msg)
            std::ofstream(job.msgFile = dir + "messag") << msg;
        return job;
    }
};

TEST_F(FollowedTest, RowsComeBack)
{
    pid_t alive = orphan();
    ASSERT_GT(alive, 0);
    const char *normal = kNormal.c_str();
    struct Case {
        const char *name;
        JobState state;
        pid_t pid;
        long long start;
        const char *msg, *after;
    } cases[] = {
        {"its terminal runs on", JobState::Running, alive, ProcessStartTime(alive), "", "Running"},
        {"its terminal is gone", JobState::Running, gone(), 100, normal, "Finished"},
        {"its pid names another process", JobState::Running, getpid(), ProcessStartTime(getpid()) + 1, normal,
         "Finished"},
        {"the same, no deciding line", JobState::Running, getpid(), 1, "banner\n", "Aborted"},
        {"a file as it was before the start", JobState::Running, 0, 0, normal, "Aborted"},
        {"no terminal was started", JobState::Running, 0, 0, nullptr, "Queued"},
        {"waiting for its pause", JobState::Waiting, 0, 0, nullptr, "Queued"},
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
    queue.AddDeparted(saved(left, JobState::Running, gone(), 100, normal));
    run.Restore(RunCounts{5, 5});
    EXPECT_EQ(after, statuses());
    EXPECT_EQ(7, run.Counts().succeeded);
    EXPECT_EQ(7, run.Counts().failed);
    EXPECT_TRUE(saw("departed Finished  " + left + "case1.k\n"));

    // Followed by polling; its slot is taken: one job at once.
    std::string alert;
    ASSERT_EQ(1, run.Submit(setup, &alert));
    gui::wait_for(1.5);
    run.Check();
    wait_idle();
    EXPECT_EQ(after, statuses());
    std::ofstream(queue.At(1).msgFile) << kNormal;
    kill(alive, SIGKILL);
    ASSERT_TRUE(wait_status(1, "Finished", 10));
    EXPECT_TRUE(wait_status(6, "Running", 10));
}

// A job whose empty message file stopped the run is followed on; one that
// Reset took off the table too, and both are judged by the file in the end.
TEST_F(FollowedTest, AStoppedJobThatLeftTheTableIsJudgedWhenItEnds)
{
    std::string msg = home.write("jobs/messag", "");
    if (!make_unwritable(msg))
        GTEST_SKIP() << "cannot make a file unwritable here";
    add(jobs);
    std::string alert;
    run.Submit(setup, &alert);
    run.Check();
    make_writable(msg);
    EXPECT_EQ("Running", status(1)) << "stopped the run";
    run.Reset();
    queue.Clear();
    ASSERT_EQ(1u, queue.Departed().size());
    // Its solver writes its normal end as it goes.
    end_job(jobs, "");
    EXPECT_TRUE(gui::wait_for(5, [](void *q) {
        return static_cast<Queue *>(q)->Departed()[0].state != JobState::Running;
    }, &queue));
    EXPECT_TRUE(saw("departed Finished  " + jobs + "case1.k\n"));
}

} // namespace
