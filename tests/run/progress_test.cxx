// A running job's progress and time left from its cycle lines, and the
// status texts made of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/progress.h"

namespace {

struct Line {
    double wall;  // when it was read
    double t;
    long long stamp = -1;
    double dt = 1e-6;
};

JobProgress fed(const std::vector<Line> &lines)
{
    JobProgress p;
    long long cycle = 0;
    for (const Line &l : lines)
        p.Add(l.wall, CycleLine{++cycle, l.t, l.dt, l.stamp});
    return p;
}

TEST(ProgressTest, TimeLeft)
{
    struct Case {
        const char *name;
        std::vector<Line> lines;
        double end;
        double left;  // -1: not yet
    } cases[] = {
        {"one line", {{5, 0.001}}, 0.01, -1},
        {"two checks", {{5, 0.001}, {10, 0.002}}, 0.01, 40},
        {"too close together", {{5, 0.001}, {7, 0.002}}, 0.01, -1},
        {"lines read at one check", {{5, 0.001}, {5, 0.002}, {5, 0.003}, {10, 0.004}}, 0.01, 30},
        // The last minute's pace, not the whole run's.
        {"slowed down", {{0, 0}, {10, 0.005}, {70, 0.006}, {80, 0.0065}}, 0.01, 70},
        {"standing still", {{0, 0.001}, {10, 0.001}}, 0.01, -1},
        {"no end time", {{5, 0.001}, {10, 0.002}}, 0, -1},
        {"at the end", {{5, 0.001}, {10, 0.01}}, 0.01, 0},
        // The lines' own clock tells the pace before a second check does.
        {"stamped lines", {{5, 0.000, 100}, {5, 0.002, 102}, {5, 0.004, 104}}, 0.01, 6},
        {"run begun anew", {{5, 0.004}, {10, 0.005}, {15, 0.001}}, 0.01, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(c.left, fed(c.lines).SecondsLeft(c.end), 1e-9);
    }
}

TEST(ProgressTest, CollapsingTimeStep)
{
    struct Case {
        double first, dt;
        bool collapsed;
    } cases[] = {{1.5e-6, 1.5e-6, false}, {1.5e-6, 1.5e-7, false}, {1.5e-6, 1.49e-7, true},
                 {1.5e-6, 1.2e-9, true},
                 // The solver stops with dt 0 (a sense switch, an implicit run's end).
                 {1.5e-6, 0, false}, {0, 1e-9, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dt);
        JobProgress p = fed({{5, 0.001, -1, c.first}, {10, 0.002, -1, c.dt}});
        EXPECT_EQ(c.collapsed, p.StepCollapsed());
        EXPECT_EQ(c.first > 0 ? c.first : c.dt, p.FirstDt());
    }
    // A run begun anew has a first step of its own.
    JobProgress p = fed({{5, 0.002, -1, 1.5e-6}, {10, 0.001, -1, 1e-9}});
    EXPECT_FALSE(p.StepCollapsed());
}

TEST(ProgressTest, Texts)
{
    struct Case {
        std::vector<Line> lines;
        double end;
        const char *text;
    } cases[] = {
        {{{0, 0.001}, {100, 0.0092}, {160, 0.012}}, 0.02,
         "plate.k: t = 1.20E-02 of 2.00E-02 (60 %), about 3 min left"},
        {{{0, 0.012}}, 0.02, "plate.k: t = 1.20E-02 of 2.00E-02 (60 %)"},
        {{{0, 0.006}, {60, 0.012}}, 0, "plate.k: t = 1.20E-02"},
        {{{0, 0.019}, {60, 0.021}}, 0.02, "plate.k: t = 2.10E-02 of 2.00E-02 (100 %)"},
        {{{0, 0.001, -1, 1.5e-6}, {60, 0.0012, -1, 1.2e-9}}, 0.02,
         "plate.k: time step 1.2E-09, was 1.5E-06 at the start"},
        {{}, 0.02, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.text, ProgressLine("plate.k", fed(c.lines), c.end));
    }

    struct Left {
        double seconds;
        const char *text;
    } lefts[] = {
        {3, "a few seconds left"},   {42, "about 40 s left"},        {58, "about 1 min left"},
        {180, "about 3 min left"},   {3569, "about 59 min left"},    {3580, "about 1 h left"},
        {7800, "about 2 h 10 min left"}, {47 * 3600, "about 47 h left"}, {3 * 86400, "about 3 days left"},
    };
    for (const Left &l : lefts)
        EXPECT_EQ(l.text, TimeLeftText(l.seconds)) << l.seconds;

    struct Counts {
        int done, running, queued;
        const char *text;
    } counts[] = {
        {2, 1, 2, "2 jobs done, 1 running, 2 queued"},
        {1, 0, 0, "1 job done"},
        {0, 1, 2, "1 job running, 2 queued"},
        {0, 0, 3, "3 jobs queued"},
        {0, 0, 0, ""},
    };
    for (const Counts &c : counts)
        EXPECT_EQ(c.text, JobCountsLine(c.done, c.running, c.queued));

    EXPECT_EQ("2 jobs done, 3 running on 24 cores, 2 queued", JobCoresLine(2, 3, 2, 24));
    EXPECT_EQ("; 4 x 8 cores, more than the machine's 16", CoresWarning(4, 8, 16));
    EXPECT_EQ("", CoresWarning(64, 4096, 0)) << "on a cluster";
}

} // namespace
