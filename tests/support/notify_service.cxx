#include "support/notify_service.h"
#include "support/tempdir.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

const char kScript[] = WENDLE_SOURCE_DIR "/tests/support/notify-service.sh";

// What the script prints for `command`; false when it fails.
bool script(const char *command, const std::string &dir, std::string *out)
{
    std::string line = std::string("bash '") + kScript + "' " + command + " '" + dir + "'";
    FILE *fp = popen(line.c_str(), "r");
    if (!fp)
        return false;
    char buf[4096];
    size_t got;
    out->clear();
    while ((got = fread(buf, 1, sizeof buf, fp)) > 0)
        out->append(buf, got);
    bool read_ok = !ferror(fp);
    return pclose(fp) == 0 && read_ok;
}

} // namespace

NotifyService::NotifyService(const std::string &dir) : m_dir(dir), m_pid(-1)
{
    const char *old = getenv("DBUS_SESSION_BUS_ADDRESS");
    m_hadAddress = old != nullptr;
    if (old)
        m_oldAddress = old;
    m_pid = fork();
    if (m_pid == 0) {
        execlp("bash", "bash", kScript, "run", dir.c_str(), (char *)nullptr);
        _exit(127);
    }
    std::string address;
    if (m_pid < 0 || !script("ready", dir, &address)) {
        m_problem = "the notification service did not start: " + read_file(dir + "/dunst.log");
        return;
    }
    while (!address.empty() && address.back() == '\n')
        address.pop_back();
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}

NotifyService::~NotifyService()
{
    std::string out;
    script("stop", m_dir, &out);
    if (m_pid > 0) {
        // The bus ends with dunst; one that does not within seconds is ended.
        int waited = 0;
        while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (++waited == 200)
                kill(m_pid, SIGKILL);
            usleep(20000);
        }
    }
    if (m_hadAddress)
        setenv("DBUS_SESSION_BUS_ADDRESS", m_oldAddress.c_str(), 1);
    else
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

std::vector<std::string> NotifyService::summaries() const
{
    std::vector<std::string> lines;
    std::string out;
    if (!script("summaries", m_dir, &out))
        return lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}
