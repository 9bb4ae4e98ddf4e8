// The incremental look at a message file against a full read from the start
// by the line rules, over random histories of the file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "foundation/comfunction.h"
#include "solver/deck_name.h"
#include "solver/message_watch.h"
#include "support/line_rules.h"
#include "support/read_fault.h"
#include "support/tempdir.h"

namespace {

using namespace std::string_literals;

const std::string kPieces[] = {
    "      cycle 1000   time 1.0000E-03\n"s,
    " N o r m a l    t e r m i n a t i o n   12/08/2026\n"s,
    " *** Error 10246 (KEY+246)\n"s,
    " *** Error N o r m a l    t e r m i n a t i o n\n"s,  // both: normal
    " N o r m a l    t e r m i n a t i o n\r\n"s,
    " N o r m a l\n t e r m i n a t i o n\n"s,             // two lines: nothing
    " N o r m a l    t e r m i n a t i o n"s,             // no newline yet
    " *** Er\x01ror in a line with a control character\n"s,
    "\n"s,
    "\r\n"s,
    "*** Error"s,
    "\0\0 N o r m a l \0 t e r m i n a t i o n\n"s,
};

std::string piece(std::mt19937 &rng)
{
    std::uniform_int_distribution<int> pick(0, (int)(sizeof kPieces / sizeof *kPieces));
    int k = pick(rng);
    if (k == (int)(sizeof kPieces / sizeof *kPieces)) {
        // A line longer than the reader keeps, the phrase past its cut.
        return std::string(260, '.') + " *** Error\n";
    }
    return kPieces[k];
}

struct History {
    TempDir dir;
    std::string path = dir.file("messag");
    std::string text;  // what the file holds
    bool exists = false;

