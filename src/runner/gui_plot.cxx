#include "runner/gui_plot.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/Fl_Device.H>
#include <png.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "dialogs/plain_label.h"

namespace {

enum { WND_W = 760, WND_H = 540, BAR_H = 40, ERROR_SIZE = 160 };

struct PngError {
    char text[ERROR_SIZE];
    int err;  // the system's word for a failed write, which says more
};

void png_failed(png_structp png, png_const_charp message)
{
    PngError *e = static_cast<PngError *>(png_get_error_ptr(png));
    e->err = errno;
    snprintf(e->text, sizeof e->text, "%s", message);
    png_longjmp(png, 1);
}

void png_warned(png_structp, png_const_charp)
{
}

// libpng leaves by longjmp on an error, so this holds no object that needs
// its destructor run.
bool encode(FILE *fp, const unsigned char *pixels, int w, int h, int depth, int stride,
            PngError *error)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, png_failed,
                                              png_warned);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8,
                 depth == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < h; row++)
        png_write_row(png, pixels + (size_t)row * (size_t)stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

int fail(std::string *why, const std::string &text)
{
    if (why)
        *why = text;
    return 0;
}

} // namespace

int WritePng(const std::string &path, const unsigned char *pixels, int w, int h, int depth,
             int stride, std::string *why)
{
    if (!pixels || w <= 0 || h <= 0 || (depth != 3 && depth != 4) || stride < w * depth)
        return fail(why, "Cannot write " + path + ": there is no picture");
    std::vector<char> tmp(path.begin(), path.end());
    const char suffix[] = ".XXXXXX";
    tmp.insert(tmp.end(), suffix, suffix + sizeof suffix);
    // mkstemp makes a new file and never follows a link; the rename then
    // replaces the name itself.
    int fd = mkstemp(tmp.data());
    if (fd < 0)
        return fail(why, "Cannot write " + path + ": " + strerror(errno));
    mode_t mask = umask(0);
    umask(mask);
    FILE *fp = fchmod(fd, 0666 & ~mask) == 0 ? fdopen(fd, "wb") : nullptr;
    if (!fp) {
        int err = errno;
        close(fd);
        unlink(tmp.data());
        return fail(why, "Cannot write " + path + ": " + strerror(err));
    }
    PngError error = {"", 0};
    errno = 0;
    bool ok = encode(fp, pixels, w, h, depth, stride, &error);
    int err = error.err;
    if (ok && (fflush(fp) != 0 || fsync(fileno(fp)) != 0)) {
        err = errno;
        ok = false;
    }
    if (fclose(fp) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok && rename(tmp.data(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        unlink(tmp.data());
        const char *reason = err ? strerror(err) : error.text[0] ? error.text : "write error";
        return fail(why, "Cannot write " + path + ": " + reason);
    }
    return 1;
}

guiPlotWnd::guiPlotWnd(const PlotData &data) : Fl_Double_Window(WND_W, WND_H)
{
    m_view = new PlotView(0, 0, WND_W, WND_H - BAR_H);
    m_save = new Fl_Button(8, WND_H - BAR_H + 8, 110, 24, "&Save as PNG");
    m_save->labelsize(12);
    m_save->callback(save_cb, this);
    m_status = new Fl_Box(126, WND_H - BAR_H + 8, WND_W - 134, 24);
    m_status->labelsize(12);
    m_status->labeltype(PlainLabel_Type());
    m_status->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    // The plot and the status line take what the window gains; the button
    // keeps its size and its corner.
    Fl_Box *stretch = new Fl_Box(126, 0, WND_W - 134, WND_H - BAR_H);
    resizable(stretch);
    end();
    size_range(400, 300);
    callback(close_cb, this);
    xclass("Wendle");
    SetData(data);
}

void guiPlotWnd::setTitle(const std::string &title)
{
    if (title == m_title && label())
        return;
    m_title = title;
    copy_label(("Plots: " + title).c_str());
}

void guiPlotWnd::SetData(const PlotData &data)
{
    setTitle(data.title);
    m_view->SetData(data);
}

void guiPlotWnd::Update(const PlotData &data)
{
    setTitle(data.title);
    m_view->Update(data);
}

const char *guiPlotWnd::SaveStatus() const
{
    return m_status->label() ? m_status->label() : "";
}

void guiPlotWnd::tell(const std::string &text)
{
    m_status->copy_label(text.c_str());
    m_status->redraw();
}

std::string guiPlotWnd::PngPath() const
{
    const std::string &folder = m_view->Data().folder;
    if (folder.empty())
        return "";
    // Only the name's last part: the file stays in the job's folder.
    std::string stem = m_title.substr(m_title.rfind('/') + 1);
    size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0)
        stem.erase(dot);
    if (stem.empty())
        stem = "job";
    return folder + (folder.back() == '/' ? "" : "/") + stem + "-plots.png";
}

int guiPlotWnd::SavePng(const std::string &path, std::string *why)
{
    int w = m_view->w(), h = m_view->h();
    Fl_RGB_Image *image;
    {
        Fl_Image_Surface surface(w, h);
        surface.set_current();
        surface.draw(m_view, 0, 0);
        image = surface.image();
    }
    Fl_Display_Device::display_device()->set_current();
    if (!image)
        return fail(why, "Cannot write " + path + ": the plot could not be drawn");
    const unsigned char *pixels = reinterpret_cast<const unsigned char *>(image->data()[0]);
    int stride = image->ld() ? image->ld() : image->w() * image->d();
    int ok = WritePng(path, pixels, image->w(), image->h(), image->d(), stride, why);
    delete image;
    return ok;
}

void guiPlotWnd::save_cb(Fl_Widget *, void *data)
{
    static_cast<guiPlotWnd *>(data)->real_save_cb();
}

void guiPlotWnd::close_cb(Fl_Widget *, void *data)
{
    static_cast<guiPlotWnd *>(data)->hide();
}

void guiPlotWnd::real_save_cb()
{
    std::string path = PngPath();
    if (path.empty()) {
        tell("Not saved: the job has no folder");
        return;
    }
    std::string why;
    if (SavePng(path, &why))
        tell("Saved " + path);
    else
        tell(why);
}

PlotWindows::PlotWindows() = default;

PlotWindows::~PlotWindows() = default;

guiPlotWnd *PlotWindows::Find(int job) const
{
    for (const Entry &e : m_windows)
        if (e.job == job)
            return e.window.get();
    return nullptr;
}

guiPlotWnd *PlotWindows::Show(int job, const PlotData &data)
{
    guiPlotWnd *w = Find(job);
    if (!w) {
        m_windows.push_back(Entry{job, std::make_unique<guiPlotWnd>(data)});
        w = m_windows.back().window.get();
    } else if (w->shown()) {
        w->Update(data);
    } else {
        w->SetData(data);
    }
    w->show();
    return w;
}

void PlotWindows::Update(int job, const PlotData &data)
{
    guiPlotWnd *w = Find(job);
    if (w && w->shown())
        w->Update(data);
}

void PlotWindows::Forget(int job)
{
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
        if (it->job == job) {
            m_windows.erase(it);
            return;
        }
}

PlotData HealthPlot(const std::string &title, const std::string &folder, double endTime,
                    const JobHealth &health)
{
    PlotData data;
    data.title = title;
    data.folder = folder;
    data.endTime = endTime;
    for (const JobHealth::Point &p : health.TimeSteps())
        data.dt.push_back(PlotPoint{p.t, p.value});
    typedef GlstatSample G;
    static const struct {
        G::Quantity q;
        const char *name;
    } kEnergies[] = {{G::KINETIC, "kinetic"},     {G::INTERNAL, "internal"},
                     {G::HOURGLASS, "hourglass"}, {G::TOTAL, "total"},
                     {G::EXTERNAL_WORK, "external work"}};
    const std::vector<G> &samples = health.Energies();
    for (const auto &e : kEnergies) {
        PlotSeries series;
        series.name = e.name;
        for (const G &s : samples)
            if (s.Has(e.q))
                series.points.push_back(PlotPoint{s.value[G::TIME], s.value[e.q]});
        if (!series.points.empty())
            data.energies.push_back(series);
    }
    for (const G &s : samples)
        if (s.Has(G::ADDED_MASS))
            data.addedMass.push_back(PlotPoint{s.value[G::TIME], s.value[G::ADDED_MASS]});
    static const char *const kMarks[GlstatHealth::KINDS] = {
        "hourglass > 10 %", "added mass > 5 %", "energy ratio off 10 %"};
    for (int k = 0; k < GlstatHealth::KINDS; k++)
        if (health.Checks().Tripped((GlstatHealth::Kind)k))
            data.marks.push_back(PlotMark{health.Checks().FirstTime((GlstatHealth::Kind)k), kMarks[k]});
    return data;
}
