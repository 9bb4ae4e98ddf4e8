#include "runner/settings_file.h"

#include "foundation/comfunction.h"

const char *const kSettingKeys[SETTINGS_COUNT] = {"dynasolver_single", "dynasolver_double",
                                                  "memory",            "pausetime",
                                                  "lastdir",           "xterm"};

namespace {

// One line by read_line's rules, but as long as limit: 1 ended by a
// newline, -1 at the end of the file or a failed read, 0 when it is longer.
int read_long_line(FILE *fp, std::string *line, size_t limit)
{
    line->clear();
    int c;
    while ((c = getc(fp)) != EOF) {
        if (c == '\n')
            return 1;
        if (!line_keeps((unsigned char)c))
            continue;
        if (line->size() == limit)
            return 0;
        *line += (char)c;
    }
    return -1;
}

} // namespace

int ReadSettings(FILE *fp, std::string values[SETTINGS_COUNT], size_t maxValue)
{
    for (int i = 0; i < SETTINGS_COUNT; i++)
        values[i].clear();
    // The longest key, its "=" and the longest value.
    const size_t limit = 18 + maxValue;
    std::string line;
    int got;
    for (int n = 0; (got = read_long_line(fp, &line, limit)) != -1; n++) {
        if (got == 0)
            return 0;
        if (n >= SETTINGS_COUNT)
            continue;
        size_t eq = line.find('=');
        if (line.compare(0, eq, kSettingKeys[n]) != 0)
            return 0;
        values[n] = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (values[n].size() > maxValue)
            return 0;
    }
    return ferror(fp) ? -1 : 1;
}

std::string SettingsText(const char *const values[SETTINGS_COUNT])
{
    std::string text;
    for (int i = 0; i < SETTINGS_COUNT; i++) {
        text += kSettingKeys[i];
        text += '=';
        for (const char *p = values[i] ? values[i] : ""; *p; p++)
            if (line_keeps((unsigned char)*p))
                text += *p;
        text += '\n';
    }
    return text;
}