    void write_whole(const std::string &t, int flags)
    {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | flags, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ((ssize_t)t.size(), pwrite(fd, t.data(), t.size(), 0));
        close(fd);
    }
    // One random change, as a solver, a user or a second run would make it.
    // Returns false when the file is another file afterwards.
    bool change(std::mt19937 &rng)
    {
        std::uniform_int_distribution<int> op(0, 9);
        switch (op(rng)) {
        case 0:
        case 1:
        case 2:
        case 3: {  // the solver appends
            std::string add = piece(rng);
            FILE *fp = fopen(path.c_str(), "a");
            fwrite(add.data(), 1, add.size(), fp);
            fclose(fp);
            text = (exists ? text : "") + add;
            exists = true;
            return true;
        }
        case 4: {  // cut short
            if (!exists)
                return true;
            size_t n = std::uniform_int_distribution<size_t>(0, text.size())(rng);
            truncate(path.c_str(), (off_t)n);
            text.resize(n);
            return true;
        }
        case 5: {  // replaced by another file
            std::string t = piece(rng) + piece(rng);
            std::string tmp = path + ".new";
            std::swap(path, tmp);
            write_whole(t, O_TRUNC);
            std::swap(path, tmp);
            rename(tmp.c_str(), path.c_str());
            text = t;
            exists = true;
            return false;
        }
        case 6: {  // rewritten in place from its start, without truncation
            std::string t = piece(rng);
            write_whole(t, 0);
            if (!exists)
                text.clear();
            if (text.size() < t.size())
                text.resize(t.size());
            text.replace(0, t.size(), t);
            bool same = exists;
            exists = true;
            return same;
        }
        case 7:  // deleted
            unlink(path.c_str());
            text.clear();
            exists = false;
            return false;
        default:  // left alone
            return true;
        }
    }
};

struct timespec mtime(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mtim : timespec{0, 0};
}

// The watch, given random small budgets, until it has read everything.
int look(MessageWatch &w, std::mt19937 &rng)
{
    int code;
    bool more = true;
    for (int i = 0; more && i < 100000; i++)
        code = w.Check(std::uniform_int_distribution<size_t>(1, 64)(rng), &more);
    return code;
}

TEST(MessageWatch, AgreesWithAFullReadOverRandomHistories)
{
    for (unsigned seed = 1; seed <= 60; seed++) {
        std::mt19937 rng(seed);
        History h;
        MessageWatch w;
        w.Start(h.path, false);
        for (int step = 0; step < 60; step++) {
            h.change(rng);
            int code = look(w, rng);
            // A missing file is created empty by the look.
            h.exists = true;
            ASSERT_EQ(full_message_read(h.text), code) << "seed " << seed << " step " << step;
        }
    }
}

TEST(MessageWatch, AnEarlierRunsContentDecidesNothing)
{
    for (unsigned seed = 1; seed <= 60; seed++) {
        std::mt19937 rng(1000 + seed);
        History h;
        for (int i = 0; i < 3; i++)
            h.change(rng);
        const std::string base = h.exists ? h.text : "";
        const struct timespec baseTime = mtime(h.path);
        MessageWatch w;
        w.Start(h.path, true);
        // The earlier run's part counts again once the file is replaced,
        // deleted or changed under it, or written again without growing.
        bool kept = h.exists;
        for (int step = 0; step < 60; step++) {
            bool same = h.change(rng);
            struct timespec now = mtime(h.path);
            bool rewritten = h.text.size() == base.size() &&
                             (now.tv_sec != baseTime.tv_sec || now.tv_nsec != baseTime.tv_nsec);
            int code = look(w, rng);
            h.exists = true;
            kept = kept && same && !rewritten && h.text.size() >= base.size() &&
                   h.text.compare(0, base.size(), base) == 0;
            std::string counted = kept ? h.text.substr(base.size()) : h.text;
            ASSERT_EQ(full_message_read(counted), code) << "seed " << seed << " step " << step;
        }
    }
}

TEST(MessageWatch, NoFolderAndABigFileInSlices)
{
    TempDir dir;
    MessageWatch w;
    bool more;
    w.Start(dir.file("none/messag"), true);
    EXPECT_EQ(-1, w.Check(100, &more));
    // The big first look comes in slices, with the same verdict.
    std::string big;
    while (big.size() < 3 * 1024 * 1024)
        big += "      cycle 1000   time 1.0000E-03\n";
    std::string path = dir.write("big", big + " *** Error 1\n");
    w.Start(path, false);
    int slices = 0;
    int code;
    do {
        code = w.Check(1024 * 1024, &more);
        slices++;
    } while (more);
    EXPECT_EQ(0, code);
    EXPECT_EQ(4, slices);
}

TEST(MessageWatch, ARerunWritingTheEarlierBytesIsJudgedOnThem)
{
    const std::string earlier = " N o r m a l    t e r m i n a t i o n\n";
    for (bool rerun : {true, false}) {
        SCOPED_TRACE(rerun ? "written again" : "left alone");
        TempDir dir;
        std::string path = dir.write("x.messag", earlier);
        // A clock tick of the file system before the job's start.
        struct timespec then[2] = {{0, UTIME_OMIT}, {1000000, 0}};
        utimensat(AT_FDCWD, path.c_str(), then, 0);
        MessageWatch w;
        w.Start(path, true);
        if (rerun)
            dir.write("x.messag", earlier);
        bool more;
        EXPECT_EQ(rerun ? 1 : -1, w.Check(64, &more));
        EXPECT_EQ(rerun ? 1 : -1, w.Check(64, &more)) << "the same at the next look";
    }
}

// Reads that fail part-way: a read error is neither the end of the file nor
// a change of it, and it never keeps a look going.
TEST(ReadFault, NeverTheEndOfAFileNorAChangeOfIt)
{
    if (!in_read_fault_child()) {
        EXPECT_EQ("", rerun_with_read_fault());
        return;
    }
    const std::string earlier = "old run\n N o r m a l    t e r m i n a t i o n\n";
    const std::string cycles = "      cycle 1000   time 1.0000E-03\n";
    TempDir dir;
    // Looks until one says nothing is waiting; -9 when they never stop.
    auto look = [](MessageWatch &w) {
        bool more = true;
        int code = -9;
        for (int i = 0; more && i < 4; i++)
            code = w.Check(1 << 20, &more);
        return more ? -9 : code;
    };
    struct Case {
        const char *name;
        off_t fault;  // from the start of what the new run wrote
        bool lookFirst;  // the new part was read before the fault came
    } cases[] = {
        {"past what was read", 10 * 35 + 5, false},
        {"inside the earlier run's part", -5, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.write("x.messag", earlier);
        MessageWatch w;
        w.Start(path, true);
        std::string added;
        for (int i = 0; i < 20; i++)
            added += cycles;
        dir.write("x.messag", earlier + added);
        if (c.lookFirst) {
            EXPECT_EQ(-1, look(w));
        }
        set_read_fault(path, (off_t)earlier.size() + c.fault);
        EXPECT_EQ(-1, look(w)) << "undecided, and the earlier run's line is not counted";
        set_read_fault(path, -1);
        FILE *fp = fopen(path.c_str(), "a");
        fputs(" *** Error 10246\n", fp);
        fclose(fp);
        EXPECT_EQ(0, look(w));
    }

    // A deck that fails before its ID line has no answer yet: none is
    // remembered, and the name is found once the deck reads again.
    std::string deck = dir.write("x.k", "*KEYWORD\n$ " + std::string(300, '-') +
                                            "\n*KEYWORD_ID\nx\n*END\n");
    DeckNameCache cache;
    set_read_fault(deck, 200);
    DeckNameScan scan;
    ASSERT_TRUE(scan.Open(deck.c_str()));
    while (!scan.Step(64)) {
    }
    EXPECT_TRUE(scan.Failed());
    EXPECT_FALSE(scan.Found());
    cache.Put(deck.c_str(), scan.Identity(), scan.Found(), scan.Name());
    std::string name;
    bool failed = false;
    EXPECT_EQ(0, DeckMessageName(cache, deck.c_str(), &name, &failed));
    EXPECT_TRUE(failed);
    set_read_fault(deck, -1);
    EXPECT_EQ(1, DeckMessageName(cache, deck.c_str(), &name, &failed));
    EXPECT_EQ("x", name);
    EXPECT_FALSE(failed);
}

const std::string kDeckLines[] = {
    "*KEYWORD\n"s,   "*KEYWORD_ID\n"s, "*KEYWORD_ID_X\n"s, "my  job \t\n"s, "\r\n"s,
    "a/b\n"s,        "   \n"s,         "*keyword_id\n"s,   "\x01*KEYWORD_ID\r\n"s,
    "ends here"s,    "$ comment\n"s,   "*END\n"s,
};

TEST(DeckName, AgreesWithTheLineRulesOverRandomHistories)
{
    TempDir dir;
    std::string path = dir.file("deck.k");
    DeckNameCache cache;
    for (unsigned seed = 1; seed <= 40; seed++) {
        std::mt19937 rng(seed);
        std::uniform_int_distribution<int> pick(0, (int)(sizeof kDeckLines / sizeof *kDeckLines));
        for (int step = 0; step < 40; step++) {
            std::string deck;
            int lines = std::uniform_int_distribution<int>(0, 12)(rng);
            for (int i = 0; i < lines; i++) {
                int k = pick(rng);
                deck += k < (int)(sizeof kDeckLines / sizeof *kDeckLines)
                            ? kDeckLines[k]
                            : std::string(300, 'x') + " y\n";
            }
            switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
            case 0:
                unlink(path.c_str());
                break;
            case 1: {  // replaced
                dir.write("deck.new", deck);
                rename(dir.file("deck.new").c_str(), path.c_str());
                break;
            }
            default:  // rewritten in place
                dir.write("deck.k", deck);
                break;
            }
            // A save a clock tick of the file system apart from the last one.
            struct timespec t[2] = {{0, UTIME_OMIT}, {1000000 + seed * 1000 + step, 0}};
            utimensat(AT_FDCWD, path.c_str(), t, 0);

            std::string want, got;
            int expect = deck_name_by_lines(read_file(path), &want);
            ASSERT_EQ(expect, DeckMessageName(cache, path.c_str(), &got))
                << "seed " << seed << " step " << step;
            ASSERT_EQ(want, got) << "seed " << seed << " step " << step;

            // The same answer when read in small slices.
            DeckNameScan scan;
            if (scan.Open(path.c_str()))
                while (!scan.Step(std::uniform_int_distribution<size_t>(1, 40)(rng))) {
                }
            ASSERT_EQ(expect == 1, scan.Found());
            ASSERT_EQ(want, scan.Name());
        }
    }
}

} // namespace
