// Fuzzes the file-type filters: a filter string split into entries and
// menu items, the patterns of every entry, the matching of names against
// them and the completion of saved names. Input: the filter string, then
// after a NUL byte the names, separated by NUL bytes.
#include "fuzz_check.h"

#include "dialogs/file_filter.h"
#include "dialogs/file_name.h"

#include <FL/Fl_Menu_Item.H>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    size_t cut = text.find('\0');
    std::string filter = text.substr(0, cut);
    std::vector<std::string> names;
    for (size_t at = cut; at != std::string::npos && at < text.size();) {
        size_t next = text.find('\0', at + 1);
        names.push_back(text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
        at = next;
    }

    char **entries = Filter_Entries(filter.c_str());
    if (!entries)
        return 0;
    fuzz_check(entries[0] != nullptr, "no entry at all");
    Fl_Menu_Item *menu = Filter_MenuItems(entries);
    int items = 0;
    for (Fl_Menu_Item *m = menu; m && m->text; m++)
        items++;
    int counted = 0;
    for (char **e = entries; *e; e++) {
        fuzz_check(strlen(*e) < FD_FILTER_ENTRY_SIZE, "entry too long");
        counted += strcmp(*e, "[---]") != 0;

        char patterns[FD_MAX_PATTERNS][FD_PATTERN_SIZE];
        int n = Filter_Patterns(*e, patterns);
        fuzz_check(n >= 1 && n <= FD_MAX_PATTERNS, "pattern count");
        char *list[FD_MAX_PATTERNS];
        for (int k = 0; k < n; k++) {
            fuzz_check(strlen(patterns[k]) < FD_PATTERN_SIZE, "pattern too long");
            list[k] = patterns[k];
        }
        for (const std::string &name : names) {
            for (int k = 0; k < n; k++)
                Filter_Match(name.c_str(), patterns[k]);
            char saved[FD_PATH_SIZE];
            snprintf(saved, sizeof saved, "%s", name.c_str());
            Filter_CompleteName(saved, sizeof saved, list, n);
            fuzz_check(strlen(saved) < FD_PATH_SIZE, "completed name too long");
        }
    }
    fuzz_check(menu == nullptr || items == counted, "menu items and entries differ");
    free(menu);
    Filter_FreeEntries(entries);
    return 0;
}
