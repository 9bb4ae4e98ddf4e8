#include "runner/single_instance.h"

#include <FL/Fl.H>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

namespace {

const char kMagic[] = "WENDLE/1";
const int kClientsMax = 16;
// Bytes read from one client in one pass of the event loop.
const size_t kReadPerPass = 64 * 1024;

// A folder only this user can enter, owned by them.
bool private_folder(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           (st.st_mode & 077) == 0;
}

// The display's name without its screen: ":0.1" is the display ":0".
std::string display_key(const char *display)
{
    std::string key = display;
    size_t colon = key.rfind(':');
    size_t dot = key.find('.', colon == std::string::npos ? 0 : colon);
    if (colon != std::string::npos && dot != std::string::npos)
        key.erase(dot);
    for (char &c : key)
        if (!isalnum((unsigned char)c) && !strchr(":.-_", c))
            c = '_';
    return key;
}

void sleep_ms(long ms)
{
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

bool send_all(int fd, const std::string &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += (size_t)n;
    }
    return true;
}

enum Handoff { TAKEN, NOBODY, REFUSED };

// Sends request to the program listening at path and waits for its answer.
Handoff hand_over(const std::string &path, const OpenRequest &request, double seconds,
                  std::string *why)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *why = strerror(errno);
        return REFUSED;
    }
    // The limits hold for the connection too: a program that stopped with
    // its queue of connections full would make it wait for ever.
    struct timeval tv;
    tv.tv_sec = (time_t)seconds;
    tv.tv_usec = (suseconds_t)((seconds - (double)tv.tv_sec) * 1e6);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    struct sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    if (connect(fd, (struct sockaddr *)&addr, sizeof addr) != 0) {
        int err = errno;
        *why = strerror(err);
        close(fd);
        return err == ECONNREFUSED || err == ENOENT ? NOBODY : REFUSED;
    }
    // A refusal may close the connection before all is sent: its answer
    // is read all the same.
    send_all(fd, EncodeOpenRequest(request));
    std::string answer;
    char buf[512];
    for (;;) {
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || answer.size() > 4096)
            break;
        answer.append(buf, (size_t)n);
    }
    close(fd);
    if (answer == "OK\n")
        return TAKEN;
    while (!answer.empty() && answer.back() == '\n')
        answer.pop_back();
    if (answer.compare(0, 7, "ERROR: ") == 0)
        *why = "the running Wendle " + answer.substr(7);
    else
        *why = "the running Wendle did not answer";
    return REFUSED;
}

} // namespace

std::string EncodeOpenRequest(const OpenRequest &request)
{
    std::string out(kMagic, sizeof kMagic);
    out += request.submit ? "submit" : "-";
    out += '\0';
    for (const std::string &file : request.files) {
        out += file;
        out += '\0';
    }
    out += '\0';
    return out;
}

int OpenRequestReader::field_done()
{
    int index = m_fields++;
    if (index == 0) {
        if (m_field != kMagic) {
            m_problem = "not a Wendle request";
            return -1;
        }
    } else if (index == 1) {
        if (m_field != "submit" && m_field != "-") {
            m_problem = "unknown option in the request";
            return -1;
        }
        m_request.submit = m_field == "submit";
    } else if (m_field.empty()) {
        return 1;
    } else if (m_field[0] != '/') {
        m_problem = "a path in the request is not absolute";
        return -1;
    } else {
        m_request.files.push_back(m_field);
    }
    m_field.clear();
    return 0;
}

int OpenRequestReader::Feed(const char *bytes, size_t n)
{
    if (m_state < 0 || (m_state == 1 && n == 0))
        return m_state;
    if (m_state == 1) {
        m_problem = "bytes after the request's end";
        return m_state = -1;
    }
    m_total += n;
    if (m_total > MESSAGE_MAX) {
        m_problem = "a request longer than " + std::to_string(MESSAGE_MAX) + " bytes";
        return m_state = -1;
    }
    while (n > 0) {
        const char *nul = (const char *)memchr(bytes, '\0', n);
        size_t take = nul ? (size_t)(nul - bytes) : n;
        m_field.append(bytes, take);
        // Garbage is told at its first bytes, a runaway field at its limit.
        size_t limit = m_fields == 0 ? sizeof kMagic - 1 : (size_t)FIELD_MAX;
        if (m_field.size() > limit ||
            (m_fields == 0 && m_field.compare(0, std::string::npos, kMagic, m_field.size()) != 0)) {
            m_problem = m_fields == 0 ? "not a Wendle request"
                                      : "a path longer than " + std::to_string(FIELD_MAX) +
                                            " bytes in the request";
            return m_state = -1;
        }
        if (!nul)
            return 0;
        bytes += take + 1;
        n -= take + 1;
        m_state = field_done();
        if (m_state < 0)
            return m_state;
        if (m_state == 1 && n > 0) {
            m_problem = "bytes after the request's end";
            return m_state = -1;
        }
    }
    return m_state;
}

