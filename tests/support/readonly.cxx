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

bool make_unwritable(const std::string &path)
{
    chmod(path.c_str(), 0444);
    if (geteuid() == 0)
        set_immutable(path, true);
    return access(path.c_str(), W_OK) != 0;
}

void make_writable(const std::string &path)
{
    if (geteuid() == 0)
        set_immutable(path, false);
    chmod(path.c_str(), 0644);
}
