// The end time of a deck: its cards, its includes, read whole or in slices.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "solver/end_time.h"
#include "support/tempdir.h"

namespace {

struct Result {
    int code;
    double value;
};

// Every way of reading a deck must come to the same answer: at once, in
// slices of a few bytes, and from lines its reader fed to EndTimeCards.
std::vector<Result> read_three_ways(const std::string &deck, const std::string &text)
{
    std::vector<Result> got;
    for (size_t budget : {(size_t)-1, (size_t)7}) {
        EndTimeScan scan;
        scan.Open(deck.c_str());
        int steps = 0;
        while (!scan.Step(budget) && ++steps < 100000) {
        }
        got.push_back({scan.Result(), scan.Value()});
    }
    EndTimeCards cards;
    size_t from = 0;
    while (from < text.size()) {
        size_t nl = text.find('\n', from);
        size_t to = nl == std::string::npos ? text.size() : nl;
        cards.Feed(text.data() + from, to - from);
        from = to + 1;
    }
    EndTimeScan scan;
    scan.OpenAfter(deck.c_str(), cards);
    while (!scan.Step(1 << 20)) {
    }
    got.push_back({scan.Result(), scan.Value()});
    return got;
}

TEST(EndTimeTest, DecksAndTheirIncludes)
{
    using Files = std::map<std::string, std::string>;
    const std::string ctl = "*KEYWORD\n*CONTROL_TERMINATION\n0.04\n*END\n";
    const std::string none = "*KEYWORD\n*NODE\n       1     0.0     0.0     0.0\n*END\n";
    const std::string term = "*CONTROL_TERMINATION\n     &tend\n";
    struct Case {
        const char *name;
        std::string deck;  // "@" stands for the folder of the deck
        Files includes;
        int code;
        double value;
    } cases[] = {
        {"fixed format", "*KEYWORD\n*CONTROL_TERMINATION\n$    endtim\n    0.0080\n*END\n", {}, 1,
         0.008},
        {"the first ten columns", "*CONTROL_TERMINATION\n    0.0200         0    0.0000\n", {}, 1,
         0.02},
        {"a number past column ten", "*CONTROL_TERMINATION\n        0.0123\n", {}, 0, 0},
        {"free format", "*CONTROL_TERMINATION\n 1.5e-2 , 3,,\n", {}, 1, 0.015},
        {"free format, long field", "*CONTROL_TERMINATION\n0.000000000125,0\n", {}, 1, 1.25e-10},
        {"keywords in any case", "*control_Termination  \n0.03\n", {}, 1, 0.03},
        {"CR LF and control characters", "*CONTROL_TERMINATION\r\n  \x01  0.0040\r\n", {}, 1, 0.004},
        {"blank field", "*CONTROL_TERMINATION\n          \n", {}, 0, 0},
        {"no card before the next keyword", "*CONTROL_TERMINATION\n*NODE\n 0.5\n", {}, 0, 0},
        {"keyword at the end", "*CONTROL_TERMINATION", {}, 0, 0},
        {"no definition", none, {}, 0, 0},
        {"the last definition wins",
         "*CONTROL_TERMINATION\n0.01\n*NODE\n*CONTROL_TERMINATION\n$\n0.02\n", {}, 1, 0.02},
        {"a title card first", "*CONTROL_TERMINATION_TITLE\n0.9 a title\n0.07\n", {}, 1, 0.07},
        {"another keyword", "*CONTROL_TERMINATION_X\n0.07\n*CONTROL_TERMINATIONS\n0.08\n", {}, 0,
         0},
        {"nothing after *END", "*CONTROL_TERMINATION\n0.01\n*END\n*CONTROL_TERMINATION\n0.02\n",
         {}, 1, 0.01},
        {"no number", "*CONTROL_TERMINATION\n0.0l\n", {}, -1, 0},
        {"a later number mends it", "*CONTROL_TERMINATION\nabc\n*CONTROL_TERMINATION\n5.\n", {}, 1,
         5},
        {"not positive", "*CONTROL_TERMINATION\n-1.0\n", {}, 0, 0},
        {"last line without newline", "*CONTROL_TERMINATION\n0.09", {}, 1, 0.09},
        {"an include defines it", "*INCLUDE\n  ctl.k  \n", {{"ctl.k", ctl}}, 1, 0.04},
        {"the deck after its include", "*INCLUDE\nctl.k\n*CONTROL_TERMINATION\n0.01\n",
         {{"ctl.k", ctl}}, 1, 0.01},
        {"an include after the deck", "*CONTROL_TERMINATION\n0.01\n*INCLUDE\nctl.k\n",
         {{"ctl.k", ctl}}, 1, 0.04},
        {"an include without one", "*CONTROL_TERMINATION\n0.01\n*INCLUDE\nmesh.k\n",
         {{"mesh.k", none}}, 1, 0.01},
        {"several names, the last defines", "*INCLUDE\na.k\n$ b next\nb.k\n",
         {{"a.k", "*CONTROL_TERMINATION\n0.1\n"}, {"b.k", "*CONTROL_TERMINATION\n0.2\n"}}, 1, 0.2},
        {"several names, the first defines", "*INCLUDE\na.k\n*INCLUDE\nb.k\n",
         {{"a.k", "*CONTROL_TERMINATION\n0.1\n"}, {"b.k", none}}, 1, 0.1},
        {"three levels, names from the deck's folder", "*INCLUDE\nsub/l1.k\n",
         {{"sub/l1.k", "*INCLUDE\nsub/l2.k\n"},
          {"sub/l2.k", "*CONTROL_TERMINATION\n0.2\n*INCLUDE\nl3.k\n"},
          {"l3.k", "*CONTROL_TERMINATION\n0.33\n"}},
         1, 0.33},
        {"four levels", "*INCLUDE\nl1.k\n",
         {{"l1.k", "*INCLUDE\nl2.k\n"}, {"l2.k", "*INCLUDE\nl3.k\n"}, {"l3.k", "*INCLUDE\nl4.k\n"},
          {"l4.k", ctl}},
         -1, 0},
        {"an absolute name", "*INCLUDE\n@/sub/ctl.k\n", {{"sub/ctl.k", ctl}}, 1, 0.04},
        {"an include of itself", "*INCLUDE\ndeck.k\n", {}, -1, 0},
        {"includes in a circle", "*INCLUDE\na.k\n",
         {{"a.k", "*INCLUDE\nb.k\n"}, {"b.k", "*INCLUDE\na.k\n"}}, -1, 0},
        {"a missing include", "*CONTROL_TERMINATION\n0.01\n*INCLUDE\nmissing.k\n", {}, -1, 0},
        {"a missing include before the definition", "*INCLUDE\nmissing.k\n*CONTROL_TERMINATION\n1\n",
         {}, 1, 1},
        {"an include that is a folder", "*INCLUDE\nsub\n", {{"sub/x", ""}}, -1, 0},
        {"a read error", "*INCLUDE\n/proc/self/mem\n", {}, -1, 0},
        {"an include name cut by the line limit", "*INCLUDE\n" + std::string(300, 'a') + "\n", {},
         -1, 0},
        // Parameters.
        {"fixed format",
         "*PARAMETER\n$ pairs\nI    ncyc         10R    tend       0.24\n" + term, {}, 1, 0.24},
        {"free format, names in any column", "*parameter\n i n, 3,r  tend ,2.5e-1\n" + term, {}, 1,
         0.25},
        {"defined in an include", "*INCLUDE\npar.k\n" + term,
         {{"par.k", "*PARAMETER\nRtend,0.3\n"}}, 1, 0.3},
        {"the last definition wins", "*PARAMETER\nRtend,1\n*INCLUDE\npar.k\n" + term,
         {{"par.k", "*PARAMETER\nRtend,0.3\n*END\n*PARAMETER\nRtend,0.5\n"}}, 1, 0.3},
        {"or the first, as asked",
         "*PARAMETER_DUPLICATION\n         1\n*PARAMETER\nRtend,1\n" + term +
             "*PARAMETER\nRtend,2\n",
         {}, 1, 1},
        {"an expression", "*PARAMETER\nRt0,0.1\nIn,3\n*PARAMETER_EXPRESSION\n"
         "R tend    &t0*n + max(t0, 0.05) / 2\n" + term, {}, 1, 0.35},
        {"expressions on expressions, free",
         "*PARAMETER_EXPRESSION\nRa,2^3\nRtend, sqrt(a*2)/10\n" + term, {}, 1, 0.4},
        {"an expression before its name's definition", "*PARAMETER_EXPRESSION\nRtend,t0*2\n"
         "*PARAMETER\nRt0,0.1\n" + term, {}, -1, 0},
        {"an expression muParser cannot evaluate", "*PARAMETER_EXPRESSION\nRtend,2**2\n" + term, {},
         -1, 0},
        {"an integer that is none", "*PARAMETER_EXPRESSION\nItend,7/2\n" + term, {}, -1, 0},
        {"an unknown name", "*PARAMETER\nRtime,0.2\n" + term, {}, -1, 0},
        {"a text", "*PARAMETER\nCtend,0.2\n" + term, {}, -1, 0},
        {"a local one", "*PARAMETER\nRtend,1\n*PARAMETER_LOCAL\nRtend,2\n" + term, {}, -1, 0},
        {"a lost file may define it", "*PARAMETER\nRtend,1\n*INCLUDE\nmissing.k\n" + term, {}, -1,
         0},
        {"unless defined after it", "*INCLUDE\nmissing.k\n*PARAMETER\nRtend,1\n" + term, {}, 1, 1},
        {"a name in a skipped include",
         "*INCLUDE\npar.k\n*CONTROL_TERMINATION\n1\n*INCLUDE\nctl.k\n",
         {{"par.k", "*PARAMETER\nRtend,0.7\n"}, {"ctl.k", term}}, 1, 0.7},
        // Folders of includes.
        {"found in an include path", "*INCLUDE_PATH_RELATIVE\nsub\n*INCLUDE\nctl.k\n",
         {{"sub/ctl.k", ctl}}, 1, 0.04},
        {"the deck's folder first", "*INCLUDE_PATH\n@/sub/\n*INCLUDE\nctl.k\n",
         {{"sub/ctl.k", ctl}, {"ctl.k", "*CONTROL_TERMINATION\n0.5\n"}}, 1, 0.5},
        {"an include path from a skipped include",
         "*INCLUDE\npaths.k\n*CONTROL_TERMINATION\n1\n*INCLUDE\nctl.k\n",
         {{"paths.k", "*INCLUDE_PATH\nsub\n"}, {"sub/ctl.k", ctl}}, 1, 0.04},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.mkdir("sub");
        for (const auto &f : c.includes)
            dir.write(f.first, f.second);
        std::string text = c.deck;
        for (size_t at; (at = text.find('@')) != std::string::npos;)
            text.replace(at, 1, dir.path());
        std::string deck = dir.write("deck.k", text);
        for (const Result &r : read_three_ways(deck, text)) {
            EXPECT_EQ(c.code, r.code);
            EXPECT_DOUBLE_EQ(c.value, r.value);
        }
    }
}

TEST(EndTimeTest, UnreadableDeck)
{
    EndTimeScan scan;
    EXPECT_FALSE(scan.Open("/nonexistent/deck.k"));
    EXPECT_TRUE(scan.Step(100));
    EXPECT_EQ(-1, scan.Result());
}

} // namespace
