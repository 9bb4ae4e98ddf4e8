#include "solver/end_time.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <muParser.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "foundation/comfunction.h"
#include "solver/cycle_line.h"

namespace {

const size_t kChunk = 256 * 1024;
// What opening a file costs against a step's budget.
const size_t kOpenCost = 4096;
// What evaluating an expression, and applying any card, cost.
const size_t kEvalCost = 4096;
const size_t kCardCost = 64;
// Beyond these the answer is unknown rather than the memory or time
// unbounded.
const size_t kMaxCards = 4096;
const int kMaxFiles = 256;
const int kFieldWidth = 10;
const int kFields = 8;

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
    while (*from < *to && line_blank(**from))
        (*from)++;
    while (*to > *from && line_blank((*to)[-1]))
        (*to)--;
}

// [from, to) trimmed, as a string.
std::string trimmed(const char *from, const char *to)
{
    trim(&from, &to);
    return std::string(from, to);
}

// Field k of a card: up to the k-th comma when it holds one, else columns
// [10 k, 10 k + 10).
std::string field(const char *line, int len, int k)
{
    if (memchr(line, ',', (size_t)len)) {
        const char *from = line, *end = line + len;
        for (; k > 0 && from < end; k--) {
            const char *comma = static_cast<const char *>(memchr(from, ',', (size_t)(end - from)));
            from = comma ? comma + 1 : end;
        }
        const char *comma = static_cast<const char *>(memchr(from, ',', (size_t)(end - from)));
        return trimmed(from, comma ? comma : end);
    }
    int from = k * kFieldWidth;
    int to = from + kFieldWidth;
    return from < len ? trimmed(line + from, line + (to < len ? to : len)) : std::string();
}

// A number field: blank is 0.
bool field_number(const std::string &text, double *value)
{
    *value = 0;
    const char *end = text.data() + text.size();
    return text.empty() || ScanReal(text.data(), end, value) == end;
}

// ENDTIM's field names a parameter.
inline bool names_parameter(const std::string &field)
{
    return !field.empty() && field[0] == '&';
}

