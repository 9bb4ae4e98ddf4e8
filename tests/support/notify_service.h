// A private desktop notification service (dunst, by notify-service.sh in
// this folder) for the life of a test, with DBUS_SESSION_BUS_ADDRESS
// pointing at it. It needs $DISPLAY.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

class NotifyService {
public:
    // dir: a folder of the test's, where the service keeps its state.
    explicit NotifyService(const std::string &dir);
    // Stops the service and puts the environment back.
    ~NotifyService();
    NotifyService(const NotifyService &) = delete;
    NotifyService &operator=(const NotifyService &) = delete;

    // Empty once the service answers, else why it does not.
    const std::string &problem() const { return m_problem; }
    // The summary of every notice it received, oldest first.
    std::vector<std::string> summaries() const;

private:
    std::string m_dir;
    pid_t m_pid;
    std::string m_problem;
    bool m_hadAddress;
    std::string m_oldAddress;
};
