// guiRestartDlg: the modal dialog that asks for a restart job: a restart
// dump, and optionally a new input deck.
#pragma once
#include <FL/Fl_Window.H>
#include <cstddef>

class Fl_Button;
class Fl_Input;

class guiRestartDlg : public Fl_Window {
public:
    guiRestartDlg(int x, int y, int w, int h, const char *title);
    ~guiRestartDlg() override;

    // 1: a dump alone; 2: a dump and a deck; -1: Cancel (also a
    // window-manager close).
    int DoModal();
    void ok_cb();
    void cancel_cb();
    void k_cb();
    void d3dump_cb();

    // Copy the deck or dump path into out (size bytes): 1, or 0 with out
    // emptied when the path does not fit. A null out is ignored.
    int GetKPathName(char *out, size_t size);
    int GetD3dumpPathName(char *out, size_t size);

    int m_nRet;
    char m_szK[1024];
    char m_szD3dump[1024];
    Fl_Input *m_inpK;
    Fl_Input *m_inpD3dump;
    Fl_Button *m_btnK;
    Fl_Button *m_btnD3dump;
    Fl_Button *m_btnOk;
    Fl_Button *m_btnCancel;

private:
    void InitWindow();
    // Lets the user choose a file and puts it into the field and buffer.
    void choose(const char *title, const char *filter, Fl_Input *field, char *buffer);
};
