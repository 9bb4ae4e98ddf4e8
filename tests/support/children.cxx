#include "support/children.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/tempdir.h"

int zombie_children()
{
    int count = 0;
    for (auto &entry : std::filesystem::directory_iterator("/proc")) {
        std::string stat = read_file(entry.path().string() + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int ppid = 0;
        if (sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && state == 'Z' &&
            ppid == getpid())
            count++;
    }
    return count;
}
