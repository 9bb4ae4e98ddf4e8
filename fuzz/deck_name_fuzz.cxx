// Any deck: read_line and the deck's message name read in slices agree with
// the message name found by reading the deck a line at a time.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/comfunction.h"
#include "solver/deck_name.h"
#include "fuzz_check.h"
#include "support/line_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &path = fuzz_scratch_file("deck.k");
    // The first byte chooses the slice size.
    size_t slice = size ? (size_t)data[0] % 64 + 1 : 1;
    FILE *fp = fopen(path.c_str(), "w");
    if (!fp || fwrite(data, 1, size, fp) != size || fclose(fp) != 0)
        abort();

    std::string want;
    int expect = deck_name_by_lines(std::string((const char *)data, size), &want);
    DeckNameScan scan;
    if (scan.Open(path.c_str()))
        while (!scan.Step(slice)) {
        }
    if ((expect == 1) != scan.Found() || want != scan.Name() || scan.Failed())
        abort();
    DeckNameCache cache;
    std::string name;
    bool failed = true;
    if (DeckMessageName(cache, path.c_str(), &name, &failed) != expect || name != want || failed)
        abort();
    return 0;
}
