// The listening side of one Wendle per display, against real client processes:
// well-behaved, silent, garbage, huge, and of another user.
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runner/single_instance.h"
#include "support/tempdir.h"

namespace {

struct Client {
    std::string bytes;
    bool endWrite = true;  // shut its sending side once all is sent
    uid_t uid = 0;         // 0: as this process
};

sockaddr_un address(const std::string &path)
{
    sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    return addr;
}

// Runs the client in a child process while the event loop serves it, and
// returns the answer it read.
std::string ask(const std::string &path, const Client &c)
{
    int out[2];
    if (pipe(out) != 0)
        return "no pipe";
    pid_t pid = fork();
    if (pid == 0) {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = address(path);
        if ((c.uid && setuid(c.uid) != 0) || connect(fd, (sockaddr *)&addr, sizeof addr) != 0)
            _exit(1);
        if (send(fd, c.bytes.data(), c.bytes.size(), MSG_NOSIGNAL) >= 0 && c.endWrite)
            shutdown(fd, SHUT_WR);
        char buf[256];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0 && write(out[1], buf, (size_t)n) == n) {
        }
        _exit(0);
    }
    close(out[1]);
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    std::string answer;
    char buf[256];
    ssize_t n;
    for (int i = 0; i < 1000 && (n = read(out[0], buf, sizeof buf)) != 0; i++) {
        if (n > 0)
            answer.append(buf, (size_t)n);
        else
            Fl::wait(0.02);
    }
    close(out[0]);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return answer;
}

TEST(SingleInstanceTest, ServesGoodClientsAndRefusesTheRest)
{
    TempDir runtime;
    chmod(runtime.path().c_str(), 0700);
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
    std::string why;
    std::string path = SingleInstanceSocket(":7.0", &why);
    ASSERT_EQ(runtime.path() + "/wendle-:7.socket", path) << why;

    // A socket left behind by a program that crashed is replaced.
    int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr = address(path);
    ASSERT_EQ(0, bind(stale, (sockaddr *)&addr, sizeof addr));
    close(stale);

    SingleInstance server(0.5);
    std::vector<OpenRequest> got;
    server.SetHandler([](const OpenRequest &r, void *to) {
        static_cast<std::vector<OpenRequest> *>(to)->push_back(r); }, &got);
    ASSERT_EQ(SingleInstance::FIRST, server.Start(path, OpenRequest(), &why)) << why;
    // Another user could reach it only through these modes.
    chmod(runtime.path().c_str(), 0711);
    chmod(path.c_str(), 0777);

    OpenRequest good;
    good.submit = true;
    good.files = {"/jobs/a.k", "/jobs/r/d3dump01"};
    std::string head("WENDLE/1\0-\0", 11);
    struct Case { const char *name; Client client; const char *answer; } cases[] = {
        {"silent", {"", false}, "ERROR: refused: the request did not come whole in time\n"},
        {"garbage", {"GET / HTTP/1.0\r\n\r\n"}, "ERROR: refused: not a Wendle request\n"},
        {"a million bytes", {head + std::string(1000000, 'a')},
         "ERROR: refused: a path longer than 4096 bytes in the request\n"},
        {"relative path", {head + "a.k" + '\0' + '\0'},
         "ERROR: refused: a path in the request is not absolute\n"},
        {"cut short", {head + "/a.k"}, "ERROR: refused: the request ended before it was whole\n"},
        {"bytes after the end", {head + '\0' + "more"},
         "ERROR: refused: bytes after the request's end\n"},
        {"another user", {EncodeOpenRequest(good), true, 65534},
         "ERROR: refused: the request comes from another user\n"},
        {"good", {EncodeOpenRequest(good)}, "OK\n"},
        {"raise only", {EncodeOpenRequest(OpenRequest())}, "OK\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.client.uid && getuid() != 0)
            continue;  // only root may act as another user
        EXPECT_EQ(c.answer, ask(path, c.client));
    }
    ASSERT_EQ(2u, got.size());
    EXPECT_TRUE(got[0].submit);
    EXPECT_EQ(good.files, got[0].files);
    EXPECT_TRUE(!got[1].submit && got[1].files.empty());
}

} // namespace
