// The end time the solver echoes into its d3hsp file, and the file's name.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "solver/d3hsp.h"
#include "support/tempdir.h"

namespace {

TEST(D3hspTest, TerminationTimeLinesAndNames)
{
    struct Case {
        const char *line;
        double value;  // 0: not the line
    } cases[] = {
        {"    termination time...............................    0.2400E+03", 240},
        {" termination time.  1.5D-2  ", 0.015},
        {"\tTERMINATION TIME ....... 2.0e-01", 0.2},
        {"termination time..............-1.0000E+00", 0},
        {"termination time..............0.0000E+00", 0},
        {"termination time      0.24", 0},  // no dots
        {"termination time step.........  1.0E-06", 0},
        {"termination time.............. 0.24 s", 0},
        {"termination time..............", 0},
        {"dynamic relaxation termination time... 0.1", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        double got = -7;
        EXPECT_EQ(c.value > 0, ParseTerminationTime(c.line, &got));
        EXPECT_DOUBLE_EQ(c.value > 0 ? c.value : -7, got);
    }
    struct Name {
        const char *messag, *d3hsp;
    } names[] = {{"/job/messag", "/job/d3hsp"}, {"/job/abc.messag", "/job/abc.d3hsp"},
                 {"messag", "d3hsp"},           {"a.b.messag", "a.b.d3hsp"},
                 {"/job/.messag", "/job/d3hsp"}, {"/job/other", "/job/d3hsp"}};
    for (const Name &n : names)
        EXPECT_EQ(n.d3hsp, D3hspPathFor(n.messag)) << n.messag;
}

// Only a line this run wrote counts; a file written anew is read anew.
TEST(D3hspTest, FollowsTheJobsFile)
{
    const std::string line = "    termination time..........    0.2400E+03\n";
    TempDir dir;
    std::string path = dir.write("d3hsp", " an earlier run\n" + line);
    D3hspWatch watch;
    watch.Start(path, true);
    struct Step {
        const char *what;
        std::string text;  // written (appended when it starts with "+")
        bool replace;      // as a new file
        double known;      // 0: not known
    } steps[] = {
        {"the earlier run's file", "+", false, 0},
        {"rewritten by the new run", " the new run\n", false, 0},
        {"its line cut", "+" + line.substr(0, 20), false, 0},
        {"its line whole", "+" + line.substr(20) + " more\n", false, 240},
        {"replaced without one", " another run\n", true, 0},
        {"and with one", "+ termination time...  1.0E-2\n", false, 0.01},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        if (s.replace)
            unlink(path.c_str());
        bool append = s.text[0] == '+';
        FILE *fp = fopen(path.c_str(), append ? "a" : "w");
        ASSERT_NE(nullptr, fp);
        fputs(s.text.c_str() + append, fp);
        fclose(fp);
        bool more = true;
        for (int i = 0; more && i < 1000; i++)
            watch.Check(7, &more);
        EXPECT_EQ(s.known > 0, watch.Known());
        EXPECT_DOUBLE_EQ(s.known, watch.EndTime());
    }
}

} // namespace
