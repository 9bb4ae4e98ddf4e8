#include "runner/gui_restart.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>

#include <cstdio>
#include <cstring>

#include "dialogs/openfiledialog.h"
#include "runner/gui_mainwnd.h"

guiRestartDlg::guiRestartDlg(int x, int y, int w, int h, const char *title)
    : Fl_Window(x, y, w, h, title), m_nRet(0)
{
    m_szK[0] = '\0';
    m_szD3dump[0] = '\0';
    Fl::background(212, 208, 200);
    InitWindow();
    set_modal();
    show();
    end();
}

guiRestartDlg::~guiRestartDlg() = default;

void guiRestartDlg::InitWindow()
{
    Fl_Group *frame = new Fl_Group(4, 3, 341, 122);
    frame->box(FL_ENGRAVED_FRAME);
    Fl_Box *caption = new Fl_Box(10, 10, 80, 20, "Restart file R =");
    caption->labelsize(12);
    caption->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    m_inpD3dump = new Fl_Input(10, 31, 295, 24);
    m_btnD3dump = new Fl_Button(310, 31, 24, 24, "...");
    caption = new Fl_Box(10, 65, 80, 20, "Input file I =");
    caption->labelsize(12);
    caption->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    m_inpK = new Fl_Input(10, 88, 295, 24);
    m_btnK = new Fl_Button(310, 88, 24, 24, "...");
    frame->end();

    m_btnOk = new Fl_Button(55, 136, 80, 24, "Ok");
    m_btnCancel = new Fl_Button(205, 136, 80, 24, "Cancel");
}

int guiRestartDlg::DoModal()
{
    if (!shown())
        show();
    while (m_nRet == 0) {
        Fl::wait();
        while (Fl_Widget *o = Fl::readqueue()) {
            if (o == m_btnOk)
                ok_cb();
            else if (o == m_btnCancel || o == this)
                cancel_cb();
            else if (o == m_btnK)
                k_cb();
            else if (o == m_btnD3dump)
                d3dump_cb();
        }
        // Closed by the window manager or Escape: the window hid itself.
        if (m_nRet == 0 && !shown())
            cancel_cb();
    }
    return m_nRet;
}

void guiRestartDlg::ok_cb()
{
    snprintf(m_szK, sizeof m_szK, "%s", m_inpK->value());
    snprintf(m_szD3dump, sizeof m_szD3dump, "%s", m_inpD3dump->value());
    if (!m_szD3dump[0])
        return;
    m_nRet = m_szK[0] ? 2 : 1;
}

void guiRestartDlg::cancel_cb()
{
    m_szK[0] = '\0';
    m_szD3dump[0] = '\0';
    m_nRet = -1;
}

void guiRestartDlg::choose(const char *title, const char *filter, Fl_Input *field, char *buffer)
{
    char path[OPENFILE_PATH_SIZE];
    if (openfiledialog(title, path, guiMainWnd::m_szLastDir, filter, -1) != 1)
        return;
    snprintf(buffer, sizeof m_szK, "%s", path);
    field->value(path);
}

void guiRestartDlg::k_cb()
{
    choose("Select Dyn Files", "Dyna file(*.dyn;*.k)|All file(*.*)", m_inpK, m_szK);
}

void guiRestartDlg::d3dump_cb()
{
    choose("Select Restart Files", "D3dump Files(d3dump*)|All file(*.*)", m_inpD3dump, m_szD3dump);
}

static int copy_path(const char *path, char *out, size_t size)
{
    if (!out)
        return 0;
    int n = snprintf(out, size, "%s", path);
    if (n < 0 || (size_t)n >= size) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

int guiRestartDlg::GetKPathName(char *out, size_t size)
{
    return copy_path(m_szK, out, size);
}

int guiRestartDlg::GetD3dumpPathName(char *out, size_t size)
{
    return copy_path(m_szD3dump, out, size);
}
