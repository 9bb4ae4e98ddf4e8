/* A preload library that makes reads of one file fail as on a bad disk:
 * reads of the file named by WENDLE_READ_FAULT_PATH fail with EIO from byte
 * WENDLE_READ_FAULT_AT on, and a read across that byte comes short. Both
 * variables are looked up at every read, so a test can move or lift the
 * fault as it goes. Covers read, pread and the stdio streams of fopen. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

/* The byte reads fail from, when path is the faulty file; -1 otherwise. */
static long long fault_at(const char *path)
{
    const char *want = getenv("WENDLE_READ_FAULT_PATH");
    const char *at = getenv("WENDLE_READ_FAULT_AT");
    char a[PATH_MAX], b[PATH_MAX];
    if (!want || !at || !path || !realpath(want, a) || !realpath(path, b) || strcmp(a, b) != 0)
        return -1;
    return atoll(at);
}

static long long fd_fault_at(int fd)
{
    char link[64], path[PATH_MAX];
    if (!getenv("WENDLE_READ_FAULT_PATH"))
        return -1;
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    if (n < 0)
        return -1;
    path[n] = '\0';
    return fault_at(path);
}

/* How much of a read of count bytes at offset may succeed: -1 for none. */
static ssize_t allowed(long long fault, off_t offset, size_t count)
{
    if (fault < 0)
        return (ssize_t)count;
    if (offset >= fault) {
        errno = EIO;
        return -1;
    }
    unsigned long long left = (unsigned long long)(fault - offset);
    return (ssize_t)(count < left ? count : left);
}

ssize_t read(int fd, void *buf, size_t count)
{
    static ssize_t (*real)(int, void *, size_t);
    if (!real)
        real = (ssize_t(*)(int, void *, size_t))dlsym(RTLD_NEXT, "read");
    long long fault = fd_fault_at(fd);
    if (fault >= 0) {
        off_t at = lseek(fd, 0, SEEK_CUR);
        ssize_t n = allowed(fault, at < 0 ? 0 : at, count);
        if (n < 0)
            return -1;
        count = (size_t)n;
    }
    return real(fd, buf, count);
}

static ssize_t faulty_pread(const char *name, int fd, void *buf, size_t count, off_t offset)
{
    ssize_t (*real)(int, void *, size_t, off_t) =
        (ssize_t(*)(int, void *, size_t, off_t))dlsym(RTLD_NEXT, name);
    ssize_t n = allowed(fd_fault_at(fd), offset, count);
    if (n < 0)
        return -1;
    return real(fd, buf, (size_t)n, offset);
}

ssize_t pread(int fd, void *buf, size_t count, off_t offset)
{
    return faulty_pread("pread", fd, buf, count, offset);
}

ssize_t pread64(int fd, void *buf, size_t count, off_t offset)
{
    return faulty_pread("pread64", fd, buf, count, offset);
}

/* The stdio library reads through calls of its own that no preload reaches:
 * a stream of the faulty file is handed out as a stream over the real one
 * that fails in the same way. */
struct cookie {
    FILE *fp;
    const char *path;
    long long pos;
};

static ssize_t cookie_read(void *c, char *buf, size_t size)
{
    struct cookie *k = c;
    ssize_t n = allowed(fault_at(k->path), (off_t)k->pos, size);
    if (n < 0)
        return -1;
    size_t got = fread(buf, 1, (size_t)n, k->fp);
    if (got == 0 && ferror(k->fp))
        return -1;
    k->pos += (long long)got;
    return (ssize_t)got;
}

static int cookie_close(void *c)
{
    struct cookie *k = c;
    int r = fclose(k->fp);
    free((void *)k->path);
    free(k);
    return r;
}

static FILE *faulty_fopen(const char *name, const char *path, const char *mode)
{
    FILE *(*real)(const char *, const char *) =
        (FILE * (*)(const char *, const char *)) dlsym(RTLD_NEXT, name);
    FILE *fp = real(path, mode);
    if (!fp || strcmp(mode, "r") != 0 || fault_at(path) < 0)
        return fp;
    struct cookie *k = malloc(sizeof *k);
    char *copy = strdup(path);
    cookie_io_functions_t io = {cookie_read, NULL, NULL, cookie_close};
    FILE *wrapped = k && copy ? fopencookie(k, "r", io) : NULL;
    if (!wrapped) {
        free(k);
        free(copy);
        return fp;
    }
    k->fp = fp;
    k->path = copy;
    k->pos = 0;
    return wrapped;
}

FILE *fopen(const char *path, const char *mode)
{
    return faulty_fopen("fopen", path, mode);
}

FILE *fopen64(const char *path, const char *mode)
{
    return faulty_fopen("fopen64", path, mode);
}
