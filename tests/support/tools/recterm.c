/* A terminal stand-in for the run-engine tests: appends how it was started
 * (its argument vector, working folder and LSTC_MEMORY) to the file named by
 * WENDLE_TERM_RECORD, with the descriptors beyond 0-2 it inherited, then,
 * like a terminal's -e, runs the program that follows "-e" and ends with it.
 * With RECTERM_EXEC=0 it only records. */
#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    const char *record = getenv("WENDLE_TERM_RECORD");
    char inherited[1024] = "";
    DIR *fds = opendir("/proc/self/fd");
    if (fds) {
        struct dirent *e;
        size_t used = 0;
        while ((e = readdir(fds)) && used < sizeof inherited - 16) {
            int fd = atoi(e->d_name);
            if (e->d_name[0] != '.' && fd > 2 && fd != dirfd(fds))
                used += (size_t)snprintf(inherited + used, sizeof inherited - used, "fd=%d\n", fd);
        }
        closedir(fds);
    }
    if (record) {
        FILE *fp = fopen(record, "a");
        if (fp) {
            char cwd[4096];
            const char *mem = getenv("LSTC_MEMORY");
            fprintf(fp, "cwd=%s\n", getcwd(cwd, sizeof cwd) ? cwd : "?");
            fprintf(fp, "LSTC_MEMORY=%s\n", mem ? mem : "<unset>");
            fputs(inherited, fp);
            for (int i = 0; i < argc; i++)
                fprintf(fp, "arg=%s\n", argv[i]);
            fprintf(fp, "end\n");
            fclose(fp);
        }
    }
    const char *run = getenv("RECTERM_EXEC");
    if (run && strcmp(run, "0") == 0)
        return 0;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "-e") == 0 && i + 1 < argc) {
            execvp(argv[i + 1], argv + i + 1);
            return 127;
        }
    }
    return 0;
}
