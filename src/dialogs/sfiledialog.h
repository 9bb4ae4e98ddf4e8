// SFileDialog: the modal open/save file dialog. It shows one folder as an
// icon grid (folders first, then the files matching the chosen filter),
// a Look In menu, back/up/new-folder buttons, a file-name field, a filter
// menu and the buttons of its mode.
#pragma once
#include "dialogs/file_filter.h"
#include "dialogs/file_name.h"
#include "dialogs/guidialog.h"

class Fl_Box;
class Fl_Button;
class Fl_Check_Button;
class Fl_Image;
class Fl_Input;
class Fl_Pixmap;
class Fl_Scroll;
class Fl_Widget;
struct Fl_Menu_Item;
class SButton;
class SMenubar;

enum { FD_DRIVE_SLOTS = 26 };  // Look In entries

// Dialog modes; any other value is a plain OK dialog.
enum { FD_OPEN = 1, FD_SAVE = 2, FD_IMPORT = 3, FD_EXPORT = 4 };

struct _dirNode {
    char _dirname[FD_PATH_SIZE];
    _dirNode *prev;
    _dirNode *next;
};
typedef _dirNode dirNode;

// Index of the filter menu item last accepted in any file dialog; every new
// dialog preselects it.
extern int g_filetype;

class SFileDialog : public GuiSizableDialog {
public:
    // default_dir: the caller's folder buffer of dirSize bytes (start folder
    // in, final folder out; "\" in it become "/"). defaultname: the caller's
    // name buffer of nameSize bytes (default name in, accepted name out).
    // Texts written back are cut to those sizes. filter and title must
    // outlive the dialog; sw and sh are not used (the size follows the screen).
    SFileDialog(int MODE, const char *filter, char *default_dir, char *defaultname,
                const char *title, int sx, int sy, int sw, int sh,
                int dirSize = FD_PATH_SIZE, int nameSize = FD_PATH_SIZE);
    ~SFileDialog() override;

    // Shows the dialog and waits: 1 accepted, 2 Import pressed (the window
    // stays shown; call again to go on), -1 cancelled or closed, also at
    // once when the dialog could not be built.
    int ShowFileDialog();

    // Results; each points into the dialog and is valid until the next call
    // that writes the same buffer.
    char *GetFileName();
    char *GetPathName();
    char *GetDirName();
    char *GetFileExt();
    char *GetFileTitle();
    int GetFilterIndex();

    // Texts are held by pointer, not copied.
    void SetWinTitle(const char *title);
    void SetWinFilter(const char *filter);
    // nID: 1 to 3 the labels, 4 the action button, 5 Cancel, 6 Import (mode 3).
    void SetWinControl(int nID, const char *label);

    // An Enter key press made in the dialog acts as the action button.
    int handle(int e) override;

protected:
    // Rebuilds the icon grid first when a rebuild was requested.
    void draw() override;

    static void Button_CB(Fl_Widget *w, void *data);
    static void Choice_CB(Fl_Widget *w, void *data);
    static void Dir_CB(Fl_Widget *w, void *data);
    static void Close_CB(Fl_Widget *w, void *data);

    void real_Button_CB(Fl_Widget *pWidget);
    void real_Choice_CB(Fl_Widget *pWidget);
    void real_Dir_CB(Fl_Widget *pWidget);

    void InitPara();
    void CreateXPM();
    void InitWinContral();
    void GetComputerDrive();
    void SetMenu_File();
    void SetMenu_Filter();
    void InitFilter(const char *filter);
    void FreeFilter();
    // mf_type 1 for listing, 0 for saving (extension completion).
    void GetFilter(const char *filter, int mf_type);
    bool Is_filter_file(const char *filename, const char *filter);
    dirNode *InitDirNode();
    // 1 with a listing made, 0 when memory ran out.
    int CreateData();
    void RebuildGrid();
    void DrawElement(int position, Fl_Pixmap *pxmp, const char *label, int _x, int _y);
    void Free_Last_Resource();
    void AppendDir(const char *dir);
    // 1 when added, 0 when memory ran out. With tail (the list's last node,
    // kept up to date) long listings need no walk to the end.
    int AppendFile(const char *file, dirNode **head, dirNode **tail = nullptr);
    void TSNodeAdd(dirNode **pp, dirNode *p);
    void TSNodeFree(dirNode **pp);
    bool Is_root_dir(const char *dir_name);
    bool Getlastdir();
    // Entries per grid column: at least one, also on narrow screens.
    int EntriesPerColumn() const;

    void GoUp();
    void GoBack();
    void MakeNewFolder();
    void Accept(Fl_Widget *w);
    void Cancel();
    bool IsShownFolder(const char *name) const;
    bool IsShownFile(const char *name) const;
    bool CompleteExtension(char *name);
    // -1 invalid (the user was told), 0 a plain name left in getfile,
    // 1 a folder whose path, ending in "/", is left in getfile.
    int ValidFilename(const char *file_name);
    // Trimmed copy with "\" turned into "/" (caller frees); null for a
    // missing or empty text.
    char *ValidInput(const char *file_name);
    // The new folder's name (caller frees), or null when cancelled.
    char *Create_new_dir(int pos_x, int pos_y, const char *label);

    int _sx, _sy;
    int _sw, _sh;
    int nRow;
    int interval;
    char _filename[FD_PATH_SIZE];
    char _dir[FD_PATH_SIZE];
    char *pdir;
    char *pname;
    char **_filter;
    int Dialog_Mode;
    int usr_ans;
    int last_check, cur_check;
    char xpmFilter[1][10];
    dirNode **file_head;
    dirNode *head_list;
    dirNode *cur_node;
    char **filter_file;
    char **dirname;
    char dir_cur[FD_PATH_SIZE];
    char getfile[FD_PATH_SIZE];
    char _pathname[FD_PATH_SIZE];
    char **drivename;
    int file_type_num;
    int file_list_num;
    int checked;
    int file_num[FD_MAX_PATTERNS];
    int Elem_num;
    int Dir_num;
    int mem_alloc_num;
    int drivenum;
    int DRAW;
    Fl_Pixmap *xpm_Newdir, *xpm_Updir, *xpm_Lastdir, *xpm_Closedfolder, *xpm_Default;
    Fl_Button **pbtn;
    Fl_Button **plabelbox;
    Fl_Check_Button *chk_filter;
    Fl_Box *FolderContain;
    Fl_Input *file_box;
    Fl_Scroll *scroll;
    SButton *NEWDIR, *UPDIR, *LASTDIR;
    Fl_Button *OPEN;
    Fl_Button *CANCEL;
    Fl_Button *IMPORT;
    Fl_Button *OPEN0, *CANCEL0, *IMPORT0, *SAVE0, *EXPORT0, *OK0;
    Fl_Box *label1, *label2, *label3;
    Fl_Pixmap *Xpm_Filter[1];
    SMenubar *FilterChoice;
    Fl_Menu_Item *FilterItem;
    SMenubar *FileChoice;
    Fl_Menu_Item *FileItem;
    int m_nDirSize;
    int m_nNameSize;
    Fl_Image *m_pLastdirInactive;
    Fl_Image *m_pUpdirInactive;
    // The file name a click in the grid put into the name field, and the
    // folder it was listed in; it is accepted as listed. Empty when none,
    // once the field was edited, or once a listing no longer shows it in
    // that folder.
    char m_szPicked[FD_PATH_SIZE];
    char m_szPickedDir[FD_PATH_SIZE];
};
