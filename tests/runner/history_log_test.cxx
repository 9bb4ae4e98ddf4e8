#include <csignal>
#include <string>
#include <sys/resource.h>

#include "mainwnd_fixture.h"

namespace {

class HistoryLogTest : public MainWndTest {
protected:
    void add_row(JobState state, const std::string &deck, const std::string &dump = "")
    {
        Job job;
        job.kind = dump.empty() ? JobKind::Deck : JobKind::RestartWithDeck;
        job.deck = deck;
        job.dump = dump;
        int r = wnd->Jobs().Add(job);
        wnd->Jobs().SetState(r, state);
    }
    std::string log() { return home.file("wendle_history.log"); }
};

// Each ended job is logged once, with its outcome, also one that left the table.
TEST_F(HistoryLogTest, LogsEachEndedJobOnce)
{
    open_window();
    std::string longFolder = "/" + std::string(240, 'f') + "/";
    add_row(JobState::Finished, "/home/u/jobs/case1.k");
    add_row(JobState::Queued, "/q/queued.k");
    add_row(JobState::Aborted, "/a b/model.rev.dyn");
    add_row(JobState::Running, "/r/deck.k", "/r/d3dump01");
    add_row(JobState::Waiting, "/w/next.k");
    add_row(JobState::Finished, longFolder + std::string(200, 'n') + ".k");
    wnd->Jobs().AddDeparted(wnd->Jobs().At(3));

    wnd->write_log(log().c_str());
    const std::string block = "Finished  /home/u/jobs/case1.k\n"
                              "Aborted  /a b/model.rev.dyn\n"
                              "Finished  " + longFolder + std::string(200, 'n') + ".k\n"
                              "Aborted  /a b/model.rev.dyn\n";
    EXPECT_EQ(block, read_file(log()));
    EXPECT_TRUE(wnd->Jobs().Departed().empty());
    wnd->Jobs().SetState(4, JobState::Finished);
    wnd->write_log(log().c_str());
    EXPECT_EQ(block + "Finished  /r/R =d3dump01    I =deck.Restart\n", read_file(log()))
        << "appended, never truncated, and no job twice";
}

TEST_F(HistoryLogTest, QueuedOnlyCreatesAnEmptyFile)
{
    open_window();
    add_row(JobState::Queued, "/q/a.k");
    wnd->write_log(log().c_str());
    EXPECT_TRUE(file_exists(log()));
    EXPECT_EQ("", read_file(log()));
}

TEST_F(HistoryLogTest, AFullDiskLeavesTheLogAsItWas)
{
    open_window();
    const std::string before = "Finished  /old/one.k\n";
    home.write("wendle_history.log", before);
    add_row(JobState::Finished, "/f/a.k");
    add_row(JobState::Aborted, "/f/b.k");

    // A file-size limit makes the block's write really stop part-way.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit tiny = old;
    tiny.rlim_cur = before.size() + 10;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tiny));
    wnd->write_log(log().c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(before, read_file(log()));

    wnd->write_log(log().c_str());
    EXPECT_EQ(before + "Finished  /f/a.k\nAborted  /f/b.k\n", read_file(log()));
}

} // namespace
