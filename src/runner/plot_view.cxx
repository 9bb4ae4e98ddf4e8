#include "runner/plot_view.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

enum {
    MARGIN_LEFT = 64,    // room for the value labels
    MARGIN_RIGHT = 22,   // half a t label past the axis's end
    MARGIN_TOP = 10,
    MARGIN_BOTTOM = 38,  // t labels and the axis's name
    PANEL_GAP = 12,
    TICK_FONT = 10,
    LEGEND_FONT = 11,
    LEGEND_LINE = 14,
    MAX_TICKS = 40
};

const Fl_Color kGrid = fl_rgb_color(226, 226, 226);
const Fl_Color kFrame = fl_rgb_color(120, 120, 120);
const Fl_Color kMark = fl_rgb_color(210, 0, 0);

// 1, 2 or 5 times a power of ten, near range / count.
double nice_step(double range, int count)
{
    if (!(range > 0) || !std::isfinite(range))
        return 1;
    double raw = range / std::max(count, 1);
    double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double n = raw / mag;
    return (n < 1.5 ? 1 : n < 3 ? 2 : n < 7 ? 5 : 10) * mag;
}

// The multiples of step in [lo, hi], each computed afresh so that no
// rounding piles up along the axis.
std::vector<double> ticks_in(double lo, double hi, double step)
{
    std::vector<double> out;
    double k = std::ceil(lo / step - 1e-9);
    for (int i = 0; i < MAX_TICKS; i++, k++) {
        double v = k * step;
        if (v > hi + step * 1e-9)
            break;
        out.push_back(v);
    }
    return out;
}

void draw_text(const std::string &s, int x, int y)
{
    // The plain call: labels and file names are not read as symbols.
    fl_draw(s.c_str(), x, y);
}

} // namespace

struct PlotView::Panel {
    int x, y, w, h;        // the plot area
    size_t first, count;  // its curves
};

PlotView::PlotView(int x, int y, int w, int h) : Fl_Widget(x, y, w, h)
{
    box(FL_NO_BOX);
}

void PlotView::SetData(const PlotData &data)
{
    m_data = data;
    m_binWidth = -1;
    redraw();
}

void PlotView::Update(const PlotData &data)
{
    bool grown = data.dt.size() >= m_data.dt.size() &&
                 data.addedMass.size() >= m_data.addedMass.size() &&
                 data.energies.size() == m_data.energies.size();
    for (size_t i = 0; grown && i < data.energies.size(); i++)
        grown = data.energies[i].points.size() >= m_data.energies[i].points.size();
    if (!grown) {
        SetData(data);
        return;
    }
    auto take_new = [](std::vector<PlotPoint> &held, const std::vector<PlotPoint> &now) {
        held.insert(held.end(), now.begin() + (std::ptrdiff_t)held.size(), now.end());
    };
    take_new(m_data.dt, data.dt);
    take_new(m_data.addedMass, data.addedMass);
    for (size_t i = 0; i < data.energies.size(); i++) {
        m_data.energies[i].name = data.energies[i].name;
        take_new(m_data.energies[i].points, data.energies[i].points);
    }
    m_data.title = data.title;
    m_data.folder = data.folder;
    m_data.endTime = data.endTime;
    m_data.marks = data.marks;
    redraw();
}

Fl_Color PlotView::CurveColour(size_t curve, size_t energies)
{
    static const Fl_Color kEnergy[] = {
        fl_rgb_color(210, 0, 0),   fl_rgb_color(0, 90, 220),  fl_rgb_color(230, 130, 0),
        fl_rgb_color(0, 0, 0),     fl_rgb_color(0, 150, 0),   fl_rgb_color(150, 0, 170),
        fl_rgb_color(0, 150, 150),
    };
    if (curve == 0)
        return fl_rgb_color(0, 0, 170);
    if (curve > energies)
        return fl_rgb_color(140, 70, 0);
    return kEnergy[(curve - 1) % (sizeof kEnergy / sizeof kEnergy[0])];
}

