// MessageWatch: follows one job's message file from check to check. It reads
// only what was added since the last look, in slices of bounded size, and
// comes to the verdict a full read from the start would give.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "solver/cycle_line.h"
#include "solver/file_follow.h"

// The verdict of one line, kept as read_line keeps it: 1 normal termination
// ("N o r m a l" with "t e r m i n a t i o n"), 0 an error ("*** Error"),
// -1 neither. A line holding both kinds is a normal end.
int JudgeMessageLine(const char *line);

class MessageWatch : private FileFollow::Reader {
public:
    MessageWatch();
    ~MessageWatch() override;
    MessageWatch(const MessageWatch &) = delete;
    MessageWatch &operator=(const MessageWatch &) = delete;

    // Follows path afresh. With baseline, what the file holds now was left
    // by an earlier run: it decides nothing while the file stays the same
    // file and is only appended to.
    void Start(const std::string &path, bool baseline);
    const std::string &Path() const { return m_follow.Path(); }
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
    void Restart() override;
    size_t Take(const char *p, size_t n) override;
    bool Done() const override { return m_decision != -1; }

    FileFollow m_follow;
    int m_decision;
    LineJoiner m_lines;
    std::vector<CycleLine> m_cycles;
};
