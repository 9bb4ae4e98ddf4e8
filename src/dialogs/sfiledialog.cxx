// The file dialog's construction and layout, folder listing, icon grid,
// folder history and modal loop.
#include "dialogs/sfiledialog.h"

#include "dialogs/plain_label.h"
#include "dialogs/sflatwidgets.h"
#include "images/filedialog_images.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Scroll.H>
#include <FL/filename.H>
#include <FL/fl_draw.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

int g_filetype = 0;

namespace {

// Grid name buttons show a file name as it is: a name is no label markup,
// so "@" starts no symbol and "&" marks no shortcut.
class GridNameButton : public Fl_Button {
public:
    GridNameButton(int X, int Y, int W, int H) : Fl_Button(X, Y, W, H)
    {
        clear_flag(SHORTCUT_LABEL);
    }

protected:
    void draw() override
    {
        Fl_Boxtype bt = value() ? (down_box() ? down_box() : fl_down(box())) : box();
        draw_box(bt, value() ? selection_color() : color());
        fl_font(labelfont(), labelsize());
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        fl_draw(label(), x(), y(), w(), h(), align(), nullptr, 0);
    }
};

} // namespace

SFileDialog::SFileDialog(int MODE, const char *filter, char *default_dir, char *defaultname,
                         const char *title, int sx, int sy, int, int, int dirSize, int nameSize)
    : GuiSizableDialog("SFileDialog.dlg", sx, sy), _sx(sx), _sy(sy), _sw(0), _sh(0), nRow(0),
      interval(0), pdir(default_dir), pname(defaultname), _filter(nullptr), Dialog_Mode(MODE),
      usr_ans(0), last_check(-1), cur_check(-1), file_head(nullptr), head_list(nullptr),
      cur_node(nullptr), filter_file(nullptr), dirname(nullptr), drivename(nullptr),
      file_type_num(0), file_list_num(0), checked(0), Elem_num(0), Dir_num(0), mem_alloc_num(0),
      drivenum(0), DRAW(0), xpm_Newdir(nullptr), xpm_Updir(nullptr), xpm_Lastdir(nullptr),
      xpm_Closedfolder(nullptr), xpm_Default(nullptr), pbtn(nullptr), plabelbox(nullptr),
      chk_filter(nullptr), FolderContain(nullptr), file_box(nullptr), scroll(nullptr),
      NEWDIR(nullptr), UPDIR(nullptr), LASTDIR(nullptr), OPEN(nullptr), CANCEL(nullptr),
      IMPORT(nullptr), OPEN0(nullptr), CANCEL0(nullptr), IMPORT0(nullptr), SAVE0(nullptr),
      EXPORT0(nullptr), OK0(nullptr), label1(nullptr), label2(nullptr), label3(nullptr),
      FilterChoice(nullptr), FilterItem(nullptr), FileChoice(nullptr), FileItem(nullptr),
      m_nDirSize(dirSize), m_nNameSize(nameSize), m_pLastdirInactive(nullptr),
      m_pUpdirInactive(nullptr)
{
    _filename[0] = _dir[0] = dir_cur[0] = getfile[0] = _pathname[0] = m_szPicked[0] = '\0';
    m_szPickedDir[0] = '\0';
    memset(file_num, 0, sizeof file_num);
    xpmFilter[0][0] = '\0';
    Xpm_Filter[0] = nullptr;

    _sw = (int)(Fl::w() * 0.45);
    _sh = (int)(_sw * 0.588);
    InitFilter(filter);
    InitPara();
    xpm_Closedfolder = new Fl_Pixmap(closedfolder_xpm_data);
    xpm_Default = new Fl_Pixmap(defaulticon_xpm_data);
    CreateXPM();

    bool started = false;
    if (default_dir && default_dir[0]) {
        for (char *p = default_dir; *p; p++)
            if (*p == '\\')
                *p = '/';
        if (fl_filename_isdir(default_dir)) {
            char abs[2 * FD_PATH_SIZE];
            fl_filename_absolute(abs, sizeof abs, default_dir);
            started = FileName_CopyFolder(dir_cur, abs);
        }
    }
    if (!started)
        fl_filename_absolute(dir_cur, sizeof dir_cur, "./");

    head_list = InitDirNode();
    if (!head_list) {
        // Nothing more is built; ShowFileDialog then refuses to show it.
        end();
        return;
    }
    snprintf(head_list->_dirname, sizeof head_list->_dirname, "%s", dir_cur);

    begin();
    InitWinContral();
    end();
    if (title)
        label(title);
    resize(_sx, _sy, _sw, Dialog_Mode == FD_IMPORT ? _sh + 6 : _sh - 20);
    if (defaultname)
        file_box->value(defaultname);

    Fl_Widget *unused[] = {OPEN0, SAVE0, EXPORT0, OK0, IMPORT0};
    for (Fl_Widget *b : unused)
        if (b && b != OPEN && b != IMPORT)
            b->hide();
    if (chk_filter && Dialog_Mode != FD_IMPORT)
        chk_filter->hide();
    // Escape and the window manager's close button cancel the dialog.
    callback(Close_CB, this);
}

