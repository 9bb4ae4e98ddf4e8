// guiAboutDlg: the modal About box with the maker's logo, the program's name
// and its build date.
#pragma once
#include <FL/Fl_Window.H>

class Fl_Button;

class guiAboutDlg : public Fl_Window {
public:
    guiAboutDlg(int x, int y, int w, int h, const char *title);
    ~guiAboutDlg() override;

    // Runs until Ok (or a window-manager close); returns 1.
    int DoModal();
    void ok_cb();

    Fl_Button *m_btnOk;
    int m_nRet;

private:
    void InitWindow();
};
