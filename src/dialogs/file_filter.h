// File-type filters of the file dialog, such as
// "Dyna file(*.dyn;*.k)|All file(*.*)": the entries of a filter string, the
// filter menu made of them, the patterns of one entry, the matching of file
// names and the completion of saved names. Nothing here needs a display.
#pragma once
#include <cstddef>

struct Fl_Menu_Item;

enum {
    FD_FILTER_SIZE = 300,       // a whole filter string, 299 characters
    FD_FILTER_ENTRY_SIZE = 120, // one filter entry, 119 characters
    FD_PATTERN_SIZE = 24,       // one pattern, 23 characters
    FD_MAX_PATTERNS = 10
};

// The entries of a filter string: a NULL-terminated list of
// FD_FILTER_ENTRY_SIZE-byte texts, the single entry "*.*" for a missing or
// empty string; null when memory ran out. Free it with Filter_FreeEntries.
char **Filter_Entries(const char *filter);
void Filter_FreeEntries(char **entries);

// The filter menu's items, one per entry but "[---]", which draws a
// divider below the item before it; their texts point into the entries.
// The caller frees the array; null when memory ran out.
Fl_Menu_Item *Filter_MenuItems(char *const *entries);

// The patterns of one entry (the text between its parentheses, split at
// ";"): their number, 0 for a missing or empty entry.
int Filter_Patterns(const char *entry, char patterns[FD_MAX_PATTERNS][FD_PATTERN_SIZE]);

enum FilterMatch {
    FILTER_NO_MATCH,
    FILTER_MATCH,
    FILTER_MATCH_UNLESS_FOLDER  // the pattern takes every file, no folder
};
// How a file name (without folder) matches one pattern, ignoring case.
FilterMatch Filter_Match(const char *name, const char *pattern);

// For saving: appends the first of the n patterns to name (size bytes) when
// name carries none of them; false, name unchanged, when it would not fit.
bool Filter_CompleteName(char *name, size_t size, char *const *patterns, int n);
