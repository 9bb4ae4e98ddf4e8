// Fuzzes the rules for typed file names: cleaning the typed text, its
// character rules and where the name leads from a folder. Input: the
// typed text.
#include "fuzz_check.h"

#include "dialogs/file_name.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string typed(reinterpret_cast<const char *>(data), size);
    typed.resize(strlen(typed.c_str()));
    char clean[FD_PATH_SIZE];
    if (!FileName_Clean(typed.c_str(), clean)) {
        fuzz_check(typed.empty() && clean[0] == '\0', "a typed text gave no name");
        return 0;
    }
    size_t n = strlen(clean);
    fuzz_check(n < FD_PATH_SIZE, "cleaned name too long");
    fuzz_check(!strchr(clean, '\\'), "a backslash is left");
    fuzz_check(n == 0 || (clean[0] != ' ' && clean[n - 1] != ' '), "blanks are left at an end");

    // A folder that does not exist, so that only names leading elsewhere
    // are looked up on the disk.
    static const char dir[] = "/nonexistent-wendle-fuzz/";
    char dot[] = ".", dotdot[] = "..", sub[] = "sub";
    char *folders[] = {dot, dotdot, sub};
    char out[FD_PATH_SIZE];
    int r = FileName_Resolve(clean, dir, folders, 3, out);
    size_t len = strlen(out);
    fuzz_check(len < FD_PATH_SIZE, "result too long");
    switch (r) {
    case FN_BAD_NAME:
        fuzz_check(FileName_HasBadChars(clean) && len == 0, "bad name");
        break;
    case FN_BAD_FOLDER:
        fuzz_check(!FileName_HasBadChars(clean) && len == 0, "bad folder");
        break;
    case FN_PLAIN:
        fuzz_check(strcmp(out, clean) == 0 && !strchr(clean, '/'), "plain name");
        break;
    case FN_FOLDER:
        fuzz_check(len > 0 && out[len - 1] == '/', "folder without its final slash");
        break;
    default:
        fuzz_check(false, "unknown outcome");
    }
    return 0;
}
