#include "foundation/comfunction.h"

#include <cstdlib>
#include <unistd.h>

void getMyDocument(char *dirname)
{
    char cwd[1024];
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
    int len = 0;
    int c;
    while ((c = fgetc(fp)) != EOF) {
        if (c == '\n') {
            string[len] = '\0';
            return 1;
        }
        if ((c < 32 && c != '\t') || c == 127)
            continue;
        if (len < READ_LINE_MAX)
            string[len++] = (char)c;
    }
    string[len] = '\0';
    return -1;
}

int RemoveFile(const char *filename)
{
    return remove(filename);
}
