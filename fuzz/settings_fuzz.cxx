// Any settings file: reading it never goes wrong, and what is read, once
// written again, reads back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runner/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Small values, so that over-long lines are reached too.
    const size_t maxValue = 64;
    FILE *fp = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (!fp)
        return 0;
    std::string values[SETTINGS_COUNT];
    int ok = ReadSettings(fp, values, maxValue);
    fclose(fp);
    if (!ok)
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