std::string SingleInstanceSocket(const char *display, std::string *why)
{
    if (!display || !*display) {
        *why = "no display named";
        return "";
    }
    std::string folder;
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && private_folder(runtime)) {
        folder = runtime;
    } else {
        folder = "/tmp/wendle-" + std::to_string(getuid());
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            *why = folder + ": " + strerror(errno);
            return "";
        }
        // Made by someone else, it could be watched or swapped: not used.
        struct stat st;
        if (lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid())
            chmod(folder.c_str(), 0700);
        if (!private_folder(folder)) {
            *why = folder + " is not a private folder of this user";
            return "";
        }
    }
    std::string path = folder + "/wendle-" + display_key(display) + ".socket";
    if (path.size() >= sizeof(((struct sockaddr_un *)nullptr)->sun_path)) {
        *why = path + ": too long for a socket";
        return "";
    }
    return path;
}

struct SingleInstance::Client {
    SingleInstance *owner;
    int fd;
    OpenRequestReader reader;
};

SingleInstance::SingleInstance(double clientSeconds) : m_clientSeconds(clientSeconds) {}

SingleInstance::~SingleInstance()
{
    while (!m_clients.empty())
        finish(m_clients.back().get(), "");
    if (m_listenFd >= 0) {
        Fl::remove_fd(m_listenFd);
        close(m_listenFd);
        // Removed while the lock still says this program owns the place.
        unlink(m_path.c_str());
    }
    if (m_lockFd >= 0)
        close(m_lockFd);
}

void SingleInstance::SetHandler(Handler handler, void *data)
{
    m_handler = handler;
    m_handlerData = data;
}

SingleInstance::Role SingleInstance::Start(const std::string &path, const OpenRequest &request,
                                           std::string *why)
{
    // The lock tells a live program from a socket left behind: the system
    // lets go of it when its holder ends, however it ends.
    std::string lock = path + ".lock";
    m_lockFd = open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        *why = lock + ": " + strerror(errno);
        return ALONE;
    }
    // A program that holds the lock may still be making its socket.
    for (int tries = 0; tries < 40; tries++) {
        if (flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
            return listen_at(path, why) ? FIRST : ALONE;
        Handoff got = hand_over(path, request, m_clientSeconds, why);
        if (got == TAKEN)
            return HANDED_OVER;
        if (got == REFUSED)
            return FAILED;
        sleep_ms(50);
    }
    *why = "a Wendle runs on this display but does not listen at " + path + " (" + *why + ")";
    return FAILED;
}

bool SingleInstance::listen_at(const std::string &path, std::string *why)
{
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        unlink(path.c_str());
    m_listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    struct sockaddr_un addr = {};
    addr.sun_family = AF_UNIX;
    snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    if (m_listenFd < 0 || bind(m_listenFd, (struct sockaddr *)&addr, sizeof addr) != 0 ||
        listen(m_listenFd, kClientsMax) != 0) {
        *why = path + ": " + strerror(errno);
        if (m_listenFd >= 0)
            close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_path = path;
    Fl::add_fd(m_listenFd, FL_READ, AcceptCb, this);
    return true;
}

void SingleInstance::AcceptCb(int, void *data)
{
    static_cast<SingleInstance *>(data)->accept_clients();
}

void SingleInstance::accept_clients()
{
    for (int i = 0; i < kClientsMax; i++) {
        int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        struct ucred peer;
        socklen_t len = sizeof peer;
        const char *refusal = nullptr;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0 || peer.uid != getuid())
            refusal = "ERROR: refused: the request comes from another user\n";
        else if ((int)m_clients.size() >= kClientsMax)
            refusal = "ERROR: refused: too many requests at once\n";
        if (refusal) {
            fprintf(stderr, "wendle: %s: %s", m_path.c_str(), refusal);
            send(fd, refusal, strlen(refusal), MSG_NOSIGNAL | MSG_DONTWAIT);
            close(fd);
            continue;
        }
        m_clients.push_back(std::unique_ptr<Client>(new Client{this, fd, {}}));
        Client *client = m_clients.back().get();
        Fl::add_fd(fd, FL_READ, ReadCb, client);
        Fl::add_timeout(m_clientSeconds, TimeoutCb, client);
    }
}

void SingleInstance::ReadCb(int, void *data)
{
    Client *client = static_cast<Client *>(data);
    client->owner->read_client(client);
}

void SingleInstance::TimeoutCb(void *data)
{
    Client *client = static_cast<Client *>(data);
    client->owner->finish(client, "ERROR: refused: the request did not come whole in time\n");
}

void SingleInstance::read_client(Client *client)
{
    char buf[16 * 1024];
    for (size_t pass = 0; pass < kReadPerPass; pass += sizeof buf) {
        ssize_t n = recv(client->fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            finish(client, "ERROR: refused: the request ended before it was whole\n");
            return;
        }
        int got = client->reader.Feed(buf, (size_t)n);
        if (got < 0) {
            finish(client, "ERROR: refused: " + client->reader.Problem() + "\n");
            return;
        }
        if (got == 1) {
            OpenRequest request = client->reader.Request();
            finish(client, "OK\n");
            if (m_handler)
                m_handler(request, m_handlerData);
            return;
        }
    }
}

void SingleInstance::finish(Client *client, const std::string &reply)
{
    if (!reply.empty()) {
        send(client->fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (reply != "OK\n")
            fprintf(stderr, "wendle: %s: %s", m_path.c_str(), reply.c_str());
    }
    Fl::remove_fd(client->fd);
    Fl::remove_timeout(TimeoutCb, client);
    close(client->fd);
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if (it->get() == client) {
            m_clients.erase(it);
            return;
        }
    }
}
