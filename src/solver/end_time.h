// The end time of a solver run (ENDTIM): the first field of the first data
// card after *CONTROL_TERMINATION, in the deck or in the files its *INCLUDE
// cards name. The solver applies cards in order, so the last definition
// wins, an included file's cards counting where its *INCLUDE card stands.
//
// The rules, as the solver reads a deck: keywords start with "*" in the
// first column and are matched whatever their case; "*CONTROL_TERMINATION_
// TITLE" has a title card before its data card; other options or suffixes
// make another keyword. Lines starting with "$" are comments. A card holding
// a comma is free format (the field ends at the first comma), else the field
// is the first 10 columns; a blank field is 0. A keyword right after
// *CONTROL_TERMINATION leaves its card blank. Every card after *INCLUDE up
// to the next keyword names a file, relative to the deck's folder unless
// absolute. Nothing after *END counts in its file.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "foundation/comfunction.h"

// How deep *INCLUDE cards are followed: the deck's includes are level 1.
enum { END_TIME_INCLUDE_DEPTH = 3 };

// What the cards of one file say about ENDTIM, fed one line at a time.
class EndTimeCards {
public:
    EndTimeCards();
    void Reset();
    // One line without its newline, as it is in the file: control
    // characters are dropped and the line cut after READ_LINE_MAX
    // characters, as read_line does. A data line outside the two keywords
    // costs a few comparisons.
    void Feed(const char *p, size_t n);
    // A piece of a line read in chunks; lineEnds when its newline follows.
    // The pieces of a line are joined before it is fed.
    void FeedPiece(const char *p, size_t n, bool lineEnds);
    // Pieces wait for the end of their line.
    bool Pending() const { return m_pieceLen > 0; }
    // A whole line that starts with c changes nothing: the caller may skip
    // it (most lines of a big deck are data lines).
    bool Skips(char c) const
    {
        return m_pieceLen == 0 &&
               (m_state == ENDED || (m_state == OTHER && c != '*' && line_keeps((unsigned char)c)));
    }

    // 1 the file defines ENDTIM (Value(); 0 for a blank field), 0 it does
    // not, -1 its last definition is no number.
    int Defined() const { return m_defined; }
    double Value() const { return m_value; }
    // The files named after the last definition, in order, as written:
    // each may define ENDTIM again.
    const std::vector<std::string> &Includes() const { return m_includes; }
    // An include name was cut by the line limit, or there were too many to
    // keep: what the includes say cannot be known.
    bool Lost() const { return m_lost; }

private:
    enum State { OTHER, TERMINATION, INCLUDE, ENDED };
    void Keyword(const char *line, int len);
    void Define(int defined, double value);

    State m_state;
    bool m_title;  // a title card comes before the data card
    int m_defined;
    double m_value;
    std::vector<std::string> m_includes;
    bool m_lost;
    // A line split between two reads: its kept characters, one more than
    // the line reader keeps so that a cut still shows.
    char m_piece[READ_LINE_MAX + 2];
    int m_pieceLen;
};

// Reads the files a deck includes, and the deck itself when asked, in
// slices of bounded size.
class EndTimeScan {
public:
    EndTimeScan();
    ~EndTimeScan();
    EndTimeScan(const EndTimeScan &) = delete;
    EndTimeScan &operator=(const EndTimeScan &) = delete;

    // Reads the deck and then its includes; false when the deck cannot be
    // read (Result() is then -1).
    bool Open(const char *deck, int depth = END_TIME_INCLUDE_DEPTH);
    // The deck's own lines, every one of them, went to `cards` as the caller
    // read it (a deck it could not read whole has no known end time): only
    // its includes are left.
    void OpenAfter(const char *deck, const EndTimeCards &cards,
                   int depth = END_TIME_INCLUDE_DEPTH);
    // Reads at most budget bytes (opening a file counts as a few kilobytes);
    // true once the answer is known.
    bool Step(size_t budget);
    void Close();

    // 1 ENDTIM is Value(), 0 the deck gives none (no definition, or a field
    // that is blank or not positive), -1 it cannot be known: a file that
    // cannot be read (a read error included), a definition that is no
    // number, includes deeper than asked, an include that includes itself,
    // too many files.
    int Result() const { return m_result; }
    double Value() const { return m_value; }

private:
    // What one file gives: a definition (value), none, or unknown.
    enum Answer { DEFINED, NONE, UNKNOWN };
    // A file whose includes are being searched, last first.
    struct Frame {
        std::vector<std::string> names;
        size_t left;  // names[0, left) are still to be searched
        Answer own;   // the file's own cards, when no include overrides them
        double ownValue;
        dev_t dev;
        ino_t ino;
    };
    void Begin(const char *deck, int depth);
    void Finish(Answer a, double value);
    void Answered(Answer a, double value);
    bool OpenFile(const std::string &path);
    void FileRead();

    std::string m_folder;
    int m_depth;
    bool m_done;
    int m_result;
    double m_value;
    int m_files;
    std::vector<Frame> m_stack;
    int m_fd;
    dev_t m_dev;
    ino_t m_ino;
    EndTimeCards m_cards;
    std::unique_ptr<char[]> m_buf;
};
