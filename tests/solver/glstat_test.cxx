// The glstat reader on the solver's layout, cut anywhere, and the checks of
// a run's energies.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "solver/glstat.h"
#include "support/tempdir.h"

namespace {

using S = GlstatSample;

const char kGlstat[] =
    "\n a run of the solver   date 12/09/2026\n\n"
    " dt of cycle      1 is controlled by shell        17 of part        1\n\n"
    " time.....................   0.00000E+00\n"
    " time step................   1.00000E-06\n"
    " kinetic energy...........   1.00000E+03\n"
    " internal energy..........   0.00000E+00\n"
    " spring and damper energy.   0.00000E+00\n"
    " hourglass energy ........   0.00000E+00\n"
    " sliding interface energy.   0.00000E+00\n"
    " external work............   0.00000E+00\n"
    " total energy.............   1.00000E+03\n"
    " total energy / initial energy..   1.00000E+00\n"
    " energy ratio w/o eroded energy.   1.00000E+00\n"
    " time per zone cycle.(nanosec)          120\n\n"
    " added mass...............   1.20000E-03\n"
    " percentage increase......   1.20000E+00\r\n\n"
    " dt of cycle    500 is controlled by shell        17 of part        1\n\n"
    " time.....................   5.00000E-04\n"
    " TIME STEP................   9.00000E-07\n"
    " internal energy..........   4.00000E+02\n"
    " external work............-2.50000E+01\n"
    " total energy.............   9.75000E+02\n"
    " kinetic energy...........  ******\n"
    " time.....................   1.00000E-03\n"
    "\thourglass energy\t.. 6.0D+01\n";

std::vector<S> read_all(GlstatWatch &w, size_t budget)
{
    std::vector<S> got;
    bool more = true;
    for (int i = 0; more && i < 100000; i++) {
        w.Check(budget, &more);
        if (w.Restarted())
            got.clear();
        got.insert(got.end(), w.Samples().begin(), w.Samples().end());
    }
    return got;
}

bool same(const S &a, const S &b)
{
    for (int q = 0; q < S::QUANTITIES; q++)
        if (a.Has((S::Quantity)q) != b.Has((S::Quantity)q) || a.value[q] != b.value[q])
            return false;
    return a.present == b.present;
}

TEST(GlstatTest, BlocksCutAtEveryByte)
{
    TempDir dir;
    std::string text = kGlstat, path = dir.write("glstat", text);
    GlstatWatch whole;
    whole.Start(path, false);
    std::vector<S> all = read_all(whole, 1 << 20);
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ((1u << S::QUANTITIES) - 1, all[0].present);
    EXPECT_DOUBLE_EQ(1.2, all[0].value[S::MASS_INCREASE]);
    EXPECT_EQ(1u << S::TIME | 1u << S::TIME_STEP | 1u << S::INTERNAL | 1u << S::EXTERNAL_WORK |
                  1u << S::TOTAL,
              all[1].present) << "a value that is no number is absent";
    EXPECT_DOUBLE_EQ(-25, all[1].value[S::EXTERNAL_WORK]);
    S last;
    ASSERT_TRUE(whole.Current(&last));
    EXPECT_DOUBLE_EQ(1e-3, last.value[S::TIME]);
    EXPECT_DOUBLE_EQ(60, last.value[S::HOURGLASS]);

    for (size_t cut = 0; cut <= text.size(); cut++) {
        SCOPED_TRACE(cut);
        dir.write("glstat", text.substr(0, cut));
        GlstatWatch w;
        w.Start(path, false);
        std::vector<S> got = read_all(w, 5);
        FILE *fp = fopen(path.c_str(), "a");
        fputs(text.c_str() + cut, fp);
        fclose(fp);
        std::vector<S> rest = read_all(w, 5);
        got.insert(got.end(), rest.begin(), rest.end());
        ASSERT_EQ(all.size(), got.size());
        for (size_t i = 0; i < all.size(); i++)
            ASSERT_TRUE(same(all[i], got[i])) << i;
    }
}

TEST(GlstatTest, HealthChecks)
{
    // Samples of time, kinetic, internal, hourglass, total, ratio, mass increase.
    struct Sample {
        double t, ke, ie, hg, total, ratio, mass;
    };
    struct Case {
        const char *name;
        std::vector<Sample> samples;
        long hourglass, addedMass, ratio;  // the sample each trips at, or -1
    } cases[] = {
        {"healthy", {{0, 1000, 0, 0, 1000, 1, 0}, {1, 500, 480, 40, 1000, 1.02, 4.9}}, -1, -1, -1},
        {"hourglass and mass",
         {{0, 1000, 0, 0, 1000, 1, 0}, {1, 800, 190, 30, 1000, 1, 2}, {2, 600, 350, 50, 1000, 1, 6},
          {3, 500, 400, 60, 1000, 1, 8}},
         1, 2, -1},
        {"internal energy not yet significant",
         {{0, 1000, 0, 0, 1000, 1, 0}, {1, 990, 10, 5, 1000, 1, 0}}, -1, -1, -1},
        {"energy lost", {{0, 1000, 0, 0, 1000, 1, 0}, {1, 400, 400, 10, 850, 0.85, 0}}, -1, -1, 1},
        {"prescribed motion, no initial energy",
         {{0, 0, 0, 0, 0, 1, 0}, {1, 10, 100, 5, 110, 3000, 0}}, -1, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GlstatHealth h;
        unsigned seen = 0;
        for (const Sample &x : c.samples) {
            S s;
            const double v[] = {x.t, x.ke, x.ie, x.hg, x.total, x.ratio, x.mass};
            const S::Quantity qs[] = {S::TIME, S::KINETIC, S::INTERNAL, S::HOURGLASS,
                                      S::TOTAL, S::ENERGY_RATIO, S::MASS_INCREASE};
            for (int i = 0; i < 7; i++)
                s.Set(qs[i], v[i]);
            unsigned now = h.Add(s);
            EXPECT_EQ(0u, now & seen) << "a kind tripped twice";
            seen |= now;
        }
        EXPECT_EQ(c.hourglass, h.FirstSample(GlstatHealth::HOURGLASS));
        EXPECT_EQ(c.addedMass, h.FirstSample(GlstatHealth::ADDED_MASS));
        EXPECT_EQ(c.ratio, h.FirstSample(GlstatHealth::ENERGY_RATIO));
        if (c.hourglass >= 0) {
            EXPECT_DOUBLE_EQ(c.samples[c.hourglass].t, h.FirstTime(GlstatHealth::HOURGLASS));
        }
    }
}

} // namespace
