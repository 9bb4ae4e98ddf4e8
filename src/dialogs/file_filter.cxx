#include "dialogs/file_filter.h"

#include "dialogs/file_name.h"
#include "foundation/lang_converter.h"

#include <FL/Fl_Menu_Item.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char s_divider[] = "[---]";

void Filter_FreeEntries(char **entries)
{
    if (!entries)
        return;
    for (char **e = entries; *e; e++)
        free(*e);
    free(entries);
}

// A filter string longer than 299 characters is cut there, an entry at 119;
// empty entries (from "||" or a string of "|" only) make no menu item.
char **Filter_Entries(const char *filter)
{
    char copy[FD_FILTER_SIZE];
    snprintf(copy, sizeof copy, "%s", filter ? filter : "");
    char *text = copy;
    if (text[0] == '|')
        text++;
    size_t len = strlen(text);
    if (len > 0 && text[len - 1] == '|')
        text[--len] = '\0';

    int count = 0;
    for (const char *start = text;;) {
        const char *bar = strchr(start, '|');
        if ((bar ? bar : start + strlen(start)) > start)
            count++;
        if (!bar)
            break;
        start = bar + 1;
    }
    const char *src = text;
    if (count == 0) {
        src = "*.*";
        count = 1;
    }
    char **entries = static_cast<char **>(calloc((size_t)count + 1, sizeof(char *)));
    if (!entries)
        return nullptr;
    int n = 0;
    for (const char *start = src; n < count;) {
        const char *bar = strchr(start, '|');
        size_t entry = bar ? (size_t)(bar - start) : strlen(start);
        if (entry > 0) {
            entries[n] = static_cast<char *>(calloc(1, FD_FILTER_ENTRY_SIZE));
            if (!entries[n]) {
                Filter_FreeEntries(entries);
                return nullptr;
            }
            snprintf(entries[n], FD_FILTER_ENTRY_SIZE, "%.*s", (int)entry, start);
            n++;
        }
        if (!bar)
            break;
        start = bar + 1;
    }
    return entries;
}

Fl_Menu_Item *Filter_MenuItems(char *const *entries)
{
    int items = 0;
    if (entries)
        for (char *const *e = entries; *e; e++)
            if (strcmp(*e, s_divider) != 0)
                items++;
    Fl_Menu_Item *menu = static_cast<Fl_Menu_Item *>(calloc((size_t)items + 1, sizeof(Fl_Menu_Item)));
    if (!menu || !entries)
        return menu;
    int i = 0;
    for (char *const *e = entries; *e; e++) {
        if (strcmp(*e, s_divider) == 0) {
            if (i > 0)
                menu[i - 1].flags |= FL_MENU_DIVIDER;
            continue;
        }
        menu[i].label(*e);
        menu[i].labelsize(14);
        menu[i].labelcolor(FL_BLACK);
        i++;
    }
    return menu;
}

// Patterns past the tenth are ignored; a pattern longer than 23 characters
// is dropped (left empty, matching nothing) rather than cut into another one.
int Filter_Patterns(const char *entry, char patterns[FD_MAX_PATTERNS][FD_PATTERN_SIZE])
{
    if (!entry || !entry[0])
        return 0;
    int n = 1;
    for (const char *c = entry; *c; c++)
        if (*c == ';')
            n++;
    if (n > FD_MAX_PATTERNS)
        n = FD_MAX_PATTERNS;
    memset(patterns, 0, (size_t)n * FD_PATTERN_SIZE);

    bool inside = strchr(entry, '(') == nullptr;
    int j = 0;
    int len = 0;
    bool overlong = false;
    auto finish = [&]() {
        if (overlong)
            patterns[j][0] = '\0';
        len = 0;
        overlong = false;
    };
    auto put = [&](char c) {
        if (len < FD_PATTERN_SIZE - 1)
            patterns[j][len++] = c;
        else
            overlong = true;
    };
    for (const char *c = entry; *c && *c != ')' && j < n; c++) {
        switch (*c) {
        case '(':
            inside = true;
            break;
        case '*':
            if (inside && c > entry && c[-1] == '.')
                put(*c);
            break;
        case ';':
            finish();
            j++;
            break;
        default:
            if (inside)
                put(*c);
            break;
        }
    }
    if (j < n)
        finish();
    return n;
}

FilterMatch Filter_Match(const char *name, const char *pattern)
{
    if (!name || !name[0] || !pattern || !pattern[0])
        return FILTER_NO_MATCH;
    if (strlen(name) < strlen(pattern))
        return FILTER_NO_MATCH;
    char lower[FD_PATH_SIZE];
    char p[FD_PATTERN_SIZE];
    snprintf(lower, sizeof lower, "%s", name);
    snprintf(p, sizeof p, "%s", pattern);
    all_to_lower(lower);
    all_to_lower(p);

    if (strstr(p, ".*"))
        return FILTER_MATCH_UNLESS_FOLDER;
    if (strchr(p, '.')) {
        const char *dot = strrchr(lower, '.');
        return dot && strcmp(dot, p) == 0 ? FILTER_MATCH : FILTER_NO_MATCH;
    }
    return strstr(lower, p) ? FILTER_MATCH : FILTER_NO_MATCH;
}

bool Filter_CompleteName(char *name, size_t size, char *const *patterns, int n)
{
    if (n <= 0)
        return true;
    char lower[FD_PATH_SIZE];
    snprintf(lower, sizeof lower, "%s", name);
    all_to_lower(lower);
    for (int k = 0; k < n; k++) {
        char p[FD_PATTERN_SIZE];
        snprintf(p, sizeof p, "%s", patterns[k]);
        all_to_lower(p);
        if (strstr(p, ".*") || strstr(lower, p))
            return true;
    }
    size_t len = strlen(name);
    if (len + strlen(patterns[0]) >= size)
        return false;
    snprintf(name + len, size - len, "%s", patterns[0]);
    return true;
}
