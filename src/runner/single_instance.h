// One Wendle per user and display: the first program listens on a Unix
// socket in the user's runtime folder, and a second `wendle` hands it its
// files there and ends. The listening side runs in the event loop and never
// waits for a client.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct OpenRequest {
    bool submit = false;             // press Submit Jobs after adding the files
    std::vector<std::string> files;  // absolute paths; none: only raise the window
};

// A request on the wire: "WENDLE/1", then "submit" or "-", then each path,
// every field ended by a NUL byte, and an empty field that ends it all.
std::string EncodeOpenRequest(const OpenRequest &request);

// Takes a request in as its bytes arrive, and refuses it as soon as they
// show it is malformed.
class OpenRequestReader {
public:
    enum {
        MESSAGE_MAX = 4 << 20,  // bytes of a whole request
        FIELD_MAX = 4096,       // bytes of a path
    };
    // 1 once the request is complete, 0 while more is needed, -1 when the
    // bytes are malformed (then and afterwards; Problem() says why).
    int Feed(const char *bytes, size_t n);
    const OpenRequest &Request() const { return m_request; }
    const std::string &Problem() const { return m_problem; }

private:
    int field_done();
    OpenRequest m_request;
    std::string m_field;
    int m_fields = 0;
    size_t m_total = 0;
    int m_state = 0;  // as Feed returns
    std::string m_problem;
};

// Where this user's Wendle on display (as $DISPLAY names it) listens: in
// $XDG_RUNTIME_DIR, or, when that is unset or not the user's own private
// folder, in /tmp/wendle-UID, made with mode 0700 and used only when it is
// the user's own and private. "" with why when there is no safe place.
std::string SingleInstanceSocket(const char *display, std::string *why);

class SingleInstance {
public:
    using Handler = void (*)(const OpenRequest &request, void *data);
    enum Role {
        FIRST,        // none ran: this program listens
        HANDED_OVER,  // the running one took the request
        ALONE,        // no socket can be had (why says): run without one
        FAILED,       // one runs but did not take the request (why says)
    };

    // A client that has not sent its whole request after clientSeconds is
    // refused; a second program waits as long for the first one's answer.
    explicit SingleInstance(double clientSeconds = 5.0);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Hands request to the program that listens at path, or, when none
    // does (a socket left by one that crashed is replaced), listens there.
    Role Start(const std::string &path, const OpenRequest &request, std::string *why);
    // Requests taken while the event loop runs go to handler.
    void SetHandler(Handler handler, void *data);

private:
    struct Client;
    static void AcceptCb(int fd, void *data);
    static void ReadCb(int fd, void *data);
    static void TimeoutCb(void *data);
    void accept_clients();
    void read_client(Client *client);
    void finish(Client *client, const std::string &reply);
    bool listen_at(const std::string &path, std::string *why);

    double m_clientSeconds;
    std::string m_path;
    int m_lockFd = -1;
    int m_listenFd = -1;
    Handler m_handler = nullptr;
    void *m_handlerData = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
};
