// Fuzzes the rules for typed file names: cleaning the typed text, its
// character rules and where the name leads from a folder; and the text as
// an alert shows it. Input: the typed text.
#include "fuzz_check.h"

#include "dialogs/file_name.h"
#include "dialogs/plain_label.h"

#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string typed(reinterpret_cast<const char *>(data), size);
    typed.resize(strlen(typed.c_str()));

    // Every "@" doubled, cut to fit the buffer but never inside a pair.
    char shown[64];
    PlainLabel_Escape(typed.c_str(), shown, sizeof shown);
    std::string back;
    for (size_t i = 0; shown[i]; i++) {
        back += shown[i];
        if (shown[i] == '@') {
            fuzz_check(shown[i + 1] == '@', "a lone @ in the shown text");
            i++;
        }
    }
    fuzz_check(typed.compare(0, back.size(), back) == 0, "the shown text is not the typed one");
    fuzz_check(back.size() == typed.size() || strlen(shown) + 2 >= sizeof shown,
               "the shown text was cut with room left");
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
