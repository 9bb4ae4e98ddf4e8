#include "solver/end_time.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "solver/cycle_line.h"

namespace {

const size_t kChunk = 256 * 1024;
// What opening a file costs against a step's budget.
const size_t kOpenCost = 4096;
// Beyond these the answer is unknown rather than the memory or time
// unbounded.
const size_t kMaxIncludes = 4096;
const int kMaxFiles = 256;
const int kFieldWidth = 10;

inline bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

inline char ascii_upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// Whether line[0, len) is `word`, whatever the case of its letters.
bool same_keyword(const char *line, int len, const char *word)
{
    int n = (int)strlen(word);
    if (len != n)
        return false;
    for (int i = 0; i < n; i++)
        if (ascii_upper(line[i]) != word[i])
            return false;
    return true;
}

// [*from, *to) without the blanks around it.
void trim(const char **from, const char **to)
{
    while (*from < *to && is_blank(**from))
        (*from)++;
    while (*to > *from && is_blank((*to)[-1]))
        (*to)--;
}

} // namespace

EndTimeCards::EndTimeCards()
{
    Reset();
}

void EndTimeCards::Reset()
{
    m_state = OTHER;
    m_title = false;
    m_defined = 0;
    m_value = 0;
    m_includes.clear();
    m_lost = false;
    m_pieceLen = 0;
}

void EndTimeCards::FeedPiece(const char *p, size_t n, bool lineEnds)
{
    if (m_pieceLen == 0 && lineEnds) {
        Feed(p, n);
        return;
    }
    for (size_t i = 0; i < n && m_pieceLen <= READ_LINE_MAX; i++)
        if (line_keeps((unsigned char)p[i]))
            m_piece[m_pieceLen++] = p[i];
    if (lineEnds) {
        Feed(m_piece, (size_t)m_pieceLen);
        m_pieceLen = 0;
    }
}

void EndTimeCards::Define(int defined, double value)
{
    m_defined = defined;
    m_value = value;
    m_includes.clear();
    m_lost = false;
}

void EndTimeCards::Keyword(const char *line, int len)
{
    while (len > 0 && is_blank(line[len - 1]))
        len--;
    m_state = OTHER;
    bool titled = same_keyword(line, len, "*CONTROL_TERMINATION_TITLE");
    if (titled || same_keyword(line, len, "*CONTROL_TERMINATION")) {
        // Until its data card is read, and if none comes, the card is blank.
        m_state = TERMINATION;
        m_title = titled;
        Define(1, 0);
    } else if (same_keyword(line, len, "*INCLUDE")) {
        m_state = INCLUDE;
    } else if (same_keyword(line, len, "*END")) {
        m_state = ENDED;
    }
}

void EndTimeCards::Feed(const char *p, size_t n)
{
    size_t i = 0;
    while (i < n && !line_keeps((unsigned char)p[i]))
        i++;
    if (m_state == ENDED || (m_state == OTHER && (i == n || p[i] != '*')))
        return;
    // Between the two keywords, one whose second letter is none of theirs
    // (or *END's) changes nothing: a deck of *NODE lines costs no copies.
    if (m_state == OTHER) {
        size_t j = i + 1;
        while (j < n && !line_keeps((unsigned char)p[j]))
            j++;
        char c = j < n ? (char)(p[j] | 0x20) : '\0';
        if (c != 'c' && c != 'i' && c != 'e')
            return;
    }

    // One character past the reader's limit tells a cut line.
    char line[READ_LINE_MAX + 2];
    int len = 0;
    for (; i < n && len <= READ_LINE_MAX; i++)
        if (line_keeps((unsigned char)p[i]))
            line[len++] = p[i];
    bool cut = len > READ_LINE_MAX;
    if (cut)
        len = READ_LINE_MAX;
    line[len] = '\0';

    if (line[0] == '*') {
        Keyword(line, len);
        return;
    }
    if (line[0] == '$')
        return;
    const char *from = line, *to = line + len;
    if (m_state == INCLUDE) {
        trim(&from, &to);
        if (from == to)
            return;
        if (cut || m_includes.size() >= kMaxIncludes)
            m_lost = true;
        else
            m_includes.emplace_back(from, to);
        return;
    }
    if (m_title) {
        m_title = false;
        return;
    }
    m_state = OTHER;
    const char *comma = static_cast<const char *>(memchr(line, ',', (size_t)len));
    to = comma ? comma : line + (len < kFieldWidth ? len : kFieldWidth);
    trim(&from, &to);
    double value = 0;
    if (from == to)
        Define(1, 0);
    else if (ScanReal(from, to, &value) == to)
        Define(1, value);
    else
        Define(-1, 0);
}

