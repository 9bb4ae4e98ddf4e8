#include "run/child_process.h"

#include <FL/Fl.H>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace {

const double kReapInterval = 1.0;

} // namespace

void CloseInheritedFds()
{
    if (close_range(3, ~0U, 0) == 0)
        return;
    long max = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); fd++)
        close(fd);
}

ChildReaper::~ChildReaper()
{
    Fl::remove_timeout(Reap, this);
}

void ChildReaper::Add(pid_t pid)
{
    if (pid <= 0)
        return;
    m_pids.push_back(pid);
    if (!Fl::has_timeout(Reap, this))
        Fl::add_timeout(kReapInterval, Reap, this);
}

void ChildReaper::Reap(void *data)
{
    ChildReaper *self = static_cast<ChildReaper *>(data);
    std::vector<pid_t> &pids = self->m_pids;
    for (size_t i = 0; i < pids.size();) {
        int status;
        pid_t got = waitpid(pids[i], &status, WNOHANG);
        if (got == pids[i] || (got < 0 && errno == ECHILD))
            pids.erase(pids.begin() + (long)i);
        else
            i++;
    }
    if (!pids.empty())
        Fl::repeat_timeout(kReapInterval, Reap, data);
}
