#include "solver/cycle_line.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "foundation/comfunction.h"

namespace {

// A cycle number of more digits would not fit.
const int kCycleDigits = 18;

const char *skip_blanks(const char *p, const char *end)
{
    while (p < end && line_blank(*p))
        p++;
    return p;
}

// Two digits at p, as a number.
int two_digits(const char *p)
{
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// Days from 1 January 2000 to the given date of the proleptic Gregorian
// calendar.
long long days_since_2000(int y, int m, int d)
{
    y -= m <= 2;
    long long era = y / 400;
    int yoe = y - (int)era * 400;
    int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 730425;
}

// "mm/dd/yy hh:mm:ss" ending the line, after a blank; -1 when there is none.
long long line_stamp(const char *from, const char *end)
{
    while (end > from && line_blank(end[-1]))
        end--;
    const char shape[] = "00/00/00 00:00:00";
    const size_t len = sizeof shape - 1;
    if ((size_t)(end - from) < len + 1 || !line_blank(end[-(long)len - 1]))
        return -1;
    const char *p = end - len;
    for (size_t i = 0; i < len; i++)
        if (shape[i] == '0' ? !line_digit(p[i]) : p[i] != shape[i])
            return -1;
    int mon = two_digits(p), day = two_digits(p + 3), year = two_digits(p + 6);
    int h = two_digits(p + 9), min = two_digits(p + 12), s = two_digits(p + 15);
    if (mon < 1 || mon > 12 || day < 1 || day > 31 || h > 23 || min > 59 || s > 60)
        return -1;
    return days_since_2000(2000 + year, mon, day) * 86400 + h * 3600 + min * 60 + s;
}

} // namespace

const char *ScanReal(const char *p, const char *end, double *value)
{
    bool negative = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-'))
        p++;
    // from_chars reads no '+' and no Fortran exponent: it is given the
    // number from its first digit or point, a D exponent rewritten.
    const char *from = p;
    long long digits = 0, whole = 0, zeros = 0;  // all, before the point, leading zeros
    bool point = false;
    for (; p < end; p++) {
        if (*p == '.' && !point) {
            point = true;
            continue;
        }
        if (!line_digit(*p))
            break;
        if (zeros == digits && *p == '0')
            zeros++;
        digits++;
        whole += !point;
    }
    if (digits == 0)
        return nullptr;
    const char *mark = p;
    int exp = 0;
    if (p < end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')) {
        p++;
        bool down = p < end && *p == '-';
        if (p < end && (*p == '+' || *p == '-'))
            p++;
        int n = 0;
        for (; p < end && line_digit(*p) && n <= 3; p++, n++)
            exp = exp * 10 + (*p - '0');
        if (n == 0 || n > 3)
            return nullptr;
        exp = down ? -exp : exp;
    }
    double v = 0;
    std::from_chars_result got;
    if (mark < p && (*mark == 'D' || *mark == 'd')) {
        std::string text(from, p);
        text[(size_t)(mark - from)] = 'E';
        got = std::from_chars(text.data(), text.data() + text.size(), v);
        got.ptr = from + (got.ptr - text.data());
    } else {
        got = std::from_chars(from, p, v);
    }
    if (got.ec == std::errc::result_out_of_range) {
        // Too small a number is zero, as strtod reads it; too big, none. The
        // first significant digit's place tells which.
        if (whole - zeros + exp > 0)
            return nullptr;
        v = 0;
    } else if (got.ec != std::errc() || got.ptr != p || !std::isfinite(v)) {
        return nullptr;
    }
    *value = negative ? -v : v;
    return p;
}

bool ParseCycleLine(const char *line, CycleLine *out)
{
    // Nearly every other line fails one of the first two tests.
    const char *p = line;
    while (line_blank(*p))
        p++;
    if (!line_digit(*p))
        return false;
    const char *end = p + strlen(p);
    long long cycle = 0;
    int n = 0;
    for (; line_digit(*p); p++) {
        if (++n > kCycleDigits)
            return false;
        cycle = cycle * 10 + (*p - '0');
    }
    if (!line_blank(*p))
        return false;
    p = skip_blanks(p, end);
    if (p[0] != 't' || !line_blank(p[1]))
        return false;
    double t, dt;
    p = ScanReal(skip_blanks(p + 1, end), end, &t);
    if (!p || !line_blank(*p))
        return false;
    p = skip_blanks(p, end);
    if (p[0] != 'd' || p[1] != 't' || !line_blank(p[2]))
        return false;
    p = ScanReal(skip_blanks(p + 2, end), end, &dt);
    // The event must follow: a line cut inside dt's number is no cycle line.
    if (!p || !line_blank(*p) || skip_blanks(p, end) == end)
        return false;
    out->cycle = cycle;
    out->t = t;
    out->dt = dt;
    out->stamp = line_stamp(p, end);
    return true;
}
