#include "dialogs/file_name.h"

#include <FL/filename.H>

#include <cstdio>
#include <cstring>

bool FileName_CopyFolder(char *to, const char *from)
{
    size_t n = strlen(from);
    bool slash = n > 0 && from[n - 1] == '/';
    if (n + (slash ? 0 : 1) >= FD_PATH_SIZE)
        return false;
    memmove(to, from, n);
    if (!slash)
        to[n++] = '/';
    to[n] = '\0';
    return true;
}

bool FileName_Clean(const char *typed, char *out)
{
    out[0] = '\0';
    if (!typed || !typed[0])
        return false;
    while (*typed == ' ')
        typed++;
    snprintf(out, FD_PATH_SIZE, "%s", typed);
    size_t n = strlen(out);
    while (n > 0 && out[n - 1] == ' ')
        out[--n] = '\0';
    for (char *c = out; *c; c++)
        if (*c == '\\')
            *c = '/';
    return true;
}

bool FileName_HasBadChars(const char *name)
{
    const char *firstSlash = strchr(name, '/');
    for (const char *c = name; *c; c++) {
        if (strchr("*?\"<>|\\", *c))
            return true;
        // A drive-like "C:" may open a name, never follow a folder.
        if (*c == ':' && firstSlash && c > firstSlash)
            return true;
        if (*c == '/' && c[1] == '/')
            return true;
    }
    return false;
}

int FileName_Resolve(const char *name, const char *dir, char *const *folders, int nFolders, char *out)
{
    out[0] = '\0';
    if (FileName_HasBadChars(name))
        return FN_BAD_NAME;
    bool shown = false;
    for (int i = 0; i < nFolders && !shown; i++)
        shown = strcmp(folders[i], name) == 0;
    if (shown) {
        int n = snprintf(out, FD_PATH_SIZE, "%s%s/", dir, name);
        if (n > 0 && n < FD_PATH_SIZE)
            return FN_FOLDER;
    } else if (!strchr(name, '/')) {
        snprintf(out, FD_PATH_SIZE, "%s", name);
        return FN_PLAIN;
    } else if (fl_filename_isdir(name)) {
        if (FileName_CopyFolder(out, name))
            return FN_FOLDER;
    } else {
        const char *rest = name[0] == '/' ? name + 1 : name;
        char path[2 * FD_PATH_SIZE];
        snprintf(path, sizeof path, "%s%s", dir, rest);
        if (fl_filename_isdir(path) && FileName_CopyFolder(out, path))
            return FN_FOLDER;
    }
    out[0] = '\0';
    return FN_BAD_FOLDER;
}
