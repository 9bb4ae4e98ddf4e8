#include "run/child_process.h"

#include <unistd.h>

void CloseInheritedFds()
{
    if (close_range(3, ~0U, 0) == 0)
        return;
    long max = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); fd++)
        close(fd);
}
