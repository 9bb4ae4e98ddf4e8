#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scroll.H>

#include "grid/fltk_grid.h"
#include "images/mainwnd_images.h"

char guiMainWnd::m_szLastDir[256] = "";

namespace {

const char *const kHeaders[8] = {"Precision", "File Name", "In Folder", "Size",
                                 "Type",      "MB",        "Sec",       "Status"};
const double kColShares[8] = {0.115, 0.167, 0.285, 0.083, 0.083, 0.083, 0.083, 0.083};

const int kTopBand = 133;

} // namespace

guiMainWnd::guiMainWnd(int x, int y, int w, int h, const char *title)
    : Fl_Window(x, y, w, h, title)
{
    m_sucNum = m_failNum = m_runStat = m_curSub = 0;
    m_curWidth = m_curHeight = 0;
    m_szXterm[0] = '\0';
    m_szUsrProfile[0] = '\0';
    m_childpid = 0;
    m_grid = nullptr;

    Fl::background(212, 208, 200);
    InitWindow();
    InitJobSub();

    set_non_modal();
    size_range(w, h, 0, 0);
    resizable(m_grid);
    // Task bars match the window to the desktop entry by its class, and
    // show its icon.
    xclass("Wendle");
    Fl_Pixmap picture(wendle_xpm_data);
    Fl_RGB_Image appIcon(&picture, FL_GRAY);
    icon(&appIcon);  // the window keeps a copy
    show();
    callback(exit_cb, this);
    end();
}

guiMainWnd::~guiMainWnd()
{
    remove_run_steps();
    Fl::remove_timeout(ReapChildren, this);
}

// Creates a label-size-12 widget of class T in the current group.
template <class T> static T *make(int x, int y, int w, int h, const char *label = nullptr)
{
    T *o = new T(x, y, w, h, label);
    o->labelsize(12);
    return o;
}

static Fl_Button *command_button(int x, int y, int w, int h, const char *label,
                                 const char *tip, Fl_Callback *cb, void *wnd)
{
    Fl_Button *b = make<Fl_Button>(x, y, w, h, label);
    b->tooltip(tip);
    b->callback(cb, wnd);
    return b;
}

// An icon button; its pixmap is made once for the life of the program.
static Fl_Button *icon_button(int x, const char *tip, Fl_Callback *cb, void *wnd,
                              Fl_Pixmap *&pixmap, const char *const *xpm)
{
    if (!pixmap)
        pixmap = new Fl_Pixmap(xpm);
    Fl_Button *b = command_button(x, 105, 31, 28, nullptr, tip, cb, wnd);
    b->image(pixmap);
    return b;
}

void guiMainWnd::InitWindow()
{
    const int W = w();

    Fl_Box *backdrop = make<Fl_Box>(-6, 103, 630, 31);
    backdrop->box(FL_DOWN_BOX);
    backdrop->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

    m_bxUpBox = make<Fl_Box>(411, 1, 203, 71);
    m_bxUpBox->box(FL_UP_BOX);
    m_bxDown = make<Fl_Box>(411, 16, 228, 1);
    m_bxDown->box(FL_DOWN_BOX);

    m_grid = new Fl_Fltkgrid(0, kTopBand, W, 252, "");
    m_grid->SetCols(8);
    for (int c = 0; c < 8; c++)
        m_grid->SetColWidth(c, (int)(W * kColShares[c]));
    for (int c = 0; c < 8; c++)
        m_grid->SetHeaderText(c, kHeaders[c]);
    m_grid->SetContextMenu(context_cb, this);
    m_grid->SetDropHandler(drop_cb, this);

    m_bxLocTitle = make<Fl_Box>(4, 0, 110, 19, "LS-DYNA Location:");
    btnSinglePrecision = make<Fl_Round_Button>(7, 17, 120, 24, "Single Precision");
    btnSinglePrecision->type(FL_RADIO_BUTTON);
    btnDoublePrecision = make<Fl_Round_Button>(7, 40, 120, 24, "Double Precision");
    btnDoublePrecision->type(FL_RADIO_BUTTON);
    inDynaLocation1 = make<Fl_Input>(120, 17, 269, 24);
    inDynaLocation1->textsize(12);
    inDynaLocation2 = make<Fl_Input>(120, 40, 269, 24);
    inDynaLocation2->textsize(12);
    btnSelDynaLocation1 = command_button(390, 17, 24, 24, "...", "Select Location of LS-DYNA",
                                         location_cb, this);
    btnSelDynaLocation2 = command_button(390, 40, 24, 24, "...", "Select Location of LS-DYNA",
                                         location_cb, this);
    lblFisrt = make<Fl_Box>(6, 63, 400, 23);
    lblFisrt->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    lblSecond = make<Fl_Box>(6, 83, 400, 23);
    lblSecond->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

    m_autoMem = make<Fl_Check_Button>(412, 23, 60, 22, "Auto");
    m_autoMem->callback(automem_cb, this);
    m_bxCtlPara = make<Fl_Box>(412, 2, 108, 16, "Control Parameter");
    m_bxMemory = make<Fl_Box>(477, 23, 62, 16, "Memory:");
    m_bxPause = make<Fl_Box>(411, 48, 124, 16, "Pause between jobs:");
    m_bxMB = make<Fl_Box>(578, 23, 32, 16, "MB");
    m_bxSec = make<Fl_Box>(582, 50, 30, 16, "Sec");
    inPause = make<Fl_Input>(534, 46, 50, 22);
    inPause->textsize(12);
    inMem = make<Fl_Input>(534, 21, 50, 22);
    inMem->textsize(12);

    btnSubmit = command_button(412, 76, 87, 24, "Submit Jobs", "Submit Jobs", submit_cb, this);
    btnReset = command_button(524, 76, 87, 24, "Reset Jobs", "Reset Jobs", reset_cb, this);
    static Fl_Pixmap *file_read, *jobdown, *up, *deletefile, *adddyn, *addrk, *about;
    btnRead = icon_button(581, "Read Message File", read_cb, this, file_read, file_read_xpm_data);
    btnDown = icon_button(550, "Move Down", down_cb, this, jobdown, jobdown_xpm_data);
    btnUp = icon_button(519, "Move Up", up_cb, this, up, up_xpm_data);
    btnDel = icon_button(488, "Delete Job", delete_cb, this, deletefile, deletefile_xpm_data);
    btnAdd = icon_button(457, "Add Dyn Job", add_cb, this, adddyn, adddyn_xpm_data);
    btnRestart = icon_button(426, "Add Restart Job", addrestart_cb, this, addrk, addrk_xpm_data);
    btnAbout = icon_button(395, "About", about_cb, this, about, about_xpm_data);

    // What is typed or pasted must be saved and read back whole.
    for (Fl_Input *in : {inDynaLocation1, inDynaLocation2, inMem, inPause})
        in->maximum_size(SETTING_VALUE_MAX);

    btnSinglePrecision->value(1);
}

