// What the file dialog's buttons, menus and grid clicks do, and the
// results it hands to its caller.
#include "dialogs/sfiledialog.h"

#include "dialogs/plain_label.h"
#include "dialogs/sflatwidgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Window.H>
#include <FL/filename.H>
#include <FL/fl_ask.H>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

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
    // An entry "Label (place)" stands for its place. A folder path that
    // merely holds parentheses is used whole, also when the folder has gone
    // meanwhile: the first entry is always the current folder's own path.
    if (index != 0 && text[0] != '/' && !fl_filename_isdir(text)) {
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
    if (!text[0] || !FileName_CopyFolder(dir_cur, text))
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
    } else if (pWidget == NEWDIR) {
        MakeNewFolder();
    } else if (pWidget == OPEN || (IMPORT && pWidget == IMPORT)) {
        // A name is checked against the folder shown now, not against the
        // listing of a folder left before the window drew again.
        if (DRAW != 0)
            RebuildGrid();
        Accept(pWidget);
    } else if (pWidget == CANCEL) {
        Cancel();
    } else if (pWidget == chk_filter) {
        DRAW = 1;
        redraw();
    } else if (pWidget == file_box) {
        // Edited by the user: no longer the name picked in the grid.
        m_szPicked[0] = '\0';
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

void SFileDialog::MakeNewFolder()
{
    char *name = Create_new_dir(x() + 80, y() + 60, dir_cur);
    if (!name)
        return;
    char path[FD_PATH_SIZE];
    int n = snprintf(path, sizeof path, "%s%s", dir_cur, name);
    free(name);
    // The folder's path and its final "/" must fit the dialog's buffers.
    if (n < 0 || n >= (int)sizeof path - 1) {
        fl_alert("Invalide Directory Name!");
        return;
    }
    if (mkdir(path, 0755) != 0) {
        int err = errno;
        // A folder made meanwhile by someone else is simply entered.
        if (err != EEXIST || !fl_filename_isdir(path)) {
            char text[FD_PATH_SIZE + 256];
            snprintf(text, sizeof text, "Create Directory Failed!\n%s\n%s", path, strerror(err));
            char shown[2 * sizeof text];
            PlainLabel_Escape(text, shown, sizeof shown);
            fl_alert("%s", shown);
            return;
        }
    }
    FileName_CopyFolder(dir_cur, path);
    DRAW = 1;
    scroll->redraw();
    if (drivename && drivename[0])
        snprintf(drivename[0], FD_PATH_SIZE, "%s", dir_cur);
    FileChoice->redraw();
    file_box->value("");
    AppendDir(dir_cur);
}

bool SFileDialog::IsShownFolder(const char *name) const
{
    for (int i = 0; i < Dir_num; i++)
        if (strcmp(dirname[i], name) == 0)
            return true;
    return false;
}

bool SFileDialog::IsShownFile(const char *name) const
{
    for (int k = 0; k < file_list_num; k++)
        for (dirNode *n = file_head[k]; n; n = n->next)
            if (strcmp(n->_dirname, name) == 0)
                return true;
    return false;
}

// Appends the first pattern of the chosen filter entry to a name that
// carries none of its patterns; false when the result would not fit.
bool SFileDialog::CompleteExtension(char *name)
{
    int items = FilterChoice->size() - 1;
    int item = checked >= 0 && checked < items ? checked : FilterChoice->value();
    GetFilter(FilterItem && item >= 0 && item < items ? FilterItem[item].text : nullptr, 0);
    return Filter_CompleteName(name, FD_PATH_SIZE, filter_file, file_type_num);
}

void SFileDialog::Accept(Fl_Widget *w)
{
    char accepted[FD_PATH_SIZE];
    // A name picked in the grid is taken as listed: the rules for typed
    // names would refuse real files, such as names with blanks at their
    // ends or with "?" or "\" in them.
    const bool picked = m_szPicked[0] && strcmp(file_box->value(), m_szPicked) == 0;
    if (picked) {
        snprintf(accepted, sizeof accepted, "%s", m_szPicked);
    } else {
        char *name = ValidInput(file_box->value());
        // An empty field cancels. So does a field of blanks, which would
        // otherwise be accepted as the bare extension or as no name at all;
        // where the name must be a listed file, blanks are refused like any
        // unlisted name.
        if (!name || (!name[0] && Dialog_Mode != FD_OPEN && Dialog_Mode != FD_IMPORT)) {
            free(name);
            _filename[0] = '\0';
            if (Dialog_Mode == FD_IMPORT && w == IMPORT)
                return;
            usr_ans = -1;
            hide();
            return;
        }
        int r = ValidFilename(name);
        free(name);
        if (r == -1)
            return;
        if (r == 1) {
            snprintf(dir_cur, sizeof dir_cur, "%s", getfile);
            AppendDir(dir_cur);
            DRAW = 1;
            redraw();
            return;
        }
        snprintf(accepted, sizeof accepted, "%s", getfile);
    }

    bool ok = true;
    if (Dialog_Mode == FD_OPEN || Dialog_Mode == FD_IMPORT)
        ok = IsShownFile(accepted);
    else if (!picked && (Dialog_Mode == FD_SAVE || Dialog_Mode == FD_EXPORT || Dialog_Mode == -1))
        ok = CompleteExtension(accepted);
    // The folder and the name together must fit the path buffers.
    if (!ok || strlen(dir_cur) + strlen(accepted) >= FD_PATH_SIZE) {
        fl_alert("Invalide File Name!");
        return;
    }
    snprintf(_filename, sizeof _filename, "%s", accepted);
    snprintf(_dir, sizeof _dir, "%s", dir_cur);
    g_filetype = checked;
    if (Dialog_Mode == FD_IMPORT && w == IMPORT) {
        file_box->value("");
        m_szPicked[0] = '\0';
        usr_ans = 2;
    } else {
        hide();
        usr_ans = 1;
    }
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
    // The entries of a folder left before the window drew again name
    // nothing in the folder now shown.
    if (i < 0 || DRAW != 0)
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
    snprintf(m_szPicked, sizeof m_szPicked, "%s", name->label());
    snprintf(m_szPickedDir, sizeof m_szPickedDir, "%s", dir_cur);
    if (Fl::event_clicks()) {
        snprintf(_filename, sizeof _filename, "%s", name->label());
        snprintf(_dir, sizeof _dir, "%s", dir_cur);
        Accept(OPEN);
    }
}

char *SFileDialog::ValidInput(const char *file_name)
{
    if (!file_name || !file_name[0])
        return nullptr;
    char *out = static_cast<char *>(calloc(1, FD_PATH_SIZE));
    if (out)
        FileName_Clean(file_name, out);
    return out;
}

int SFileDialog::ValidFilename(const char *file_name)
{
    int r = FileName_Resolve(file_name, dir_cur, dirname, Dir_num, getfile);
    if (r == FN_BAD_NAME)
        fl_alert("Invalide File Name!");
    else if (r == FN_BAD_FOLDER)
        fl_alert("Invalide Directory Name!");
    return r < 0 ? -1 : r;
}

char *SFileDialog::Create_new_dir(int pos_x, int pos_y, const char *label)
{
    Fl_Group *saved = Fl_Group::current();
    Fl_Group::current(nullptr);
    char text[1040];
    snprintf(text, sizeof text, "Create new directory in:\n %s", label);
    Fl_Window *win = new Fl_Window(pos_x, pos_y, 300, 100, "Create a new directory");
    Fl_Box *box = new Fl_Box(2, 2, 0, 25, text);
    box->labeltype(PlainLabel_Type());
    box->align(FL_ALIGN_RIGHT);
    Fl_Input *input = new Fl_Input(10, 35, 280, 25);
    input->maximum_size(FD_PATH_SIZE - 1);
    Fl_Button *ok = new Fl_Button(20, 65, 80, 25, "OK");
    Fl_Button *cancel = new Fl_Button(200, 65, 80, 25, "CANCEL");
    win->end();
    Fl_Group::current(saved);
    // The buttons, and the window itself for Escape and the window
    // manager's close, report through the toolkit's queue.
    win->callback(Fl_Widget::default_callback);
    win->set_modal();
    win->show();

    char *result = nullptr;
    bool done = false;
    while (!done) {
        Fl::wait();
        while (Fl_Widget *o = Fl::readqueue()) {
            if (o == cancel || o == win) {
                done = true;
                break;
            }
            if (o != ok)
                continue;
            char *name = ValidInput(input->value());
            if (name && name[0] && !IsShownFolder(name)) {
                result = name;
                done = true;
                break;
            }
            free(name);
        }
        if (!win->shown())
            done = true;
    }
    win->hide();
    delete win;
    return result;
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
