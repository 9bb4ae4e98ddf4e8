// The listening side of one Wendle per display, against clients that are
// real processes on its real socket: well-behaved, silent, garbage, huge,
// and of another user.
#include <FL/Fl.H>
#include <gtest/gtest.h>

#include <chrono>
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

// Runs the client in a child process while the event loop serves it, and
// returns the answer it read.
std::string ask(const std::string &path, const Client &c)
{
    int out[2];
    if (pipe(out) != 0)
        return "no pipe";
    pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        struct sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        if ((c.uid && setuid(c.uid) != 0) || connect(fd, (sockaddr *)&addr, sizeof addr) != 0)
            _exit(1);
        for (size_t at = 0; at < c.bytes.size();) {
            ssize_t n = send(fd, c.bytes.data() + at, c.bytes.size() - at, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            at += (size_t)n;
        }
        if (c.endWrite)
            shutdown(fd, SHUT_WR);
        char buf[256];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0)
            if (write(out[1], buf, (size_t)n) != n)
                break;
        _exit(0);
    }
    close(out[1]);
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    std::string answer;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        char buf[256];
        ssize_t n = read(out[0], buf, sizeof buf);
        if (n > 0)
            answer.append(buf, (size_t)n);
        else if (n == 0 || std::chrono::steady_clock::now() > end)
            break;
        else
            Fl::wait(0.02);
    }
    close(out[0]);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return answer;
}

void take(const OpenRequest &request, void *data)
{
    static_cast<std::vector<OpenRequest> *>(data)->push_back(request);
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
    struct sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    ASSERT_EQ(0, bind(stale, (sockaddr *)&addr, sizeof addr));
    close(stale);

    SingleInstance server(0.5);
    std::vector<OpenRequest> got;
    server.SetHandler(take, &got);
    ASSERT_EQ(SingleInstance::FIRST, server.Start(path, OpenRequest(), &why)) << why;
    // Another user could reach it only through these modes.
    chmod(runtime.path().c_str(), 0711);
    chmod(path.c_str(), 0777);

    OpenRequest good;
    good.submit = true;
    good.files = {"/jobs/a.k", "/jobs/r/d3dump01"};
    std::string head("WENDLE/1\0-\0", 11);
    struct Case {
        const char *name;
        Client client;
        const char *answer;
    } cases[] = {
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
