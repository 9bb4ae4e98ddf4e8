#include "foundation/comfunction.h"

#include <cstdlib>
#include <unistd.h>

void getMyDocument(char *dirname)
{
    char cwd[USER_DIR_SIZE];
    const char *dir = getenv("HOME");
    if (!dir)
        dir = getenv("~");
    if (!dir)
        dir = getcwd(cwd, sizeof cwd);

    int n = dir ? snprintf(dirname, USER_DIR_SIZE, "%s/", dir) : -1;
    if (n < 0 || n >= USER_DIR_SIZE)
        dirname[0] = '\0';
}

int read_line(FILE *fp, char *string)
{
    // One lock for the whole line: stdio's own buffer, taken a character at
    // a time without locking each.
    int len = 0;
    int c;
    int result = -1;
    flockfile(fp);
    while ((c = getc_unlocked(fp)) != EOF) {
        if (c == '\n') {
            result = 1;
            break;
        }
        if (len < READ_LINE_MAX && line_keeps((unsigned char)c))
            string[len++] = (char)c;
    }
    funlockfile(fp);
    string[len] = '\0';
    return result;
}

int RemoveFile(const char *filename)
{
    return remove(filename);
}
