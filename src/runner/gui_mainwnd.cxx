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

// Where a widget stands in a window W wide: an x below 0 counts from the
// right edge, a width below 0 is the window's width less its magnitude.
struct Place {
    int x, y, w, h;
};
const Place kUpBox{-203, 1, 203, 71}, kDown{-202, 16, 228, 1}, kLocTitle{4, 0, 110, 19},
    kSingle{7, 17, 120, 24}, kDouble{7, 40, 120, 24}, kLocation1{120, 17, -350, 24},
    kLocation2{120, 40, -350, 24}, kSelect1{-233, 17, 24, 24}, kSelect2{-233, 40, 24, 24},
    kFirst{6, 63, 400, 23}, kSecond{6, 83, 400, 23}, kAuto{-202, 23, 60, 22},
    kCtlPara{-201, 2, 108, 16}, kMemory{-136, 23, 62, 16}, kPause{-202, 48, 124, 16},
    kMB{-35, 23, 32, 16}, kSec{-31, 50, 30, 16}, kPauseIn{-79, 46, 50, 22},
    kMemIn{-79, 21, 50, 22}, kSubmit{-201, 76, 87, 24}, kReset{-89, 76, 87, 24};
// The icon row ends one pixel before the right edge: Add Restart Job, Add
// Dyn Job, Delete, Up, Down, Read, About.
Place icon_place(int i)
{
    return Place{-218 + 31 * i, 105, 31, 28};
}

void place(Fl_Widget *w, const Place &p, int W)
{
    w->resize(p.x < 0 ? W + p.x : p.x, p.y, p.w < 0 ? W + p.w : p.w, p.h);
}

// Creates a label-size-12 widget of class T in the current group.
template <class T> T *make(const Place &p, int W, const char *label = nullptr)
{
    T *o = new T(0, 0, 1, 1, label);
    place(o, p, W);
    o->labelsize(12);
    return o;
}

Fl_Button *command_button(const Place &p, int W, const char *label, const char *tip,
                          Fl_Callback *cb, void *wnd)
{
    Fl_Button *b = make<Fl_Button>(p, W, label);
    b->tooltip(tip);
    b->callback(cb, wnd);
    return b;
}

// An icon button; its pixmap is made once for the life of the program.
Fl_Button *icon_button(int i, int W, const char *tip, Fl_Callback *cb, void *wnd,
                       Fl_Pixmap *&pixmap, const char *const *xpm)
{
    if (!pixmap)
        pixmap = new Fl_Pixmap(xpm);
    Fl_Button *b = command_button(icon_place(i), W, nullptr, tip, cb, wnd);
    b->image(pixmap);
    return b;
}

} // namespace

guiMainWnd::guiMainWnd(int x, int y, int w, int h, const char *title)
    : Fl_Window(x, y, w, h, title), m_run(m_queue, m_runSettings, *this),
      m_queueFile(m_queue, m_run)
{
    m_szXterm[0] = '\0';
    m_szUsrProfile[0] = '\0';
    m_grid = nullptr;

    Fl::background(212, 208, 200);
    InitWindow();
    m_queue.Listen(this);
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
    m_queue.Unlisten(this);
}

