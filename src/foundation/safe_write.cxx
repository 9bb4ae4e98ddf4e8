#include "foundation/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

bool write_all(int fd, const char *p, size_t n, off_t at)
{
    while (n > 0) {
        ssize_t got = pwrite(fd, p, n, at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        n -= (size_t)got;
        at += got;
    }
    return true;
}

// Best effort on a path that has failed already: the caller reports the
// failure whatever this does.
void restore_length(int fd, off_t len)
{
    while (ftruncate(fd, len) != 0 && errno == EINTR) {
    }
}

bool rewrite_in_place(const std::string &file, const std::string &content)
{
    int fd = open(file.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    std::vector<char> old;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok) {
        old.resize((size_t)st.st_size);
        ok = pread(fd, old.data(), old.size(), 0) == (ssize_t)old.size();
    }
    // The room is taken first, so that the writing cannot run out of it
    // half-way.
    if (ok && content.size() > old.size())
        ok = posix_fallocate(fd, 0, (off_t)content.size()) == 0;
    if (ok) {
        if (write_all(fd, content.data(), content.size(), 0) &&
            ftruncate(fd, (off_t)content.size()) == 0 && fsync(fd) == 0) {
            return close(fd) == 0;
        }
        // Put back what was there.
        write_all(fd, old.data(), old.size(), 0);
        restore_length(fd, (off_t)old.size());
        fsync(fd);
    }
    close(fd);
    return false;
}

} // namespace

std::string FileBehind(const char *path)
{
    char real[PATH_MAX];
    if (realpath(path, real))
        return real;
    std::string at = path;
    for (int hops = 0; hops < 40; hops++) {
        char link[PATH_MAX];
        ssize_t n = readlink(at.c_str(), link, sizeof link - 1);
        if (n < 0)
            break;
        link[n] = '\0';
        if (link[0] == '/') {
            at = link;
        } else {
            size_t slash = at.rfind('/');
            at = (slash == std::string::npos ? std::string() : at.substr(0, slash + 1)) + link;
        }
    }
    return at;
}

int ReadFileWhole(const char *path, size_t maxSize, std::string *text)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : -1;
    struct stat st;
    int result = -1;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (size_t)st.st_size <= maxSize) {
        text->reserve((size_t)st.st_size);
        char buf[65536];
        for (;;) {
            ssize_t got = read(fd, buf, sizeof buf);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 || text->size() + (size_t)got > maxSize)
                break;
            if (got == 0) {
                result = 1;
                break;
            }
            text->append(buf, (size_t)got);
        }
    }
    close(fd);
    return result;
}

int BeginReplacement(const char *path, Replacement *r)
{
    r->file = FileBehind(path);
    mode_t mode;
    struct stat st;
    if (stat(r->file.c_str(), &st) == 0) {
        // The rename would replace a file its user made read-only, where
        // opening it for writing fails.
        if (faccessat(AT_FDCWD, r->file.c_str(), W_OK, AT_EACCESS) != 0)
            return 0;
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    std::string tmp = r->file + ".XXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    r->fd = mkstemp(name.data());
    if (r->fd < 0)
        return -1;
    r->temp = name.data();
    if (fchmod(r->fd, mode) != 0) {
        close(r->fd);
        unlink(r->temp.c_str());
        r->fd = -1;
        return -1;
    }
    return 1;
}

int FinishReplacement(const Replacement &r, const char *content, size_t size)
{
    errno = 0;
    bool ok = write_all(r.fd, content, size, 0);
    ok = ok && fsync(r.fd) == 0;
    int err = ok ? 0 : errno ? errno : EIO;
    if (close(r.fd) != 0 && !err)
        err = errno ? errno : EIO;
    if (!err && rename(r.temp.c_str(), r.file.c_str()) != 0)
        err = errno ? errno : EIO;
    if (err)
        unlink(r.temp.c_str());
    return err;
}

bool ReplaceFileSafely(const char *path, const std::string &content)
{
    Replacement r;
    int got = BeginReplacement(path, &r);
    if (got == 0)
        return false;
    if (got < 0)
        return rewrite_in_place(r.file, content);
    return FinishReplacement(r, content.data(), content.size()) == 0;
}

bool AppendFileWhole(const char *path, const std::string &content)
{
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        close(fd);
        return false;
    }
    const char *p = content.data();
    size_t left = content.size();
    bool ok = true;
    while (left > 0 && ok) {
        ssize_t got = write(fd, p, left);
        if (got < 0 && errno == EINTR)
            continue;
        ok = got > 0;
        if (ok) {
            p += got;
            left -= (size_t)got;
        }
    }
    // A cut block would glue the next one onto its last line.
    if (!ok)
        restore_length(fd, st.st_size);
    return close(fd) == 0 && ok;
}