inline bool name_start(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

inline bool name_char(char c)
{
    return name_start(c) || (c >= '0' && c <= '9');
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
    m_cards.clear();
    m_full = false;
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

void EndTimeCards::Add(Card::Kind kind, char type, std::string name, std::string text)
{
    // Nothing comes between two definitions: the first counts for nothing.
    if (kind == Card::ENDTIM && !m_cards.empty() && m_cards.back().kind == Card::ENDTIM) {
        m_cards.back().text = std::move(text);
        return;
    }
    if (kind != Card::ENDTIM && m_cards.size() >= kMaxCards) {
        if (!m_full)
            m_cards.push_back(Card{Card::LOST, 0, "", ""});
        m_full = true;
        return;
    }
    m_cards.push_back(Card{kind, type, std::move(name), std::move(text)});
}

void EndTimeCards::Keyword(const char *line, int len)
{
    while (len > 0 && line_blank(line[len - 1]))
        len--;
    static const struct {
        const char *word;
        State state;
    } kKeywords[] = {
        {"*CONTROL_TERMINATION", TERMINATION},
        {"*CONTROL_TERMINATION_TITLE", TERMINATION},
        {"*INCLUDE", INCLUDE},
        {"*INCLUDE_PATH", PATH},
        {"*INCLUDE_PATH_RELATIVE", PATH},
        {"*PARAMETER", PARAMETER},
        {"*PARAMETER_LOCAL", PARAMETER_LOCAL},
        {"*PARAMETER_EXPRESSION", EXPRESSION},
        {"*PARAMETER_EXPRESSION_LOCAL", EXPRESSION_LOCAL},
        {"*PARAMETER_DUPLICATION", DUPLICATION},
        {"*END", ENDED},
    };
    m_state = OTHER;
    for (const auto &k : kKeywords)
        if (same_keyword(line, len, k.word))
            m_state = k.state;
    if (m_state == TERMINATION) {
        // Until its data card is read, and if none comes, the card is blank.
        m_title = same_keyword(line, len, "*CONTROL_TERMINATION_TITLE");
        Add(Card::ENDTIM, 0, "", "");
    }
}

void EndTimeCards::Parameters(const char *line, int len, bool cut)
{
    if (cut) {
        Add(Card::LOST, 0, "", "");
        return;
    }
    for (int k = 0; k < kFields; k += 2) {
        std::string name = field(line, len, k);
        if (name.size() < 2)
            continue;
        char type = ascii_upper(name[0]);
        if (m_state == PARAMETER_LOCAL || (type != 'R' && type != 'I' && type != 'C'))
            type = '?';
        Add(Card::PARAMETER, type, trimmed(name.data() + 1, name.data() + name.size()),
            field(line, len, k + 1));
    }
}

void EndTimeCards::Expression(const char *line, int len, bool cut)
{
    if (cut) {
        Add(Card::LOST, 0, "", "");
        return;
    }
    // Its expression may hold commas of its own: the card is free format
    // when the name field does.
    int head = len < kFieldWidth ? len : kFieldWidth;
    const char *comma = static_cast<const char *>(memchr(line, ',', (size_t)head));
    const char *split = comma ? comma : line + head;
    std::string name = trimmed(line, split);
    if (name.size() < 2)
        return;
    char type = ascii_upper(name[0]);
    if (m_state == EXPRESSION_LOCAL || (type != 'R' && type != 'I' && type != 'C'))
        type = '?';
    Add(Card::EXPRESSION, type, trimmed(name.data() + 1, name.data() + name.size()),
        trimmed(split + (comma != nullptr), line + len));
}

void EndTimeCards::Feed(const char *p, size_t n)
{
    size_t i = 0;
    while (i < n && !line_keeps((unsigned char)p[i]))
        i++;
    if (m_state == ENDED || (m_state == OTHER && (i == n || p[i] != '*')))
        return;
    // Between the keywords that matter, one whose second letter is none of
    // theirs changes nothing: a deck of *NODE lines costs no copies.
    if (m_state == OTHER) {
        size_t j = i + 1;
        while (j < n && !line_keeps((unsigned char)p[j]))
            j++;
        char c = j < n ? (char)(p[j] | 0x20) : '\0';
        if (c != 'c' && c != 'i' && c != 'e' && c != 'p')
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
    switch (m_state) {
    case INCLUDE:
    case PATH: {
        std::string name = trimmed(line, line + len);
        if (cut)
            Add(Card::LOST, 0, "", "");
        else if (!name.empty())
            Add(m_state == INCLUDE ? Card::INCLUDE : Card::PATH, 0, "", name);
        break;
    }
    case PARAMETER:
    case PARAMETER_LOCAL:
        Parameters(line, len, cut);
        break;
    case EXPRESSION:
    case EXPRESSION_LOCAL:
        Expression(line, len, cut);
        break;
    case DUPLICATION:
        m_state = OTHER;
        Add(Card::DUPLICATION, 0, "", field(line, len, 0));
        break;
    case TERMINATION:
        if (m_title) {
            m_title = false;
            break;
        }
        m_state = OTHER;
        Add(Card::ENDTIM, 0, "", field(line, len, 0));
        break;
    default:
        break;
    }
}

EndTimeScan::EndTimeScan()
    : m_depth(0), m_done(true), m_result(-1), m_value(0), m_files(0), m_deck(), m_whole(false),
      m_skipped(false), m_again(false), m_endDefined(false), m_endLost(false), m_firstWins(false),
      m_lostAny(false), m_pathsKnown(0), m_fd(-1), m_level(0), m_dev(0), m_ino(0)
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
    if (!deck || !OpenFile(deck, 0)) {
        Fail();
        return false;
    }
    return true;
}

void EndTimeScan::OpenAfter(const char *deck, const EndTimeCards &cards, int depth)
{
    Begin(deck, depth);
    struct stat st;
    bool known = deck && stat(deck, &st) == 0;
    m_files = 1;
    m_level = 0;
    m_dev = known ? st.st_dev : 0;
    m_ino = known ? st.st_ino : 0;
    m_cards = cards;
    FileRead();
}

bool EndTimeScan::OpenFile(const std::string &path, int level)
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
    m_level = level;
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    m_cards.Reset();
    return true;
}

void EndTimeScan::FileRead()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    const std::vector<EndTimeCards::Card> &cards = m_cards.Cards();
    long plain = -1;
    for (size_t i = 0; i < cards.size(); i++)
        if (cards[i].kind == EndTimeCards::Card::ENDTIM && !names_parameter(cards[i].text))
            plain = (long)i;
    Frame f{cards, 0, m_level, plain, m_dev, m_ino};
    if (m_level > 0) {
        m_stack.push_back(std::move(f));
        return;
    }
    // Includes may be skipped unless the deck itself has a card that makes
    // every file matter.
    m_deck = std::move(f);
    bool whole = false;
    for (const EndTimeCards::Card &c : m_deck.cards) {
        bool plain = c.kind == EndTimeCards::Card::ENDTIM && !names_parameter(c.text);
        whole = whole || !(plain || c.kind == EndTimeCards::Card::INCLUDE ||
                           c.kind == EndTimeCards::Card::LOST);
    }
    Walk(whole);
}

