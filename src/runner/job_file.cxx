#include "runner/job_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How much of a file without a deck's name is read for its first keyword.
const size_t kLookBytes = 64 * 1024;

bool has_deck_extension(const std::string &name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const char *ext = name.c_str() + dot + 1;
    return strcasecmp(ext, "k") == 0 || strcasecmp(ext, "key") == 0 ||
           strcasecmp(ext, "dyn") == 0;
}

bool is_dump_name(const std::string &name)
{
    if (name.compare(0, 6, "d3dump") != 0 || name.size() == 6)
        return false;
    return name.find_first_not_of("0123456789", 6) == std::string::npos;
}

// The first keyword line among complete lines of text: 1 when it is
// *KEYWORD (any case, alone or followed by a blank), 0 when it is another,
// -1 when none is there yet.
int first_keyword(const std::string &text, bool whole)
{
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            if (!whole)
                return -1;
            end = text.size();
        }
        if (text[at] == '*') {
            if (end - at < 8 || strncasecmp(&text[at], "*KEYWORD", 8) != 0)
                return 0;
            char next = end - at == 8 ? ' ' : text[at + 8];
            return next == ' ' || next == '\t' || next == '\r' ? 1 : 0;
        }
        at = end + 1;
    }
    return -1;
}

// 1 when the file's first keyword line is *KEYWORD, 0 when it is another or
// none comes in the look, -1 when the file cannot be read (why set).
int starts_with_keyword(const std::string &path, std::string *why)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = strerror(errno);
        return -1;
    }
    std::string head;
    char buf[4096];
    int found = -1;
    while (found < 0 && head.size() < kLookBytes) {
        ssize_t n = read(fd, buf, std::min(sizeof buf, kLookBytes - head.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = strerror(errno);
            close(fd);
            return -1;
        }
        head.append(buf, (size_t)n);
        found = first_keyword(head, n == 0 || head.size() == kLookBytes);
        if (n == 0)
            break;
    }
    close(fd);
    return found == 1 ? 1 : 0;
}

} // namespace

JobFileKind ClassifyJobFile(const std::string &path, std::string *why)
{
    if (path.empty() || path[0] != '/') {
        *why = "not an absolute path";
        return JOB_FILE_REFUSED;
    }
    if (path.find_first_of("\n\r") != std::string::npos) {
        *why = "its name holds a line break";
        return JOB_FILE_REFUSED;
    }
    if (path.size() > JOB_PATH_MAX) {
        *why = "its path is longer than " + std::to_string(JOB_PATH_MAX) + " characters";
        return JOB_FILE_REFUSED;
    }
    // stat, not open: opening a device or a FIFO may act on it.
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        *why = errno == ENOENT || errno == ENOTDIR ? "no such file" : strerror(errno);
        return JOB_FILE_REFUSED;
    }
    if (S_ISDIR(st.st_mode)) {
        *why = "a folder";
        return JOB_FILE_REFUSED;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = "not a regular file";
        return JOB_FILE_REFUSED;
    }
    std::string name = path.substr(path.rfind('/') + 1);
    if (is_dump_name(name))
        return JOB_FILE_DUMP;
    if (has_deck_extension(name))
        return JOB_FILE_DECK;
    int keyword = starts_with_keyword(path, why);
    if (keyword < 0)
        return JOB_FILE_REFUSED;
    if (keyword == 0) {
        *why = "neither a deck nor a restart dump";
        return JOB_FILE_REFUSED;
    }
    // The job's deck is found again from the row's name and type.
    if (name.find('.') == std::string::npos) {
        *why = "a deck whose name has no extension";
        return JOB_FILE_REFUSED;
    }
    return JOB_FILE_DECK;
}

int SplitJobFile(const std::string &path, bool deck, JobFileTexts *out, std::string *why)
{
    if (path.size() > JOB_PATH_MAX) {
        *why = "its path is longer than " + std::to_string(JOB_PATH_MAX) + " characters";
        return -1;
    }
    size_t slash = path.rfind('/');
    std::string base = path;
    if (deck) {
        // The type is the file's own: a "." in a folder's name is not one.
        size_t dot = path.rfind('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
            *why = "its name has no extension";
            return 0;
        }
        out->type = path.substr(dot + 1);
        base = path.substr(0, dot);
    }
    if (slash == std::string::npos) {
        *why = "no folder in its path";
        return 0;
    }
    out->name = base.substr(slash + 1);
    out->folder = base.substr(0, slash + 1);

    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0) {
        *why = strerror(errno);
        return -1;
    }
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    if (!ok) {
        *why = "not a regular file";
        return -1;
    }
    out->size = std::to_string((long long)st.st_size / 1024) + "K";
    return 1;
}
