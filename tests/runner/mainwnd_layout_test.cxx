#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scroll.H>

#include <string>
#include <vector>

#include "grid/fltk_grid.h"
#include "mainwnd_fixture.h"

namespace {

struct Rect {
    int x, y, w, h;
    bool operator==(const Rect &o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};
std::ostream &operator<<(std::ostream &os, const Rect &r)
{
    return os << "(" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")";
}
Rect rect(const Fl_Widget *w) { return {w->x(), w->y(), w->w(), w->h()}; }

class LayoutTest : public MainWndTest {
protected:
    void resize_to(int w, int h)
    {
        wnd->resize(wnd->x(), wnd->y(), w, h);
        wnd->redraw();
        // The window lays itself out when it draws at its new size.
        EXPECT_TRUE(gui::wait_drawn(wnd.get()));
        EXPECT_EQ(w, wnd->m_curWidth);
        EXPECT_EQ(h, wnd->m_curHeight);
    }
    std::vector<int> widths()
    {
        std::vector<int> v;
        for (int c = 0; c < 8; c++)
            v.push_back(wnd->m_grid->GetColWidth(c));
        return v;
    }
    // Every named widget but the grid, with its expected rectangle at width W.
    std::vector<std::pair<Fl_Widget *, Rect>> expected(int W)
    {
        guiMainWnd &m = *wnd;
        return {
            {m.m_bxUpBox, {W - 203, 1, 203, 71}},      {m.m_bxDown, {W - 202, 16, 228, 1}},
            {m_bxLocTitle, {4, 0, 110, 19}},            {m.btnSinglePrecision, {7, 17, 120, 24}},
            {m.btnDoublePrecision, {7, 40, 120, 24}},   {m.inDynaLocation1, {120, 17, W - 350, 24}},
            {m.inDynaLocation2, {120, 40, W - 350, 24}}, {m.btnSelDynaLocation1, {W - 233, 17, 24, 24}},
            {m.btnSelDynaLocation2, {W - 233, 40, 24, 24}}, {m.lblFisrt, {6, 63, 400, 23}},
            {m.lblSecond, {6, 83, 400, 23}},           {m.m_autoMem, {W - 202, 23, 60, 22}},
            {m.m_bxCtlPara, {W - 201, 2, 108, 16}},    {m.m_bxMemory, {W - 136, 23, 62, 16}},
            {m.m_bxPause, {W - 202, 48, 124, 16}},     {m.m_bxMB, {W - 35, 23, 32, 16}},
            {m.m_bxSec, {W - 31, 50, 30, 16}},         {m.inPause, {W - 79, 46, 50, 22}},
            {m.inMem, {W - 79, 21, 50, 22}},           {m.btnSubmit, {W - 201, 76, 87, 24}},
            {m.btnReset, {W - 89, 76, 87, 24}},        {m.btnRestart, {W - 218, 105, 31, 28}},
            {m.btnAdd, {W - 187, 105, 31, 28}},        {m.btnDel, {W - 156, 105, 31, 28}},
            {m.btnUp, {W - 125, 105, 31, 28}},         {m.btnDown, {W - 94, 105, 31, 28}},
            {m.btnRead, {W - 63, 105, 31, 28}},        {m.btnAbout, {W - 32, 105, 31, 28}},
        };
    }
    void expect_layout(int W, int H)
    {
        EXPECT_EQ((Rect{0, 133, W, H - 133}), rect(wnd->m_grid));
        EXPECT_EQ((Rect{0, 133, W, H - 133}), rect(wnd->m_grid->GetScroll()));
        for (auto &[widget, r] : expected(W)) {
            SCOPED_TRACE(widget->label() ? widget->label() : widget->tooltip() ? widget->tooltip() : "?");
            EXPECT_EQ(r, rect(widget));
        }
    }
};

TEST_F(LayoutTest, InitialSize)
{
    open_window();
    expect_layout(813, 385);
    EXPECT_EQ((std::vector<int>{93, 135, 231, 67, 67, 67, 67, 67}), widths());
    // The icon buttons in a row, the last one pixel before the right edge.
    std::vector<int> xs;
    for (Fl_Button *b : {wnd->btnRestart, wnd->btnAdd, wnd->btnDel, wnd->btnUp, wnd->btnDown,
                         wnd->btnRead, wnd->btnAbout})
        xs.push_back(b->x());
    EXPECT_EQ((std::vector<int>{595, 626, 657, 688, 719, 750, 781}), xs);
    EXPECT_EQ(580, wnd->btnSelDynaLocation1->x());
    EXPECT_EQ(463, wnd->inDynaLocation1->w());
    EXPECT_EQ(610, wnd->m_bxUpBox->x());
}

TEST_F(LayoutTest, WiderAndTaller)
{
    open_window();
    resize_to(1200, 600);
    expect_layout(1200, 600);
    EXPECT_EQ((std::vector<int>{138, 200, 341, 99, 99, 99, 99, 99}), widths());
    EXPECT_EQ(1168, wnd->btnAbout->x());
    // Grid cells follow their column widths.
    ASSERT_EQ(1, wnd->m_grid->AppendRow());
    resize_to(813, 385);
    expect_layout(813, 385);
    EXPECT_EQ((std::vector<int>{93, 135, 231, 67, 67, 67, 67, 67}), widths());
}

TEST_F(LayoutTest, HeightOnlyChangesOnlyTheGrid)
{
    open_window();
    std::vector<Rect> before;
    for (int i = 0; i < wnd->children(); i++)
        before.push_back(rect(wnd->child(i)));
    resize_to(813, 500);
    ASSERT_EQ((int)before.size(), wnd->children());
    for (int i = 0; i < wnd->children(); i++) {
        Fl_Widget *c = wnd->child(i);
        if (c == wnd->m_grid)
            EXPECT_EQ((Rect{0, 133, 813, 367}), rect(c));
        else
            EXPECT_EQ(before[i], rect(c)) << "child " << i;
    }
    EXPECT_EQ(367, wnd->m_grid->GetScroll()->h());
    EXPECT_EQ((std::vector<int>{93, 135, 231, 67, 67, 67, 67, 67}), widths());
}

TEST_F(LayoutTest, WidgetsLabelsAndCallbacks)
{
    open_window();
    guiMainWnd &m = *wnd;
    EXPECT_STREQ("LS-DYNA Wendle 2.2", m.label());
    EXPECT_EQ(m_bxLocTitle, gui::find_by_label("LS-DYNA Location:", &m));
    EXPECT_TRUE(m.btnSinglePrecision->value());
    EXPECT_FALSE(m.btnDoublePrecision->value());
    EXPECT_EQ(FL_RADIO_BUTTON, m.btnSinglePrecision->type());
    m.btnDoublePrecision->setonly();
    EXPECT_FALSE(m.btnSinglePrecision->value());

    struct Tip {
        Fl_Widget *w;
        const char *tip;
        Fl_Callback *cb;
    } tips[] = {
        {m.btnAdd, "Add Dyn Job", guiMainWnd::add_cb},
        {m.btnRestart, "Add Restart Job", guiMainWnd::addrestart_cb},
        {m.btnDel, "Delete Job", guiMainWnd::delete_cb},
        {m.btnUp, "Move Up", guiMainWnd::up_cb},
        {m.btnDown, "Move Down", guiMainWnd::down_cb},
        {m.btnReset, "Reset Jobs", guiMainWnd::reset_cb},
        {m.btnSelDynaLocation1, "Select Location of LS-DYNA", guiMainWnd::location_cb},
        {m.btnSelDynaLocation2, "Select Location of LS-DYNA", guiMainWnd::location_cb},
        {m.btnAbout, "About", guiMainWnd::about_cb},
        {m.btnSubmit, "Submit Jobs", guiMainWnd::submit_cb},
        {m.btnRead, "Read Message File", guiMainWnd::read_cb},
    };
    for (const Tip &t : tips) {
        SCOPED_TRACE(t.tip);
        ASSERT_NE(nullptr, t.w->tooltip());
        EXPECT_STREQ(t.tip, t.w->tooltip());
        EXPECT_EQ(t.cb, t.w->callback());
        EXPECT_EQ(&m, t.w->user_data());
    }
    for (Fl_Button *b : {m.btnRestart, m.btnAdd, m.btnDel, m.btnUp, m.btnDown, m.btnRead,
                         m.btnAbout}) {
        EXPECT_NE(nullptr, b->image());
        EXPECT_EQ(nullptr, b->label());
    }
    EXPECT_EQ(guiMainWnd::automem_cb, m.m_autoMem->callback());
    EXPECT_EQ(guiMainWnd::exit_cb, m.callback());
    for (int i = 0; i < m.children(); i++) {
        if (m.child(i) != m.m_grid) {
            EXPECT_EQ(12, m.child(i)->labelsize()) << "child " << i;
        }
    }
    const char *headers[] = {"Precision", "File Name", "In Folder", "Size",
                             "Type",      "MB",        "Sec",       "Status"};
    for (const char *h : headers)
        EXPECT_NE(nullptr, gui::find_by_label(h, m.m_grid)) << h;
}

} // namespace
