// Any text, as message file and as deck: a cycle line read whole and read
// cut short never disagree, numbers read as the C library reads them, and
// the end-time cards come to one answer whether a deck is read in slices
// of any size, fed line by line, or fed its lines as the line reader keeps
// them.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/comfunction.h"
#include "fuzz_check.h"
#include "solver/cycle_line.h"
#include "solver/end_time.h"

namespace {

// The line's first `limit` characters that read_line keeps.
std::string kept(const char *p, size_t n, size_t limit)
{
    std::string line;
    for (size_t i = 0; i < n && line.size() < limit; i++)
        if (line_keeps((unsigned char)p[i]))
            line += p[i];
    return line;
}

void check_number(const std::string &line)
{
    double value;
    const char *end = ScanReal(line.data(), line.data() + line.size(), &value);
    if (!end)
        return;
    fuzz_check(std::isfinite(value), "a number is finite");
    std::string text(line.data(), end);
    for (char &c : text)
        if (c == 'D' || c == 'd')
            c = 'E';
    char *stop;
    double libc = strtod(text.c_str(), &stop);
    fuzz_check(*stop == '\0', "strtod reads the whole number");
    fuzz_check(memcmp(&libc, &value, sizeof value) == 0,
               "a number reads as strtod reads it in the C locale, to the last bit");
}

void check_cycle_line(const std::string &line)
{
    CycleLine whole;
    if (!ParseCycleLine(line.c_str(), &whole))
        return;
    fuzz_check(std::isfinite(whole.t) && std::isfinite(whole.dt) && whole.cycle >= 0,
               "a cycle line's numbers are finite");
    for (size_t n = 0; n < line.size(); n++) {
        CycleLine cut;
        if (!ParseCycleLine(line.substr(0, n).c_str(), &cut))
            continue;
        fuzz_check(cut.cycle == whole.cycle && cut.t == whole.t && cut.dt == whole.dt,
                   "a cut cycle line reads as other numbers");
    }
}

bool same(const EndTimeCards &a, const EndTimeCards &b)
{
    return a.Cards() == b.Cards();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *text = (const char *)data;
    EndTimeCards raw, clean;
    for (size_t from = 0; from < size;) {
        const char *nl = static_cast<const char *>(memchr(text + from, '\n', size - from));
        size_t to = nl ? (size_t)(nl - text) : size;
        // One character more than the reader keeps, so a cut still shows.
        std::string longer = kept(text + from, to - from, READ_LINE_MAX + 1);
        std::string line = longer.substr(0, READ_LINE_MAX);
        check_number(line);
        check_cycle_line(line);
        raw.Feed(text + from, to - from);
        clean.Feed(longer.data(), longer.size());
        from = to + 1;
    }
    fuzz_check(same(raw, clean), "control characters change the end-time cards");

    // Includes are not followed (depth 0): the deck alone decides.
    const std::string &path = fuzz_scratch_file("deck.k");
    FILE *fp = fopen(path.c_str(), "w");
    if (!fp || fwrite(data, 1, size, fp) != size || fclose(fp) != 0)
        abort();
    size_t slice = size ? (size_t)data[0] % 64 + 1 : 1;
    EndTimeScan sliced, fed;
    sliced.Open(path.c_str(), 0);
    while (!sliced.Step(slice)) {
    }
    fed.OpenAfter(path.c_str(), raw, 0);
    while (!fed.Step(slice)) {
    }
    fuzz_check(sliced.Result() == fed.Result() && sliced.Value() == fed.Value(),
               "a deck read in slices gives another end time");
    fuzz_check(fed.Result() != 1 || fed.Value() > 0, "an end time is positive");
    return 0;
}
