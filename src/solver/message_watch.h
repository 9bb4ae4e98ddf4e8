// MessageWatch: follows one job's message file from check to check. It reads
// only what was added since the last look, in slices of bounded size, and
// comes to the verdict a full read from the start would give.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "foundation/comfunction.h"
#include "solver/cycle_line.h"

// The verdict of one line, kept as read_line keeps it: 1 normal termination
// ("N o r m a l" with "t e r m i n a t i o n"), 0 an error ("*** Error"),
// -1 neither. A line holding both kinds is a normal end.
int JudgeMessageLine(const char *line);

class MessageWatch {
public:
    MessageWatch();
    ~MessageWatch();
    MessageWatch(const MessageWatch &) = delete;
    MessageWatch &operator=(const MessageWatch &) = delete;

    // Follows path afresh. With baseline, what the file holds now was left
    // by an earlier run: it decides nothing while the file stays the same
    // file and is only appended to.
    void Start(const std::string &path, bool baseline);
    const std::string &Path() const { return m_path; }
    // The cycle lines the last look read, in file order.
    const std::vector<CycleLine> &Cycles() const { return m_cycles; }

    // Opens the file as the check does ("a+", creating a missing one) and
    // reads at most budget new bytes. 1 normal end, 0 error, -1 undecided
    // or unopenable, -2 when the file exists, is empty and may be read but
    // not written. *more tells that bytes are still waiting to be read; a
    // read that fails or comes short of the file's size ends the look
    // (*more false) with what was read, and the next look goes on from there.
    int Check(size_t budget, bool *more);

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
    // Reads again from `from`, a line start.
    void Restart(dev_t dev, ino_t ino, off_t from);
    void Consume(const char *buf, size_t n);

    std::string m_path;
    bool m_known;  // a file has been seen: m_dev and m_ino are its identity
    dev_t m_dev;
    ino_t m_ino;
    off_t m_offset;  // bytes read (or skipped as the earlier run's)
    int m_decision;
    char m_line[READ_LINE_MAX + 1];
    int m_lineLen;
    Prints m_read;  // of the bytes read
    bool m_hasBase;
    Prints m_base;  // of what the earlier run left
    struct timespec m_baseTime;  // its modification time
    std::unique_ptr<char[]> m_buf;
    std::vector<CycleLine> m_cycles;
};
