// Desktop notices with a real notification service, with none, with no
// notify-send, and with a bus that never answers.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "run/notifier.h"
#include "support/children.h"
#include "support/gui.h"
#include "support/notify_service.h"
#include "support/tempdir.h"

namespace {

double now()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

// A socket that takes connections and never says a word: a bus that hangs.
int silent_bus(const std::string &path)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    struct sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    if (fd < 0 || bind(fd, (struct sockaddr *)&addr, sizeof addr) != 0 || listen(fd, 8) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    return fd;
}

TEST(NotifierTest, NeverWaitsAndReapsItsChildren)
{
    TempDir dir;
    dir.mkdir("service");
    dir.mkdir("empty");
    enum Kind { SERVICE, NO_SERVICE, NO_PROGRAM, HANGS };
    struct Case {
        const char *name;
        Kind kind;
        double within;  // seconds until every child is reaped
    } cases[] = {
        {"a real service", SERVICE, 5},
        {"no service", NO_SERVICE, 5},
        {"no notify-send", NO_PROGRAM, 5},
        {"a bus that never answers", HANGS, 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<NotifyService> service;
        std::unique_ptr<ScopedEnv> env;
        int silent = -1;
        if (c.kind == SERVICE) {
            service.reset(new NotifyService(dir.file("service")));
            ASSERT_EQ("", service->problem());
        } else if (c.kind == NO_SERVICE) {
            env.reset(new ScopedEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"));
        } else if (c.kind == NO_PROGRAM) {
            env.reset(new ScopedEnv("PATH", dir.file("empty").c_str()));
        } else {
            silent = silent_bus(dir.file("bus"));
            ASSERT_GE(silent, 0);
            env.reset(new ScopedEnv("DBUS_SESSION_BUS_ADDRESS",
                                    ("unix:path=" + dir.file("bus")).c_str()));
        }

        Notifier notifier;
        double before = now();
        EXPECT_TRUE(notifier.Notify("plate.k: Aborted", "in /w/a & <b>/"));
        // A summary that looks like an option is still the summary.
        EXPECT_TRUE(notifier.Notify("-2 DYNA JOBS", "done"));
        EXPECT_LT(now() - before, 0.5) << "Notify waited for its child";
        EXPECT_EQ(2u, notifier.Pending());

        bool reaped = gui::wait_for(c.within, [](void *n) {
            return static_cast<Notifier *>(n)->Pending() == 0;
        }, &notifier);
        EXPECT_TRUE(reaped) << notifier.Pending() << " notify-send still not reaped";
        EXPECT_EQ(0, zombie_children());
        if (c.kind == SERVICE) {
            // The two children race each other to the service.
            std::vector<std::string> got = service->summaries();
            std::sort(got.begin(), got.end());
            EXPECT_EQ((std::vector<std::string>{"-2 DYNA JOBS", "plate.k: Aborted"}), got);
        }
        if (silent >= 0)
            close(silent);
    }
}

} // namespace
