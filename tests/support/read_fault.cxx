#include "support/read_fault.h"

#include <gtest/gtest.h>

#include <link.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern char **environ;

namespace {

const char kChildVar[] = "WENDLE_READ_FAULT_CHILD";

// A sanitizer runtime that must come first among the preloaded libraries.
std::string sanitizer_runtime()
{
    std::string found;
    dl_iterate_phdr(
        [](struct dl_phdr_info *info, size_t, void *data) {
            if (info->dlpi_name && strstr(info->dlpi_name, "/libasan.so"))
                *static_cast<std::string *>(data) = info->dlpi_name;
            return 0;
        },
        &found);
    return found;
}

} // namespace

bool in_read_fault_child()
{
    return getenv(kChildVar) != nullptr;
}

std::string rerun_with_read_fault()
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string filter =
        std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    std::string runtime = sanitizer_runtime();
    std::string preload = "LD_PRELOAD=" + (runtime.empty() ? "" : runtime + ":") +
                          WENDLE_READ_FAULT_LIB;
    std::vector<std::string> env;
    for (char **e = environ; *e; e++)
        if (strncmp(*e, "LD_PRELOAD=", 11) != 0)
            env.push_back(*e);
    env.push_back(preload);
    env.push_back(std::string(kChildVar) + "=1");
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(&e[0]);
    envp.push_back(nullptr);

    char self[] = "/proc/self/exe";
    std::vector<char *> argv = {self, &filter[0], nullptr};
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        return "cannot fork";
    if (pid == 0) {
        execve(self, argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    for (int i = 0; i < 6000; i++) {
        pid_t got = waitpid(pid, &status, WNOHANG);
        if (got == pid) {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                return "";
            return "the child's test failed (status " + std::to_string(status) + ")";
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return "the child's test did not end within 60 s";
}

void set_read_fault(const std::string &path, long long at)
{
    if (at < 0) {
        unsetenv("WENDLE_READ_FAULT_PATH");
        unsetenv("WENDLE_READ_FAULT_AT");
        return;
    }
    setenv("WENDLE_READ_FAULT_PATH", path.c_str(), 1);
    setenv("WENDLE_READ_FAULT_AT", std::to_string(at).c_str(), 1);
}