const std::vector<PlotPoint> &PlotView::curve(size_t i) const
{
    if (i == 0)
        return m_data.dt;
    if (i <= m_data.energies.size())
        return m_data.energies[i - 1].points;
    return m_data.addedMass;
}

double PlotView::axisEnd() const
{
    double last = 0;
    for (size_t i = 0; i < curves(); i++) {
        const std::vector<PlotPoint> &c = curve(i);
        if (!c.empty() && std::isfinite(c.back().t))
            last = std::max(last, c.back().t);
    }
    if (m_data.endTime > 0 && std::isfinite(m_data.endTime) && last <= m_data.endTime)
        return m_data.endTime;
    if (!(last > 0))
        return 1;
    // Rounded up, the axis keeps its scale from one check to the next, and
    // the curves need binning anew only when t passes a tick.
    double step = nice_step(last, 5);
    return std::ceil(last / step - 1e-9) * step;
}

int PlotView::column(double t) const
{
    // Divided first: an axis end near the smallest double must not turn
    // t = 0 into 0 times infinity.
    double at = t / m_binEnd * m_binWidth;
    return at > 0 ? (at < m_binWidth ? (int)at : m_binWidth - 1) : 0;
}

void PlotView::bin(int width, double tEnd)
{
    size_t n = curves();
    if (width != m_binWidth || tEnd != m_binEnd || m_bins.size() != n) {
        m_bins.assign(n, Bins());
        for (Bins &b : m_bins)
            b.columns.assign((size_t)width, Column{0, 0, 0, 0, false});
        m_binWidth = width;
        m_binEnd = tEnd;
    }
    for (size_t i = 0; i < n; i++) {
        const std::vector<PlotPoint> &points = curve(i);
        Bins &b = m_bins[i];
        for (; b.taken < points.size(); b.taken++) {
            const PlotPoint &p = points[b.taken];
            if (!std::isfinite(p.t) || !std::isfinite(p.value))
                continue;
            Column &col = b.columns[(size_t)column(p.t)];
            if (!col.used) {
                col = Column{p.value, p.value, p.value, p.value, true};
            } else {
                col.last = p.value;
                col.lo = std::min(col.lo, p.value);
                col.hi = std::max(col.hi, p.value);
            }
        }
    }
}

void PlotView::draw()
{
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_WHITE);
    fl_rectf(x(), y(), w(), h());

    m_left = x() + MARGIN_LEFT;
    int width = std::max(1, w() - MARGIN_LEFT - MARGIN_RIGHT);
    int top = y() + MARGIN_TOP;
    int bottom = y() + h() - MARGIN_BOTTOM;
    double tEnd = axisEnd();
    bin(width, tEnd);

    // The time step over two shares of the height, the energies over three,
    // added mass over two.
    std::vector<Panel> panels;
    std::vector<int> weights;
    panels.push_back(Panel{m_left, 0, width, 0, 0, 1});
    weights.push_back(2);
    if (!m_data.energies.empty()) {
        panels.push_back(Panel{m_left, 0, width, 0, 1, m_data.energies.size()});
        weights.push_back(3);
    }
    if (!m_data.addedMass.empty()) {
        panels.push_back(Panel{m_left, 0, width, 0, curves() - 1, 1});
        weights.push_back(2);
    }
    int room = std::max(0, bottom - top - PANEL_GAP * ((int)panels.size() - 1));
    int shares = 0;
    for (int wt : weights)
        shares += wt;
    int at = top;
    for (size_t i = 0; i < panels.size(); i++) {
        panels[i].y = at;
        panels[i].h = i + 1 < panels.size() ? room * weights[i] / shares : bottom - at;
        panels[i].h = std::max(panels[i].h, 1);
        at += panels[i].h + PANEL_GAP;
    }

    double tStep = nice_step(tEnd, std::max(2, width / 90));
    std::vector<double> tTicks = ticks_in(0, tEnd, tStep);
    for (size_t i = 0; i < panels.size(); i++)
        drawPanel(panels[i], tTicks, tStep, i + 1 == panels.size());
    drawMarks(panels.front().y, panels.back().y + panels.back().h - 1);
    // Over the marks: a legend stays readable wherever a check tripped.
    for (const Panel &p : panels)
        drawLegend(p);

    bool empty = true;
    for (size_t i = 0; i < curves() && empty; i++)
        empty = curve(i).empty();
    fl_font(FL_HELVETICA, LEGEND_FONT);
    fl_color(FL_BLACK);
    if (empty) {
        const Panel &p = panels.front();
        const char *none = "No samples yet";
        draw_text(none, p.x + (p.w - (int)fl_width(none)) / 2, p.y + p.h / 2);
    }
    draw_text("t", m_left + width / 2, y() + h() - 6);
    fl_pop_clip();
}

