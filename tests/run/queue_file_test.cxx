// The queue kept in the user's folder: every text travels through the file,
// a file that is not read is put aside and says why, a failed save says so
// once, and a second program keeps its table to itself.
#include "run/queue_file.h"
#include "run_fixture.h"
#include "support/readonly.h"

namespace {

class QueueFileTest : public RunTest {
protected:
    std::string path() { return home.file("wendle_queue.ini"); }
    void open(QueueFile &file)
    {
        RunCounts counts;
        file.Open(home.path() + "/", &counts);
    }
    void wait_saved(QueueFile &file)
    {
        gui::wait_for(5, [](void *f) { return !static_cast<QueueFile *>(f)->Busy(); }, &file);
    }
};

TEST_F(QueueFileTest, EveryTextTravels)
{
    const std::string odd = "a=b\\c\nd\te\r\x01\x7f \xc3\xa9 \\x41 \\";
    Job deck;
    deck.deck = "/j/" + odd + "/case1.k";
    deck.size = odd;
    deck.mb = "=300";
    deck.sec = "\n";
    deck.precision = 1;
    deck.state = JobState::Running;
    deck.autoMemory = deck.logged = true;
    deck.msgFile = "/j/messag";
    deck.terminal = 4242;
    deck.terminalStart = 123456789012LL;
    deck.msgMark = "1:2:3:4.5";
    Job dump;
    dump.kind = JobKind::RestartFromDump;
    dump.dump = "/d/d3dump01";
    Job both = dump;
    both.kind = JobKind::RestartWithDeck;
    both.deck = "/in/deck.k";
    both.state = JobState::Waiting;
    queue.Add(deck);
    queue.Add(dump);
    queue.Add(both);
    dump.state = JobState::Aborted;
    queue.AddDeparted(dump);
    RunCounts counts;
    counts.succeeded = 3;
    counts.failed = 2;

    std::string text = QueueText(queue, counts, "boot-1"), why;
    for (char c : text)
        ASSERT_TRUE(c == '\n' || ((unsigned char)c >= 32 && c != 127)) << "one line a value";
    SavedQueue back;
    ASSERT_EQ(1, ReadQueueText(text, &back, &why)) << why;
    EXPECT_EQ("boot-1", back.boot);
    EXPECT_EQ(3, back.counts.succeeded);
    EXPECT_EQ(2, back.counts.failed);
    ASSERT_EQ(3u, back.rows.size());
    ASSERT_EQ(1u, back.departed.size());
    EXPECT_EQ(deck.deck, back.rows[0].deck);
    EXPECT_EQ(odd, back.rows[0].size);
    EXPECT_EQ(123456789012LL, back.rows[0].terminalStart);
    // Every field: the rows read back write the same text.
    Queue again;
    for (Job &job : back.rows)
        again.Add(job);
    again.AddDeparted(back.departed[0]);
    EXPECT_EQ(text, QueueText(again, back.counts, back.boot));
}

TEST_F(QueueFileTest, AFileNotReadIsPutAside)
{
    Job job;
    job.deck = "/j/case1.k";
    queue.Add(job);
    const std::string good = QueueText(queue, RunCounts(), "b");
    queue.Clear();
    auto edited = [&](const std::string &from, const std::string &to) {
        std::string text = good;
        return text.replace(text.find(from), from.size(), to);
    };
    struct Case {
        const char *name;
        std::string content;
        const char *problem;
    } cases[] = {
        {"a newer version", "wendle-queue=2\nlater things\n", "of a newer Wendle"},
        {"the settings file", "dynasolver_single=/x\n", "damaged (line 1: not a job queue)"},
        {"empty", "", "damaged (empty)"},
        {"cut short", good.substr(0, good.size() - 3), "damaged (line 20: cut short)"},
        {"a field unknown", edited("auto=", "colour=red\nauto="), "damaged (line 13: no field of a job)"},
        {"an equals sign bare", edited("mb=", "mb=="), "damaged (line 10: not a key=value line)"},
        {"a deck without its path", edited("deck=/j/case1.k", "deck="), "lacks its files"},
        {"a count that is not", edited("end=1", "end=2"), "not the number of jobs"},
        {"a folder", {}, "cannot be read"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(path());
        if (std::string(c.name) == "a folder")
            home.mkdir("wendle_queue.ini");
        else
            home.write("wendle_queue.ini", c.content);
        QueueFile file(queue, run);
        open(file);
        EXPECT_EQ(0, queue.Rows());
        EXPECT_NE(std::string::npos, file.Problem().find(c.problem)) << file.Problem();
        EXPECT_NE(std::string::npos, file.Problem().find(": kept as wendle_queue.ini.rejected"));
        EXPECT_EQ(c.content, read_file(path() + ".rejected")) << "kept whole";
        queue.Add(job);
        wait_saved(file);
        SavedQueue saved;
        std::string why;
        EXPECT_EQ(1, ReadQueueText(read_file(path()), &saved, &why)) << why;
        EXPECT_EQ(1u, saved.rows.size());
        queue.Clear();
        std::filesystem::remove_all(path() + ".rejected");
    }
}

TEST_F(QueueFileTest, AFailedSaveSaysSoOnce)
{
    if (!make_unwritable(home.path()))
        GTEST_SKIP() << "cannot make a folder unwritable here";
    std::vector<std::string> said;
    QueueFile file(queue, run);
    file.OnFailure([](const std::string &text, void *d) {
        static_cast<std::vector<std::string> *>(d)->push_back(text);
    }, &said);
    open(file);
    for (int i = 0; i < 2; i++) {
        add(jobs);
        wait_saved(file);
    }
    make_writable(home.path());
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ(0u, said[0].find("Job queue not saved in wendle_queue.ini (")) << said[0];
    add(jobs);
    wait_saved(file);
    SavedQueue saved;
    std::string why;
    EXPECT_EQ(1, ReadQueueText(read_file(path()), &saved, &why)) << why;
    EXPECT_EQ(3u, saved.rows.size());
}

TEST_F(QueueFileTest, ASecondProgramKeepsItsTableToItself)
{
    QueueFile first(queue, run);
    open(first);
    add(jobs);
    wait_saved(first);
    const std::string kept = read_file(path());
    Queue other;
    ::Run otherRun(other, settings, *this);
    QueueFile second(other, otherRun);
    RunCounts counts;
    second.Open(home.path() + "/", &counts);
    EXPECT_EQ("Another Wendle keeps the job queue: this table is not saved", second.Problem());
    EXPECT_EQ(0, other.Rows());
    Job job;
    job.deck = "/j/other.k";
    other.Add(job);
    EXPECT_FALSE(second.Busy());
    second.Close();
    EXPECT_EQ(kept, read_file(path()));
}

} // namespace
