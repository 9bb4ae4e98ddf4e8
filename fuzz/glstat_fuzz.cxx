// Any text as a glstat file, written in pieces of any size and read in
// slices of any size while it grows: the samples are those of one read of
// the whole file, each with a time and finite values.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "solver/glstat.h"

namespace {

std::vector<GlstatSample> read_on(GlstatWatch &w, size_t slice, std::vector<GlstatSample> got)
{
    bool more = true;
    while (more) {
        w.Check(slice, &more);
        if (w.Restarted())
            got.clear();
        got.insert(got.end(), w.Samples().begin(), w.Samples().end());
    }
    return got;
}

bool same(const GlstatSample &a, const GlstatSample &b)
{
    if (a.present != b.present)
        return false;
    for (int q = 0; q < GlstatSample::QUANTITIES; q++)
        if (a.value[q] != b.value[q])
            return false;
    return true;
}

} // namespace

// The first byte sets the slice, the second the size of the pieces.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    size_t slice = (size_t)data[0] % 64 + 1, piece = (size_t)data[1] % 64 + 1;
    std::string text((const char *)data + 2, size - 2);
    const std::string &path = fuzz_scratch_file("glstat");
    FILE *fp = fopen(path.c_str(), "w");
    if (!fp || fclose(fp) != 0)
        abort();
    GlstatWatch grown;
    grown.Start(path, false);
    std::vector<GlstatSample> got;
    for (size_t at = 0; at < text.size(); at += piece) {
        fp = fopen(path.c_str(), "a");
        std::string part = text.substr(at, piece);
        if (!fp || fwrite(part.data(), 1, part.size(), fp) != part.size() || fclose(fp) != 0)
            abort();
        got = read_on(grown, slice, got);
    }
    GlstatWatch whole;
    whole.Start(path, false);
    std::vector<GlstatSample> all = read_on(whole, (size_t)-1, {});
    fuzz_check(got.size() == all.size(), "a file read as it grows gives other blocks");
    for (size_t i = 0; i < all.size(); i++) {
        fuzz_check(same(got[i], all[i]), "a block cut by the writer reads as another");
        fuzz_check(all[i].Has(GlstatSample::TIME), "a sample has a time");
        for (double v : all[i].value)
            fuzz_check(std::isfinite(v), "a sample's values are finite");
    }
    GlstatSample a, b;
    bool ca = grown.Current(&a), cb = whole.Current(&b);
    fuzz_check(ca == cb && (!ca || same(a, b)), "the block being read differs");
    GlstatHealth health;
    for (const GlstatSample &s : all)
        health.Add(s);
    return 0;
}