void PlotView::drawPanel(const Panel &p, const std::vector<double> &tTicks, double tStep,
                         bool tLabels)
{
    // The value axis starts at 0 unless the curves go below it: a time step
    // that drops, or energy that leaks, shows against the whole.
    double lo = 0, hi = 0;
    for (size_t i = p.first; i < p.first + p.count; i++)
        for (const Column &c : m_bins[i].columns)
            if (c.used) {
                lo = std::min(lo, c.lo);
                hi = std::max(hi, c.hi);
            }
    double step = nice_step(hi - lo, std::max(2, p.h / 30));
    double ymin = std::floor(lo / step + 1e-9) * step;
    double ymax = std::ceil(hi / step - 1e-9) * step;
    if (!(ymax > ymin))
        ymax = ymin + step;
    // A curve along the frame would vanish into it.
    if (hi > 0 && ymax - hi < 0.02 * (ymax - ymin))
        ymax += step;
    if (lo < 0 && lo - ymin < 0.02 * (ymax - ymin))
        ymin -= step;
    std::vector<double> yTicks = ticks_in(ymin, ymax, step);
    int right = p.x + p.w - 1;
    int bottom = p.y + p.h - 1;
    auto tPixel = [&](double t) { return p.x + column(t); };
    auto yPixel = [&](double v) {
        return bottom - (int)std::lround((v - ymin) / (ymax - ymin) * (p.h - 1));
    };

    fl_color(kGrid);
    for (double v : yTicks)
        fl_xyline(p.x, yPixel(v), right);
    for (double t : tTicks)
        fl_yxline(tPixel(t), p.y, bottom);

    fl_push_clip(p.x, p.y, p.w, p.h);
    for (size_t i = p.first; i < p.first + p.count; i++)
        drawCurve(i, p, ymin, ymax);
    fl_pop_clip();
    fl_color(kFrame);
    fl_rect(p.x, p.y, p.w, p.h);

    fl_font(FL_HELVETICA, TICK_FONT);
    fl_color(FL_BLACK);
    double largest = std::max(std::fabs(ymin), std::fabs(ymax));
    for (double v : yTicks) {
        std::string s = PlotView_TickText(v, step, largest);
        int py = yPixel(v);
        fl_xyline(p.x - 4, py, p.x - 1);
        draw_text(s, p.x - 6 - (int)fl_width(s.c_str()), py + TICK_FONT / 2 - 1);
    }
    if (tLabels) {
        double tLargest = tTicks.empty() ? m_binEnd : tTicks.back();
        for (double t : tTicks) {
            std::string s = PlotView_TickText(t, tStep, tLargest);
            int px = tPixel(t);
            fl_yxline(px, bottom + 1, bottom + 4);
            draw_text(s, px - (int)fl_width(s.c_str()) / 2, bottom + 5 + TICK_FONT);
        }
    }
}

