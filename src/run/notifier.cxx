#include "run/notifier.h"

#include <FL/Fl.H>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "run/child_process.h"

namespace {

const double kReapInterval = 0.1;
// notify-send answers in milliseconds; one that has not after this hangs.
const double kHangSeconds = 5.0;

double monotonic_seconds()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

// The body may hold markup for the service: a file name's "&" or "<" must
// show as itself.
std::string escape_markup(const char *text)
{
    std::string out;
    for (const char *p = text; *p; p++) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += *p;
        }
    }
    return out;
}

} // namespace

Notifier::Notifier() = default;

Notifier::~Notifier()
{
    Fl::remove_timeout(Reap, this);
    for (const Child &c : m_children)
        waitpid(c.pid, nullptr, WNOHANG);
}

bool Notifier::Notify(const char *summary, const char *body)
{
    std::string text = escape_markup(body ? body : "");
    // "--": a summary starting with "-" is no option.
    const char *argv[] = {"notify-send", "--app-name=Wendle", "--", summary ? summary : "",
                          text.c_str(), nullptr};
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        CloseInheritedFds();
        execvp(argv[0], const_cast<char *const *>(argv));
        _exit(127);
    }
    if (pid < 0)
        return false;
    m_children.push_back(Child{pid, monotonic_seconds(), false});
    if (!Fl::has_timeout(Reap, this))
        Fl::add_timeout(kReapInterval, Reap, this);
    return true;
}

void Notifier::Reap(void *data)
{
    static_cast<Notifier *>(data)->reap();
}

void Notifier::reap()
{
    double now = monotonic_seconds();
    for (size_t i = 0; i < m_children.size();) {
        Child &c = m_children[i];
        pid_t got = waitpid(c.pid, nullptr, WNOHANG);
        if (got == c.pid || (got < 0 && errno == ECHILD)) {
            m_children.erase(m_children.begin() + (long)i);
            continue;
        }
        // Not reaped, so the pid is still this child's.
        if (!c.killed && now - c.started > kHangSeconds) {
            kill(c.pid, SIGKILL);
            c.killed = true;
        }
        i++;
    }
    if (!m_children.empty())
        Fl::repeat_timeout(kReapInterval, Reap, this);
}
