// What the main window shows of a run it observes: the status lines, rows
// whose look follows their jobs, the job table's menu for the row under the
// pointer, and the notice when an empty message file stops the run.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Scrollbar.H>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "grid/fltk_grid.h"
#include "grid/progress_cell.h"
#include "mainwnd_fixture.h"
#include "support/notify_service.h"
#include "support/readonly.h"

namespace {

const char kNormal[] = " N o r m a l    t e r m i n a t i o n\n";

class WindowRunTest : public MainWndTest {
protected:
    void SetUp() override
    {
        jobs = std::filesystem::canonical(home.mkdir("jobs")).string() + "/";
        home.mkdir("solver");
        // Runs until its folder holds "stop".
        std::string waiter = home.write(
            "solver/waiter", "#!/bin/sh\nwhile [ ! -e stop ] && [ -d \"$PWD\" ]; do sleep 0.05; done\n");
        chmod(waiter.c_str(), 0755);
        setenv("WENDLE_TERM_RECORD", home.file("record").c_str(), 1);
        open_window();
        snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "%s", WENDLE_BUILD_DIR "/tests/recterm");
        wnd->inDynaLocation1->value(waiter.c_str());
        wnd->inPause->value("1");
    }
    void TearDown() override
    {
        for (auto &e : std::filesystem::recursive_directory_iterator(jobs))
            if (e.is_directory())
                std::ofstream(e.path().string() + "/stop");
        std::ofstream(jobs + "stop");
        MainWndTest::TearDown();
        unsetenv("WENDLE_TERM_RECORD");
    }
    std::string dir(const std::string &name)
    {
        if (!file_exists(jobs + name))
            home.mkdir("jobs/" + name);
        return jobs + name + "/";
    }
    int add(const std::string &deck)
    {
        return wnd->Jobs().Add(wnd->NewJob(JobKind::Deck, deck, "", "1K"));
    }
    bool wait_running(int rows, double seconds = 10)
    {
        want = rows;
        return gui::wait_for(seconds, [](void *p) {
            WindowRunTest *t = static_cast<WindowRunTest *>(p);
            int running = 0;
            for (int r = 1; r <= t->wnd->Jobs().Rows(); r++)
                running += t->wnd->Jobs().At(r).state == JobState::Running;
            return running == t->want;
        }, this);
    }
    Fl_Widget *cell(int row, int col)
    {
        Fl_Scroll *s = wnd->m_grid->GetScroll();
        std::vector<Fl_Widget *> cells;
        for (int i = 0; i < s->children(); i++)
            if (!dynamic_cast<Fl_Scrollbar *>(s->child(i)))
                cells.push_back(s->child(i));
        return cells.at((size_t)(row * 8 + col));
    }
    std::string jobs;
    int want = 0;
};

TEST_F(WindowRunTest, StatusLinesDuringARun)
{
    const std::string cycles =
        "     100 t 5.0000E-03 dt 1.00E-06 flush i/o buffers          12/09/26 06:07:50\n"
        "     200 t 1.0000E-02 dt 1.00E-06 write d3plot file          12/09/26 06:07:54\n";
    std::string dumps = dir("dumps"), plates = dir("p"), alone = dir("r");
    std::string plate =
        home.write("jobs/p/plate.k", "*KEYWORD\n*CONTROL_TERMINATION\n    0.0200\n*END\n");
    std::string deck = home.write("jobs/new.k", "*CONTROL_TERMINATION\n0.04,0\n");
    // t advanced 5.0E-03 in the 4 seconds between the lines' own times.
    struct Case {
        const char *name;
        Job job;
        std::string folder, shown, line;
        double share;
    } cases[] = {
        {"a deck with its end time", wnd->NewJob(JobKind::Deck, plate, "", "1K"), plates, "plate.k",
         "plate.k: t = 1.00E-02 of 2.00E-02 (50 %), a few seconds left", 0.5},
        {"a restart with a new deck",
         wnd->NewJob(JobKind::RestartWithDeck, deck, dumps + "d3dump01", "1K"), dumps, "d3dump01",
         "d3dump01: t = 1.00E-02 of 4.00E-02 (25 %), about 25 s left", 0.25},
        {"a restart from the dump alone",
         wnd->NewJob(JobKind::RestartFromDump, "", alone + "d3dump02", "1K"), alone, "d3dump02",
         "d3dump02: t = 1.00E-02", -1},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int r = wnd->Jobs().Add(c.job);
        add(dir("next" + std::to_string(n++)) + "next.k");
        wnd->real_submit_cb();
        ASSERT_TRUE(wait_running(1));
        ASSERT_TRUE(gui::wait_for(5, [](void *w) {
            return !static_cast<guiMainWnd *>(w)->TheRun().Reading();
        }, wnd.get()));
        EXPECT_STREQ("1 job running, 1 queued", wnd->lblSecond->label());
        EXPECT_FALSE(wnd->inDynaLocation1->active());
        std::ofstream(c.folder + "messag") << " banner\n" << cycles;
        wnd->TheRun().Check();
        EXPECT_EQ(c.line, wnd->lblFisrt->label());
        // Its status cell fills as far as t is towards the end time.
        auto *status = dynamic_cast<ProgressCell *>(cell(r, 7));
        ASSERT_NE(nullptr, status);
        EXPECT_NEAR(c.share, status->fraction(), 1e-9);
        // A message holds the line until the next job starts.
        wnd->TheRun().SenseSwitch(r, 4);
        std::string asked =
            "Asked " + c.shown + " (row " + std::to_string(r) + ") to write a plot state (sw4)";
        EXPECT_EQ(asked, wnd->lblFisrt->label());
        wnd->TheRun().Check();
        EXPECT_EQ(asked, wnd->lblFisrt->label());
        {
            gui::ButtonPresser yes("Yes");
            wnd->real_reset_cb();
        }
        EXPECT_STREQ("", wnd->lblFisrt->label());
    }
}

