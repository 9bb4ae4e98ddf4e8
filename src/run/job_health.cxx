#include "run/job_health.h"

#include <algorithm>

namespace {

// Pairs of neighbours become one: the one keep() chooses.
template <class T, class Keep> void thin(std::vector<T> &v, Keep keep)
{
    size_t out = 0;
    for (size_t i = 0; i + 1 < v.size(); i += 2)
        v[out++] = keep(v[i], v[i + 1]);
    if (v.size() % 2)
        v[out++] = v.back();
    v.resize(out);
}

} // namespace

void JobHealth::Start(const std::string &folder, const std::string &msgFile, bool baseline)
{
    m_d3hsp.Start(D3hspPathFor(msgFile), baseline);
    m_glstat.Start(folder + "glstat", baseline);
    m_dt.clear();
    m_energies.clear();
    m_checks.Reset();
    m_trips = 0;
}

void JobHealth::Renamed(const std::string &msgFile)
{
    if (D3hspPathFor(msgFile) != m_d3hsp.Path())
        m_d3hsp.Start(D3hspPathFor(msgFile), true);
}

void JobHealth::AddCycles(const std::vector<CycleLine> &lines)
{
    for (const CycleLine &line : lines) {
        // A run begun anew (the message file written again) starts its
        // series anew.
        if (!m_dt.empty() && line.t < m_dt.back().t)
            m_dt.clear();
        m_dt.push_back(Point{line.t, line.dt});
    }
    if (m_dt.size() > MAX_POINTS) {
        // A collapsing step is the one that matters: the lower one stays.
        thin(m_dt, [](const Point &a, const Point &b) { return b.value < a.value ? b : a; });
        m_thinnings++;
    }
}

bool JobHealth::Step(size_t budget)
{
    bool more = false, dtMore = false;
    m_d3hsp.Check(budget, &dtMore);
    m_glstat.Check(budget, &more);
    if (m_glstat.Restarted()) {
        m_energies.clear();
        m_checks.Reset();
        m_thinnings++;
    }
    for (const GlstatSample &s : m_glstat.Samples()) {
        m_trips |= m_checks.Add(s);
        m_energies.push_back(s);
    }
    if (m_energies.size() > MAX_POINTS) {
        thin(m_energies, [](const GlstatSample &, const GlstatSample &b) { return b; });
        m_thinnings++;
    }
    return more || dtMore;
}

unsigned JobHealth::TakeTrips()
{
    unsigned trips = m_trips;
    m_trips = 0;
    return trips;
}