void EndTimeScan::Walk(bool whole)
{
    m_whole = whole;
    m_skipped = m_again = false;
    m_endDefined = m_endLost = false;
    m_endField.clear();
    m_params.clear();
    m_firstWins = m_lostAny = false;
    m_paths.clear();
    m_pathsKnown = 0;
    m_files = 1;
    m_stack.assign(1, m_deck);
}

void EndTimeScan::Lose()
{
    // What the file would have defined is not known: what was defined
    // before it may have changed.
    m_endLost = true;
    for (auto &p : m_params)
        p.second.known = false;
    if (!m_lostAny)
        m_pathsKnown = m_paths.size();
    m_lostAny = true;
}

void EndTimeScan::Define(const std::string &name, bool known, double value)
{
    auto it = m_params.find(name);
    if (m_firstWins && it != m_params.end())
        return;
    // A file that was lost may have defined it first.
    if (m_firstWins && m_lostAny)
        known = false;
    m_params[name] = Parameter{known, value};
}

bool EndTimeScan::Evaluate(const EndTimeCards::Card &card, double *value) const
{
    // "&a" is a; "&&" is muParser's own "and".
    std::string text;
    const std::string &e = card.text;
    for (size_t i = 0; i < e.size(); i++) {
        bool name = i + 1 < e.size() && name_start(e[i + 1]) && (i == 0 || e[i - 1] != '&');
        if (!(e[i] == '&' && name))
            text += e[i];
    }
    // Only the names known are variables.
    std::vector<std::pair<std::string, double>> vars;
    for (size_t i = 0; i < text.size(); i++) {
        if (!name_start(text[i]) || (i > 0 && (name_char(text[i - 1]) || text[i - 1] == '.')))
            continue;
        size_t j = i;
        while (j < text.size() && name_char(text[j]))
            j++;
        auto it = m_params.find(text.substr(i, j - i));
        if (it != m_params.end() && it->second.known)
            vars.emplace_back(it->first, it->second.value);
        i = j;
    }
    try {
        mu::Parser parser;
        // Its constants are not the solver's: a name it does not know is
        // an expression it cannot evaluate.
        parser.ClearConst();
        for (auto &v : vars)
            parser.DefineVar(v.first, &v.second);
        parser.SetExpr(text);
        *value = parser.Eval();
    } catch (const mu::Parser::exception_type &) {
        return false;
    }
    // An integer's arithmetic may not be muParser's.
    if (card.type == 'I' && (*value != std::trunc(*value) || text.find('/') != std::string::npos))
        return false;
    return std::isfinite(*value);
}

