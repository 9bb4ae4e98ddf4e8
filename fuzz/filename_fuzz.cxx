// Fuzzes the rules for typed file names: cleaning the typed text, its
// character rules and where the name leads from a folder. Input: the
// typed text.
#include "dialogs/file_name.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static void check(bool ok, const char *what)
{
    if (!ok) {
        fprintf(stderr, "broken: %s\n", what);
        abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string typed(reinterpret_cast<const char *>(data), size);
    typed.resize(strlen(typed.c_str()));
    char clean[FD_PATH_SIZE];
    if (!FileName_Clean(typed.c_str(), clean)) {
        check(typed.empty() && clean[0] == '\0', "a typed text gave no name");
        return 0;
    }
    size_t n = strlen(clean);
    check(n < FD_PATH_SIZE, "cleaned name too long");
    check(!strchr(clean, '\\'), "a backslash is left");
    check(n == 0 || (clean[0] != ' ' && clean[n - 1] != ' '), "blanks are left at an end");

    // A folder that does not exist, so that only names leading elsewhere
    // are looked up on the disk.
    static const char dir[] = "/nonexistent-wendle-fuzz/";
    char dot[] = ".", dotdot[] = "..", sub[] = "sub";
    char *folders[] = {dot, dotdot, sub};
    char out[FD_PATH_SIZE];
    int r = FileName_Resolve(clean, dir, folders, 3, out);
    size_t len = strlen(out);
    check(len < FD_PATH_SIZE, "result too long");
    switch (r) {
    case FN_BAD_NAME:
        check(FileName_HasBadChars(clean) && len == 0, "bad name");
        break;
    case FN_BAD_FOLDER:
        check(!FileName_HasBadChars(clean) && len == 0, "bad folder");
        break;
    case FN_PLAIN:
        check(strcmp(out, clean) == 0 && !strchr(clean, '/'), "plain name");
        break;
    case FN_FOLDER:
        check(len > 0 && out[len - 1] == '/', "folder without its final slash");
        break;
    default:
        check(false, "unknown outcome");
    }
    return 0;
}
