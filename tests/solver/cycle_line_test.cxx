// Cycle lines of the message file, and what only looks like one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "foundation/comfunction.h"
#include "solver/cycle_line.h"

namespace {

const char kDated[] =
    "   19862 t 3.0000E-02 dt 1.51E-06 write d3plot file          11/18/15 08:24:40";

TEST(CycleLineTest, ReadsCycleLinesAndNothingElse)
{
    // 11/18/15 08:24:40 is 5800 days and 30280 s after 1 January 2000.
    const long long stamp = 5800LL * 86400 + 30280;
    struct Case {
        const char *line;
        bool ok;
        long long cycle = 0;
        double t = 0, dt = 0;
        long long stamp = -1;
    } cases[] = {
        {kDated, true, 19862, 3.0e-2, 1.51e-6, stamp},
        {"       1 t 0.0000E+00 dt 2.39E-07 flush i/o buffers", true, 1, 0, 2.39e-7, -1},
        {"  401234 t 1.2000E-02 dt 1.00E-06 write d3dump01 file  01/02/26 23:59:59", true,
         401234, 1.2e-2, 1e-6, 9498LL * 86400 + 86399},
        {"\t5 t 1.5 dt 2.5D-3 flush i/o buffers", true, 5, 1.5, 2.5e-3, -1},
        {"5 t 1.5e1 dt .25 flush", true, 5, 15, 0.25, -1},
        // An impossible date is no clock, the line still a cycle line.
        {"5 t 1.0 dt 1.0 flush 13/40/15 08:24:40", true, 5, 1, 1, -1},
        // Lines that only look alike.
        {"      cycle 1000   time 1.0000E-03   dt 1.0000E-06", false},
        {"   19862 t 3.0000E-02 dt 1.51E-06", false},  // no event
        {"   19862 time 3.0000E-02 dt 1.51E-06 flush", false},
        {"   19862 t 3.0000E-02 dtx 1.51E-06 flush", false},
        {"   19862 t 3,0000E-02 dt 1.51E-06 flush", false},  // a locale's comma
        {"   19862 t 3.0000E-02dt 1.51E-06 flush", false},
        {"   19862t 3.0000E-02 dt 1.51E-06 flush", false},
        {"   19862 t 3.0E+999 dt 1.51E-06 flush", false},    // not finite
        {"   19862 t 3.0E-0002 dt 1.51E-06 flush", false},   // four exponent digits
        {"   19862 t 0x1p3 dt 1.51E-06 flush", false},
        {"   19862 t nan dt 1.51E-06 flush", false},
        {"   19862 t E-02 dt 1.51E-06 flush", false},
        {"   1234567890123456789 t 1.0 dt 1.0 flush", false},  // cycle beyond 18 digits
        {"  ********* t 1.0 dt 1.0 flush", false},
        {" *** Error 10246 (KEY+246)", false},
        {" N o r m a l    t e r m i n a t i o n", false},
        {"", false},
        {"   ", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        // As the file holds it: a CR LF ending and a control character,
        // gone once the line reader hands the line over.
        std::string text = std::string("\x01") + c.line + "\r\n";
        FILE *fp = fmemopen(&text[0], text.size(), "r");
        ASSERT_NE(nullptr, fp);
        char line[READ_LINE_MAX + 1];
        ASSERT_EQ(1, read_line(fp, line));
        fclose(fp);
        CycleLine got = {-7, -7, -7, -7};
        ASSERT_EQ(c.ok, ParseCycleLine(line, &got));
        if (!c.ok) {
            EXPECT_EQ(-7, got.cycle) << "a rejected line wrote its result";
            continue;
        }
        EXPECT_EQ(c.cycle, got.cycle);
        EXPECT_DOUBLE_EQ(c.t, got.t);
        EXPECT_DOUBLE_EQ(c.dt, got.dt);
        EXPECT_EQ(c.stamp, got.stamp);
    }
}

// Cut anywhere, a cycle line is no cycle line or says what the whole says.
TEST(CycleLineTest, CutLinesNeverReadAsOtherNumbers)
{
    const char *lines[] = {kDated, "  99 t 1.2345678E-03 dt 9.87E-07 write d3dump02 file"};
    for (const char *whole : lines) {
        CycleLine full;
        ASSERT_TRUE(ParseCycleLine(whole, &full));
        std::string s = whole;
        for (size_t n = 0; n < s.size(); n++) {
            SCOPED_TRACE(s.substr(0, n));
            CycleLine got;
            if (!ParseCycleLine(s.substr(0, n).c_str(), &got))
                continue;
            EXPECT_EQ(full.cycle, got.cycle);
            EXPECT_EQ(full.t, got.t);
            EXPECT_EQ(full.dt, got.dt);
            EXPECT_TRUE(got.stamp == full.stamp || got.stamp == -1);
        }
    }
}

// Every digit counts and is rounded once, to the double strtod gives.
TEST(CycleLineTest, NumbersReadAsTheCLibraryReadsThem)
{
    struct Case {
        const char *text;
        int length;  // read, or -1 for no number
    } cases[] = {
        {"123456789012345678901", 21}, {"81E-324", 7},       {"-2E-324", 7},
        {"1.7976931348623158E308", 22}, {"1.7976931348623159E308", -1},
        {"0.12345678901234567D+05 x", 23}, {"+.5e-3,", 6},   {"5.E3", 4},
        {"0.0E+999", 8},               {"1.0E1000", -1},     {"1.0E", -1},
        {"-.", -1},                    {" 1.0", -1},         {"inf", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        double got = -7;
        const char *end = ScanReal(c.text, c.text + strlen(c.text), &got);
        ASSERT_EQ(c.length, end ? (int)(end - c.text) : -1);
        if (!end)
            continue;
        std::string text(c.text, (size_t)c.length);
        for (char &ch : text)
            ch = ch == 'D' ? 'E' : ch;
        double want = strtod(text.c_str(), nullptr);
        EXPECT_EQ(0, memcmp(&want, &got, sizeof got)) << want << " read as " << got;
    }
    // Numbers of 17 significant digits, as a double is printed in full.
    std::mt19937_64 rng(32);
    for (int i = 0; i < 20000; i++) {
        char text[40];
        double v = std::ldexp((double)(rng() >> 11), (int)(rng() % 400) - 250);
        snprintf(text, sizeof text, "%.16E", v);
        double got = 0, want = strtod(text, nullptr);
        ASSERT_TRUE(ScanReal(text, text + strlen(text), &got)) << text;
        ASSERT_EQ(0, memcmp(&want, &got, sizeof got)) << text;
    }
}

} // namespace