// Rows below a deleted one move up; their colours and locks go with them.
TEST_F(WindowRunTest, ARowsLookFollowsItsJob)
{
    wnd->TheRun().SetJobsAtOnce(3);
    add(dir("a") + "a.k");
    add(dir("a") + "a.k");  // waits for its folder, above running rows
    add(dir("b") + "b.k");
    add(dir("c") + "c.k");
    wnd->real_submit_cb();
    ASSERT_TRUE(wait_running(3));
    wnd->m_grid->SelectRow(2);
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_delete_cb();
    }
    ASSERT_EQ(3, wnd->Jobs().Rows());
    for (int r = 1; r <= 3; r++) {
        SCOPED_TRACE(r);
        EXPECT_STREQ("Running", wnd->m_grid->GetMatrixText(r, 7));
        EXPECT_EQ(3u, cell(r, 7)->color());
        EXPECT_FALSE(cell(r, 0)->active());
        EXPECT_FALSE(cell(r, 5)->active());
        EXPECT_FALSE(cell(r, 6)->active());
    }
}

// Answers the open job table menu with the letter S, then, if it is still
// open (nothing answered to the letter), with Escape.
struct MenuKey {
    Fl_Window *owner;
    int sent = 0, ticks = 0;
    static void tick(void *data)
    {
        MenuKey *m = static_cast<MenuKey *>(data);
        if (Fl::grab() && m->sent < 2) {
            if (m->sent++ == 0)
                gui::send_key(m->owner, 's', "s");
            else
                gui::send_key(m->owner, FL_Escape);
        }
        if (++m->ticks < 60)
            Fl::repeat_timeout(0.1, tick, data);
    }
};

TEST_F(WindowRunTest, TheMenuSteersOnlyTheRunningRowUnderThePointer)
{
    add(dir("a") + "a.k");
    wnd->real_submit_cb();
    ASSERT_TRUE(wait_running(1));
    struct Case {
        const char *name;
        int y;  // in the grid
        bool asks;
    } cases[] = {
        {"empty table space, the running row selected", 133 + 20 * 5, false},
        {"on the running row", 133 + 20 + 10, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        wnd->m_grid->SelectRow(1);
        MenuKey key{wnd.get()};
        Fl::add_timeout(0.1, MenuKey::tick, &key);
        gui::send_pointer(wnd.get(), FL_PUSH, 300, c.y, 3);
        gui::send_pointer(wnd.get(), FL_RELEASE, 300, c.y, 3);
        Fl::remove_timeout(MenuKey::tick, &key);
        EXPECT_EQ(c.asks, file_exists(jobs + "a/D3KIL"));
    }
}

TEST_F(WindowRunTest, AStopByAnEmptyMessageFileIsNoticed)
{
    home.mkdir("service");
    NotifyService service(home.file("service"));
    ASSERT_EQ("", service.problem());
    add(jobs + "case1.k");
    wnd->real_submit_cb();
    ASSERT_TRUE(wait_running(1));
    // The solver made its message file and could not write into it.
    std::string msg = home.write("jobs/messag", "");
    if (!make_unwritable(msg))
        GTEST_SKIP() << "cannot make a file unwritable here";
    wnd->TheRun().Check();
    make_writable(msg);
    EXPECT_STREQ("The Messag File Is Empty,Please Make Sure Have a License of LSDYNA!",
                 wnd->lblFisrt->label());
    EXPECT_TRUE(wnd->inDynaLocation1->active());
    EXPECT_TRUE(gui::wait_for(5, [](void *s) {
        return !static_cast<NotifyService *>(s)->summaries().empty();
    }, &service));
    EXPECT_EQ(std::vector<std::string>{"Wendle: the run has stopped"}, service.summaries());
}

} // namespace
