// Desktop notices through the freedesktop notification service, by
// "notify-send" started as a child process: the window never waits for it,
// and where no service runs or notify-send is missing nothing is shown.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <vector>

class Notifier {
public:
    Notifier();
    // Removes its timeouts. A notify-send still running is left to finish
    // its notice on its own.
    ~Notifier();
    Notifier(const Notifier &) = delete;
    Notifier &operator=(const Notifier &) = delete;

    // Starts notify-send and returns at once; false when no child could be
    // started. The child keeps none of the program's descriptors, writes to
    // /dev/null, is reaped by its own pid from a toolkit timeout, and is
    // killed when it runs longer than a few seconds.
    bool Notify(const char *summary, const char *body);
    // Children not reaped yet.
    size_t Pending() const { return m_children.size(); }

private:
    struct Child {
        pid_t pid;
        double started;  // monotonic seconds
        bool killed;
    };
    static void Reap(void *data);
    void reap();

    std::vector<Child> m_children;
};
