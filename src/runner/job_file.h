// What a file handed to Wendle from outside its dialogs (the command line,
// another wendle, a drop) makes in the job table, and the texts of its row,
// split as "Add Dyn Job" and "Add Restart Job" split a chosen file.
#pragma once
#include <string>

// The longest path a row and its job record hold.
enum { JOB_PATH_MAX = 255 };

enum JobFileKind { JOB_FILE_REFUSED, JOB_FILE_DECK, JOB_FILE_DUMP };

// A deck: a regular file named *.k, *.key or *.dyn (any case), or one whose
// first keyword line (within its first 64 KiB) is *KEYWORD. A restart dump:
// a regular file named d3dump followed by digits. Anything else is refused,
// with why: a path that is not absolute or is longer than JOB_PATH_MAX, a
// line break in it, a missing or unreadable file, a folder, any other file.
JobFileKind ClassifyJobFile(const std::string &path, std::string *why);

// The texts of a job file's row.
struct JobFileTexts {
    std::string name;    // without the type
    std::string folder;  // ending in "/"
    std::string type;    // decks: the text after the name's last "."
    std::string size;    // whole kilobytes, "%lldK"
};

// Splits path as the dialogs' commands do (deck: a type is split off): 1;
// 0 with why when the path has no "/" or (deck) no "." in the file's own
// name; -1 with why when it is longer than JOB_PATH_MAX or no readable
// regular file.
int SplitJobFile(const std::string &path, bool deck, JobFileTexts *out, std::string *why);
