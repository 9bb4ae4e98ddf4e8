// What a child process does between fork and exec, and the children the
// program no longer follows.
#pragma once
#include <sys/types.h>

#include <vector>

// Closes every descriptor above the standard three. The program's own (its
// X connection above all) must not live on in a child, or the main window
// would stay on screen after the program ended. Only async-signal-safe
// calls: fit for the child side of a fork.
void CloseInheritedFds();

// Children nobody waits for any more (a judged job's terminal still open, an
// editor's terminal): reaped once they end, each by its own pid, from a
// toolkit timer, so that none stays a zombie.
class ChildReaper {
public:
    ChildReaper() = default;
    ~ChildReaper();
    ChildReaper(const ChildReaper &) = delete;
    ChildReaper &operator=(const ChildReaper &) = delete;

    void Add(pid_t pid);
    size_t Pending() const { return m_pids.size(); }

private:
    static void Reap(void *data);
    std::vector<pid_t> m_pids;
};