void guiMainWnd::InitWindow()
{
    const int W = w();

    Fl_Box *backdrop = new Fl_Box(-6, 103, 630, 31);
    backdrop->labelsize(12);
    backdrop->box(FL_DOWN_BOX);
    backdrop->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

    m_bxUpBox = make<Fl_Box>(kUpBox, W);
    m_bxUpBox->box(FL_UP_BOX);
    m_bxDown = make<Fl_Box>(kDown, W);
    m_bxDown->box(FL_DOWN_BOX);

    m_grid = new Fl_Fltkgrid(0, kTopBand, W, h() - kTopBand, "");
    m_grid->SetCols(8);
    for (int c = 0; c < 8; c++)
        m_grid->SetColWidth(c, (int)(W * kColShares[c]));
    for (int c = 0; c < 8; c++)
        m_grid->SetHeaderText(c, kHeaders[c]);
    m_grid->SetContextMenu(context_cb, this);
    m_grid->SetEditCallback(cell_edited, this);
    m_grid->SetDropHandler(drop_cb, this);

    m_bxLocTitle = make<Fl_Box>(kLocTitle, W, "LS-DYNA Location:");
    btnSinglePrecision = make<Fl_Round_Button>(kSingle, W, "Single Precision");
    btnSinglePrecision->type(FL_RADIO_BUTTON);
    btnDoublePrecision = make<Fl_Round_Button>(kDouble, W, "Double Precision");
    btnDoublePrecision->type(FL_RADIO_BUTTON);
    inDynaLocation1 = make<Fl_Input>(kLocation1, W);
    inDynaLocation1->textsize(12);
    inDynaLocation2 = make<Fl_Input>(kLocation2, W);
    inDynaLocation2->textsize(12);
    btnSelDynaLocation1 =
        command_button(kSelect1, W, "...", "Select Location of LS-DYNA", location_cb, this);
    btnSelDynaLocation2 =
        command_button(kSelect2, W, "...", "Select Location of LS-DYNA", location_cb, this);
    lblFisrt = make<Fl_Box>(kFirst, W);
    lblFisrt->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    lblSecond = make<Fl_Box>(kSecond, W);
    lblSecond->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

    m_autoMem = make<Fl_Check_Button>(kAuto, W, "Auto");
    m_autoMem->callback(automem_cb, this);
    m_bxCtlPara = make<Fl_Box>(kCtlPara, W, "Control Parameter");
    m_bxMemory = make<Fl_Box>(kMemory, W, "Memory:");
    m_bxPause = make<Fl_Box>(kPause, W, "Pause between jobs:");
    m_bxMB = make<Fl_Box>(kMB, W, "MB");
    m_bxSec = make<Fl_Box>(kSec, W, "Sec");
    inPause = make<Fl_Input>(kPauseIn, W);
    inPause->textsize(12);
    inMem = make<Fl_Input>(kMemIn, W);
    inMem->textsize(12);

    btnSubmit = command_button(kSubmit, W, "Submit Jobs", "Submit Jobs", submit_cb, this);
    btnReset = command_button(kReset, W, "Reset Jobs", "Reset Jobs", reset_cb, this);
    static Fl_Pixmap *file_read, *jobdown, *up, *deletefile, *adddyn, *addrk, *about;
    btnRead = icon_button(5, W, "Read Message File", read_cb, this, file_read, file_read_xpm_data);
    btnDown = icon_button(4, W, "Move Down", down_cb, this, jobdown, jobdown_xpm_data);
    btnUp = icon_button(3, W, "Move Up", up_cb, this, up, up_xpm_data);
    btnDel = icon_button(2, W, "Delete Job", delete_cb, this, deletefile, deletefile_xpm_data);
    btnAdd = icon_button(1, W, "Add Dyn Job", add_cb, this, adddyn, adddyn_xpm_data);
    btnRestart = icon_button(0, W, "Add Restart Job", addrestart_cb, this, addrk, addrk_xpm_data);
    btnAbout = icon_button(6, W, "About", about_cb, this, about, about_xpm_data);

    // What is typed or pasted must be saved and read back whole.
    for (Fl_Input *in : {inDynaLocation1, inDynaLocation2, inMem, inPause})
        in->maximum_size(SETTING_VALUE_MAX);

    btnSinglePrecision->value(1);
}

void guiMainWnd::resize(int x, int y, int w, int h)
{
    Fl_Window::resize(x, y, w, h);
    if (m_grid)
        ResizeWindow(w, h);
}

void guiMainWnd::ResizeWindow(int w, int h)
{
    m_grid->resize(0, kTopBand, w, h - kTopBand);
    m_grid->GetScroll()->resize(0, kTopBand, w, h - kTopBand);
    for (int c = 0; c < 8; c++)
        m_grid->SetColWidth(c, (int)(w * kColShares[c]));

    // The left block stays put, the path inputs stretch, and the right-hand
    // block keeps its distance from the right edge.
    const std::pair<Fl_Widget *, Place> places[] = {
        {m_bxUpBox, kUpBox},       {m_bxDown, kDown},           {m_bxLocTitle, kLocTitle},
        {btnSinglePrecision, kSingle}, {btnDoublePrecision, kDouble},
        {inDynaLocation1, kLocation1}, {inDynaLocation2, kLocation2},
        {btnSelDynaLocation1, kSelect1}, {btnSelDynaLocation2, kSelect2},
        {lblFisrt, kFirst},        {lblSecond, kSecond},        {m_autoMem, kAuto},
        {m_bxCtlPara, kCtlPara},   {m_bxMemory, kMemory},       {m_bxPause, kPause},
        {m_bxMB, kMB},             {m_bxSec, kSec},             {inPause, kPauseIn},
        {inMem, kMemIn},           {btnSubmit, kSubmit},        {btnReset, kReset},
        {btnRestart, icon_place(0)},     {btnAdd, icon_place(1)},           {btnDel, icon_place(2)},
        {btnUp, icon_place(3)},          {btnDown, icon_place(4)},          {btnRead, icon_place(5)},
        {btnAbout, icon_place(6)},
    };
    for (const auto &[widget, p] : places)
        place(widget, p, w);
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
