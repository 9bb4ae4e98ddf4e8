// The stand-in solver steered by sense switches, restarted from its dumps,
// and in agreement with Wendle's readers on cycle lines and end times.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "foundation/comfunction.h"
#include "solver/cycle_line.h"
#include "solver/d3hsp.h"
#include "solver/end_time.h"
#include "solver/glstat.h"
#include "solver/sense_switch.h"
#include "support/tempdir.h"

namespace {

const char kStandin[] = WENDLE_SOURCE_DIR "/examples/lsdyna-standin";

double now()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

bool wait_until(double seconds, const std::function<bool()> &done)
{
    for (double end = now() + seconds; now() < end; usleep(20000))
        if (done())
            return true;
    return done();
}

// The stand-in in `folder` with these arguments, its output in folder/out.
pid_t start(const std::string &folder, const std::vector<std::string> &args)
{
    std::vector<const char *> argv = {"bash", kStandin};
    for (const std::string &a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    std::string out = folder + "/out";
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || chdir(folder.c_str()) != 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0)
            _exit(126);
        execvp("bash", const_cast<char *const *>(argv.data()));
        _exit(127);
    }
    return pid;
}

// Its exit status, or -1 (and it is killed) when it runs longer than that.
int finish(pid_t pid, double seconds)
{
    int status = 0;
    bool ended = wait_until(seconds, [&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<CycleLine> cycle_lines(const std::string &path)
{
    std::vector<CycleLine> lines;
    FILE *fp = fopen(path.c_str(), "r");
    if (!fp)
        return lines;
    char line[READ_LINE_MAX + 1];
    CycleLine c;
    while (read_line(fp, line) == 1)
        if (ParseCycleLine(line, &c))
            lines.push_back(c);
    fclose(fp);
    return lines;
}

bool holds(const std::string &path, const char *text)
{
    return read_file(path).find(text) != std::string::npos;
}

const char kNormal[] = "N o r m a l    t e r m i n a t i o n";

TEST(StandinTest, SenseSwitches)
{
    struct Case {
        const char *name;
        int sw;
        const char *shows;          // in the message file after the switch
        std::vector<std::string> dumps;  // in the folder at the end
        bool early;                 // ends before its end time
    } cases[] = {
        {"sw1 stops with a dump", 1, "write d3dump01 file", {"d3dump01"}, true},
        {"sw2 reports", 2, " sw2 status", {"d3dump01"}, false},
        {"sw3 dumps and goes on", 3, "write d3dump01 file", {"d3dump01", "d3dump02"}, false},
        {"sw4 writes a plot state", 4, "write d3plot file", {"d3dump01"}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::string deck = dir.write("plate.k", "*KEYWORD\n$ standin: run=3\n"
                                                "*CONTROL_TERMINATION\n    0.0300\n*END\n");
        std::string msg = dir.file("messag");
        double started = now();
        pid_t pid = start(dir.path(), {"i=" + deck, "memory=1"});
        ASSERT_TRUE(wait_until(10, [&] { return !cycle_lines(msg).empty(); }))
            << read_file(dir.file("out"));
        ASSERT_EQ(1, WriteSenseSwitch(dir.path().c_str(), c.sw, nullptr));
        EXPECT_TRUE(wait_until(5, [&] { return !file_exists(dir.file("D3KIL")); }))
            << "D3KIL not taken";
        EXPECT_EQ(0, finish(pid, 10));
        EXPECT_TRUE(holds(msg, c.shows));
        EXPECT_TRUE(holds(msg, kNormal));
        for (const std::string &d : c.dumps)
            EXPECT_TRUE(file_exists(dir.file(d))) << d;
        EXPECT_FALSE(file_exists(dir.file("d3dump0" + std::to_string(c.dumps.size() + 1))));
        std::vector<CycleLine> lines = cycle_lines(msg);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(c.early, lines.back().t < 0.03) << lines.back().t;
        if (c.early) {
            EXPECT_LT(now() - started, 2.5) << "sw1 did not stop it early";
        }
    }
}

TEST(StandinTest, RestartFromItsDump)
{
    TempDir dir;
    std::string deck = dir.write("plate.k", "*KEYWORD\n$ standin: run=2\n"
                                            "*CONTROL_TERMINATION\n0.0200,0\n*END\n");
    std::string msg = dir.file("messag");
    pid_t pid = start(dir.path(), {"i=" + deck});
    ASSERT_TRUE(wait_until(10, [&] { return !cycle_lines(msg).empty(); }));
    ASSERT_EQ(1, WriteSenseSwitch(dir.path().c_str(), 1, nullptr));
    ASSERT_EQ(0, finish(pid, 10));
    double stoppedAt = cycle_lines(msg).back().t;
    ASSERT_LT(stoppedAt, 0.02);
    std::string dump;
    ASSERT_EQ(1, NewestRestartDump(dir.path().c_str(), &dump));
    ASSERT_EQ("d3dump01", dump);

    struct Case {
        const char *name;
        std::vector<std::string> args;
        double end;  // of the restart's cycle lines
    } cases[] = {
        {"from the dump alone", {"r=" + dir.file(dump)}, 0.02},
        {"with a new deck", {"r=" + dir.file(dump), "i=" + dir.write("longer.k",
                              "*CONTROL_TERMINATION\n0.0300\n")}, 0.03},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(msg.c_str());
        EXPECT_EQ(0, finish(start(dir.path(), c.args), 15)) << read_file(dir.file("out"));
        std::vector<CycleLine> lines = cycle_lines(msg);
        ASSERT_FALSE(lines.empty());
        EXPECT_GT(lines.front().t, stoppedAt) << "did not go on from the dump";
        EXPECT_DOUBLE_EQ(c.end, lines.back().t);
        EXPECT_TRUE(holds(msg, kNormal));
    }
}

// The stand-in's last cycle line is at the end time Wendle reads, from the
// deck and from the d3hsp the stand-in writes.
TEST(StandinTest, AgreesOnEndTimes)
{
    struct Case {
        const char *name;
        const char *deck;
        const char *include;  // as inc.k beside it
    } cases[] = {
        {"the last definition", "*CONTROL_TERMINATION\n0.01\n*control_termination\n$\n 2.5E-3\n", ""},
        {"a title card", "*CONTROL_TERMINATION_TITLE\n0.9\n0.004\r\n*END\n*CONTROL_TERMINATION\n1\n",
         ""},
        {"an include after the deck's", "*CONTROL_TERMINATION\n0.01\n*INCLUDE\n inc.k\n",
         "*CONTROL_TERMINATION\n 0.006 , 1\n"},
        {"none: the default", "*KEYWORD\n*CONTROL_TERMINATION\n\n*END\n", ""},
        {"parameters", "*PARAMETER\nR    tend    2.5E-03I       n         4\n"
         "*CONTROL_TERMINATION\n     &tend\n*INCLUDE\ninc.k\n",
         "*PARAMETER_EXPRESSION\nRtend,&tend * (n - 2)\n"},
    };
    TempDir dir;
    std::vector<pid_t> pids;
    for (size_t i = 0; i < sizeof cases / sizeof *cases; i++) {
        std::string folder = dir.mkdir(std::to_string(i));
        dir.write(std::to_string(i) + "/inc.k", cases[i].include);
        std::string deck = dir.write(std::to_string(i) + "/deck.k",
                                     std::string("$ standin: run=1\n") + cases[i].deck);
        pids.push_back(start(folder, {"i=" + deck}));
    }
    for (size_t i = 0; i < pids.size(); i++) {
        SCOPED_TRACE(cases[i].name);
        std::string folder = dir.file(std::to_string(i));
        EXPECT_EQ(0, finish(pids[i], 15));
        EndTimeScan scan;
        scan.Open((folder + "/deck.k").c_str());
        while (!scan.Step((size_t)-1)) {
        }
        std::vector<CycleLine> lines = cycle_lines(folder + "/messag");
        ASSERT_FALSE(lines.empty());
        EXPECT_DOUBLE_EQ(scan.Result() == 1 ? scan.Value() : 1.0e-2, lines.back().t);
        D3hspWatch d3hsp;
        d3hsp.Start(folder + "/d3hsp", false);
        bool more;
        EXPECT_TRUE(d3hsp.Check(1 << 20, &more));
        EXPECT_DOUBLE_EQ(lines.back().t, d3hsp.EndTime());
    }
}

// glstat beside the cycle lines when the deck asks for it, its hourglass
// energy grown past the check's limit when a deck comment says so.
TEST(StandinTest, WritesGlstat)
{
    struct Case {
        const char *deck;
        bool glstat, hourglass;
    } cases[] = {
        {"*KEYWORD_ID\nbox\n$ standin: run=1 hourglass=grow\n*DATABASE_GLSTAT\n1.0E-4\n", true,
         true},
        {"$ standin: run=1\n*database_glstat\n1.0E-4\n", true, false},
        {"$ standin: run=1\n", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.deck);
        TempDir dir;
        std::string deck = dir.write("deck.k", c.deck);
        ASSERT_EQ(0, finish(start(dir.path(), {"i=" + deck}), 15));
        std::vector<CycleLine> lines = cycle_lines(dir.file(c.hourglass ? "box.messag" : "messag"));
        EXPECT_TRUE(file_exists(dir.file(c.hourglass ? "box.d3hsp" : "d3hsp")));
        GlstatWatch watch;
        watch.Start(dir.file("glstat"), false);
        bool more;
        ASSERT_EQ(c.glstat, watch.Check(1 << 20, &more));
        if (!c.glstat)
            continue;
        std::vector<GlstatSample> samples = watch.Samples();
        samples.emplace_back();
        ASSERT_TRUE(watch.Current(&samples.back()));
        // A block with each cycle line, and one at the start.
        ASSERT_EQ(lines.size() + 1, samples.size());
        GlstatHealth health;
        for (size_t i = 0; i < samples.size(); i++) {
            EXPECT_DOUBLE_EQ(i ? lines[i - 1].t : 0, samples[i].value[GlstatSample::TIME]);
            health.Add(samples[i]);
        }
        EXPECT_EQ(c.hourglass, health.Tripped(GlstatHealth::HOURGLASS));
        EXPECT_FALSE(health.Tripped(GlstatHealth::ENERGY_RATIO));
    }
}

} // namespace
