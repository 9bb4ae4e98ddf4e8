#include "dialogs/guidialog.h"

#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Counter.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Help_View.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Tabs.H>
#include <FL/Fl_Value_Slider.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// One widget line: identifier, keyword, quoted label, x/y/w/h, the ten look
// fields, an empty tooltip and the trailing 0, ended by its NUL.
#define DLG_LINE(id, kw, label, geo, look) id "," kw ",\"" label "\"," geo "," look ",\"\",0\0"

// 11 lines, 833 bytes with the NUL of the last one.
static const char s_filedlg[] =
    "SFileDialog.dlg="
    DLG_LINE("ID_WINDOW", "Window", "File Dialog", "441,193,392,204", "1,1,49,49,1,0,14,56,1,99")
    DLG_LINE("ID_FILE_CANCEL", "Button", "Cancel", "310,170,70,20", "2,3,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_OK", "Button", "OK", "310,136,72,20", "2,3,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_LABEL1", "Box", "Look In :", "10,5,60,20", "0,0,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_LABEL2", "Box", "File Name :", "18,139,50,24", "0,0,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_LABEL3", "Box", "File Type :", "16,172,50,24", "0,0,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_IMPORT", "Button", "Import", "221,172,72,20", "2,3,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_EXPORT", "Button", "Export", "310,110,72,20", "2,3,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_SAVE", "Button", "Save", "310,80,72,20", "2,3,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_OPEN", "Button", "Open", "310,50,72,20", "2,3,49,49,0,0,14,56,0,99")
    DLG_LINE("ID_FILE_CHK", "Check_Button", "  All  Files", "88,171,80,24", "0,3,49,56,0,0,14,56,20,99");

static_assert(sizeof s_filedlg == DLG_BLOCK_SIZE + 1, "the built-in description is 833 bytes");

const char *filedlg = s_filedlg;
float dlg_scale_x = 1.0f;
float dlg_scale_y = 1.0f;

// Read offset of ReadBufferLine within the description body; every pass
// over a description rewinds it before reading.
static int BufferPos = 0;

typedef Fl_Widget *(*WidgetMaker)(int, int, int, int);

template <class W> static Fl_Widget *make(int x, int y, int w, int h)
{
    return new W(x, y, w, h);
}

// Groups that must not collect the widgets built after them.
template <class G> static Fl_Widget *make_closed(int x, int y, int w, int h)
{
    G *g = new G(x, y, w, h);
    g->end();
    return g;
}

struct WidgetClass {
    const char *keyword;
    WidgetMaker maker;
    bool downBox;
    bool listed;  // takes widgets into it by their top-left corner
};

static const WidgetClass s_classes[] = {
    {"Button", make<Fl_Button>, true, false},
    {"Box", make<Fl_Box>, false, false},
    {"Input", make<Fl_Input>, false, false},
    {"Group", make_closed<Fl_Group>, false, true},
    {"Check_Button", make<Fl_Check_Button>, true, false},
    {"Round_Button", make<Fl_Round_Button>, true, false},
    {"Choice", make<Fl_Choice>, true, false},
    {"Browser", make<Fl_Browser>, false, false},
    {"Scrollbar", make<Fl_Scrollbar>, false, false},
    {"Scroll", make_closed<Fl_Scroll>, false, false},
    {"Slider", make<Fl_Slider>, false, false},
    {"Tabs", make_closed<Fl_Tabs>, false, false},
    {"Counter", make<Fl_Counter>, false, false},
    {"Value_Slider", make<Fl_Value_Slider>, false, false},
    {"Menu_Button", make<Fl_Menu_Button>, false, false},
    {"Help_View", make<Fl_Help_View>, false, false},
    {"Menu_Bar", make<Fl_Menu_Bar>, false, false},
};

static const WidgetClass *find_class(const char *keyword)
{
    for (const WidgetClass &c : s_classes)
        if (strcmp(c.keyword, keyword) == 0)
            return &c;
    return nullptr;
}

GuiSizableDialog::GuiSizableDialog(const char *name, int x, int y)
    : GuiSizableDialog(name, x, y, filedlg, DLG_BLOCK_SIZE)
{
}

