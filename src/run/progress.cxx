#include "run/progress.h"

#include <cmath>
#include <cstdio>

namespace {

// The pace is that of the last minute, taken over no less than a few
// seconds: the lines read at one check share one read time.
const double kWindow = 60.0;
const double kMinSpan = 4.0;
const double kSampleGap = 1.0;

} // namespace

const JobProgress::Pace::Sample &JobProgress::Pace::Back(int k) const
{
    return m_samples[(m_next - 1 - k + 2 * SAMPLES) % SAMPLES];
}

void JobProgress::Pace::Add(double clock, double t)
{
    if (m_count > 0 && clock < Back(0).clock)
        Clear();
    bool replace = m_count > 0 && (clock == Back(0).clock ||
                                   (m_count > 1 && Back(0).clock - Back(1).clock < kSampleGap));
    if (replace) {
        m_samples[(m_next - 1 + SAMPLES) % SAMPLES] = Sample{clock, t};
        return;
    }
    m_samples[m_next] = Sample{clock, t};
    m_next = (m_next + 1) % SAMPLES;
    if (m_count < SAMPLES)
        m_count++;
}

bool JobProgress::Pace::Rate(double *perSecond) const
{
    if (m_count < 2)
        return false;
    const Sample &now = Back(0);
    int k = 1;
    while (k + 1 < m_count && now.clock - Back(k + 1).clock <= kWindow)
        k++;
    const Sample &then = Back(k);
    double span = now.clock - then.clock;
    if (span < kMinSpan || now.t <= then.t)
        return false;
    *perSecond = (now.t - then.t) / span;
    return true;
}

JobProgress::JobProgress()
{
    Reset();
}

void JobProgress::Reset()
{
    m_known = false;
    m_last = CycleLine{0, 0, 0, -1};
    m_firstDt = 0;
    m_read.Clear();
    m_stamped.Clear();
}

void JobProgress::Add(double wall, const CycleLine &line)
{
    if (m_known && line.t < m_last.t)
        Reset();
    // The solver's last line as it stops says dt 0: no step to compare with.
    if (m_firstDt <= 0 && line.dt > 0)
        m_firstDt = line.dt;
    m_known = true;
    m_last = line;
    m_read.Add(wall, line.t);
    if (line.stamp >= 0)
        m_stamped.Add((double)line.stamp, line.t);
}

bool JobProgress::StepCollapsed() const
{
    return m_known && m_firstDt > 0 && m_last.dt > 0 && m_last.dt < m_firstDt / 10;
}

double JobProgress::SecondsLeft(double endTime) const
{
    if (!m_known || !(endTime > 0))
        return -1;
    if (m_last.t >= endTime)
        return 0;
    double rate;
    if (!m_stamped.Rate(&rate) && !m_read.Rate(&rate))
        return -1;
    double left = (endTime - m_last.t) / rate;
    return std::isfinite(left) ? left : -1;
}

std::string TimeLeftText(double seconds)
{
    char text[64];
    if (seconds < 10) {
        snprintf(text, sizeof text, "a few seconds left");
    } else if (seconds < 57.5) {
        snprintf(text, sizeof text, "about %ld s left", std::lround(seconds / 5) * 5);
    } else if (seconds < 59.5 * 60) {
        snprintf(text, sizeof text, "about %ld min left", std::lround(seconds / 60));
    } else if (seconds < 48 * 3600.0) {
        // Hours and tens of minutes.
        long tens = std::lround(seconds / 600);
        if (tens % 6)
            snprintf(text, sizeof text, "about %ld h %ld min left", tens / 6, tens % 6 * 10);
        else
            snprintf(text, sizeof text, "about %ld h left", tens / 6);
    } else {
        double days = seconds / 86400;
        snprintf(text, sizeof text, "about %.0f days left", days < 1e6 ? std::round(days) : 1e6);
    }
    return text;
}

std::string ProgressLine(const std::string &name, const JobProgress &progress, double endTime)
{
    if (!progress.Known())
        return "";
    char text[128];
    if (progress.StepCollapsed()) {
        snprintf(text, sizeof text, ": time step %.1E, was %.1E at the start", progress.Dt(),
                 progress.FirstDt());
        return name + text;
    }
    std::string line = name;
    snprintf(text, sizeof text, ": t = %.2E", progress.T());
    line += text;
    if (endTime > 0) {
        double share = progress.T() / endTime * 100;
        int percent = share >= 100 ? 100 : share > 0 ? (int)share : 0;
        snprintf(text, sizeof text, " of %.2E (%d %%)", endTime, percent);
        line += text;
        double left = progress.SecondsLeft(endTime);
        if (left > 0)
            line += ", " + TimeLeftText(left);
    }
    return line;
}

std::string JobCountsLine(int done, int running, int queued)
{
    struct Part {
        int count;
        const char *what;
    } parts[] = {{done, "done"}, {running, "running"}, {queued, "queued"}};
    std::string line;
    char text[64];
    for (const Part &p : parts) {
        if (p.count == 0)
            continue;
        if (line.empty())
            snprintf(text, sizeof text, "%d %s %s", p.count, p.count == 1 ? "job" : "jobs", p.what);
        else
            snprintf(text, sizeof text, ", %d %s", p.count, p.what);
        line += text;
    }
    return line;
}

std::string JobCoresLine(int done, int running, int queued, int coresInUse)
{
    if (running == 0 || coresInUse <= running)
        return JobCountsLine(done, running, queued);
    // The cores go after the running part; queued comes after it, never
    // first, so it takes no noun.
    std::string line = JobCountsLine(done, running, 0) + " on " + std::to_string(coresInUse) +
                       " cores";
    if (queued > 0)
        line += ", " + std::to_string(queued) + " queued";
    return line;
}

std::string CoresWarning(int jobsAtOnce, int coresPerJob, long machineCores)
{
    if (machineCores <= 0 || (long long)jobsAtOnce * coresPerJob <= machineCores)
        return "";
    char text[96];
    snprintf(text, sizeof text, "; %d x %d cores, more than the machine's %ld", jobsAtOnce,
             coresPerJob, machineCores);
    return text;
}