bool EndTimeScan::Include(const std::string &name, int level)
{
    if (level > m_depth)
        return false;
    std::string path = name[0] == '/' ? name : m_folder + name;
    struct stat st;
    if (name[0] == '/' || stat(path.c_str(), &st) == 0)
        return OpenFile(path, level);
    // The folders of includes matter, and a file skipped may have named one.
    if (m_skipped) {
        m_again = true;
        return true;
    }
    for (size_t i = 0; i < m_paths.size(); i++) {
        const std::string &dir = m_paths[i];
        path = dir + (dir.back() == '/' ? "" : "/") + name;
        if (stat(path.c_str(), &st) != 0)
            continue;
        // A folder named by a lost file may come before this one.
        return (!m_lostAny || i < m_pathsKnown) && OpenFile(path, level);
    }
    return false;
}

void EndTimeScan::Apply(const EndTimeCards::Card &card, int level, bool skip, size_t *budget)
{
    double v = 0;
    switch (card.kind) {
    case EndTimeCards::Card::ENDTIM:
        m_endDefined = true;
        m_endLost = false;
        m_endField = card.text;
        break;
    case EndTimeCards::Card::PARAMETER: {
        bool known = (card.type == 'R' || card.type == 'I') && field_number(card.text, &v) &&
                     (card.type == 'R' || v == std::trunc(v));
        Define(card.name, known, v);
        break;
    }
    case EndTimeCards::Card::EXPRESSION: {
        *budget -= *budget < kEvalCost ? *budget : kEvalCost;
        bool known = (card.type == 'R' || card.type == 'I') && Evaluate(card, &v);
        Define(card.name, known, v);
        break;
    }
    case EndTimeCards::Card::PATH:
        m_paths.push_back(card.text[0] == '/' ? card.text : m_folder + card.text);
        break;
    case EndTimeCards::Card::DUPLICATION:
        // 1 and 3 keep a parameter's first definition, the others its last.
        m_firstWins = field_number(card.text, &v) && (v == 1 || v == 3);
        break;
    case EndTimeCards::Card::INCLUDE:
        if (skip) {
            m_skipped = true;
            break;
        }
        *budget -= *budget < kOpenCost ? *budget : kOpenCost;
        if (!Include(card.text, level + 1))
            Lose();
        break;
    case EndTimeCards::Card::LOST:
        Lose();
        break;
    }
}

void EndTimeScan::Fail()
{
    Close();
    m_result = -1;
    m_value = 0;
}

void EndTimeScan::Finish()
{
    bool named = m_endDefined && names_parameter(m_endField);
    if (named && m_skipped) {
        Walk(true);
        return;
    }
    Close();
    double v = 0;
    bool known = !m_endLost;
    if (known && named) {
        const char *name = m_endField.data() + 1;
        auto it = m_params.find(trimmed(name, m_endField.data() + m_endField.size()));
        known = it != m_params.end() && it->second.known;
        v = known ? it->second.value : 0;
    } else if (known && m_endDefined) {
        known = field_number(m_endField, &v);
    }
    m_result = !known ? -1 : v > 0 ? 1 : 0;
    m_value = m_result == 1 ? v : 0;
}

bool EndTimeScan::Step(size_t budget)
{
    while (!m_done && budget > 0) {
        if (m_again) {
            Walk(true);
            continue;
        }
        if (m_fd >= 0) {
            if (!m_buf)
                m_buf.reset(new char[kChunk]);
            ssize_t got = read(m_fd, m_buf.get(), budget < kChunk ? budget : kChunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                close(m_fd);
                m_fd = -1;
                if (m_level == 0)
                    Fail();
                else
                    Lose();
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
            continue;
        }
        if (m_stack.empty()) {
            Finish();
            continue;
        }
        Frame &f = m_stack.back();
        if (f.next == f.cards.size()) {
            m_stack.pop_back();
            continue;
        }
        size_t i = f.next++;
        budget -= budget < kCardCost ? budget : kCardCost;
        Apply(f.cards[i], f.level, !m_whole && (long)i < f.plain, &budget);
    }
    return m_done;
}