SFileDialog::~SFileDialog()
{
    hide();
    TSNodeFree(&head_list);
    cur_node = nullptr;
    delete Xpm_Filter[0];
    if (drivename) {
        for (int i = 0; i < FD_DRIVE_SLOTS; i++)
            free(drivename[i]);
        free(drivename);
    }
    FreeFilter();
    delete xpm_Lastdir;
    delete xpm_Updir;
    delete xpm_Closedfolder;
    delete xpm_Default;
    delete xpm_Newdir;
    delete m_pLastdirInactive;
    delete m_pUpdirInactive;
    // The menus still point at their items until the widgets go.
    if (FilterChoice)
        FilterChoice->menu(nullptr);
    if (FileChoice)
        FileChoice->menu(nullptr);
    free(FilterItem);
    free(FileItem);
    Free_Last_Resource();
}

void SFileDialog::InitPara()
{
    FolderContain = nullptr;
    plabelbox = pbtn = nullptr;
    cur_node = nullptr;
    file_head = nullptr;
    FilterItem = FileItem = nullptr;
    OPEN = IMPORT = CANCEL = nullptr;
    chk_filter = nullptr;
    checked = g_filetype;
    file_type_num = file_list_num = Elem_num = Dir_num = mem_alloc_num = 0;
    DRAW = 1;
    interval = 112;
    last_check = cur_check = -1;
    nRow = ((int)(_sw * 0.538) - 105) / 20;
}

void SFileDialog::CreateXPM()
{
    snprintf(xpmFilter[0], sizeof xpmFilter[0], "%s", ".qd");
    Xpm_Filter[0] = new Fl_Pixmap(qdfile_xpm_data);
}

int SFileDialog::EntriesPerColumn() const
{
    return nRow > 1 ? nRow - 1 : 1;
}