void PlotView::drawCurve(size_t i, const Panel &p, double lo, double hi)
{
    const Bins &b = m_bins[i];
    double k = (p.h - 1) / (hi - lo);
    double bottom = p.y + p.h - 1;
    auto py = [&](double v) { return bottom - (v - lo) * k; };
    fl_color(CurveColour(i, m_data.energies.size()));
    // Each column: from where the curve enters it, down and up through all
    // its points, to where it leaves.
    int used = 0, lastX = 0;
    double lastY = 0;
    fl_begin_line();
    for (int c = 0; c < m_binWidth; c++) {
        const Column &col = b.columns[(size_t)c];
        if (!col.used)
            continue;
        double x = p.x + c;
        fl_vertex(x, py(col.first));
        if (col.lo != col.hi) {
            fl_vertex(x, py(col.lo));
            fl_vertex(x, py(col.hi));
        }
        fl_vertex(x, py(col.last));
        used++;
        lastX = (int)x;
        lastY = py(col.last);
    }
    fl_end_line();
    // A line through one column can be a single point: too small to see.
    if (used == 1)
        fl_rectf(lastX - 1, (int)std::lround(lastY) - 1, 3, 3);
}

void PlotView::drawLegend(const Panel &p)
{
    fl_font(FL_HELVETICA, LEGEND_FONT);
    std::vector<std::string> names;
    for (size_t i = p.first; i < p.first + p.count; i++) {
        if (i == 0)
            names.push_back("time step dt");
        else if (i <= m_data.energies.size())
            names.push_back(m_data.energies[i - 1].name);
        else
            names.push_back("added mass");
    }
    int textW = 0;
    for (const std::string &n : names)
        textW = std::max(textW, (int)fl_width(n.c_str()));
    int bw = textW + 34;
    int bh = LEGEND_LINE * (int)names.size() + 6;
    int bx = p.x + p.w - bw - 6;
    int by = p.y + 6;
    fl_push_clip(p.x + 1, p.y + 1, p.w - 2, p.h - 2);
    fl_color(FL_WHITE);
    fl_rectf(bx, by, bw, bh);
    fl_color(kFrame);
    fl_rect(bx, by, bw, bh);
    for (size_t i = 0; i < names.size(); i++) {
        int ly = by + 3 + LEGEND_LINE * (int)i + LEGEND_LINE / 2;
        fl_color(CurveColour(p.first + i, m_data.energies.size()));
        fl_rectf(bx + 5, ly - 1, 18, 2);
        fl_color(FL_BLACK);
        draw_text(names[i], bx + 28, ly + LEGEND_FONT / 2 - 1);
    }
    fl_pop_clip();
}

void PlotView::drawMarks(int top, int bottom)
{
    fl_font(FL_HELVETICA_BOLD, TICK_FONT);
    int row = 0;
    for (const PlotMark &m : m_data.marks) {
        if (!std::isfinite(m.t) || m.t < 0 || m.t > m_binEnd)
            continue;
        int px = m_left + column(m.t);
        fl_color(kMark);
        fl_line_style(FL_DASH, 1);
        fl_yxline(px, top, bottom);
        fl_line_style(0);
        // Staggered, so that close marks keep their labels apart; left of
        // the line where the right edge is near.
        int tw = (int)fl_width(m.label.c_str());
        int lx = px + tw + 4 < m_left + m_binWidth ? px + 3 : px - 3 - tw;
        draw_text(m.label, lx, top + 14 + 12 * (row++ % 3));
    }
}

std::string PlotView_TickText(double value, double step, double largest)
{
    if (value == 0 || !(step > 0) || std::fabs(value) < step * 1e-6)
        return "0";
    int e3 = 0;
    if (largest > 0 && std::isfinite(largest))
        e3 = (int)std::floor(std::log10(largest) / 3) * 3;
    double scale = std::pow(10.0, e3);
    double s = step / scale;
    int decimals = s >= 1 ? 0 : std::min(9, (int)std::ceil(-std::log10(s) - 1e-9));
    char buf[64];
    if (e3 == 0)
        snprintf(buf, sizeof buf, "%.*f", decimals, value / scale);
    else
        snprintf(buf, sizeof buf, "%.*fE%d", decimals, value / scale, e3);
    return buf;
}