GuiSizableDialog::GuiSizableDialog(const char *name, int x, int y, const char *text, int length)
    : Fl_Double_Window(x, y, 196, 600), labelNum(0), tooltipNum(0), labeltext(nullptr),
      vrx_tooltip(nullptr), pDlgname(nullptr), pGroupList(nullptr), firstGroup(true),
      FL_VRX_BOXTYPE(FL_NO_BOX), FL_VRX_DOWNBOX(FL_NO_BOX), FL_VRX_COLOR(0),
      FL_VRX_SELECTCOLOR(0), FL_VRX_LABELTYPE(FL_NORMAL_LABEL), FL_VRX_LABELSIZE(0),
      FL_VRX_LABELFONT(0), FL_VRX_LABELCOLOR(0), FL_VRX_ALIGN(0), FL_VRX_TYPE(0),
      m_pText(text), m_nTextLen(length < 0 ? 0 : length > DLG_BLOCK_SIZE ? DLG_BLOCK_SIZE : length)
{
    build(name);
}

void GuiSizableDialog::build(const char *name)
{
    snprintf(winName, sizeof winName, "%s", name ? name : "");
    labelNum = guiGetLabel(name);
    tooltipNum = guiGetTooltip(name);
    Carray_Init(&dlgwidget, POINTER);
    if (labelNum > 0)
        labeltext = static_cast<char (*)[DLG_LABEL_SIZE]>(calloc((size_t)labelNum, DLG_LABEL_SIZE));
    if (tooltipNum > 0)
        vrx_tooltip =
            static_cast<char (*)[DLG_TOOLTIP_SIZE]>(calloc((size_t)tooltipNum, DLG_TOOLTIP_SIZE));
    createDialog();
}

GuiSizableDialog::~GuiSizableDialog()
{
    for (int i = 0; i < Carray_GetSize(&dlgwidget); i++)
        free(Carray_GetAt(&dlgwidget, i));
    Carray_RemoveAll(&dlgwidget);
    hide();
    if (label() == pDlgname)
        label(nullptr);
    free(pDlgname);
    free(labeltext);
    free(vrx_tooltip);
    releaseGroupList();
}

int GuiSizableDialog::ReadBufferLine(const char *buffer1, char *line)
{
    return DlgReadLine(buffer1, m_nTextLen, &BufferPos, line);
}

int GuiSizableDialog::guiGetLabel(const char *)
{
    char line[DLG_LINE_SIZE];
    DlgLine d;
    int n = 0;
    BufferPos = 0;
    while (ReadBufferLine(m_pText, line) == 0)
        if (DlgParseLine(line, 1.0f, 1.0f, &d) && d.label[0])
            n++;
    return n;
}

int GuiSizableDialog::guiGetTooltip(const char *)
{
    if (!m_pText)
        return -1;
    char line[DLG_LINE_SIZE];
    DlgLine d;
    int n = 0;
    BufferPos = 0;
    while (ReadBufferLine(m_pText, line) == 0)
        if (DlgParseLine(line, 1.0f, 1.0f, &d) && d.tooltip[0])
            n++;
    return n;
}

