// Plain readings of a message file and of a deck, one read_line after
// another: what the faster readers of the run engine must agree with.
// Header only, for the tests and the fuzz targets alike.
#pragma once
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>

#include "foundation/comfunction.h"
#include "solver/message_watch.h"

// The first deciding line of a message file's text: 1, 0 or -1.
inline int full_message_read(const std::string &text)
{
    if (text.empty())
        return -1;
    FILE *fp = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    if (!fp)
        return -1;
    char line[READ_LINE_MAX + 1];
    int code = -1;
    while (code == -1 && read_line(fp, line) != -1)
        code = JudgeMessageLine(line);
    fclose(fp);
    return code;
}

// The message name a deck's text gives: 1 with it, 0 (name empty) when none.
inline int deck_name_by_lines(const std::string &text, std::string *name)
{
    name->clear();
    if (text.empty())
        return 0;
    FILE *fp = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    if (!fp)
        return 0;
    char line[READ_LINE_MAX + 1];
    bool armed = false;
    int found = 0;
    while (!found && read_line(fp, line) != -1) {
        bool keyword = strncmp(line, "*KEYWORD_ID", 11) == 0;
        if (armed && !keyword) {
            found = strchr(line, '/') ? -1 : 1;
            *name = std::regex_replace(line, std::regex("[ \t]+"), "_");
            if (!name->empty() && name->back() == '_')
                name->pop_back();
        }
        armed = armed || keyword;
    }
    fclose(fp);
    if (found != 1)
        name->clear();
    return found == 1;
}