EndTimeScan::EndTimeScan()
    : m_depth(0), m_done(true), m_result(-1), m_value(0), m_files(0), m_fd(-1), m_dev(0),
      m_ino(0)
{
}

EndTimeScan::~EndTimeScan()
{
    Close();
}

void EndTimeScan::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_stack.clear();
    m_done = true;
}

void EndTimeScan::Begin(const char *deck, int depth)
{
    Close();
    const char *slash = deck ? strrchr(deck, '/') : nullptr;
    m_folder = slash ? std::string(deck, slash + 1) : std::string();
    m_depth = depth;
    m_done = false;
    m_result = -1;
    m_value = 0;
    m_files = 0;
}

bool EndTimeScan::Open(const char *deck, int depth)
{
    Begin(deck, depth);
    if (!deck || !OpenFile(deck)) {
        Finish(UNKNOWN, 0);
        return false;
    }
    return true;
}

void EndTimeScan::OpenAfter(const char *deck, const EndTimeCards &cards, int depth)
{
    Begin(deck, depth);
    struct stat st;
    bool known = deck && stat(deck, &st) == 0;
    m_dev = known ? st.st_dev : 0;
    m_ino = known ? st.st_ino : 0;
    m_cards = cards;
    FileRead();
}

bool EndTimeScan::OpenFile(const std::string &path)
{
    if (++m_files > kMaxFiles)
        return false;
    // A FIFO or a device named like a deck must not block the window.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    for (size_t i = 0; ok && i < m_stack.size(); i++)
        ok = !(m_stack[i].dev == st.st_dev && m_stack[i].ino == st.st_ino);
    if (!ok) {
        close(fd);
        return false;
    }
    m_fd = fd;
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    m_cards.Reset();
    return true;
}

void EndTimeScan::Finish(Answer a, double value)
{
    Close();
    m_result = a == UNKNOWN ? -1 : a == DEFINED && value > 0 ? 1 : 0;
    m_value = m_result == 1 ? value : 0;
}

void EndTimeScan::Answered(Answer a, double value)
{
    while (!m_stack.empty()) {
        Frame &f = m_stack.back();
        // Searched from the last include: the first that answers decides.
        if (a == NONE && f.left > 0)
            return;
        if (a == NONE) {
            a = f.own;
            value = f.ownValue;
        }
        m_stack.pop_back();
    }
    Finish(a, value);
}

void EndTimeScan::FileRead()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    int d = m_cards.Defined();
    Answer own = d == 1 ? DEFINED : d == 0 ? NONE : UNKNOWN;
    if (m_cards.Includes().empty() && !m_cards.Lost()) {
        Answered(own, m_cards.Value());
        return;
    }
    if (m_cards.Lost() || (int)m_stack.size() >= m_depth) {
        Answered(UNKNOWN, 0);
        return;
    }
    const std::vector<std::string> &names = m_cards.Includes();
    m_stack.push_back(Frame{names, names.size(), own, m_cards.Value(), m_dev, m_ino});
}

bool EndTimeScan::Step(size_t budget)
{
    while (!m_done && budget > 0) {
        if (m_fd < 0) {
            Frame &f = m_stack.back();
            const std::string &name = f.names[--f.left];
            std::string path = name[0] == '/' ? name : m_folder + name;
            budget -= budget < kOpenCost ? budget : kOpenCost;
            if (!OpenFile(path))
                Answered(UNKNOWN, 0);
            continue;
        }
        if (!m_buf)
            m_buf.reset(new char[kChunk]);
        ssize_t got = read(m_fd, m_buf.get(), budget < kChunk ? budget : kChunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            Answered(UNKNOWN, 0);
            continue;
        }
        if (got == 0) {
            // The solver reads a last line without its newline too.
            if (m_cards.Pending())
                m_cards.FeedPiece("", 0, true);
            FileRead();
            continue;
        }
        budget -= (size_t)got;
        const char *p = m_buf.get();
        const char *end = p + got;
        while (p < end) {
            const char *nl = static_cast<const char *>(memchr(p, '\n', (size_t)(end - p)));
            m_cards.FeedPiece(p, (size_t)((nl ? nl : end) - p), nl != nullptr);
            p = nl ? nl + 1 : end;
        }
    }
    return m_done;
}
