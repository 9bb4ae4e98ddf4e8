#include "solver/sense_switch.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace {

const char kSwitchFile[] = "D3KIL";
const char kDumpPrefix[] = "d3dump";
const size_t kDumpPrefixLen = sizeof kDumpPrefix - 1;
const size_t kDumpDigits = 9;

std::string in_folder(const char *folder, const char *name)
{
    std::string path = folder;
    if (path.back() != '/')
        path += '/';
    return path + name;
}

int fail(std::string *why, const std::string &text)
{
    if (why)
        *why = text;
    return 0;
}

// The number of a restart dump's name, or -1 when it is no such name.
long dump_number(const char *name)
{
    if (strncmp(name, kDumpPrefix, kDumpPrefixLen) != 0)
        return -1;
    const char *digits = name + kDumpPrefixLen;
    size_t n = strlen(digits);
    if (n == 0 || n > kDumpDigits || strspn(digits, "0123456789") != n)
        return -1;
    return strtol(digits, nullptr, 10);
}

} // namespace

int WriteSenseSwitch(const char *folder, int n, std::string *why)
{
    if (n < 1 || n > 4)
        return fail(why, "there is no sense switch " + std::to_string(n));
    if (!folder || !*folder)
        return fail(why, "no folder is named");
    // Never through a link: a D3KIL that leads out of the folder (made by
    // anyone since the job started) is replaced, not followed, and the file
    // is made under a fresh name first, so the solver never reads half of it.
    int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return fail(why, std::string("cannot enter ") + folder + " (" + strerror(errno) + ")");
    char text[16];
    int len = snprintf(text, sizeof text, "sw%d.\n", n);
    char temp[64];
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; attempt++) {
        snprintf(temp, sizeof temp, ".%s.%ld.%d", kSwitchFile, (long)getpid(), attempt);
        fd = openat(dir, temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    std::string target = in_folder(folder, kSwitchFile);
    if (fd < 0) {
        close(dir);
        return fail(why, "cannot write " + target);
    }
    bool written = write(fd, text, (size_t)len) == len;
    written = close(fd) == 0 && written;
    if (!written || renameat(dir, temp, dir, kSwitchFile) != 0) {
        unlinkat(dir, temp, 0);
        close(dir);
        return fail(why, "cannot write " + target);
    }
    close(dir);
    return 1;
}

int RemoveSenseSwitch(const char *folder)
{
    if (!folder || !*folder)
        return -1;
    if (unlink(in_folder(folder, kSwitchFile).c_str()) == 0)
        return 1;
    return errno == ENOENT ? -1 : 0;
}

int NewestRestartDump(const char *folder, std::string *name)
{
    DIR *dir = folder && *folder ? opendir(folder) : nullptr;
    if (!dir)
        return 0;
    long best = -1;
    struct timespec bestTime = {0, 0};
    std::string bestName;
    for (;;) {
        errno = 0;
        struct dirent *e = readdir(dir);
        if (!e)
            break;
        long number = dump_number(e->d_name);
        struct stat st;
        if (number < 0 || number < best || fstatat(dirfd(dir), e->d_name, &st, 0) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        const struct timespec &t = st.st_mtim;
        bool newer = number > best || t.tv_sec > bestTime.tv_sec ||
                     (t.tv_sec == bestTime.tv_sec && t.tv_nsec > bestTime.tv_nsec) ||
                     (t.tv_sec == bestTime.tv_sec && t.tv_nsec == bestTime.tv_nsec &&
                      strcmp(e->d_name, bestName.c_str()) > 0);
        if (newer) {
            best = number;
            bestTime = t;
            bestName = e->d_name;
        }
    }
    // A listing cut short by an error is not the whole folder.
    int err = errno;
    closedir(dir);
    if (err != 0)
        return 0;
    if (best < 0)
        return -1;
    *name = bestName;
    return 1;
}