void guiMainWnd::ResizeWindow(int w, int h)
{
    m_grid->resize(0, kTopBand, w, h - kTopBand);
    m_grid->GetScroll()->resize(0, kTopBand, w, h - kTopBand);
    for (int c = 0; c < 8; c++)
        m_grid->SetColWidth(c, (int)(w * kColShares[c]));

    // The left block stays put, the path inputs stretch, and the right-hand
    // block keeps its distance from the right edge.
    inDynaLocation1->resize(120, 17, w - 350, 24);
    inDynaLocation2->resize(120, 40, w - 350, 24);
    btnSelDynaLocation1->resize(w - 233, 17, 24, 24);
    btnSelDynaLocation2->resize(w - 233, 40, 24, 24);
    m_bxLocTitle->resize(4, 0, 110, 19);
    btnSinglePrecision->resize(7, 17, 120, 24);
    btnDoublePrecision->resize(7, 40, 120, 24);
    lblFisrt->resize(6, 63, 400, 23);
    lblSecond->resize(6, 83, 400, 23);

    m_bxUpBox->resize(w - 203, 1, 203, 71);
    m_bxDown->resize(w - 202, 16, 228, 1);
    m_autoMem->resize(w - 202, 23, 60, 22);
    m_bxCtlPara->resize(w - 201, 2, 108, 16);
    m_bxMemory->resize(w - 136, 23, 62, 16);
    m_bxPause->resize(w - 202, 48, 124, 16);
    m_bxMB->resize(w - 35, 23, 32, 16);
    m_bxSec->resize(w - 31, 50, 30, 16);
    inPause->resize(w - 79, 46, 50, 22);
    inMem->resize(w - 79, 21, 50, 22);
    btnSubmit->resize(w - 201, 76, 87, 24);
    btnReset->resize(w - 89, 76, 87, 24);

    btnRestart->resize(w - 218, 105, 31, 28);
    btnAdd->resize(w - 187, 105, 31, 28);
    btnDel->resize(w - 156, 105, 31, 28);
    btnUp->resize(w - 125, 105, 31, 28);
    btnDown->resize(w - 94, 105, 31, 28);
    btnRead->resize(w - 63, 105, 31, 28);
    btnAbout->resize(w - 32, 105, 31, 28);
}

std::string guiMainWnd::CellText(int row, int col)
{
    const char *t = m_grid->GetMatrixText(row, col);
    return t ? t : "";
}

bool guiMainWnd::StatusHas(int row, const char *word)
{
    return CellText(row, COL_STATUS).find(word) != std::string::npos;
}

void guiMainWnd::SetStatus(int row, const char *status, int back, int text)
{
    m_grid->SetMatrixText(row, COL_STATUS, status);
    m_grid->SetMatrixColor(row, COL_STATUS, back);
    if (text >= 0)
        m_grid->SetMatrixTextColor(row, COL_STATUS, text);
}

void guiMainWnd::LockRow(int row)
{
    m_grid->SetMatrixDeactivate(row, COL_MB);
    m_grid->SetMatrixDeactivate(row, COL_SEC);
    m_grid->SetChoiceActivate(row, 0);
}

void guiMainWnd::draw()
{
    if (!m_grid)
        return;
    if (h() != m_curHeight || w() != m_curWidth) {
        m_curWidth = w();
        m_curHeight = h();
        ResizeWindow(m_curWidth, m_curHeight);
    }
    Fl_Window::draw();
}

void guiMainWnd::exit_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_exit_cb();
}
void guiMainWnd::add_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_add_cb();
}
void guiMainWnd::addrestart_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_addrestart_cb();
}
void guiMainWnd::delete_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_delete_cb();
}
void guiMainWnd::up_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_up_cb();
}
void guiMainWnd::down_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_down_cb();
}
void guiMainWnd::reset_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_reset_cb();
}
void guiMainWnd::automem_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_automem_cb();
}
void guiMainWnd::location_cb(Fl_Widget *w, void *data)
{
    static_cast<guiMainWnd *>(data)->real_location_cb(w);
}
void guiMainWnd::about_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_about_cb();
}
void guiMainWnd::submit_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_submit_cb();
}
void guiMainWnd::read_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_read_cb();
}
