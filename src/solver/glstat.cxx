#include "solver/glstat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/comfunction.h"
#include "solver/cycle_line.h"

namespace {

using Q = GlstatSample::Quantity;

const struct Key {
    const char *words;
    Q q;
} kKeys[] = {
    {"time", GlstatSample::TIME},
    {"time step", GlstatSample::TIME_STEP},
    {"kinetic energy", GlstatSample::KINETIC},
    {"internal energy", GlstatSample::INTERNAL},
    {"hourglass energy", GlstatSample::HOURGLASS},
    {"sliding interface energy", GlstatSample::SLIDING},
    {"total energy", GlstatSample::TOTAL},
    {"external work", GlstatSample::EXTERNAL_WORK},
    {"total energy / initial energy", GlstatSample::ENERGY_RATIO},
    {"added mass", GlstatSample::ADDED_MASS},
    {"percentage increase", GlstatSample::MASS_INCREASE},
};

// The checks' thresholds: see GlstatHealth.
const double kHourglassShare = 0.10;
const double kSignificantInternal = 0.05;
const double kAddedMassPercent = 5.0;
const double kRatioBand = 0.10;
const double kNearZeroInitial = 0.01;

inline bool in_number(char c)
{
    return line_digit(c) || c == '.' || c == '+' || c == '-' || c == 'E' || c == 'e' || c == 'D' ||
           c == 'd';
}

// The words of [p, end) into out (at least end - p + 1 bytes): letters
// lowered, each run of dots and blanks one blank, none at the ends.
void words_of(const char *p, const char *end, char *out)
{
    char *o = out;
    for (; p < end; p++) {
        char c = *p;
        if (c == '.' || line_blank(c)) {
            if (o > out && o[-1] != ' ')
                *o++ = ' ';
            continue;
        }
        *o++ = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    }
    if (o > out && o[-1] == ' ')
        o--;
    *o = '\0';
}

// "dt of cycle ... is controlled by ...": a new block begins.
bool starts_block(const char *line)
{
    while (line_blank(*line))
        line++;
    if ((*line | 0x20) != 'd')
        return false;
    char words[READ_LINE_MAX + 1];
    words_of(line, line + strnlen(line, READ_LINE_MAX), words);
    return strncmp(words, "dt of cycle ", 12) == 0;
}

} // namespace

bool ParseGlstatLine(const char *line, GlstatSample::Quantity *q, double *value)
{
    size_t len = strnlen(line, READ_LINE_MAX);
    const char *end = line + len;
    while (end > line && line_blank(end[-1]))
        end--;
    const char *from = end;
    while (from > line && in_number(from[-1]))
        from--;
    // The dots may run into the number: it starts at the first digit or
    // sign from which the rest of the line reads as one.
    double v = 0;
    const char *at = from;
    for (; at < end; at++)
        if ((line_digit(*at) || *at == '+' || *at == '-') && ScanReal(at, end, &v) == end)
            break;
    if (at == end)
        return false;
    char words[READ_LINE_MAX + 1];
    words_of(line, at, words);
    for (const Key &k : kKeys) {
        if (strcmp(words, k.words) == 0) {
            *q = k.q;
            *value = v;
            return true;
        }
    }
    return false;
}

void GlstatWatch::Start(const std::string &path, bool baseline)
{
    m_follow.Start(path, baseline);
    Restart();
    m_restarted = false;
}

void GlstatWatch::Restart()
{
    m_lines.Clear();
    m_block = GlstatSample();
    m_samples.clear();
    m_restarted = true;
}

void GlstatWatch::EndBlock()
{
    if (m_block.Has(GlstatSample::TIME))
        m_samples.push_back(m_block);
    m_block = GlstatSample();
}

size_t GlstatWatch::Take(const char *p, size_t n)
{
    size_t at = 0;
    while (at < n) {
        const char *line;
        at += m_lines.Next(p + at, n - at, &line);
        if (!line)
            break;
        Q q;
        double v;
        if (ParseGlstatLine(line, &q, &v)) {
            // A block without its "dt of cycle" line ends at the next time.
            if (q == GlstatSample::TIME && m_block.Has(GlstatSample::TIME))
                EndBlock();
            m_block.Set(q, v);
        } else if (starts_block(line)) {
            EndBlock();
        }
    }
    return at;
}

bool GlstatWatch::Check(size_t budget, bool *more)
{
    m_samples.clear();
    m_restarted = false;
    return m_follow.LookOnce(budget, *this, more);
}

bool GlstatWatch::Current(GlstatSample *sample) const
{
    if (!m_block.Has(GlstatSample::TIME))
        return false;
    *sample = m_block;
    return true;
}

void GlstatHealth::Reset()
{
    m_count = 0;
    m_peak = 0;
    m_initial = -1;
    for (int k = 0; k < KINDS; k++) {
        m_first[k] = -1;
        m_time[k] = 0;
    }
}

unsigned GlstatHealth::Add(const GlstatSample &s)
{
    long n = m_count++;
    for (Q q : {GlstatSample::KINETIC, GlstatSample::INTERNAL, GlstatSample::TOTAL,
                GlstatSample::EXTERNAL_WORK})
        if (s.Has(q))
            m_peak = std::max(m_peak, std::fabs(s.value[q]));
    if (m_initial < 0 && s.Has(GlstatSample::TOTAL))
        m_initial = std::fabs(s.value[GlstatSample::TOTAL]);

    unsigned now = 0;
    double internal = s.value[GlstatSample::INTERNAL];
    if (s.Has(GlstatSample::HOURGLASS) && s.Has(GlstatSample::INTERNAL) && internal > 0 &&
        internal >= kSignificantInternal * m_peak &&
        s.value[GlstatSample::HOURGLASS] > kHourglassShare * internal)
        now |= 1u << HOURGLASS;
    if (s.Has(GlstatSample::MASS_INCREASE) &&
        s.value[GlstatSample::MASS_INCREASE] > kAddedMassPercent)
        now |= 1u << ADDED_MASS;
    if (s.Has(GlstatSample::ENERGY_RATIO) && m_initial > 0 &&
        m_initial >= kNearZeroInitial * m_peak &&
        std::fabs(s.value[GlstatSample::ENERGY_RATIO] - 1) > kRatioBand)
        now |= 1u << ENERGY_RATIO;

    unsigned fresh = 0;
    for (int k = 0; k < KINDS; k++) {
        if (!(now >> k & 1) || m_first[k] >= 0)
            continue;
        fresh |= 1u << k;
        m_first[k] = n;
        m_time[k] = s.value[GlstatSample::TIME];
    }
    return fresh;
}

const char *GlstatHealth::Describe(Kind k)
{
    switch (k) {
    case HOURGLASS:
        return "hourglass energy above 10 % of internal energy";
    case ADDED_MASS:
        return "added mass above 5 % of the physical mass";
    case ENERGY_RATIO:
        return "energy ratio more than 10 % off 1";
    default:
        return "";
    }
}