int GuiSizableDialog::createDialog()
{
    char line[DLG_LINE_SIZE];
    int labelCount = 0;
    int tooltipCount = 0;
    BufferPos = 0;
    while (ReadBufferLine(m_pText, line) == 0) {
        DlgLine d;
        if (!DlgParseLine(line, dlg_scale_x, dlg_scale_y, &d))
            continue;
        FL_VRX_BOXTYPE = d.box;
        FL_VRX_DOWNBOX = d.downBox;
        FL_VRX_COLOR = d.color;
        FL_VRX_SELECTCOLOR = d.selectColor;
        FL_VRX_LABELTYPE = d.labelType;
        FL_VRX_LABELFONT = d.labelFont;
        FL_VRX_LABELSIZE = d.labelSize;
        FL_VRX_LABELCOLOR = d.labelColor;
        FL_VRX_ALIGN = d.align;
        FL_VRX_TYPE = d.type;

        if (strcmp(d.keyword, "Window") == 0) {
            if (!pDlgname)
                pDlgname = static_cast<char *>(malloc(DLG_LABEL_SIZE));
            if (pDlgname) {
                snprintf(pDlgname, DLG_LABEL_SIZE, "%s", d.label);
                label(pDlgname);
            }
            // The size fields only: children keep their places.
            w(d.w);
            h(d.h);
            continue;
        }
        const WidgetClass *cls = find_class(d.keyword);
        if (!cls)
            continue;
        Fl_Widget *o = cls->maker(d.x, d.y, d.w, d.h);
        if (cls->downBox) {
            if (Fl_Button *b = dynamic_cast<Fl_Button *>(o))
                b->down_box(FL_VRX_DOWNBOX);
            else if (Fl_Choice *c = dynamic_cast<Fl_Choice *>(o))
                c->down_box(FL_VRX_DOWNBOX);
        }
        if (cls->listed)
            addGroupList(static_cast<Fl_Group *>(o));
        groupRelation(o);
        SetAttributes(o, d.tooltip, &tooltipCount, d.label, &labelCount);

        guiDialog *entry = static_cast<guiDialog *>(calloc(1, sizeof(guiDialog)));
        if (!entry)
            continue;
        snprintf(entry->widgetID, sizeof entry->widgetID, "%s", d.id);
        entry->w = o;
        if (Carray_Add(&dlgwidget, entry) < 0)
            free(entry);
    }
    set_non_modal();
    return 1;
}

void GuiSizableDialog::SetAttributes(Fl_Widget *o, const char *tooltiptext, int *tooltipCount,
                                     const char *labelname, int *labelCount)
{
    // The description's label sizes are not used: every widget is drawn at 12.
    FL_VRX_LABELSIZE = 12;
    o->box(FL_VRX_BOXTYPE);
    o->color((Fl_Color)FL_VRX_COLOR);
    o->selection_color((Fl_Color)FL_VRX_SELECTCOLOR);
    o->labeltype(FL_VRX_LABELTYPE);
    o->labelfont(FL_VRX_LABELFONT);
    o->labelsize(FL_VRX_LABELSIZE);
    o->labelcolor((Fl_Color)FL_VRX_LABELCOLOR);
    o->align((Fl_Align)FL_VRX_ALIGN);
    if (FL_VRX_TYPE != DLG_KEEP_TYPE)
        o->type(FL_VRX_TYPE);

    if (tooltiptext[0] && vrx_tooltip && *tooltipCount < tooltipNum) {
        char *slot = vrx_tooltip[*tooltipCount];
        snprintf(slot, DLG_TOOLTIP_SIZE, "%s", tooltiptext);
        o->tooltip(slot);
        (*tooltipCount)++;
    }
    if (labelname[0] && labeltext && *labelCount < labelNum) {
        char *slot = labeltext[*labelCount];
        snprintf(slot, DLG_LABEL_SIZE, "%s", labelname);
        o->label(slot);
        (*labelCount)++;
    }
}

void GuiSizableDialog::groupRelation(Fl_Widget *wid)
{
    // Wide enough for a far edge whatever the sizes.
    long long X = wid->x();
    long long Y = wid->y();
    for (grouplist *node = pGroupList; node; node = node->next) {
        Fl_Group *g = node->pGroup;
        if (g == wid)
            continue;
        long long gx = g->x(), gy = g->y();
        if (gx <= X && X <= gx + g->w() && gy <= Y && Y <= gy + g->h()) {
            g->add(wid);
            return;
        }
    }
}

void GuiSizableDialog::addGroupList(Fl_Group *wid)
{
    grouplist *node = static_cast<grouplist *>(malloc(sizeof(grouplist)));
    if (!node)
        return;
    node->pGroup = wid;
    node->next = pGroupList;
    pGroupList = node;
    firstGroup = false;
}

void GuiSizableDialog::releaseGroupList()
{
    while (pGroupList) {
        grouplist *next = pGroupList->next;
        free(pGroupList);
        pGroupList = next;
    }
}

Fl_Widget *GuiSizableDialog::getDialogWidget(const char *name) const
{
    for (int i = 0; i < Carray_GetSize(&dlgwidget); i++) {
        guiDialog *entry = static_cast<guiDialog *>(Carray_GetAt(&dlgwidget, i));
        if (strcmp(entry->widgetID, name) == 0)
            return entry->w;
    }
    return nullptr;
}
