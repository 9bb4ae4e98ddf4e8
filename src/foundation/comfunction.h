// File helpers of the job runner: the user's folder, one line of a text
// file, removing a file.
#pragma once
#include <climits>
#include <cstdio>

enum { USER_DIR_SIZE = PATH_MAX, READ_LINE_MAX = 256 };

// Fills dirname (USER_DIR_SIZE bytes) with $HOME, else $~, else the working
// folder, followed by "/". Left empty when no folder can be had or the
// folder and its "/" are longer than any path the system accepts.
void getMyDocument(char *dirname);

// Whether a line as read_line reads it keeps this character: control
// characters other than TAB are dropped.
inline bool line_keeps(unsigned char c)
{
    return !((c < 32 && c != '\t') || c == 127);
}

// A blank and a decimal digit as the solver's files have them, whatever the
// locale.
inline bool line_blank(char c)
{
    return c == ' ' || c == '\t';
}
inline bool line_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads one line into string (at least READ_LINE_MAX + 1 bytes): control
// characters other than TAB are dropped, the line is cut after
// READ_LINE_MAX characters and the rest of it skipped. 1 when a newline
// ended the line, -1 at end of input (even when characters were read).
int read_line(FILE *fp, char *string);

// remove()'s status; callers ignore it.
int RemoveFile(const char *filename);
