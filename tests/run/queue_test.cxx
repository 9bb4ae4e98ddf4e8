// The job records: what the table shows and the history log writes of
// each kind, the pause and memory read from the typed texts, and the queue
// telling its listeners.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/queue.h"

namespace {

Job make(JobKind kind, const char *deck, const char *dump, JobState state = JobState::Finished)
{
    Job job;
    job.kind = kind;
    job.deck = deck;
    job.dump = dump;
    job.state = state;
    return job;
}

TEST(QueueTest, WhatARowShows)
{
    struct Case {
        Job job;
        const char *name, *folder, *type, *work, *display, *history;
    } cases[] = {
        {make(JobKind::Deck, "/home/u/jobs/case1.k", ""), "case1", "/home/u/jobs/", "k",
         "/home/u/jobs/", "case1.k", "Finished  /home/u/jobs/case1.k\n"},
        {make(JobKind::Deck, "/data/model.rev.k", "", JobState::Aborted), "model.rev", "/data/",
         "k", "/data/", "model.rev.k", "Aborted  /data/model.rev.k\n"},
        {make(JobKind::RestartFromDump, "", "/w/d3dump01"), "d3dump01", "/w/", "Restart", "/w/",
         "d3dump01", "Finished  /w/d3dump01.Restart\n"},
        {make(JobKind::RestartWithDeck, "/w/deck.k", "/w/d3dump02", JobState::Running),
         "R =d3dump02    I =deck", "/w/", "Restart", "/w/", "d3dump02",
         "Running  /w/R =d3dump02    I =deck.Restart\n"},
        {make(JobKind::RestartWithDeck, "/in/deck.key", "/out/d3dump03", JobState::Waiting),
         "R =d3dump03    I =deck", "R =/out/    I =/in/", "Restart", "/out/", "d3dump03",
         "Waiting  R =/out/    I =/in/R =d3dump03    I =deck.Restart\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.name, JobName(c.job));
        EXPECT_EQ(c.folder, JobFolder(c.job));
        EXPECT_EQ(c.type, JobType(c.job));
        EXPECT_EQ(c.work, WorkFolder(c.job));
        EXPECT_EQ(c.display, DisplayName(c.job));
        EXPECT_EQ(c.history, HistoryLine(c.job));
    }
}

TEST(QueueTest, PauseAndMemoryFromTheTypedTexts)
{
    struct Case {
        const char *text;
        int pause;
        const char *memory;
    } cases[] = {
        {"2.5", 2, "memory=524288"},       {"", 1, "memory=78643200"},
        {"0", 1, "memory=78643200"},       {"-3", 1, "memory=78643200"},
        {"7x", 7, "memory=1835008"},       {"128", 128, "memory=33554432"},
        {"-99999999999999999999", 1, "memory=78643200"},
        {"99999999999999999999", 2147483647, "memory=78643200"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Job job;
        job.sec = job.mb = c.text;
        EXPECT_EQ(c.pause, PauseSeconds(job));
        EXPECT_EQ(c.memory, MemoryArgument(job));
    }
}

TEST(QueueTest, ListenersFollowEveryChange)
{
    struct Log : QueueListener {
        std::vector<std::string> seen;
        void RowAdded(int r) override { seen.push_back("+" + std::to_string(r)); }
        void RowRemoved(int r) override { seen.push_back("-" + std::to_string(r)); }
        void RowsChanged(int a, int b) override
        {
            seen.push_back(std::to_string(a) + ".." + std::to_string(b));
        }
    } log;
    Queue q;
    q.Listen(&log);
    int a = q.At(q.Add(make(JobKind::Deck, "/j/a.k", ""))).id;
    int b = q.At(q.Add(make(JobKind::Deck, "/j/b.k", ""))).id;
    EXPECT_TRUE(q.Swap(1));
    EXPECT_FALSE(q.Swap(2));
    EXPECT_EQ(2, q.RowOf(a));
    q.SetState(2, JobState::Running);
    EXPECT_EQ(2, q.Find(JobState::Running));
    EXPECT_TRUE(q.Remove(1));
    EXPECT_EQ(0, q.RowOf(b));
    EXPECT_EQ(1, q.RowOf(a));
    q.Clear();
    EXPECT_EQ((std::vector<std::string>{"+1", "+2", "1..2", "2..2", "-1", "-1"}), log.seen);
    EXPECT_NE(a, q.At(q.Add(make(JobKind::Deck, "/j/a.k", ""))).id) << "ids are never reused";
}

} // namespace
