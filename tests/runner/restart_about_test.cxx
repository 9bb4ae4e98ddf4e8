#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Window.H>

#include <filesystem>
#include <string>

#include "runner/gui_about.h"
#include "runner/gui_mainwnd.h"
#include "runner/gui_restart.h"
#include "support/gui.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

namespace {

struct Rect {
    int x, y, w, h;
    bool operator==(const Rect &o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};
Rect rect(const Fl_Widget *w) { return {w->x(), w->y(), w->w(), w->h()}; }

// Fills the restart dialog's fields and presses one of its buttons from a
// toolkit timeout, once the dialog runs its loop.
struct Fill {
    guiRestartDlg *dlg;
    const char *dump, *deck, *press;
    static void run(void *data)
    {
        Fill *f = static_cast<Fill *>(data);
        f->dlg->m_inpD3dump->value(f->dump);
        f->dlg->m_inpK->value(f->deck);
        gui::click(gui::find_button(f->press, f->dlg));
    }
};

// What a window manager's close does, from a toolkit timeout.
void close_window(void *win)
{
    Fl::handle(FL_CLOSE, static_cast<Fl_Window *>(win));
    Fl::add_timeout(0.01, [](void *) {});
}

int run_restart(const char *dump, const char *deck, const char *press, guiRestartDlg &dlg)
{
    Fill fill{&dlg, dump, deck, press};
    Fl::add_timeout(0.05, Fill::run, &fill);
    return dlg.DoModal();
}

TEST(RestartDialog, WidgetsAndResults)
{
    {
        guiRestartDlg dlg(230, 200, 350, 173, "Select restart job");
        EXPECT_TRUE(dlg.shown());
        EXPECT_EQ((Rect{10, 31, 295, 24}), rect(dlg.m_inpD3dump));
        EXPECT_EQ((Rect{310, 31, 24, 24}), rect(dlg.m_btnD3dump));
        EXPECT_EQ((Rect{10, 88, 295, 24}), rect(dlg.m_inpK));
        EXPECT_EQ((Rect{310, 88, 24, 24}), rect(dlg.m_btnK));
        EXPECT_EQ((Rect{55, 136, 80, 24}), rect(dlg.m_btnOk));
        EXPECT_EQ((Rect{205, 136, 80, 24}), rect(dlg.m_btnCancel));
        EXPECT_NE(nullptr, gui::find_by_label("Restart file R =", &dlg));
        EXPECT_NE(nullptr, gui::find_by_label("Input file I =", &dlg));
        EXPECT_EQ(1, run_restart("/w/d3dump01", "", "Ok", dlg));
        char out[256];
        EXPECT_EQ(1, dlg.GetD3dumpPathName(out, sizeof out));
        EXPECT_STREQ("/w/d3dump01", out);
        EXPECT_EQ(1, dlg.GetKPathName(out, sizeof out));
        EXPECT_STREQ("", out);
        EXPECT_EQ(0, dlg.GetKPathName(nullptr, 0));
    }
    {
        guiRestartDlg dlg(230, 200, 350, 173, "Select restart job");
        EXPECT_EQ(2, run_restart("/w/d3dump01", "/v/deck.k", "Ok", dlg));
        char out[256];
        dlg.GetKPathName(out, sizeof out);
        EXPECT_STREQ("/v/deck.k", out);
        char tiny[4];
        EXPECT_EQ(0, dlg.GetKPathName(tiny, sizeof tiny)) << "a path is never cut";
        EXPECT_STREQ("", tiny);
    }
    {
        // Only a deck: Ok does nothing and the dialog stays; Cancel ends it.
        guiRestartDlg dlg(230, 200, 350, 173, "Select restart job");
        Fill fill{&dlg, "", "/v/deck.k", "Ok"};
        Fl::add_timeout(0.05, Fill::run, &fill);
        Fill cancel{&dlg, "/w/d3dump01", "/v/deck.k", "Cancel"};
        Fl::add_timeout(0.5, Fill::run, &cancel);
        EXPECT_EQ(-1, dlg.DoModal());
        EXPECT_STREQ("", dlg.m_szK);
        EXPECT_STREQ("", dlg.m_szD3dump);
    }
}

TEST(RestartDialog, WindowManagerCloseIsCancel)
{
    guiRestartDlg dlg(230, 200, 350, 173, "Select restart job");
    dlg.m_inpD3dump->value("/w/d3dump01");
    Fl::add_timeout(0.05, close_window, static_cast<Fl_Window *>(&dlg));
    EXPECT_EQ(-1, dlg.DoModal());
}

// Drives the dump "..." button: the file dialog opens, a dump is chosen,
// then Ok is pressed once the field holds it.
struct ChooseDump {
    guiRestartDlg *dlg;
    std::string name;
    int stage = 0;
    static void run(void *data)
    {
        ChooseDump *c = static_cast<ChooseDump *>(data);
        if (c->stage == 0) {
            gui::click(c->dlg->m_btnD3dump);
            c->stage = 1;
        } else if (c->stage == 1) {
            if (Fl_Window *fd = gui::find_window("Select Restart Files")) {
                EXPECT_TRUE(gui::wait_drawn(fd));  // the dialog lists its folder when it draws
                gui::find_inputs(fd).at(0)->value(c->name.c_str());
                gui::click(gui::find_button("Open", fd));
                c->stage = 2;
            }
        } else if (*c->dlg->m_inpD3dump->value()) {
            gui::click(c->dlg->m_btnOk);
            return;
        }
        Fl::repeat_timeout(0.05, run, data);
    }
};

TEST(RestartDialog, ChoosingTheDumpWithItsButton)
{
    TempDir dir;
    std::string folder = std::filesystem::canonical(dir.path()).string() + "/";
    dir.write("d3dump01", "dump");
    dir.write("deck.k", "*KEYWORD\n");
    snprintf(guiMainWnd::m_szLastDir, sizeof guiMainWnd::m_szLastDir, "%s", folder.c_str());

    guiRestartDlg dlg(230, 200, 350, 173, "Select restart job");
    ChooseDump choose{&dlg, "d3dump01"};
    Fl::add_timeout(0.05, ChooseDump::run, &choose);
    EXPECT_EQ(1, dlg.DoModal());
    EXPECT_EQ(folder + "d3dump01", dlg.m_szD3dump);
    EXPECT_EQ(folder, std::string(guiMainWnd::m_szLastDir));
    guiMainWnd::m_szLastDir[0] = '\0';
}

TEST(AboutDialog, TextsOkAndClose)
{
    {
        guiAboutDlg dlg(230, 200, 450, 120, "About Wendle");
        EXPECT_EQ(450, dlg.w());
        EXPECT_EQ((Rect{190, 85, 80, 24}), rect(dlg.m_btnOk));
        Fl_Widget *date = gui::find_by_label("Built On Nov 04, 2005", &dlg);
        ASSERT_NE(nullptr, date);
        EXPECT_EQ(88u, date->labelcolor());
        Fl_Widget *maker = gui::find_by_label("Corvane,Inc.", &dlg);
        ASSERT_NE(nullptr, maker);
        EXPECT_EQ(FL_HELVETICA_BOLD, maker->labelfont());
        EXPECT_EQ(14, maker->labelsize());
        EXPECT_NE(nullptr, gui::find_by_label("Wendle", &dlg));
        Fl::add_timeout(0.05, [](void *d) { gui::click(static_cast<guiAboutDlg *>(d)->m_btnOk); },
                        &dlg);
        EXPECT_EQ(1, dlg.DoModal());
    }
    {
        guiAboutDlg dlg(230, 200, 450, 120, "About Wendle");
        Fl::add_timeout(0.05, close_window, static_cast<Fl_Window *>(&dlg));
        EXPECT_EQ(1, dlg.DoModal());
    }
}

} // namespace
