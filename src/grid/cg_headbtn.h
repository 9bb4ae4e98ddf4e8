// CgHeadBtn: a header cell of the job table. It stays an ordinary button
// and hands its pointer events to its grid, which resizes columns from them.
#pragma once
#include <FL/Fl_Button.H>

class Fl_Fltkgrid;

class CgHeadBtn : public Fl_Button {
public:
    CgHeadBtn(Fl_Fltkgrid *q, int x, int y, int w, int h, const char *str = nullptr);
    ~CgHeadBtn() override;

    int handle(int event) override;

private:
    Fl_Fltkgrid *m_gridLst;  // not owned
};
