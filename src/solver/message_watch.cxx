#include "solver/message_watch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int JudgeMessageLine(const char *line)
{
    if (strstr(line, "N o r m a l") && strstr(line, "t e r m i n a t i o n"))
        return 1;
    if (strstr(line, "*** Error"))
        return 0;
    return -1;
}

MessageWatch::MessageWatch() : m_decision(-1)
{
}

MessageWatch::~MessageWatch() = default;

void MessageWatch::Restart()
{
    m_decision = -1;
    m_lines.Clear();
}

void MessageWatch::Start(const std::string &path, bool baseline)
{
    m_follow.Start(path, baseline);
    Restart();
}

size_t MessageWatch::Take(const char *p, size_t n)
{
    size_t at = 0;
    while (at < n && m_decision == -1) {
        const char *line;
        at += m_lines.Next(p + at, n - at, &line);
        if (!line)
            break;
        // The first deciding line is final: nothing after it is read.
        m_decision = JudgeMessageLine(line);
        CycleLine cycle;
        if (m_decision == -1 && ParseCycleLine(line, &cycle))
            m_cycles.push_back(cycle);
    }
    return at;
}

int MessageWatch::Check(size_t budget, bool *more)
{
    *more = false;
    m_cycles.clear();
    // "a+": a missing file is created, as the solver's run would, but never
    // through a link, which might lead out of the job's folder: a link is
    // looked at where it leads.
    const char *path = m_follow.Path().c_str();
    int fd = open(path, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ELOOP)
        fd = open(path, O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC);
    bool appendable = fd >= 0;
    if (!appendable)
        fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    m_follow.Look(fd, st, budget, *this, more);
    int code = m_decision;
    if (code == -1 && !appendable && st.st_size == 0)
        code = -2;
    close(fd);
    return code;
}
