// What the fuzz targets do when a function breaks its promise: say which,
// and stop, so that libFuzzer keeps the input. And a scratch file for the
// targets that need a real one.
#pragma once
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

inline void fuzz_check(bool ok, const char *what)
{
    if (!ok) {
        fprintf(stderr, "broken: %s\n", what);
        abort();
    }
}

// The path of a file named `name` in a folder of this run's own, made on
// the first call and removed with the file when the run ends.
inline const std::string &fuzz_scratch_file(const char *name)
{
    static std::string dir, path;
    if (path.empty()) {
        char tmpl[] = "/tmp/wendle-fuzz.XXXXXX";
        fuzz_check(mkdtemp(tmpl) != nullptr, "a scratch folder");
        dir = tmpl;
        path = dir + "/" + name;
        atexit([] {
            unlink(path.c_str());
            rmdir(dir.c_str());
        });
    }
    return path;
}
