#include "runner/gui_about.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Pixmap.H>

#include "images/mainwnd_images.h"

guiAboutDlg::guiAboutDlg(int x, int y, int w, int h, const char *title)
    : Fl_Window(x, y, w, h, title), m_btnOk(nullptr), m_nRet(0)
{
    Fl::background(212, 208, 200);
    InitWindow();
    set_modal();
    show();
    end();
}

guiAboutDlg::~guiAboutDlg() = default;

void guiAboutDlg::InitWindow()
{
    // One logo for the life of the program, like the toolbar icons.
    static Fl_Pixmap *logo = new Fl_Pixmap(vrxlogo_xpm_data);

    Fl_Box *o = new Fl_Box(10, 20, 80, 20);
    o->image(logo);
    o->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);

    const char *texts[] = {"Corvane,Inc.", "Wendle", "Built On Nov 04, 2005"};
    for (int i = 0; i < 3; i++) {
        o = new Fl_Box(130, 10 + 20 * i, 80, 20, texts[i]);
        o->labelsize(14);
        o->labelfont(FL_HELVETICA_BOLD);
        o->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT);
    }
    o->labelcolor(88);

    m_btnOk = new Fl_Button(190, 85, 80, 24, "Ok");
}

int guiAboutDlg::DoModal()
{
    if (!shown())
        show();
    while (m_nRet == 0) {
        Fl::wait();
        while (Fl_Widget *o = Fl::readqueue())
            if (o == m_btnOk || o == this)
                ok_cb();
        // Closed by the window manager or Escape: the window hid itself.
        if (m_nRet == 0 && !shown())
            ok_cb();
    }
    return m_nRet;
}

void guiAboutDlg::ok_cb()
{
    m_nRet = 1;
}
