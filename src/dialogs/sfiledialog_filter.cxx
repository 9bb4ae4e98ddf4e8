// File-type filters of the file dialog: the filter string's entries, the
// filter menu, the patterns of an entry and the matching of file names.
#include "dialogs/sfiledialog.h"

#include "dialogs/sflatwidgets.h"
#include "foundation/lang_converter.h"

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/filename.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char s_divider[] = "[---]";

void SFileDialog::FreeFilter()
{
    if (!_filter)
        return;
    for (char **e = _filter; *e; e++)
        free(*e);
    free(_filter);
    _filter = nullptr;
}

// A filter string longer than 299 characters is cut there, an entry at 119;
// empty entries (from "||" or a string of "|" only) make no menu item.
void SFileDialog::InitFilter(const char *filter)
{
    FreeFilter();
    char copy[FD_FILTER_SIZE];
    snprintf(copy, sizeof copy, "%s", filter ? filter : "");
    char *text = copy;
    if (text[0] == '|')
        text++;
    size_t len = strlen(text);
    if (len > 0 && text[len - 1] == '|')
        text[--len] = '\0';

    int count = 0;
    for (char *start = text;; start++) {
        char *bar = strchr(start, '|');
        if ((bar ? bar : start + strlen(start)) > start)
            count++;
        if (!bar)
            break;
        start = bar;
    }
    const char *src = text;
    if (count == 0) {
        src = "*.*";
        count = 1;
    }
    _filter = static_cast<char **>(calloc((size_t)count + 1, sizeof(char *)));
    if (!_filter)
        return;
    int n = 0;
    for (const char *start = src; n < count;) {
        const char *bar = strchr(start, '|');
        size_t entry = bar ? (size_t)(bar - start) : strlen(start);
        if (entry > 0) {
            _filter[n] = static_cast<char *>(calloc(1, FD_FILTER_ENTRY_SIZE));
            if (!_filter[n])
                return;
            snprintf(_filter[n], FD_FILTER_ENTRY_SIZE, "%.*s", (int)entry, start);
            n++;
        }
        if (!bar)
            break;
        start = bar + 1;
    }
}

void SFileDialog::SetMenu_Filter()
{
    int items = 0;
    if (_filter)
        for (char **e = _filter; *e; e++)
            if (strcmp(*e, s_divider) != 0)
                items++;
    Fl_Menu_Item *menu = static_cast<Fl_Menu_Item *>(calloc((size_t)items + 1, sizeof(Fl_Menu_Item)));
    if (menu && _filter) {
        int i = 0;
        for (char **e = _filter; *e; e++) {
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
    }
    if (FilterChoice)
        FilterChoice->menu(menu);
    free(FilterItem);
    FilterItem = menu;
}

// Patterns past the tenth are ignored; a pattern longer than 23 characters
// is dropped (left empty, matching nothing) rather than cut into another one.
void SFileDialog::GetFilter(const char *filter, int mf_type)
{
    if (filter_file) {
        for (int i = 0; i < file_type_num; i++)
            free(filter_file[i]);
        free(filter_file);
        filter_file = nullptr;
    }
    file_type_num = 0;
    if (!filter || !filter[0])
        return;

    bool allFiles = Dialog_Mode == FD_IMPORT && mf_type == 1 && chk_filter && chk_filter->value();
    int n = 1;
    if (!allFiles)
        for (const char *c = filter; *c; c++)
            if (*c == ';')
                n++;
    if (n > FD_MAX_PATTERNS)
        n = FD_MAX_PATTERNS;
    filter_file = static_cast<char **>(calloc((size_t)n, sizeof(char *)));
    if (!filter_file)
        return;
    for (int i = 0; i < n; i++) {
        filter_file[i] = static_cast<char *>(calloc(1, FD_PATTERN_SIZE));
        if (!filter_file[i]) {
            for (int k = 0; k < i; k++)
                free(filter_file[k]);
            free(filter_file);
            filter_file = nullptr;
            return;
        }
    }
    file_type_num = n;
    if (allFiles) {
        snprintf(filter_file[0], FD_PATTERN_SIZE, "%s", ".*");
        return;
    }

    bool inside = strchr(filter, '(') == nullptr;
    int j = 0;
    int len = 0;
    bool overlong = false;
    auto finish = [&]() {
        if (overlong)
            filter_file[j][0] = '\0';
        len = 0;
        overlong = false;
    };
    auto put = [&](char c) {
        if (len < FD_PATTERN_SIZE - 1)
            filter_file[j][len++] = c;
        else
            overlong = true;
    };
    for (const char *c = filter; *c && *c != ')' && j < n; c++) {
        switch (*c) {
        case '(':
            inside = true;
            break;
        case '*':
            if (inside && c > filter && c[-1] == '.')
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
}

bool SFileDialog::Is_filter_file(const char *filename, const char *filter)
{
    if (!filename || !filename[0] || !filter || !filter[0])
        return false;
    if (strlen(filename) < strlen(filter))
        return false;
    char name[FD_PATH_SIZE];
    char pattern[FD_PATTERN_SIZE];
    snprintf(name, sizeof name, "%s", filename);
    snprintf(pattern, sizeof pattern, "%s", filter);
    all_to_lower(name);
    all_to_lower(pattern);

    if (strstr(pattern, ".*")) {
        char path[2 * FD_PATH_SIZE];
        snprintf(path, sizeof path, "%s%s", dir_cur, filename);
        return !fl_filename_isdir(path);
    }
    if (strchr(pattern, '.')) {
        const char *dot = strrchr(name, '.');
        return dot && strcmp(dot, pattern) == 0;
    }
    return strstr(name, pattern) != nullptr;
}
