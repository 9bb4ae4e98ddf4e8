#include "runner/command_line.h"

#include <cstring>

namespace {

std::vector<std::string> components(const std::string &path)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(at, end - at);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        at = end + 1;
    }
    return parts;
}

} // namespace

std::string AbsolutePath(const std::string &path, const std::string &cwd)
{
    if (path.empty() || (path[0] != '/' && cwd.empty()))
        return path;
    std::vector<std::string> parts;
    std::vector<std::string> own = components(path);
    size_t i = 0;
    if (path[0] != '/') {
        parts = components(cwd);
        // Past the first folder of the path's own, a ".." may leave a
        // symbolic link and is kept for the file system to follow.
        for (; i < own.size() && own[i] == ".."; i++)
            if (!parts.empty())
                parts.pop_back();
    }
    parts.insert(parts.end(), own.begin() + (long)i, own.end());
    std::string out;
    for (const std::string &part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

CommandLine ParseCommandLine(int argc, const char *const *argv, const std::string &cwd)
{
    CommandLine cl;
    bool options = true;
    for (int i = 1; i < argc; i++) {
        const char *arg = argv[i];
        if (options && arg[0] == '-' && arg[1] != '\0') {
            if (strcmp(arg, "--") == 0) {
                options = false;
            } else if (strcmp(arg, "--submit") == 0) {
                cl.submit = true;
            } else if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
                cl.action = CommandLine::HELP;
                return cl;
            } else if (strcmp(arg, "--version") == 0) {
                cl.action = CommandLine::VERSION;
                return cl;
            } else {
                cl.action = CommandLine::BAD_USAGE;
                cl.problem = std::string("unknown option '") + arg + "'";
                return cl;
            }
            continue;
        }
        cl.files.push_back(AbsolutePath(arg, cwd));
    }
    return cl;
}

std::string CommandLineUsage(bool full)
{
    std::string usage = "Usage: wendle [--submit] [FILE...]\n";
    if (!full)
        return usage + "Try 'wendle --help' for more.\n";
    return usage +
           "Queue LS-DYNA solver jobs and run them.\n"
           "\n"
           "Each FILE is added to the job table: an input deck (*.k, *.key, *.dyn, or\n"
           "any file whose first keyword line is *KEYWORD) as a job, a restart dump\n"
           "(d3dump followed by digits) as a restart job. When a Wendle already runs\n"
           "on this display, the files go to it and this command ends at once.\n"
           "\n"
           "  --submit   press Submit Jobs once the files are added\n"
           "  --help     show this text and exit\n"
           "  --version  show the version and exit\n";
}