void SFileDialog::InitWinContral()
{
    const int tx = _sw - 88;
    IMPORT0 = static_cast<Fl_Button *>(getDialogWidget("ID_FILE_IMPORT"));
    EXPORT0 = static_cast<Fl_Button *>(getDialogWidget("ID_FILE_EXPORT"));
    OK0 = static_cast<Fl_Button *>(getDialogWidget("ID_FILE_OK"));
    CANCEL0 = static_cast<Fl_Button *>(getDialogWidget("ID_FILE_CANCEL"));
    SAVE0 = static_cast<Fl_Button *>(getDialogWidget("ID_FILE_SAVE"));
    OPEN0 = static_cast<Fl_Button *>(getDialogWidget("ID_FILE_OPEN"));
    chk_filter = static_cast<Fl_Check_Button *>(getDialogWidget("ID_FILE_CHK"));
    label1 = static_cast<Fl_Box *>(getDialogWidget("ID_FILE_LABEL1"));
    label2 = static_cast<Fl_Box *>(getDialogWidget("ID_FILE_LABEL2"));
    label3 = static_cast<Fl_Box *>(getDialogWidget("ID_FILE_LABEL3"));

    if (label1)
        label1->resize(0, 5, 60, 20);
    FileChoice = new SMenubar(60, 5, _sw - 160, 22);
    FileChoice->down_box(FL_BORDER_BOX);
    FileChoice->align(FL_ALIGN_LEFT);
    GetComputerDrive();
    SetMenu_File();
    FileChoice->callback(Choice_CB, this);

    xpm_Lastdir = new Fl_Pixmap(lastdir_xpm_data);
    xpm_Updir = new Fl_Pixmap(updir_xpm_data);
    xpm_Newdir = new Fl_Pixmap(newdir_xpm_data);
    LASTDIR = new SButton(_sw - 88, 5, 22, 22);
    LASTDIR->callback(Button_CB, this);
    LASTDIR->tooltip("Turn to the folder visited last");
    LASTDIR->image(xpm_Lastdir);
    // Greyed pictures, so that an inactive button looks inactive.
    m_pLastdirInactive = xpm_Lastdir->copy();
    m_pLastdirInactive->inactive();
    LASTDIR->deimage(m_pLastdirInactive);
    UPDIR = new SButton(_sw - 60, 5, 22, 22);
    UPDIR->callback(Button_CB, this);
    UPDIR->tooltip("Turn to the up folder");
    UPDIR->image(xpm_Updir);
    m_pUpdirInactive = xpm_Updir->copy();
    m_pUpdirInactive->inactive();
    UPDIR->deimage(m_pUpdirInactive);
    NEWDIR = new SButton(_sw - 32, 5, 22, 22);
    NEWDIR->labelcolor(FL_YELLOW);
    NEWDIR->callback(Button_CB, this);
    NEWDIR->tooltip("Create new folder");
    NEWDIR->image(xpm_Newdir);

    if (label2)
        label2->resize(8, _sh - 78, 60, 20);
    file_box = new Fl_Input(85, _sh - 78, _sw - 185, 20);
    // Longer names would not fit the dialog's path buffers.
    file_box->maximum_size(FD_PATH_SIZE - 1);
    file_box->when(FL_WHEN_CHANGED);
    file_box->callback(Button_CB, this);

    switch (Dialog_Mode) {
    case FD_OPEN:
        label("Open");
        OPEN = OPEN0;
        break;
    case FD_SAVE:
        label("Save");
        OPEN = SAVE0;
        break;
    case FD_IMPORT:
        label("Import");
        OPEN = OK0;
        IMPORT = IMPORT0;
        break;
    case FD_EXPORT:
        label("Export");
        OPEN = EXPORT0;
        break;
    default:
        label("File Dialog");
        OPEN = OK0;
        break;
    }
    CANCEL = CANCEL0;
    if (Dialog_Mode == FD_IMPORT) {
        if (OPEN)
            OPEN->resize(tx, _sh - 78, 72, 20);
        if (IMPORT)
            IMPORT->resize(tx, _sh - 50, 72, 20);
        if (CANCEL)
            CANCEL->resize(tx, _sh - 22, 72, 20);
    } else {
        if (OPEN)
            OPEN->resize(tx, _sh - 78, 72, 20);
        if (CANCEL)
            CANCEL->resize(tx, _sh - 50, 72, 20);
    }
    Fl_Button *used[] = {OPEN, IMPORT, CANCEL};
    for (Fl_Button *b : used)
        if (b)
            b->callback(Button_CB, this);

    if (label3)
        label3->resize(6, _sh - 50, 60, 20);
    FilterChoice = new SMenubar(85, _sh - 50, _sw - 185, 20);
    FilterChoice->down_box(FL_BORDER_BOX);
    FilterChoice->align(FL_ALIGN_LEFT);
    SetMenu_Filter();
    FilterChoice->callback(Choice_CB, this);
    if (g_filetype < 0 || g_filetype >= FilterChoice->size() - 1)
        g_filetype = 0;
    FilterChoice->value(g_filetype);

    if (chk_filter) {
        chk_filter->resize(83, _sh - 22, 72, 20);
        chk_filter->value(0);
        // Re-list as soon as the check changes.
        chk_filter->callback(Button_CB, this);
    }

    scroll = new Fl_Scroll(8, 35, _sw - 16, _sh - 120);
    scroll->type(Fl_Scroll::HORIZONTAL);
    scroll->box(FL_DOWN_FRAME);
    scroll->end();
}

