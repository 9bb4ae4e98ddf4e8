// FileFollow: follows a file the solver writes, from look to look. It hands
// a reader only the bytes added since the last look, in slices of bounded
// size, and starts the reader over when the file was replaced, cut or
// written again under what was read, so that the reader comes to what a
// full read from the start would give. The message file, d3hsp and glstat
// are followed this way.
#pragma once
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "foundation/comfunction.h"

// The lines of a file read in pieces, each kept as read_line keeps it.
class LineJoiner {
public:
    void Clear() { m_len = 0; }
    // Takes [p, p + n) up to its first newline: returns the bytes taken,
    // and the line, when that newline ended one, else null.
    size_t Next(const char *p, size_t n, const char **line);

private:
    char m_line[READ_LINE_MAX + 1];
    int m_len = 0;
};

class FileFollow {
public:
    // What is done with the bytes of the file.
    class Reader {
    public:
        virtual ~Reader() = default;
        // The file is read anew (from its start, or from the end of the
        // earlier run's part): whatever was read before counts no more.
        virtual void Restart() = 0;
        // The next n bytes in file order; returns how many were taken,
        // fewer than n only once it is Done().
        virtual size_t Take(const char *p, size_t n) = 0;
        // Wants no more of this file: nothing is read until it is read anew.
        virtual bool Done() const { return false; }
    };

    FileFollow();
    FileFollow(const FileFollow &) = delete;
    FileFollow &operator=(const FileFollow &) = delete;

    // Follows path afresh. With baseline, what the file holds now was left
    // by an earlier run: it is never handed over while the file stays the
    // same file and is only appended to.
    void Start(const std::string &path, bool baseline);
    const std::string &Path() const { return m_path; }
    // Opens the file for a look without blocking: -1 when it cannot be
    // opened or is no regular file. *st is its status.
    int Open(struct stat *st) const;
    // One look at the open file (st its status): at most budget new bytes
    // go to reader. *more tells that bytes are still waiting. A read that
    // fails or comes short of the file's size ends the look (*more false)
    // with what was read, and the next look goes on from there; a change
    // that cannot be told for a failed read is not taken for one.
    void Look(int fd, const struct stat &st, size_t budget, Reader &reader, bool *more);
    // Open, Look and close in one: false when the file cannot be opened.
    bool LookOnce(size_t budget, Reader &reader, bool *more);

private:
    // Hashes of the first and the last bytes of a file's first len bytes:
    // enough to notice the file rewritten under what was read of it.
    struct Prints {
        off_t len = 0;
        uint64_t head = 0, tail = 0;
    };
    // false when a read fails or comes short.
    bool Take(int fd, off_t len, Prints *p);
    // 1 the file still holds what p was taken of, 0 it does not, -1 it
    // cannot be told (a read failed or came short).
    int Matches(int fd, const Prints &p);
    bool HashRange(int fd, off_t from, off_t len, uint64_t *hash);
    // Reads again from `from`.
    void Restart(dev_t dev, ino_t ino, off_t from);

    std::string m_path;
    bool m_known;  // a file has been seen: m_dev and m_ino are its identity
    dev_t m_dev;
    ino_t m_ino;
    off_t m_offset;  // bytes handed over (or skipped as the earlier run's)
    Prints m_read;   // of the bytes handed over
    bool m_hasBase;
    Prints m_base;  // of what the earlier run left
    struct timespec m_baseTime;  // its modification time
    std::unique_ptr<char[]> m_buf;
};
