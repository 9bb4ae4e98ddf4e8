// The file dialog's filters: its filter entries and menu, the patterns of
// the chosen entry and the matching of listed names (the rules themselves
// are file_filter's).
#include "dialogs/sfiledialog.h"

#include "dialogs/sflatwidgets.h"

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/filename.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

void SFileDialog::FreeFilter()
{
    Filter_FreeEntries(_filter);
    _filter = nullptr;
}

void SFileDialog::InitFilter(const char *filter)
{
    FreeFilter();
    _filter = Filter_Entries(filter);
}

void SFileDialog::SetMenu_Filter()
{
    Fl_Menu_Item *menu = Filter_MenuItems(_filter);
    if (FilterChoice)
        FilterChoice->menu(menu);
    free(FilterItem);
    FilterItem = menu;
}

void SFileDialog::GetFilter(const char *filter, int mf_type)
{
    if (filter_file) {
        for (int i = 0; i < file_type_num; i++)
            free(filter_file[i]);
        free(filter_file);
        filter_file = nullptr;
    }
    file_type_num = 0;
    char found[FD_MAX_PATTERNS][FD_PATTERN_SIZE];
    int n = Filter_Patterns(filter, found);
    if (n == 0)
        return;
    // Ticking All Files in Import mode lists every file, whatever the entry.
    if (Dialog_Mode == FD_IMPORT && mf_type == 1 && chk_filter && chk_filter->value()) {
        n = 1;
        snprintf(found[0], sizeof found[0], "%s", ".*");
    }
    filter_file = static_cast<char **>(calloc((size_t)n, sizeof(char *)));
    if (!filter_file)
        return;
    for (int i = 0; i < n; i++) {
        filter_file[i] = static_cast<char *>(malloc(FD_PATTERN_SIZE));
        if (!filter_file[i]) {
            for (int k = 0; k < i; k++)
                free(filter_file[k]);
            free(filter_file);
            filter_file = nullptr;
            return;
        }
        memcpy(filter_file[i], found[i], FD_PATTERN_SIZE);
    }
    file_type_num = n;
}

bool SFileDialog::Is_filter_file(const char *filename, const char *filter)
{
    switch (Filter_Match(filename, filter)) {
    case FILTER_MATCH:
        return true;
    case FILTER_MATCH_UNLESS_FOLDER: {
        char path[2 * FD_PATH_SIZE];
        snprintf(path, sizeof path, "%s%s", dir_cur, filename);
        return !fl_filename_isdir(path);
    }
    default:
        return false;
    }
}