void SFileDialog::GetComputerDrive()
{
    drivenum = -1;
    drivename = static_cast<char **>(calloc(FD_DRIVE_SLOTS, sizeof(char *)));
    if (!drivename)
        return;
    for (int i = 0; i < FD_DRIVE_SLOTS; i++) {
        drivename[i] = static_cast<char *>(calloc(1, FD_PATH_SIZE));
        if (!drivename[i])
            return;
    }
    int count = 0;
    snprintf(drivename[count++], FD_PATH_SIZE, "%s", dir_cur);

    char w[FD_PATH_SIZE];
    fl_filename_absolute(w, sizeof w, "./");
    if (strcmp(w, drivename[0]) != 0)
        snprintf(drivename[count++], FD_PATH_SIZE, "%s", w);

    const char *home = getenv("HOME");
    char h[FD_PATH_SIZE];
    if (home && home[0] && FileName_CopyFolder(h, home)) {
        bool known = false;
        for (int i = 0; i < count; i++)
            if (strcmp(h, drivename[i]) == 0)
                known = true;
        if (!known)
            snprintf(drivename[count++], FD_PATH_SIZE, "%s", h);
    }
    drivenum = count - 1;
}

void SFileDialog::SetMenu_File()
{
    FileItem = static_cast<Fl_Menu_Item *>(calloc((size_t)drivenum + 2, sizeof(Fl_Menu_Item)));
    if (!FileItem)
        return;
    for (int i = 0; i <= drivenum; i++) {
        // A folder path is no markup: "/data/R&D/run@2/" is shown whole.
        FileItem[i].label(PlainLabel_Type(), drivename[i]);
        FileItem[i].labelsize(14);
        FileItem[i].labelcolor(FL_BLACK);
    }
    FileChoice->menu(FileItem);
}

