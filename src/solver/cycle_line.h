// The cycle lines of a solver's message file, such as
//    19862 t 3.0000E-02 dt 1.51E-06 write d3plot file          11/18/15 08:24:40
// and the plain reading of the solver's real numbers that they and the deck
// cards share.
#pragma once
#include <cstddef>

struct CycleLine {
    long long cycle;
    double t;   // simulation time
    double dt;  // time step
    // The line's own clock, the date and time at its end, as seconds since
    // 1 January 2000; -1 when the line carries none.
    long long stamp;
};

// Reads a line as read_line keeps it. false for anything but a cycle line:
// a cycle number, "t" and a number, "dt" and a number, then an event. A line
// cut short either reads as false or with the same cycle, t and dt as the
// whole line. *out is only written on success.
bool ParseCycleLine(const char *line, CycleLine *out);

// Reads a real number from [p, end) the way the solver writes and reads
// them: an optional sign, digits with an optional point, an optional
// exponent (E, e, D or d, an optional sign, one to three digits). Blanks
// are not skipped. Returns where the number ends, or null when [p, end)
// does not start with one or its value is not finite. The value is the
// nearest double, as strtod reads it in the C locale (a number too small
// for one is 0), whatever the locale.
const char *ScanReal(const char *p, const char *end, double *value);
