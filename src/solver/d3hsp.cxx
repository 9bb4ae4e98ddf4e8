#include "solver/d3hsp.h"

#include <cstring>

#include "foundation/comfunction.h"
#include "solver/cycle_line.h"

std::string D3hspPathFor(const std::string &messageFile)
{
    size_t slash = messageFile.rfind('/');
    size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::string name = messageFile.substr(base);
    const std::string suffix = ".messag";
    std::string stem;
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        stem = name.substr(0, name.size() - suffix.size() + 1);
    return messageFile.substr(0, base) + stem + "d3hsp";
}

bool ParseTerminationTime(const char *line, double *value)
{
    const char words[] = "termination time";
    const char *p = line;
    while (line_blank(*p))
        p++;
    if (strncasecmp(p, words, sizeof words - 1) != 0)
        return false;
    p += sizeof words - 1;
    bool dot = false;
    for (; *p == '.' || line_blank(*p); p++)
        dot = dot || *p == '.';
    const char *end = p + strlen(p);
    while (end > p && line_blank(end[-1]))
        end--;
    double v;
    if (!dot || p == end || ScanReal(p, end, &v) != end || !(v > 0))
        return false;
    *value = v;
    return true;
}

D3hspWatch::D3hspWatch() : m_known(false), m_endTime(0)
{
}

void D3hspWatch::Start(const std::string &path, bool baseline)
{
    m_follow.Start(path, baseline);
    Restart();
}

void D3hspWatch::Restart()
{
    m_known = false;
    m_endTime = 0;
    m_lines.Clear();
}

size_t D3hspWatch::Take(const char *p, size_t n)
{
    size_t at = 0;
    while (at < n && !m_known) {
        const char *line;
        at += m_lines.Next(p + at, n - at, &line);
        if (line)
            m_known = ParseTerminationTime(line, &m_endTime);
    }
    return at;
}

bool D3hspWatch::Check(size_t budget, bool *more)
{
    m_follow.LookOnce(budget, *this, more);
    return m_known;
}
