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
// to the next keyword names a file, looked for in the deck's folder unless
// absolute, then in the folders of the *INCLUDE_PATH and *INCLUDE_PATH_
// RELATIVE cards read before it (both relative to the deck's folder unless
// absolute). Nothing after *END counts in its file.
//
// ENDTIM's field may be "&name", a parameter: *PARAMETER cards hold up to
// four pairs of fields, a type letter (R real, I integer, C text) followed
// by the name, then the value; *PARAMETER_EXPRESSION cards a name field and
// an expression (columns 11 on, or after a comma in the first 10 columns:
// the expression may hold commas of its own), evaluated by muParser with
// the values defined before it, names written with or without "&". A name
// takes its last definition in the whole input, or its first where
// *PARAMETER_DUPLICATION says so (DFLAG 1 or 3). Only R and I values count;
// a name defined by a *PARAMETER_LOCAL or *PARAMETER_EXPRESSION_LOCAL card
// is not known, nor one a file that cannot be read might define.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/comfunction.h"

// How deep *INCLUDE cards are followed: the deck's includes are level 1.
enum { END_TIME_INCLUDE_DEPTH = 3 };

// What the cards of one file do to the end time, fed one line at a time.
class EndTimeCards {
public:
    // One card that matters, in file order.
    struct Card {
        enum Kind {
            ENDTIM,         // text: the field, trimmed ("" when blank)
            PARAMETER,      // type, name, text: the value field, trimmed
            EXPRESSION,     // type, name, text: the expression
            INCLUDE,        // text: the file's name
            PATH,           // text: a folder of included files
            DUPLICATION,    // text: DFLAG
            LOST,           // a card that could not be kept: anything may follow from it
        } kind;
        char type;  // R, I, C; '?' for a local one, whose value is unknown
        std::string name, text;
        bool operator==(const Card &o) const
        {
            return kind == o.kind && type == o.type && name == o.name && text == o.text;
        }
    };

    EndTimeCards();
    void Reset();
    // One line without its newline, as it is in the file: control
    // characters are dropped and the line cut after READ_LINE_MAX
    // characters, as read_line does. A data line outside the keywords that
    // matter costs a few comparisons.
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
    // The file's cards that matter. Past a few thousand, only ENDTIM's are
    // kept, after a LOST card; a run of ENDTIM cards is kept as its last.
    const std::vector<Card> &Cards() const { return m_cards; }

private:
    enum State {
        OTHER,
        TERMINATION,
        INCLUDE,
        PATH,
        PARAMETER,
        PARAMETER_LOCAL,
        EXPRESSION,
        EXPRESSION_LOCAL,
        DUPLICATION,
        ENDED
    };
    void Keyword(const char *line, int len);
    void Add(Card::Kind kind, char type, std::string name, std::string text);
    void Parameters(const char *line, int len, bool cut);
    void Expression(const char *line, int len, bool cut);

    State m_state;
    bool m_title;  // a title card comes before the data card
    std::vector<Card> m_cards;
    bool m_full;  // cards past the limit are dropped
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
    // Reads at most budget bytes (opening a file or evaluating an
    // expression counts as a few kilobytes); true once the answer is known.
    bool Step(size_t budget);
    void Close();

    // 1 ENDTIM is Value(), 0 the deck gives none (no definition, or a field
    // that is blank or not positive), -1 it cannot be known: a file that
    // cannot be read (a read error included) where it might matter, a
    // definition that is no number, a parameter undefined or not known, an
    // expression muParser cannot evaluate, includes deeper than asked, an
    // include that includes itself, too many files.
    int Result() const { return m_result; }
    double Value() const { return m_value; }

private:
    // A file whose cards are being applied.
    struct Frame {
        std::vector<EndTimeCards::Card> cards;
        size_t next;
        int level;  // the deck is 0, its includes 1
        long plain;  // the last ENDTIM card that names no parameter, or -1
        dev_t dev;
        ino_t ino;
    };
    struct Parameter {
        bool known;
        double value;
    };
    void Begin(const char *deck, int depth);
    // Applies the deck's cards from the first, skipping includes unless whole.
    void Walk(bool whole);
    void Apply(const EndTimeCards::Card &card, int level, bool skip, size_t *budget);
    void Define(const std::string &name, bool known, double value);
    // false when muParser cannot evaluate it or it names what is not known.
    bool Evaluate(const EndTimeCards::Card &card, double *value) const;
    void Lose();
    // false when the file cannot be opened (it is lost).
    bool Include(const std::string &name, int level);
    bool OpenFile(const std::string &path, int level);
    void FileRead();
    void Finish();
    void Fail();

    std::string m_folder;
    int m_depth;
    bool m_done;
    int m_result;
    double m_value;
    int m_files;
    // The deck's own cards, for a second walk.
    Frame m_deck;
    std::vector<Frame> m_stack;
    // Includes are skipped where a later card of their file defines ENDTIM
    // without a parameter; the whole input is walked again when a parameter
    // or a folder of includes turns out to matter after one was.
    bool m_whole;
    bool m_skipped;
    bool m_again;  // the walk starts again, whole
    // What the cards applied so far say.
    bool m_endDefined, m_endLost;
    std::string m_endField;
    std::map<std::string, Parameter> m_params;
    bool m_firstWins;
    bool m_lostAny;  // a file was lost
    std::vector<std::string> m_paths;
    size_t m_pathsKnown;  // the folders defined before the first lost file
    // The file being read, at this level.
    int m_fd;
    int m_level;
    dev_t m_dev;
    ino_t m_ino;
    EndTimeCards m_cards;
    std::unique_ptr<char[]> m_buf;
};
