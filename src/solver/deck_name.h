// The message name a deck gives its solver run: the line after its
// *KEYWORD_ID line, runs of blanks joined by "_". DeckNameScan reads a deck
// in slices, so that a deck of any size never holds up the window, and on
// the same pass its end-time cards; DeckNameCache remembers both per deck
// until the deck changes.
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>

#include "foundation/comfunction.h"
#include "solver/end_time.h"

// What tells one state of a file from another; all zero (inode 0) for no
// file.
struct FileIdentity {
    dev_t dev;
    ino_t ino;
    off_t size;
    struct timespec mtime;
    bool operator==(const FileIdentity &o) const;
};
// false when the file cannot be looked at.
bool GetFileIdentity(const char *path, FileIdentity *id);

class DeckNameScan {
public:
    DeckNameScan();
    ~DeckNameScan();
    DeckNameScan(const DeckNameScan &) = delete;
    DeckNameScan &operator=(const DeckNameScan &) = delete;

    // Starts reading a deck; false when it cannot be read (it has no name).
    // With endTime the scan reads on past the name to the end of the deck,
    // feeding its end-time cards.
    bool Open(const char *path, bool endTime = false);
    // Reads at most budget bytes; true once the scan is over (the deck is
    // then closed): with the answer, or Failed().
    bool Step(size_t budget);
    void Close();
    // The name's answer is in (Found() and Name(), or Failed()); with
    // endTime the scan may still go on.
    bool NameKnown() const { return m_nameKnown; }
    // The scan is over (the deck closed).
    bool Done() const { return m_done; }
    bool Found() const { return m_found; }
    // A read failed before the answer: there is none (not even "no name"),
    // and Identity() is that of no file, which DeckNameCache never keeps.
    bool Failed() const { return m_failed; }
    // The message name, at most READ_LINE_MAX characters.
    const std::string &Name() const { return m_name; }
    const FileIdentity &Identity() const { return m_identity; }
    // With endTime: the deck was read to its end, and Cards() holds what
    // its own cards say of the end time. False after a failed read.
    bool CardsRead() const { return m_cardsRead; }
    const EndTimeCards &Cards() const { return m_cards; }

private:
    void EndLine();

    int m_fd;
    FileIdentity m_identity;
    bool m_done, m_found, m_failed, m_armed;
    int m_prefix;  // characters of "*KEYWORD_ID" matched so far, -1 when not
    char m_line[READ_LINE_MAX + 1];  // the line being read, once armed
    int m_lineLen;
    std::string m_name;
    std::unique_ptr<char[]> m_buf;
    bool m_endTime, m_nameKnown, m_cardsRead;
    EndTimeCards m_cards;
};

class DeckNameCache {
public:
    // true with the remembered answer when the deck is as it was then.
    bool Get(const char *path, bool *found, std::string *name) const;
    // An answer for no file (a failed scan's) only forgets the deck.
    void Put(const char *path, const FileIdentity &id, bool found, const std::string &name);
    // The deck's own end-time cards, once read whole; true when they are
    // known for the deck as it is now.
    bool GetCards(const char *path, EndTimeCards *cards) const;
    void PutCards(const char *path, const FileIdentity &id, const EndTimeCards &cards);
    void Clear() { m_entries.clear(); }

private:
    struct Entry {
        FileIdentity id{};
        bool found = false;
        std::string name;
        bool cardsRead = false;
        EndTimeCards cards;
    };
    std::unordered_map<std::string, Entry> m_entries;
};

// The whole answer for one deck at once, through the cache: 1 with the
// name, 0 when the deck gives none. A read that fails gives 0 too, with
// *failed set (when asked for) and nothing remembered: the answer is still
// to be found, and the next call reads the deck again.
int DeckMessageName(DeckNameCache &cache, const char *deck, std::string *name,
                    bool *failed = nullptr);
