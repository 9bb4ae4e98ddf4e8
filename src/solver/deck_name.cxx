#include "solver/deck_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

const size_t kChunk = 256 * 1024;
const char kKeyword[] = "*KEYWORD_ID";
const int kKeywordLen = sizeof kKeyword - 1;
// Decks a session remembers; more are forgotten all at once.
const size_t kCacheEntries = 256;

} // namespace

bool FileIdentity::operator==(const FileIdentity &o) const
{
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec;
}

static void identity_of(const struct stat &st, FileIdentity *id)
{
    id->dev = st.st_dev;
    id->ino = st.st_ino;
    id->size = st.st_size;
    id->mtime = st.st_mtim;
}

bool GetFileIdentity(const char *path, FileIdentity *id)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return false;
    identity_of(st, id);
    return true;
}

DeckNameScan::DeckNameScan()
    : m_fd(-1), m_identity(), m_done(true), m_found(false), m_failed(false), m_armed(false),
      m_prefix(0), m_lineLen(0), m_endTime(false), m_nameKnown(false), m_cardsRead(false)
{
}

DeckNameScan::~DeckNameScan()
{
    Close();
}

void DeckNameScan::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_done = true;
}

bool DeckNameScan::Open(const char *path, bool endTime)
{
    Close();
    m_found = m_failed = m_armed = false;
    m_prefix = m_lineLen = 0;
    m_name.clear();
    m_endTime = endTime;
    m_nameKnown = m_cardsRead = false;
    m_cards.Reset();
    if (!path || !*path)
        return false;
    // A FIFO or a device named like a deck must not block the window.
    m_fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    struct stat st;
    if (fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return false;
    }
    identity_of(st, &m_identity);
    if (!m_buf)
        m_buf.reset(new char[kChunk]);
    m_done = false;
    return true;
}

void DeckNameScan::EndLine()
{
    bool keyword = m_prefix == kKeywordLen;
    if (m_armed && !keyword) {
        // The ID line, whatever it holds. A "/" in it would lead out of the
        // job's folder: such a deck gives no name.
        m_line[m_lineLen] = '\0';
        m_nameKnown = true;
        m_done = !m_endTime;
        if (strchr(m_line, '/'))
            return;
        m_found = true;
        bool inRun = false;
        for (int i = 0; i < m_lineLen; i++) {
            char c = m_line[i];
            bool blank = c == ' ' || c == '\t';
            if (!blank)
                m_name += c;
            else if (!inRun)
                m_name += '_';
            inRun = blank;
        }
        if (!m_name.empty() && m_name.back() == '_')
            m_name.pop_back();
        return;
    }
    if (keyword)
        m_armed = true;
    m_prefix = 0;
    m_lineLen = 0;
}

bool DeckNameScan::Step(size_t budget)
{
    while (!m_done && budget > 0) {
        size_t want = budget < kChunk ? budget : kChunk;
        ssize_t got = read(m_fd, m_buf.get(), want);
        if (got < 0) {
            // Not the end of the deck: the ID line may lie past the fault.
            // A name found before it stands; the cards are not all read.
            if (!m_nameKnown) {
                m_failed = true;
                m_identity = FileIdentity();
            }
            m_nameKnown = true;
            Close();
            break;
        }
        if (got == 0) {
            // The end: a last line without its newline is not a line here,
            // but the solver reads it as a card.
            if (m_endTime) {
                if (m_cards.Pending())
                    m_cards.FeedPiece("", 0, true);
                m_cardsRead = true;
            }
            m_nameKnown = true;
            Close();
            break;
        }
        budget -= (size_t)got;
        const char *p = m_buf.get();
        const char *end = p + got;
        while (p < end && !m_done) {
            const char *nl = static_cast<const char *>(memchr(p, '\n', (size_t)(end - p)));
            const char *stop = nl ? nl : end;
            if (m_endTime && !(nl && stop > p && m_cards.Skips(*p)))
                m_cards.FeedPiece(p, (size_t)(stop - p), nl != nullptr);
            for (const char *q = p; q < stop && !m_nameKnown; q++) {
                unsigned char c = (unsigned char)*q;
                if (!line_keeps(c))
                    continue;
                if (m_prefix >= 0 && m_prefix < kKeywordLen)
                    m_prefix = c == (unsigned char)kKeyword[m_prefix] ? m_prefix + 1 : -1;
                // Past what the line reader keeps, or past the keyword test
                // of an unarmed line, nothing more of the line matters.
                if (m_armed) {
                    if (m_lineLen == READ_LINE_MAX)
                        break;
                    m_line[m_lineLen++] = (char)c;
                } else if (m_prefix < 0 || m_prefix == kKeywordLen) {
                    break;
                }
            }
            if (!nl)
                break;
            if (!m_nameKnown)
                EndLine();
            p = nl + 1;
        }
    }
    if (m_done && m_fd >= 0)
        Close();
    return m_done;
}

bool DeckNameCache::Get(const char *path, bool *found, std::string *name) const
{
    auto it = m_entries.find(path);
    FileIdentity now;
    if (it == m_entries.end() || !GetFileIdentity(path, &now) || !(now == it->second.id))
        return false;
    *found = it->second.found;
    *name = it->second.name;
    return true;
}

void DeckNameCache::Put(const char *path, const FileIdentity &id, bool found,
                        const std::string &name)
{
    if (id.ino == 0) {
        m_entries.erase(path);
        return;
    }
    if (m_entries.size() >= kCacheEntries && !m_entries.count(path))
        m_entries.clear();
    Entry &e = m_entries[path];
    // Cards read of this state of the deck stay with its name.
    bool keep = e.cardsRead && e.id == id;
    e.id = id;
    e.found = found;
    e.name = name;
    e.cardsRead = keep;
}

bool DeckNameCache::GetCards(const char *path, EndTimeCards *cards) const
{
    auto it = m_entries.find(path);
    FileIdentity now;
    if (it == m_entries.end() || !it->second.cardsRead || !GetFileIdentity(path, &now) ||
        !(now == it->second.id))
        return false;
    *cards = it->second.cards;
    return true;
}

void DeckNameCache::PutCards(const char *path, const FileIdentity &id, const EndTimeCards &cards)
{
    auto it = m_entries.find(path);
    // Only beside the deck's name, for the same state of the deck.
    if (it == m_entries.end() || id.ino == 0 || !(it->second.id == id))
        return;
    it->second.cardsRead = true;
    it->second.cards = cards;
}

int DeckMessageName(DeckNameCache &cache, const char *deck, std::string *name, bool *failed)
{
    name->clear();
    if (failed)
        *failed = false;
    bool found;
    if (cache.Get(deck, &found, name))
        return found ? 1 : 0;
    DeckNameScan scan;
    if (!scan.Open(deck))
        return 0;
    scan.Step((size_t)-1);
    if (failed)
        *failed = scan.Failed();
    cache.Put(deck, scan.Identity(), scan.Found(), scan.Name());
    *name = scan.Name();
    return scan.Found() ? 1 : 0;
}
