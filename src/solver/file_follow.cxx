#include "solver/file_follow.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace {

const size_t kChunk = 256 * 1024;
// How much of the remembered part is checked again at each look, at its
// start and at its end; a file no longer than that is checked whole.
const off_t kWindow = 64 * 1024;

uint64_t mix(uint64_t h, const char *p, size_t n)
{
    const uint64_t prime = 0x100000001b3ULL;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        memcpy(&w, p + i, 8);
        h = (h ^ w) * prime;
        h ^= h >> 29;
    }
    for (; i < n; i++)
        h = (h ^ (unsigned char)p[i]) * prime;
    return h;
}

} // namespace

size_t LineJoiner::Next(const char *p, size_t n, const char **line)
{
    const char *nl = static_cast<const char *>(memchr(p, '\n', n));
    const char *stop = nl ? nl : p + n;
    for (const char *q = p; q < stop && m_len < READ_LINE_MAX; q++)
        if (line_keeps((unsigned char)*q))
            m_line[m_len++] = *q;
    *line = nullptr;
    if (!nl)
        return n;
    m_line[m_len] = '\0';
    m_len = 0;
    *line = m_line;
    return (size_t)(nl + 1 - p);
}

FileFollow::FileFollow()
    : m_known(false), m_dev(0), m_ino(0), m_offset(0), m_hasBase(false),
      m_baseTime{0, 0}, m_buf(new char[kChunk])
{
}

void FileFollow::Restart(dev_t dev, ino_t ino, off_t from)
{
    m_known = true;
    m_dev = dev;
    m_ino = ino;
    m_offset = from;
    m_read = Prints();
}

int FileFollow::Open(struct stat *st) const
{
    // A FIFO named like the file must not block the window.
    int fd = open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && (fstat(fd, st) != 0 || !S_ISREG(st->st_mode))) {
        close(fd);
        fd = -1;
    }
    return fd;
}

void FileFollow::Start(const std::string &path, bool baseline)
{
    m_path = path;
    Restart(0, 0, 0);
    m_known = false;
    m_hasBase = false;
    if (!baseline)
        return;
    struct stat st;
    int fd = Open(&st);
    if (fd < 0)
        return;
    // The earlier run's last line may lack its newline: what the new run
    // appends starts a line of its own.
    if (Take(fd, st.st_size, &m_base)) {
        m_hasBase = true;
        m_baseTime = st.st_mtim;
        Restart(st.st_dev, st.st_ino, st.st_size);
        m_read = m_base;
    }
    close(fd);
}

bool FileFollow::HashRange(int fd, off_t from, off_t len, uint64_t *hash)
{
    uint64_t h = 0xcbf29ce484222325ULL;
    while (len > 0) {
        size_t want = len < (off_t)kChunk ? (size_t)len : kChunk;
        ssize_t got = pread(fd, m_buf.get(), want, from);
        if (got != (ssize_t)want)
            return false;
        h = mix(h, m_buf.get(), want);
        from += got;
        len -= got;
    }
    *hash = h;
    return true;
}

bool FileFollow::Take(int fd, off_t len, Prints *p)
{
    p->len = len;
    off_t head = len < kWindow ? len : kWindow;
    off_t tail = len > kWindow ? kWindow : 0;
    return HashRange(fd, 0, head, &p->head) && HashRange(fd, len - tail, tail, &p->tail);
}

int FileFollow::Matches(int fd, const Prints &p)
{
    Prints now;
    if (!Take(fd, p.len, &now))
        return -1;
    return now.head == p.head && now.tail == p.tail ? 1 : 0;
}

void FileFollow::Look(int fd, const struct stat &st, size_t budget, Reader &reader, bool *more)
{
    *more = false;
    bool same = m_known && st.st_dev == m_dev && st.st_ino == m_ino;
    // A rerun may write exactly the bytes the earlier run left: written
    // since the job started without growing, the file is the new run's.
    bool rewritten = m_hasBase && same && st.st_size == m_base.len &&
                     (st.st_mtim.tv_sec != m_baseTime.tv_sec ||
                      st.st_mtim.tv_nsec != m_baseTime.tv_nsec);
    // Another file, a shorter one, or one changed under what was read: it
    // is read again from its start, or from where the earlier run's part
    // ends while that part is still there as it was. What cannot be read
    // to tell is not taken for a change: the look ends without reading.
    int kept = rewritten || !same || st.st_size < m_offset ? 0 : Matches(fd, m_read);
    if (kept == 0) {
        int base = !rewritten && m_hasBase && same && st.st_size >= m_base.len
                       ? Matches(fd, m_base)
                       : 0;
        if (base == 1) {
            Restart(st.st_dev, st.st_ino, m_base.len);
            m_read = m_base;
        } else if (base == 0) {
            m_hasBase = false;
            Restart(st.st_dev, st.st_ino, 0);
        }
        if (base != -1)
            reader.Restart();
        kept = base;
    }

    bool cut = kept == -1;
    off_t before = m_offset;
    while (!cut && !reader.Done() && m_offset < st.st_size && budget > 0) {
        off_t left = st.st_size - m_offset;
        size_t want = left < (off_t)kChunk ? (size_t)left : kChunk;
        if (want > budget)
            want = budget;
        ssize_t got = pread(fd, m_buf.get(), want, m_offset);
        if (got > 0) {
            budget -= (size_t)got;
            m_offset += (off_t)reader.Take(m_buf.get(), (size_t)got);
        }
        // A read error, or a file holding less than its size says (a /sys
        // attribute does): the rest waits for the next look.
        cut = got != (ssize_t)want;
    }
    *more = !cut && !reader.Done() && m_offset < st.st_size;
    // Prints that cannot be taken leave the earlier ones, of a part of
    // what was read: the next look still goes on from here.
    Prints now;
    if (m_offset != before && Take(fd, m_offset, &now))
        m_read = now;
}

bool FileFollow::LookOnce(size_t budget, Reader &reader, bool *more)
{
    *more = false;
    struct stat st;
    int fd = Open(&st);
    if (fd < 0)
        return false;
    Look(fd, st, budget, reader, more);
    close(fd);
    return true;
}
