// What the file dialog's buttons, menus and grid clicks do, and the
// results it hands to its caller.
#include "dialogs/sfiledialog.h"

#include "dialogs/sflatwidgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Scroll.H>
#include <FL/filename.H>
#include <FL/fl_ask.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

void SFileDialog::real_Choice_CB(Fl_Widget *pWidget)
{
    if (pWidget == FilterChoice) {
        checked = FilterChoice->value();
        DRAW = 1;
        FilterChoice->hide();
        FilterChoice->show();
        scroll->redraw();
        return;
    }
    if (pWidget != FileChoice)
        return;
    const Fl_Menu_Item *item = FileChoice->mvalue();
    int index = FileChoice->value();
    if (!item || !item->text || index < 0 || index > drivenum)
        return;
    char text[FD_PATH_SIZE];
    snprintf(text, sizeof text, "%s", item->text);
    // An entry "Label (place)" stands for its place; a folder path that
    // merely holds parentheses is used whole.
    if (!fl_filename_isdir(text)) {
        char *open = strchr(text, '(');
        char *close = strchr(text, ')');
        if (open || close) {
            if (!open || !close || close < open)
                return;
            *close = '\0';
            memmove(text, open + 1, strlen(open + 1) + 1);
            snprintf(drivename[index], FD_PATH_SIZE, "%s", text);
        }
    }
    if (!text[0] || !CopyFolder(dir_cur, text))
        return;
    DRAW = 2;
    AppendDir(dir_cur);
    FileChoice->hide();
    FileChoice->show();
    scroll->redraw();
}

void SFileDialog::real_Button_CB(Fl_Widget *pWidget)
{
    if (!pWidget)
        return;
    if (pWidget == UPDIR) {
        GoUp();
    } else if (pWidget == LASTDIR) {
        GoBack();
    } else if (pWidget == CANCEL) {
        Cancel();
    } else if (pWidget == chk_filter) {
        DRAW = 1;
        redraw();
    }
}

void SFileDialog::GoUp()
{
    if (!Getlastdir()) {
        DRAW = 0;
        return;
    }
    DRAW = 1;
    redraw();
    file_box->value("");
    AppendDir(dir_cur);
}

void SFileDialog::GoBack()
{
    // The start folder at the head of the history is never popped.
    if (!cur_node || !cur_node->prev) {
        LASTDIR->deactivate();
        return;
    }
    dirNode *prev = cur_node->prev;
    prev->next = nullptr;
    free(cur_node);
    cur_node = prev;
    snprintf(dir_cur, sizeof dir_cur, "%s", cur_node->_dirname);
    if (cur_node->prev)
        LASTDIR->activate();
    else
        LASTDIR->deactivate();
    DRAW = 1;
    file_box->value("");
    redraw();
}

void SFileDialog::Cancel()
{
    usr_ans = -1;
    _filename[0] = '\0';
    _dir[0] = '\0';
    hide();
}

void SFileDialog::real_Dir_CB(Fl_Widget *pWidget)
{
    int i = -1;
    for (int k = 0; k < Elem_num && i < 0; k++)
        if (pbtn[k] == pWidget || plabelbox[k] == pWidget)
            i = k;
    if (i < 0)
        return;

    Fl_Button *name = plabelbox[i];
    name->labelcolor(FL_WHITE);
    name->value(1);
    last_check = cur_check;
    cur_check = i;
    if (last_check >= 0 && last_check != i && last_check < Elem_num) {
        plabelbox[last_check]->labelcolor(FL_BLACK);
        plabelbox[last_check]->value(0);
        plabelbox[last_check]->redraw();
        redraw();
    }

    if (i < Dir_num) {
        if (!Fl::event_clicks())
            return;
        const char *folder = dirname[i];
        if (strcmp(folder, "..") == 0) {
            GoUp();
        } else if (strcmp(folder, ".") == 0) {
            redraw();
        } else {
            char path[FD_PATH_SIZE];
            int n = snprintf(path, sizeof path, "%s%s/", dir_cur, folder);
            if (n < 0 || n >= (int)sizeof path) {
                fl_alert("Invalide Directory Name!");
                return;
            }
            // The name is a real folder's: it is not expanded, so a folder
            // called "~" or "$HOME" is entered, not the home folder.
            snprintf(dir_cur, sizeof dir_cur, "%s", path);
            AppendDir(dir_cur);
            DRAW = 1;
            file_box->value("");
            redraw();
            cur_check = -1;
        }
        return;
    }
    file_box->value(name->label());
}

char *SFileDialog::GetFileName()
{
    return _filename;
}

char *SFileDialog::GetPathName()
{
    // An accepted name always fits with its folder; an empty path tells
    // of anything else rather than a cut one naming another file.
    if (snprintf(_pathname, sizeof _pathname, "%s%s", dir_cur, _filename) >= (int)sizeof _pathname)
        _pathname[0] = '\0';
    return _pathname;
}

char *SFileDialog::GetDirName()
{
    snprintf(_pathname, sizeof _pathname, "%s", dir_cur);
    return _pathname;
}

char *SFileDialog::GetFileExt()
{
    snprintf(_pathname, sizeof _pathname, "%s", fl_filename_ext(_filename));
    return _pathname;
}

char *SFileDialog::GetFileTitle()
{
    _pathname[0] = '\0';
    const char *dot = strrchr(_filename, '.');
    if (dot && dot > _filename)
        snprintf(_pathname, sizeof _pathname, "%.*s", (int)(dot - _filename), _filename);
    return _pathname;
}

int SFileDialog::GetFilterIndex()
{
    return FilterChoice ? FilterChoice->value() : -1;
}

void SFileDialog::SetWinTitle(const char *title)
{
    label(title);
}

void SFileDialog::SetWinFilter(const char *filter)
{
    InitFilter(filter);
    SetMenu_Filter();
    // The shown grid was listed with the old patterns.
    DRAW = 1;
    redraw();
}

void SFileDialog::SetWinControl(int nID, const char *label)
{
    Fl_Widget *targets[] = {nullptr, label1, label2, label3, OPEN, CANCEL,
                            Dialog_Mode == FD_IMPORT ? IMPORT : nullptr};
    if (nID < 1 || nID > 6 || !targets[nID])
        return;
    targets[nID]->label(label);
    targets[nID]->redraw();
}