int SFileDialog::handle(int e)
{
    // Enter acts once per press made in this window: the key of an old
    // event, such as the Enter that opened the dialog or closed an alert,
    // must not act again.
    if ((e == FL_KEYBOARD || e == FL_SHORTCUT) &&
        (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
        real_Button_CB(OPEN);
        return 1;
    }
    return GuiSizableDialog::handle(e);
}

void SFileDialog::draw()
{
    if (DRAW != 0 && scroll)
        RebuildGrid();
    GuiSizableDialog::draw();
}

void SFileDialog::RebuildGrid()
{
    cur_check = -1;
    if (DRAW == 1)
        FileChoice->value(0);
    if (Is_root_dir(dir_cur))
        UPDIR->deactivate();
    else
        UPDIR->activate();
    if (cur_node && cur_node->prev)
        LASTDIR->activate();
    else
        LASTDIR->deactivate();
    DRAW = 0;

    Fl_Group *saved = Fl_Group::current();
    bool listed = CreateData() == 1;
    // A re-list of the same folder keeps the pick while it is still listed.
    if (m_szPicked[0] && (!listed || strcmp(m_szPickedDir, dir_cur) != 0 || !IsShownFile(m_szPicked)))
        m_szPicked[0] = '\0';
    // The old entries are gone; new ones start from an unscrolled area.
    scroll->scroll_to(0, 0);
    Elem_num = 0;
    if (listed) {
        Elem_num = Dir_num;
        for (int k = 0; k < file_type_num; k++)
            Elem_num += file_num[k];
    }
    if (Elem_num > 0) {
        pbtn = static_cast<Fl_Button **>(calloc((size_t)Elem_num, sizeof(Fl_Button *)));
        plabelbox = static_cast<Fl_Button **>(calloc((size_t)Elem_num, sizeof(Fl_Button *)));
        if (!pbtn || !plabelbox) {
            free(pbtn);
            free(plabelbox);
            pbtn = plabelbox = nullptr;
            Elem_num = 0;
        }
    }

    const int perColumn = EntriesPerColumn();
    const int pitch = interval + 20;
    int content = (Elem_num / perColumn + 1) * pitch + 18;
    if (content < _sw - 16)
        content = _sw - 16;
    scroll->type(content == _sw - 16 ? 0 : Fl_Scroll::HORIZONTAL_ALWAYS);

    scroll->begin();
    FolderContain = new Fl_Box(9, 35, content, _sh - 120);
    FolderContain->color(FL_WHITE);
    FolderContain->box(FL_DOWN_BOX);
    int p = 0;
    for (int i = 0; i < Dir_num && p < Elem_num; i++, p++)
        DrawElement(p, xpm_Closedfolder, dirname[i], 15 + p / perColumn * pitch,
                    43 + p % perColumn * 20);
    for (int k = 0; k < file_type_num && k < file_list_num; k++) {
        for (dirNode *n = file_head[k]; n && p < Elem_num; n = n->next, p++) {
            const char *ext = fl_filename_ext(n->_dirname);
            Fl_Pixmap *icon = strcmp(ext, xpmFilter[0]) == 0 ? Xpm_Filter[0] : xpm_Default;
            DrawElement(p, icon, n->_dirname, 15 + p / perColumn * pitch,
                        43 + p % perColumn * 20);
        }
    }
    scroll->end();
    Fl_Group::current(saved);
    scroll->redraw();

    if (drivename && drivename[0]) {
        snprintf(drivename[0], FD_PATH_SIZE, "%s", dir_cur);
        FileChoice->redraw();
    }
}

void SFileDialog::DrawElement(int position, Fl_Pixmap *pxmp, const char *label, int _x, int _y)
{
    Fl_Button *icon = new Fl_Button(_x, _y, 13, 13);
    icon->box(FL_NO_BOX);
    icon->callback(Dir_CB, this);
    icon->selection_color(FL_WHITE);
    icon->labelcolor(FL_LIGHT2);
    icon->image(pxmp);
    // Typing must keep going to the name field after a click in the grid.
    icon->clear_visible_focus();
    pbtn[position] = icon;

    fl_font(FL_HELVETICA, 14);
    Fl_Button *name = new GridNameButton(_x + 15, _y, (int)fl_width(label) + 5, 16);
    name->box(FL_NO_BOX);
    name->align(FL_ALIGN_CENTER);
    name->label(label);
    name->labelsize(14);
    name->callback(Dir_CB, this);
    // Highlighted, the entry shows as a block in the selection colour.
    name->down_box(FL_FLAT_BOX);
    name->selection_color(FL_DARK_BLUE);
    name->clear_visible_focus();
    plabelbox[position] = name;
}

int SFileDialog::CreateData()
{
    Free_Last_Resource();
    interval = 0;
    GetFilter(FilterChoice ? FilterChoice->text() : nullptr, 1);
    file_list_num = file_type_num;
    Dir_num = 0;
    fl_font(FL_HELVETICA, 14);
    if (file_type_num > 0) {
        file_head = static_cast<dirNode **>(calloc((size_t)file_type_num, sizeof(dirNode *)));
        if (!file_head) {
            file_list_num = 0;
            return 0;
        }
    }

    dirent **list = nullptr;
    int n = fl_filename_list(dir_cur, &list, fl_casenumericsort);
    if (n < 0) {
        // An unreadable folder still offers a way out. The entries are named
        // as in any listing, so that ".." goes up like the up-folder button.
        dirname = static_cast<char **>(calloc(2, sizeof(char *)));
        if (!dirname)
            return 0;
        mem_alloc_num = 2;
        const char *names[] = {".", ".."};
        for (int i = 0; i < 2; i++) {
            dirname[i] = static_cast<char *>(calloc(1, FD_PATH_SIZE));
            if (!dirname[i])
                return 0;
            snprintf(dirname[i], FD_PATH_SIZE, "%s", names[i]);
            Dir_num++;
        }
        Elem_num = 2;
        return 1;
    }

    int result = 1;
    dirNode *tails[FD_MAX_PATTERNS] = {nullptr};
    dirname = static_cast<char **>(calloc(n > 0 ? (size_t)n : 1, sizeof(char *)));
    if (!dirname) {
        fl_filename_free_list(&list, n);
        return 0;
    }
    mem_alloc_num = n;
    Elem_num = n;
    char path[2 * FD_PATH_SIZE];
    for (int i = 0; i < n && result; i++) {
        const char *name = list[i]->d_name;
        size_t len = strlen(name);
        // The listing has looked at every entry already and marked folders
        // with a final "/". A link is looked at once more: one that leads
        // nowhere, or round in a loop, names nothing that could be opened.
        bool folder = (len > 0 && name[len - 1] == '/') || list[i]->d_type == DT_DIR;
        if (!folder && (list[i]->d_type == DT_LNK || list[i]->d_type == DT_UNKNOWN)) {
            snprintf(path, sizeof path, "%s%s", dir_cur, name);
            struct stat st;
            if (stat(path, &st) != 0)
                continue;
            folder = S_ISDIR(st.st_mode);
        }
        bool shown = false;
        if (folder) {
            char *buf = static_cast<char *>(calloc(1, FD_PATH_SIZE));
            if (!buf) {
                result = 0;
                break;
            }
            snprintf(buf, FD_PATH_SIZE, "%s", name);
            if (char *slash = strchr(buf, '/'))
                *slash = '\0';
            dirname[Dir_num++] = buf;
            shown = true;
        } else {
            for (int k = 0; k < file_type_num; k++) {
                // Known to be no folder: all-files patterns match at once.
                if (Filter_Match(name, filter_file[k]) != FILTER_NO_MATCH) {
                    if (!AppendFile(name, &file_head[k], &tails[k])) {
                        result = 0;
                        break;
                    }
                    file_num[k]++;
                    shown = true;
                    break;
                }
            }
        }
        if (shown) {
            double width = fl_width(name);
            if (width > interval)
                interval = (int)width + 12;
        }
    }
    fl_filename_free_list(&list, n);
    return result;
}

void SFileDialog::Free_Last_Resource()
{
    if (filter_file) {
        for (int i = 0; i < file_type_num; i++)
            free(filter_file[i]);
        free(filter_file);
        filter_file = nullptr;
    }
    if (file_head) {
        for (int k = 0; k < file_list_num; k++)
            TSNodeFree(&file_head[k]);
        free(file_head);
        file_head = nullptr;
    }
    file_list_num = 0;
    memset(file_num, 0, sizeof file_num);
    file_type_num = 0;

    if (dirname) {
        for (int i = 0; i < mem_alloc_num; i++)
            free(dirname[i]);
        free(dirname);
        dirname = nullptr;
    }
    mem_alloc_num = 0;
    Dir_num = 0;

    // The scroll area holds the backdrop and the entries only. Clearing it
    // at once is far faster than removing the entries one by one, each
    // removal searching and shifting the whole list of children; the
    // scroll bars stay.
    if (scroll)
        scroll->clear();
    FolderContain = nullptr;
    free(pbtn);
    free(plabelbox);
    pbtn = plabelbox = nullptr;
    Elem_num = 0;
    cur_check = last_check = -1;
}

bool SFileDialog::Is_root_dir(const char *dir_name)
{
    if (!dir_name || !dir_name[0] || !strchr(dir_name, '/'))
        return false;
    char copy[FD_PATH_SIZE];
    snprintf(copy, sizeof copy, "%s", dir_name);
    *strrchr(copy, '/') = '\0';
    return strchr(copy, '/') == nullptr;
}

bool SFileDialog::Getlastdir()
{
    if (Is_root_dir(dir_cur))
        return false;
    char *slash = strrchr(dir_cur, '/');
    if (!slash)
        return false;
    *slash = '\0';
    slash = strrchr(dir_cur, '/');
    if (slash)
        slash[1] = '\0';
    return true;
}

dirNode *SFileDialog::InitDirNode()
{
    return static_cast<dirNode *>(calloc(1, sizeof(dirNode)));
}

void SFileDialog::TSNodeAdd(dirNode **pp, dirNode *p)
{
    if (!*pp) {
        *pp = p;
        return;
    }
    dirNode *tail = *pp;
    while (tail->next)
        tail = tail->next;
    tail->next = p;
    p->prev = tail;
}

void SFileDialog::TSNodeFree(dirNode **pp)
{
    dirNode *n = *pp;
    while (n) {
        dirNode *next = n->next;
        free(n);
        n = next;
    }
    *pp = nullptr;
}

void SFileDialog::AppendDir(const char *dir)
{
    dirNode *node = nullptr;
    for (int attempt = 0; attempt < 10 && !node; attempt++)
        node = InitDirNode();
    if (!node)
        return;
    snprintf(node->_dirname, sizeof node->_dirname, "%s", dir);
    TSNodeAdd(&head_list, node);
    cur_node = node;
}

int SFileDialog::AppendFile(const char *file, dirNode **head, dirNode **tail)
{
    dirNode *node = nullptr;
    for (int attempt = 0; attempt < 10 && !node; attempt++)
        node = InitDirNode();
    if (!node)
        return 0;
    snprintf(node->_dirname, sizeof node->_dirname, "%s", file);
    if (tail && *tail) {
        (*tail)->next = node;
        node->prev = *tail;
    } else {
        TSNodeAdd(head, node);
    }
    if (tail)
        *tail = node;
    return 1;
}

int SFileDialog::ShowFileDialog()
{
    if (!head_list)
        return -1;
    set_modal();
    if (!shown())
        show();
    // Only now: the toolkit shows a window whose widget takes the focus,
    // and a window shown before it is modal never becomes the modal one.
    file_box->take_focus();
    usr_ans = 0;
    while (usr_ans == 0) {
        // Hidden by other means than the dialog's own commands.
        if (!shown()) {
            Cancel();
            break;
        }
        Fl::wait();
    }
    if (pname && m_nNameSize > 0)
        snprintf(pname, (size_t)m_nNameSize, "%s", GetFileName());
    if (pdir && m_nDirSize > 0)
        snprintf(pdir, (size_t)m_nDirSize, "%s", GetDirName());
    return usr_ans;
}

void SFileDialog::Button_CB(Fl_Widget *w, void *data)
{
    static_cast<SFileDialog *>(data)->real_Button_CB(w);
}

void SFileDialog::Choice_CB(Fl_Widget *w, void *data)
{
    static_cast<SFileDialog *>(data)->real_Choice_CB(w);
}

void SFileDialog::Dir_CB(Fl_Widget *w, void *data)
{
    static_cast<SFileDialog *>(data)->real_Dir_CB(w);
}

void SFileDialog::Close_CB(Fl_Widget *, void *data)
{
    static_cast<SFileDialog *>(data)->Cancel();
}
