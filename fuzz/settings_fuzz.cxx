// Any settings file: reading it never goes wrong, a read that fails part-way
// is never taken for its end, and what is read, once written again, reads
// back the same.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "runner/settings_file.h"

namespace {

// A stream over data whose reads fail from byte `fault` on.
struct Faulty {
    const uint8_t *data;
    size_t fault, pos;
};

ssize_t faulty_read(void *cookie, char *buf, size_t size)
{
    Faulty *f = static_cast<Faulty *>(cookie);
    if (f->pos >= f->fault) {
        errno = EIO;
        return -1;
    }
    size_t n = f->fault - f->pos < size ? f->fault - f->pos : size;
    memcpy(buf, f->data + f->pos, n);
    f->pos += n;
    return (ssize_t)n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Small values, so that over-long lines are reached too.
    const size_t maxValue = 64;
    std::string values[SETTINGS_COUNT];
    if (size > 0) {
        // A fault inside the file: rejected by what came before it, or
        // failed, never read.
        Faulty f = {data, data[0] % size, 0};
        FILE *fp = fopencookie(&f, "r", {faulty_read, nullptr, nullptr, nullptr});
        fuzz_check(fp != nullptr, "a failing stream");
        int got = ReadSettings(fp, values, maxValue);
        fclose(fp);
        int before = 1;
        if (f.fault > 0 && (fp = fmemopen(const_cast<uint8_t *>(data), f.fault, "r"))) {
            before = ReadSettings(fp, values, maxValue);
            fclose(fp);
        }
        fuzz_check(got == (before == 0 ? 0 : -1), "a failed read is not the end");
    }

    FILE *fp = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (!fp)
        return 0;
    int ok = ReadSettings(fp, values, maxValue);
    fclose(fp);
    if (ok != 1)
        return 0;
    const char *raw[SETTINGS_COUNT];
    for (int i = 0; i < SETTINGS_COUNT; i++)
        raw[i] = values[i].c_str();
    std::string text = SettingsText(raw);
    fp = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    std::string again[SETTINGS_COUNT];
    if (!fp || ReadSettings(fp, again, maxValue) != 1)
        abort();
    fclose(fp);
    for (int i = 0; i < SETTINGS_COUNT; i++)
        if (again[i] != values[i])
            abort();
    return 0;
}
