#include "run/run_settings.h"

#include <cctype>
#include <cstring>

#include "foundation/safe_write.h"

namespace {

// A settings file is a few lines; anything far larger is no file of ours.
const size_t kMaxFile = 1024 * 1024;

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

bool whole_number(const std::string &value, int *n)
{
    if (value.empty() || value.size() > 9 ||
        value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *n = std::stoi(value);
    return true;
}

// Options must not give the solver a second deck, dump, memory or core
// count: it would refuse them, or run something else than the row says.
bool own_argument(const std::string &options)
{
    for (std::string word : SplitWords(options)) {
        for (char &c : word)
            c = (char)tolower((unsigned char)c);
        for (const char *own : {"i=", "r=", "memory=", "ncpu="})
            if (word.compare(0, strlen(own), own) == 0)
                return true;
    }
    return false;
}


} // namespace

bool RunSettings::Load(const std::string &path)
{
    m_path = path;
    m_lines.clear();
    m_writable = true;
    m_jobs = 1;
    m_notify = true;
    m_cores = CoreSettings();
    m_problem.clear();

    std::string text;
    int got = ReadFileWhole(path.c_str(), kMaxFile, &text);
    if (got == 0)
        return true;
    if (got < 0) {
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

    std::string line, value;
    int n;
    if (Value("jobs", &line, &value)) {
        if (whole_number(value, &n) && n >= JOBS_MIN && n <= JOBS_MAX)
            m_jobs = n;
        else
            Reject(line, "a number from 1 to 64", "1");
    }
    if (Value("notify", &line, &value)) {
        if (value == "on" || value == "off")
            m_notify = value == "on";
        else
            Reject(line, "on or off", "on");
    }
    if (Value("cores", &line, &value)) {
        if (whole_number(value, &n) && n >= CORES_MIN && n <= CORES_MAX)
            m_cores.cores = n;
        else
            Reject(line, "a number from 1 to 4096", "1");
    }
    if (Value("mpi", &line, &value))
        m_cores.mpi = value;
    if (Value("consistent", &line, &value)) {
        if (value == "on" || value == "off")
            m_cores.consistent = value == "on";
        else
            Reject(line, "on or off", "off");
    }
    if (Value("options", &line, &value)) {
        if (own_argument(value))
            Reject(line, "arguments other than i=, r=, memory= and ncpu=", "none");
        else
            m_cores.options = value;
    }
    return true;
}

bool RunSettings::Value(const char *key, std::string *line, std::string *value) const
{
    int at = Find(key);
    if (at < 0)
        return false;
    *line = m_lines[(size_t)at];
    *value = trim(line->substr(line->find('=') + 1));
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

bool RunSettings::SetCores(int cores)
{
    if (cores < CORES_MIN || cores > CORES_MAX)
        return false;
    m_cores.cores = cores;
    return Save("cores", std::to_string(cores));
}

bool RunSettings::SetMpi(const std::string &launcher)
{
    m_cores.mpi = launcher;
    return Save("mpi", launcher);
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
