// PlotView: a job's health drawn against simulation time t: its time step
// and, when the job reports them, its energies and added mass, each in a
// panel of its own over one t axis, with the points where a check tripped
// marked. PlotData is what it draws, filled by its owner.
#pragma once
#include <FL/Fl_Widget.H>

#include <cstddef>
#include <string>
#include <vector>

struct PlotPoint {
    double t;
    double value;
};

struct PlotSeries {
    std::string name;                // the legend's text: "kinetic", "internal", ...
    std::vector<PlotPoint> points;  // in the order the solver wrote them
};

// Where a health check tripped; the label is short ("hourglass").
struct PlotMark {
    double t;
    std::string label;
};

struct PlotData {
    std::string title;   // the job's name, such as "plate.k"
    std::string folder;  // the job's folder
    double endTime = 0;  // ENDTIM; 0 or less while unknown
    std::vector<PlotPoint> dt;
    std::vector<PlotSeries> energies;
    std::vector<PlotPoint> addedMass;
    std::vector<PlotMark> marks;
};

class PlotView : public Fl_Widget {
public:
    PlotView(int x, int y, int w, int h);

    // Takes data whole.
    void SetData(const PlotData &data);
    // Takes what data gained since it was last given: the points appended
    // to each series, at a cost in those points only, and the rest (end
    // time, marks, texts) as it is now. Data with fewer points or another
    // set of energies than before is taken whole.
    void Update(const PlotData &data);
    const PlotData &Data() const { return m_data; }

    // A curve's colour: 0 the time step, 1 on the energies in their order,
    // then added mass.
    static Fl_Color CurveColour(size_t curve, size_t energies);

protected:
    void draw() override;

private:
    // A curve's points that fall into one pixel column, by first, last,
    // lowest and highest value: drawn from these, a long series costs the
    // width of the plot, and a lone spike still shows.
    struct Column {
        double first, last, lo, hi;
        bool used;
    };
    struct Bins {
        std::vector<Column> columns;
        size_t taken = 0;  // points of the curve binned so far
    };
    struct Panel;

    const std::vector<PlotPoint> &curve(size_t i) const;
    size_t curves() const { return 2 + m_data.energies.size(); }
    // The t axis's end: the end time when known and not passed, else the
    // last t rounded up to a tick.
    double axisEnd() const;
    // The pixel column of t on the axis as last binned, inside the plot.
    int column(double t) const;
    // Bins the points not binned yet, all of them again when the columns
    // or the axis changed.
    void bin(int width, double tEnd);
    void drawPanel(const Panel &p, const std::vector<double> &tTicks, double tStep,
                   bool tLabels);
    void drawCurve(size_t i, const Panel &p, double lo, double hi);
    void drawLegend(const Panel &p);
    void drawMarks(int top, int bottom);

    PlotData m_data;
    std::vector<Bins> m_bins;
    int m_binWidth = -1;  // the columns' count when binned; -1 to bin anew
    double m_binEnd = 0;
    int m_left = 0;  // the plot area's left edge in the last drawing
};

// A tick label in engineering notation: value as a multiple of the power of
// 1000 that suits largest (the axis's largest magnitude), with the decimals
// step needs: "0", "250E-6", "1.5E3", "12".
std::string PlotView_TickText(double value, double step, double largest);
