// What the command line `wendle [--submit] [FILE...]` asks for.
#pragma once
#include <string>
#include <vector>

struct CommandLine {
    enum Action { RUN, HELP, VERSION, BAD_USAGE };
    Action action = RUN;
    bool submit = false;             // press Submit Jobs once the files are added
    std::vector<std::string> files;  // absolute paths, in the order given
    std::string problem;             // BAD_USAGE: what was wrong
};

// Reads argv (argc entries, the program's name first). Relative paths are
// taken from cwd, the caller's folder; when it is "" (it could not be read)
// they stay relative, and opening them refuses them. "--" ends the options.
CommandLine ParseCommandLine(int argc, const char *const *argv, const std::string &cwd);

// path made absolute from cwd: "." components and doubled slashes go, and
// each leading ".." takes a folder off cwd (which is the physical folder,
// so that is where ".." leads). Absolute paths are cleaned the same way
// except for their "..".
std::string AbsolutePath(const std::string &path, const std::string &cwd);

// The text of --help (full), or its first line and where to find the rest.
std::string CommandLineUsage(bool full);
