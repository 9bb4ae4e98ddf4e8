// The queue kept in the user's folder: every text travels, a file not read is
// put aside, a failed save is said once, a second program's table is its own.
#include "run/queue_file.h"
#include "run_fixture.h"
#include "support/readonly.h"

namespace {

class QueueFileTest : public RunTest {
protected:
    void open(QueueFile &file) { file.Open(home.path() + "/", &counts); }
    // The rows in the file once file has saved; -1 when it cannot be read.
    int saved_rows(QueueFile &file)
    {
        gui::wait_for(5, [](void *f) { return !static_cast<QueueFile *>(f)->Busy(); }, &file);
        SavedQueue saved;
        std::string why;
        int got = ReadQueueText(read_file(home.file("wendle_queue.ini")), &saved, &why);
        return got == 1 ? (int)saved.rows.size() : -1;
    }
    RunCounts counts;
};

TEST_F(QueueFileTest, EveryTextTravels)
{
    const std::string odd = "a=b\\c\nd\te\r\x01\x7f \xc3\xa9 \\x41 \\";
    Job deck;
    deck.deck = "/j/" + odd + "/case1.k";
    deck.size = deck.mb = deck.sec = deck.msgFile = deck.msgMark = odd;
    deck.precision = deck.autoMemory = deck.logged = true;
    deck.state = JobState::Running;
    deck.terminal = 4242;
    deck.terminalStart = 123456789012LL;
    queue.Add(deck);
    queue.SetState(add_restart("/out/d3dump02", "/in/deck.k"), JobState::Waiting);
    queue.AddDeparted(queue.At(2));
    counts = RunCounts{3, 2};

    // A value with a control character in it would be a damaged line.
    std::string text = QueueText(queue, counts, "boot-1"), why;
    SavedQueue back;
    ASSERT_EQ(1, ReadQueueText(text, &back, &why)) << why;
    ASSERT_EQ(1u, back.departed.size());
    EXPECT_EQ(odd, back.rows.at(0).msgMark);
    // Every field: what was read writes the same text again.
    Queue again;
    for (Job &job : back.rows)
        again.Add(job);
    again.AddDeparted(back.departed[0]);
    EXPECT_EQ(text, QueueText(again, back.counts, back.boot));
}

TEST_F(QueueFileTest, AFileNotReadIsPutAside)
{
    add(jobs);
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
        {"a newer version", "wendle-queue=2\nlater things\n", "of a newer Wendle: kept as"},
        {"the settings file", "dynasolver_single=/x\n", "damaged (line 1: not a job queue)"},
        {"empty", "", "damaged (empty)"},
        {"cut short", good.substr(0, good.size() - 3), "damaged (line 20: cut short)"},
        {"a field unknown", edited("auto=", "colour=red\nauto="), "(line 13: no field of a job)"},
        {"an equals sign bare", edited("mb=", "mb=="), "(line 10: not a key=value line)"},
        {"a deck without its path", edited(jobs + "case1.k\n", "\n"), "lacks its files"},
        {"a count that is not", edited("end=1", "end=2"), "not the number of jobs"},
        {"a folder", "", "cannot be read"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(home.file("wendle_queue.ini"));
        if (std::string(c.name) == "a folder")
            home.mkdir("wendle_queue.ini");
        else
            home.write("wendle_queue.ini", c.content);
        QueueFile file(queue, run);
        open(file);
        EXPECT_EQ(0, queue.Rows());
        EXPECT_NE(std::string::npos, file.Problem().find(c.problem)) << file.Problem();
        EXPECT_EQ(c.content, read_file(home.file("wendle_queue.ini.rejected"))) << "kept whole";
        add(jobs);
        EXPECT_EQ(1, saved_rows(file));
        queue.Clear();
        std::filesystem::remove_all(home.file("wendle_queue.ini.rejected"));
    }
}

TEST_F(QueueFileTest, AFailedSaveIsSaidOnce)
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
        EXPECT_EQ(-1, saved_rows(file));
    }
    make_writable(home.path());
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ(0u, said[0].find("Job queue not saved in wendle_queue.ini (")) << said[0];
}

TEST_F(QueueFileTest, ASecondProgramsTableIsItsOwn)
{
    QueueFile first(queue, run);
    open(first);
    add(jobs);
    EXPECT_EQ(1, saved_rows(first));
    Queue other;
    ::Run otherRun(other, settings, *this);
    QueueFile second(other, otherRun);
    open(second);
    EXPECT_EQ("Another Wendle keeps the job queue: this table is not saved", second.Problem());
    other.Add(queue.At(1));
    second.Close();
    EXPECT_EQ(1, saved_rows(first));
}

} // namespace
