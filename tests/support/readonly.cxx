#include "support/readonly.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

static bool set_immutable(const std::string &path, bool on)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

// A folder keeps its search bits: what is in it can still be reached.
static mode_t mode_for(const std::string &path, bool writable)
{
    struct stat st;
    bool folder = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return folder ? (writable ? 0755 : 0555) : (writable ? 0644 : 0444);
}

bool make_unwritable(const std::string &path)
{
    chmod(path.c_str(), mode_for(path, false));
    if (geteuid() == 0)
        set_immutable(path, true);
    return access(path.c_str(), W_OK) != 0;
}

void make_writable(const std::string &path)
{
    if (geteuid() == 0)
        set_immutable(path, false);
    chmod(path.c_str(), mode_for(path, true));
}
