// The format of the settings file "wendle.ini": six lines "key=value" in a
// fixed order, read back exactly as written.
#pragma once
#include <cstdio>
#include <string>

enum { SETTINGS_COUNT = 6 };

// The keys, in the order of their lines.
extern const char *const kSettingKeys[SETTINGS_COUNT];

// Reads the lines of fp into values (lines the file lacks stay empty): 1,
// or 0 when a line does not carry the key of its place or is longer than
// maxValue allows, or -1 when a read fails before the end of the file
// (then values are not to be applied). Lines past the sixth are ignored.
int ReadSettings(FILE *fp, std::string values[SETTINGS_COUNT], size_t maxValue);

// The file's text for these values; control characters are left out, as
// they would not read back.
std::string SettingsText(const char *const values[SETTINGS_COUNT]);
