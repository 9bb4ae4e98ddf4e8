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
        EXPECT_TRUE(gui::wait_drawn(wnd.get()));
    }
    std::vector<int> widths()
    {
        std::vector<int> v;
        for (int c = 0; c < 8; c++)
            v.push_back(wnd->m_grid->GetColWidth(c));
        return v;
    }
    // What the layout promises at width W: the grid below the top band,
    // the icon buttons in a row ending a pixel before the right edge, the
    // path inputs stretching up to under their "..." buttons.
    void expect_layout(int W, int H, const std::vector<int> &cols)
    {
        EXPECT_EQ((Rect{0, 133, W, H - 133}), rect(wnd->m_grid));
        EXPECT_EQ((Rect{0, 133, W, H - 133}), rect(wnd->m_grid->GetScroll()));
        EXPECT_EQ(cols, widths());
        std::vector<int> xs, want;
        for (Fl_Button *b : {wnd->btnRestart, wnd->btnAdd, wnd->btnDel, wnd->btnUp, wnd->btnDown,
                             wnd->btnRead, wnd->btnAbout}) {
            xs.push_back(b->x());
            want.push_back(W - 218 + 31 * (int)want.size());
        }
        EXPECT_EQ(want, xs);
        EXPECT_EQ(W - 233, wnd->btnSelDynaLocation1->x());
        EXPECT_EQ(W - 230, wnd->inDynaLocation1->x() + wnd->inDynaLocation1->w());
        EXPECT_EQ(W - 203, wnd->m_bxUpBox->x());
        EXPECT_EQ((Rect{6, 63, 400, 23}), rect(wnd->lblFisrt));
    }
};

TEST_F(LayoutTest, InitialWiderAndBack)
{
    open_window();
    const std::vector<int> narrow = {93, 135, 231, 67, 67, 67, 67, 67};
    expect_layout(813, 385, narrow);
    EXPECT_EQ(781, wnd->btnAbout->x());
    EXPECT_EQ(463, wnd->inDynaLocation1->w());
    // 1200 x 0.285 lies just below 342.
    resize_to(1200, 600);
    expect_layout(1200, 600, {138, 200, 341, 99, 99, 99, 99, 99});
    EXPECT_EQ(1168, wnd->btnAbout->x());
    // Grid cells follow their column widths.
    ASSERT_EQ(1, wnd->m_grid->AppendRow());
    resize_to(813, 385);
    expect_layout(813, 385, narrow);
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
    EXPECT_EQ(m.m_bxLocTitle, gui::find_by_label("LS-DYNA Location:", &m));
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
