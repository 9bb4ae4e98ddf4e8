// The plot window of a job: one per job, non-modal, following its owner's
// data; Save as PNG on a real X server; the tick labels.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <png.h>

#include <filesystem>
#include <string>
#include <vector>

#include "runner/gui_plot.h"
#include "support/gui.h"
#include "support/readonly.h"
#include "support/tempdir.h"

namespace {

bool same(const std::vector<PlotPoint> &a, const std::vector<PlotPoint> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i].t != b[i].t || a[i].value != b[i].value)
            return false;
    return true;
}

void expect_holds(const PlotData &want, const PlotData &got)
{
    EXPECT_TRUE(same(want.dt, got.dt));
    EXPECT_TRUE(same(want.addedMass, got.addedMass));
    ASSERT_EQ(want.energies.size(), got.energies.size());
    for (size_t i = 0; i < want.energies.size(); i++) {
        EXPECT_EQ(want.energies[i].name, got.energies[i].name);
        EXPECT_TRUE(same(want.energies[i].points, got.energies[i].points)) << i;
    }
    EXPECT_EQ(want.endTime, got.endTime);
    ASSERT_EQ(want.marks.size(), got.marks.size());
}

PlotData job(const std::string &title, const std::string &folder, size_t samples)
{
    PlotData d;
    d.title = title;
    d.folder = folder;
    d.endTime = 0.02;
    for (size_t i = 0; i < samples; i++)
        d.dt.push_back(PlotPoint{0.01 * (double)i / (double)samples, 1e-6});
    return d;
}

TEST(PlotWindow, OneNonModalWindowPerJobFollowsItsOwnersData)
{
    TempDir dir;
    PlotWindows plots;
    PlotData data = job("plate.k", dir.path(), 3);
    guiPlotWnd *w = plots.Show(7, data);
    ASSERT_TRUE(gui::wait_drawn(w));
    EXPECT_STREQ("Plots: plate.k", w->label());
    EXPECT_FALSE(w->modal());
    EXPECT_EQ(w, plots.Find(7));
    EXPECT_EQ(nullptr, plots.Find(8));

    struct Change {
        const char *what;
        void (*apply)(PlotData *);
    } changes[] = {
        {"points appended", [](PlotData *d) { d->dt.push_back(PlotPoint{0.011, 9e-7}); }},
        {"energies appear",
         [](PlotData *d) {
             d->energies = {{"kinetic", {{0, 5}, {0.01, 4}}}, {"internal", {{0, 0}}}};
         }},
        {"energy points and a mark",
         [](PlotData *d) {
             d->energies[1].points.push_back(PlotPoint{0.01, 1});
             d->addedMass.push_back(PlotPoint{0.01, 1e-4});
             d->marks.push_back(PlotMark{0.01, "hourglass"});
         }},
        {"the run began anew", [](PlotData *d) { d->dt.resize(1); d->endTime = 0.03; }},
    };
    for (const Change &c : changes) {
        SCOPED_TRACE(c.what);
        c.apply(&data);
        plots.Update(7, data);
        gui::settle();
        expect_holds(data, w->View()->Data());
    }

    EXPECT_EQ(w, plots.Show(7, data));
    guiPlotWnd *other = plots.Show(8, job("beam.k", dir.path(), 1));
    EXPECT_NE(w, other);
    EXPECT_STREQ("Plots: beam.k", other->label());

    // Closed, the window stays the job's and takes its data whole when shown.
    w->do_callback();
    EXPECT_FALSE(w->shown());
    data.dt.push_back(PlotPoint{0.012, 8e-7});
    plots.Update(7, data);
    EXPECT_EQ(w, plots.Show(7, data));
    EXPECT_TRUE(w->shown());
    expect_holds(data, w->View()->Data());
    plots.Forget(7);
    EXPECT_EQ(nullptr, plots.Find(7));
    EXPECT_EQ(other, plots.Find(8));
}

// The file's pixels, RGB; empty when libpng cannot read it.
std::vector<unsigned char> read_png(const std::string &path, png_image *image)
{
    *image = png_image{};
    image->version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(image, path.c_str()))
        return {};
    image->format = PNG_FORMAT_RGB;
    std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(*image));
    if (!png_image_finish_read(image, nullptr, pixels.data(), 0, nullptr))
        return {};
    return pixels;
}

TEST(PlotWindow, SaveAsPngWritesThePlotOrSaysWhyNot)
{
    for (bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "writable folder" : "read-only folder");
        TempDir dir;
        // A single-cycle dip among 100,000 time steps must still be drawn.
        PlotData data = job("plate.k", dir.path(), 100000);
        data.dt[33333].value = 1e-7;
        guiPlotWnd w(data);
        w.show();
        ASSERT_TRUE(gui::wait_drawn(&w));
        std::string path = dir.path() + "/plate-plots.png";
        ASSERT_EQ(path, w.PngPath());
        if (!writable && !make_unwritable(dir.path()))
            GTEST_SKIP() << "this user can write into a read-only folder";

        gui::find_button("&Save as PNG", &w)->do_callback();
        make_writable(dir.path());
        std::vector<std::string> left;
        for (const auto &e : std::filesystem::directory_iterator(dir.path()))
            left.push_back(e.path().string());
        if (!writable) {
            // EACCES, or EPERM for root in a folder made immutable.
            EXPECT_EQ(0u, std::string(w.SaveStatus()).find("Cannot write " + path + ": "));
            EXPECT_TRUE(left.empty()) << left.front();
            continue;
        }
        EXPECT_EQ("Saved " + path, w.SaveStatus());
        ASSERT_EQ(std::vector<std::string>{path}, left);
        png_image image;
        std::vector<unsigned char> px = read_png(path, &image);
        ASSERT_FALSE(px.empty()) << image.message;
        EXPECT_EQ(w.View()->w(), (int)image.width);
        EXPECT_EQ(w.View()->h(), (int)image.height);
        // The dip is the one column with a tall run of the curve's colour.
        uchar r, g, b;
        Fl::get_color(PlotView::CurveColour(0, 0), r, g, b);
        int tallest = 0, white = 0;
        for (unsigned x = 0; x < image.width; x++) {
            int run = 0;
            for (unsigned y = 0; y < image.height; y++) {
                const unsigned char *p = &px[3 * (y * image.width + x)];
                run += p[0] == r && p[1] == g && p[2] == b;
                white += p[0] == 255 && p[1] == 255 && p[2] == 255;
            }
            tallest = std::max(tallest, run);
        }
        EXPECT_GT(tallest, 60);
        EXPECT_GT(white, (int)(image.width * image.height / 2));
    }
}

TEST(PlotTicks, EngineeringNotation)
{
    struct Case {
        double value, step, largest;
        const char *text;
    } cases[] = {
        {0, 0.005, 0.02, "0"},         {0.015, 0.005, 0.02, "15E-3"},
        {1.5e-6, 0.5e-6, 1.5e-6, "1.5E-6"}, {1000, 200, 1200, "1.0E3"},
        {4000, 1000, 6000, "4E3"},     {-2, 1, 3, "-2"},
        {2e-19, 0.005, 0.02, "0"},     {0.25, 0.05, 0.3, "250E-3"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.text, PlotView_TickText(c.value, c.step, c.largest)) << c.value;
}

} // namespace
