// The end time the solver itself uses: it echoes it into its d3hsp file
// early in the run, even where the deck's own card says otherwise,
//     termination time...............................    0.2400E+03
// D3hspWatch follows one job's d3hsp from check to check like the message
// file, so that only a line this run wrote counts.
#pragma once
#include <cstddef>
#include <string>

#include "solver/file_follow.h"

// The d3hsp file a message file's name implies, in the same folder: the
// solver names both after the *KEYWORD_ID name, "messag" -> "d3hsp",
// "abc.messag" -> "abc.d3hsp". Any other name gives "d3hsp".
std::string D3hspPathFor(const std::string &messageFile);

// A line as read_line keeps it: true with *value for "termination time"
// (any case) followed by dots and blanks, at least one dot, and a positive
// number ending the line. *value is only written on success.
bool ParseTerminationTime(const char *line, double *value);

class D3hspWatch : private FileFollow::Reader {
public:
    D3hspWatch();
    // Follows path afresh; with baseline, what the file holds now is an
    // earlier run's and counts for nothing while it stays as it is.
    void Start(const std::string &path, bool baseline);
    const std::string &Path() const { return m_follow.Path(); }
    // Reads at most budget new bytes (none once the line is found, while
    // the file stays the same). *more tells that bytes are still waiting.
    // Returns Known(). A file replaced or written anew is read again: its
    // line is not known until it is there again.
    bool Check(size_t budget, bool *more);
    // The solver has written its end time: EndTime(). Until then the deck's
    // end time is the best there is.
    bool Known() const { return m_known; }
    double EndTime() const { return m_endTime; }

private:
    void Restart() override;
    size_t Take(const char *p, size_t n) override;
    bool Done() const override { return m_known; }

    FileFollow m_follow;
    bool m_known;
    double m_endTime;
    LineJoiner m_lines;
};
