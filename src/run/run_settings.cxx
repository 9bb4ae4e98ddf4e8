#include "run/run_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundation/safe_write.h"

namespace {

// A settings file is a few lines; anything far larger is no file of ours.
const off_t kMaxFile = 1024 * 1024;

std::string trim(const std::string &s)
{
    const char *blank = " \t\r";
    size_t from = s.find_first_not_of(blank);
    if (from == std::string::npos)
        return "";
    return s.substr(from, s.find_last_not_of(blank) - from + 1);
}

// What a status line can show of a line from the file.
std::string shown(const std::string &line)
{
    std::string out;
    for (char c : line)
        if ((unsigned char)c >= 32 && c != 127)
            out += c;
    return out.size() > 40 ? out.substr(0, 40) + "..." : out;
}

enum ReadResult { READ_OK, READ_MISSING, READ_FAILED };

ReadResult read_whole(const std::string &path, std::string *text)
{
    // Without blocking: a FIFO in its place must not hold up the start.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? READ_MISSING : READ_FAILED;
    struct stat st;
    ReadResult result = READ_FAILED;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFile) {
        char buf[4096];
        for (;;) {
            ssize_t got = read(fd, buf, sizeof buf);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 || text->size() + (size_t)got > (size_t)kMaxFile)
                break;
            if (got == 0) {
                result = READ_OK;
                break;
            }
            text->append(buf, (size_t)got);
        }
    }
    close(fd);
    return result;
}

} // namespace

bool RunSettings::Load(const std::string &path)
{
    m_path = path;
    m_lines.clear();
    m_writable = true;
    m_jobs = 1;
    m_notify = true;
    m_problem.clear();

    std::string text;
    ReadResult got = read_whole(path, &text);
    if (got == READ_MISSING)
        return true;
    if (got == READ_FAILED) {
        // Its lines could not be kept: rewriting it would lose them.
        m_writable = false;
        m_problem = "Run settings file cannot be read: it is left as it is";
        return false;
    }
    size_t from = 0;
    while (from < text.size()) {
        size_t nl = text.find('\n', from);
        if (nl == std::string::npos)
            nl = text.size();
        m_lines.push_back(text.substr(from, nl - from));
        from = nl + 1;
    }

    int at = Find("jobs");
    if (at >= 0) {
        const std::string &line = m_lines[(size_t)at];
        std::string value = trim(line.substr(line.find('=') + 1));
        int n = 0;
        bool ok = !value.empty() && value.size() <= 9 &&
                  value.find_first_not_of("0123456789") == std::string::npos;
        if (ok)
            n = std::stoi(value);
        if (ok && n >= JOBS_MIN && n <= JOBS_MAX)
            m_jobs = n;
        else
            Reject(line, "a number from 1 to 64", "1");
    }
    at = Find("notify");
    if (at >= 0) {
        const std::string &line = m_lines[(size_t)at];
        std::string value = trim(line.substr(line.find('=') + 1));
        if (value == "on" || value == "off")
            m_notify = value == "on";
        else
            Reject(line, "on or off", "on");
    }
    return true;
}

void RunSettings::Reject(const std::string &line, const char *wanted, const std::string &used)
{
    if (!m_problem.empty())
        return;  // the first one is what the status line has room for
    m_problem = "wendle_run.ini: " + shown(trim(line)) + " is not " + wanted + "; " + used +
                " is used";
}

int RunSettings::Find(const char *key) const
{
    for (size_t i = 0; i < m_lines.size(); i++) {
        size_t eq = m_lines[i].find('=');
        if (eq != std::string::npos && trim(m_lines[i].substr(0, eq)) == key)
            return (int)i;
    }
    return -1;
}

bool RunSettings::SetJobs(int jobs)
{
    if (jobs < JOBS_MIN || jobs > JOBS_MAX)
        return false;
    m_jobs = jobs;
    return Save("jobs", std::to_string(jobs));
}

bool RunSettings::SetNotify(bool on)
{
    m_notify = on;
    return Save("notify", on ? "on" : "off");
}

bool RunSettings::Save(const char *key, const std::string &value)
{
    // A file the user made read-only stays as it is: the safe replacement
    // refuses it.
    if (!m_writable || m_path.empty())
        return false;
    std::vector<std::string> lines = m_lines;
    std::string line = std::string(key) + "=" + value;
    int at = Find(key);
    if (at >= 0)
        lines[(size_t)at] = line;
    else
        lines.push_back(line);
    std::string text;
    for (const std::string &l : lines)
        text += l + "\n";
    if (!ReplaceFileSafely(m_path.c_str(), text))
        return false;
    m_lines = lines;
    return true;
}
