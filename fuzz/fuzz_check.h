// What the fuzz targets do when a function breaks its promise: say which,
// and stop, so that libFuzzer keeps the input.
#pragma once
#include <cstdio>
#include <cstdlib>

inline void fuzz_check(bool ok, const char *what)
{
    if (!ok) {
        fprintf(stderr, "broken: %s\n", what);
        abort();
    }
}
