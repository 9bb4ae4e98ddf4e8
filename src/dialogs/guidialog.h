// GuiSizableDialog: a double-buffered window that builds its standard
// widgets from a text dialog description and hands them out by identifier.
#pragma once
#include <FL/Enumerations.H>
#include <FL/Fl_Double_Window.H>

#include "dialogs/dialog_description.h"
#include "foundation/carray.h"

class Fl_Group;
class Fl_Widget;

// The built-in description "SFileDialog.dlg": "name=" and then one widget
// line after another, each ended by a NUL byte.
extern const char *filedlg;
// Multiply every position and size read from a description; both 1.0 at start.
extern float dlg_scale_x;
extern float dlg_scale_y;

struct guiDialog {
    char widgetID[DLG_ID_SIZE];
    Fl_Widget *w;
};

struct grouplist {
    Fl_Group *pGroup;
    grouplist *next;
};

class GuiSizableDialog : public Fl_Double_Window {
public:
    // Builds the window from the built-in description; `name` (at most 63
    // characters) is kept but does not choose the text. The window stays
    // the current group so a subclass can add its own widgets.
    GuiSizableDialog(const char *name, int x, int y);
    ~GuiSizableDialog() override;

    // The widget built from the line with this identifier (exact case), or null.
    Fl_Widget *getDialogWidget(const char *name) const;

protected:
    // Builds from another description text of `length` bytes (at most
    // DLG_BLOCK_SIZE of it are read).
    GuiSizableDialog(const char *name, int x, int y, const char *text, int length);

    int createDialog();
    void SetAttributes(Fl_Widget *o, const char *tooltiptext, int *tooltipCount,
                       const char *labelname, int *labelCount);
    void groupRelation(Fl_Widget *wid);
    void addGroupList(Fl_Group *wid);
    void releaseGroupList();
    int guiGetLabel(const char *name);
    // -1 when there is no description text.
    int guiGetTooltip(const char *name);
    // The next line of the description body: 0, or -1 when none is left.
    int ReadBufferLine(const char *buffer1, char *line);

    int labelNum;
    int tooltipNum;
    char (*labeltext)[DLG_LABEL_SIZE];
    char (*vrx_tooltip)[DLG_TOOLTIP_SIZE];
    char winName[DLG_NAME_SIZE];
    Carray dlgwidget;
    char *pDlgname;
    grouplist *pGroupList;
    bool firstGroup;
    Fl_Boxtype FL_VRX_BOXTYPE;
    Fl_Boxtype FL_VRX_DOWNBOX;
    unsigned int FL_VRX_COLOR;
    unsigned int FL_VRX_SELECTCOLOR;
    Fl_Labeltype FL_VRX_LABELTYPE;
    unsigned char FL_VRX_LABELSIZE;
    unsigned char FL_VRX_LABELFONT;
    unsigned int FL_VRX_LABELCOLOR;
    unsigned char FL_VRX_ALIGN;
    unsigned char FL_VRX_TYPE;

private:
    void build(const char *name);
    const char *m_pText;
    int m_nTextLen;
};
