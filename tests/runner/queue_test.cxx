#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scroll.H>
#include <FL/Fl_Window.H>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "dialogs/sfiledialog.h"
#include "grid/fltk_grid.h"
#include "mainwnd_fixture.h"

namespace {

// Answers the next dialog titled `title` from a toolkit timeout by running
// `step` on its window.
class Answer {
public:
    Answer(const char *title, std::function<void(Fl_Window *)> step)
        : m_step(std::move(step)), m_shown(title, run, this)
    {
    }
    bool done() const { return m_shown.done(); }

private:
    static void run(Fl_Window *win, void *data) { static_cast<Answer *>(data)->m_step(win); }
    std::function<void(Fl_Window *)> m_step;
    gui::WhenShown m_shown;
};

// Types a name into the file dialog and presses Open.
std::function<void(Fl_Window *)> open_file(std::string name)
{
    return [name](Fl_Window *win) {
        ASSERT_TRUE(gui::wait_drawn(win));  // the dialog lists its folder when it draws
        gui::find_inputs(win).at(0)->value(name.c_str());
        gui::click(gui::find_button("Open", win));
    };
}

class QueueTest : public MainWndTest {
protected:
    void SetUp() override
    {
        jobs = std::filesystem::canonical(home.mkdir("jobs")).string() + "/";
        g_filetype = 0;
    }
    void open_queue()
    {
        open_window();
        snprintf(guiMainWnd::m_szLastDir, sizeof guiMainWnd::m_szLastDir, "%s", jobs.c_str());
        wnd->inMem->value("256");
        wnd->inPause->value("4");
    }
    // Adds a plain job through the real file dialog.
    void add_job(const std::string &name)
    {
        Answer dialog("Select Dyna Files", open_file(name));
        wnd->real_add_cb();
        EXPECT_TRUE(dialog.done());
    }
    // Adds a restart job by typing the paths into the restart dialog.
    void add_restart(const std::string &dump, const std::string &deck = "")
    {
        Answer dialog("Select restart job", [&](Fl_Window *win) {
            std::vector<Fl_Input *> in = gui::find_inputs(win);
            in.at(0)->value(dump.c_str());
            in.at(1)->value(deck.c_str());
            gui::click(gui::find_button("Ok", win));
        });
        wnd->real_addrestart_cb();
        EXPECT_TRUE(dialog.done());
    }
    std::string text(int r, int c)
    {
        const char *t = wnd->m_grid->GetMatrixText(r, c);
        return t ? t : "<null>";
    }
    std::vector<std::string> row(int r)
    {
        std::vector<std::string> v;
        for (int c = 1; c <= 7; c++)
            v.push_back(text(r, c));
        return v;
    }
    // The cell widget of row r, column c: the grid lays row r 20 pixels a
    // row below its top, column c after the widths of the columns before it.
    Fl_Widget *cell(int r, int c)
    {
        Fl_Fltkgrid *g = wnd->m_grid;
        Fl_Scroll *scroll = g->GetScroll();
        int x = g->x();
        for (int i = 0; i < c; i++)
            x += g->GetColWidth(i);
        int y = g->y() + r * 20;
        for (int i = 0; i < scroll->children(); i++) {
            Fl_Widget *w = scroll->child(i);
            if (w->x() == x && w->y() == y)
                return w;
        }
        return nullptr;
    }
    std::string jobs;
};

TEST_F(QueueTest, AddPlainJobs)
{
    home.write("jobs/empty.k", "");
    home.write("jobs/almost.k", std::string(1023, 'x'));
    home.write("jobs/one.dyn", std::string(1024, 'x'));
    open_queue();
    add_job("empty.k");
    add_job("almost.k");
    EXPECT_TRUE(cell(1, 5)->active());
    wnd->btnDoublePrecision->setonly();
    wnd->m_autoMem->value(1);
    wnd->real_automem_cb();
    add_job("one.dyn");

    ASSERT_EQ(3, wnd->m_grid->GetRows());
    EXPECT_EQ((std::vector<std::string>{"empty", jobs, "0K", "k", "256", "4", "Queued"}), row(1));
    EXPECT_EQ((std::vector<std::string>{"almost", jobs, "0K", "k", "256", "4", "Queued"}), row(2));
    EXPECT_EQ((std::vector<std::string>{"one", jobs, "1K", "dyn", "300", "4", "Queued"}), row(3));
    EXPECT_EQ(0, wnd->m_grid->GetChoiceValue(1));
    EXPECT_EQ(1, wnd->m_grid->GetChoiceValue(3));
    EXPECT_EQ(2u, cell(1, 7)->color());
    EXPECT_FALSE(cell(3, 5)->active()) << "MB is left to the solver with Auto";
    EXPECT_EQ(jobs, std::string(guiMainWnd::m_szLastDir));
}

TEST_F(QueueTest, NamesWithDotsAndRefusedFiles)
{
    std::string data = home.mkdir("data") + "/";
    home.write("data/model.rev.k", "*KEYWORD\n");
    open_queue();
    snprintf(guiMainWnd::m_szLastDir, sizeof guiMainWnd::m_szLastDir, "%s", data.c_str());
    add_job("model.rev.k");
    ASSERT_EQ(1, wnd->m_grid->GetRows());
    EXPECT_EQ("model.rev", text(1, 1));
    EXPECT_EQ(data, text(1, 2));
    EXPECT_EQ("k", text(1, 4));

    // A file without any dot in its path, through the "All file" filter.
    home.write("jobs/noext", "x");
    snprintf(guiMainWnd::m_szLastDir, sizeof guiMainWnd::m_szLastDir, "%s", jobs.c_str());
    g_filetype = 1;
    {
        gui::ButtonPresser close("Close");
        add_job("noext");
        EXPECT_TRUE(close.saw("The file read is not a *.k file!"));
    }
    // A listed file that cannot be opened: a link whose target goes away
    // once the dialog has listed it (a link that leads nowhere is not listed).
    g_filetype = 0;
    home.write("jobs/nowhere.k", "x");
    ASSERT_EQ(0, symlink((jobs + "nowhere.k").c_str(), (jobs + "gone.k").c_str()));
    {
        gui::ButtonPresser close("Close");
        Answer dialog("Select Dyna Files", [this](Fl_Window *win) {
            ASSERT_TRUE(gui::wait_drawn(win));
            ASSERT_EQ(0, unlink((jobs + "nowhere.k").c_str()));
            open_file("gone.k")(win);
        });
        wnd->real_add_cb();
        EXPECT_TRUE(dialog.done());
        EXPECT_TRUE(close.saw("Read file failed!"));
    }
    EXPECT_EQ(1, wnd->m_grid->GetRows());

    char name[FILE_INFO_SIZE], folder[FILE_INFO_SIZE], type[FILE_INFO_SIZE], size[FILE_INFO_SIZE];
    gui::ButtonPresser close("Close");
    EXPECT_EQ(0, wnd->GetFileInfo(0, "noslash", name, folder, type, size));
    EXPECT_TRUE(close.saw("The file read is not a *.k file!"));

    // The type's "." must lie in the file's own name, not in a folder's.
    home.mkdir("my.dir");
    std::string deck = home.write("my.dir/deck", "*KEYWORD\n");
    {
        gui::ButtonPresser refused("Close");
        EXPECT_EQ(0, wnd->GetFileInfo(1, deck.c_str(), name, folder, type, size));
        EXPECT_TRUE(refused.saw("The file read is not a *.k file!"));
    }
    // A FIFO named like a deck is refused at once instead of blocking.
    std::string fifo = home.file("jobs/pipe.k");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    {
        gui::ButtonPresser refused("Close");
        EXPECT_EQ(0, wnd->GetFileInfo(1, fifo.c_str(), name, folder, type, size));
        EXPECT_TRUE(refused.saw("Read file failed!"));
    }
}

// Presses Yes in the question box, after a run has taken row 2.
void take_row_then_yes(void *data)
{
    guiMainWnd *w = static_cast<guiMainWnd *>(data);
    Fl_Button *yes = gui::find_button("Yes");
    if (!yes) {
        Fl::repeat_timeout(0.05, take_row_then_yes, data);
        return;
    }
    w->Jobs().SetState(2, JobState::Running);
    gui::click(yes);
}

TEST_F(QueueTest, RestartJobs)
{
    std::string other = std::filesystem::canonical(home.mkdir("other")).string() + "/";
    home.write("jobs/d3dump01", std::string(2048, 'd'));
    home.write("jobs/deck.k", std::string(3072, 'k'));
    home.write("other/deck2.k", "k");
    open_queue();

    add_restart(jobs + "d3dump01");
    add_restart(jobs + "d3dump01", jobs + "deck.k");
    add_restart(jobs + "d3dump01", other + "deck2.k");
    ASSERT_EQ(3, wnd->m_grid->GetRows());
    EXPECT_EQ((std::vector<std::string>{"d3dump01", jobs, "2K", "Restart", "256", "4", "Queued"}),
              row(1));
    EXPECT_EQ((std::vector<std::string>{"R =d3dump01    I =deck", jobs, "2K / 3K", "Restart",
                                        "256", "4", "Queued"}),
              row(2));
    EXPECT_EQ((std::vector<std::string>{"R =d3dump01    I =deck2",
                                        "R =" + jobs + "    I =" + other, "2K / 0K", "Restart",
                                        "256", "4", "Queued"}),
              row(3));
    const Queue &q = wnd->Jobs();
    EXPECT_TRUE(q.At(1).kind == JobKind::RestartFromDump);
    EXPECT_EQ(jobs + "d3dump01", q.At(1).dump);
    EXPECT_TRUE(q.At(3).kind == JobKind::RestartWithDeck);
    EXPECT_EQ(other + "deck2.k", q.At(3).deck);

    // Cancel adds nothing; a path the job record cannot hold is refused.
    Answer cancel("Select restart job",
                  [](Fl_Window *win) { gui::click(gui::find_button("Cancel", win)); });
    wnd->real_addrestart_cb();
    std::string longPath = jobs + std::string(300, 'p');
    {
        gui::ButtonPresser close("Close");
        add_restart(longPath);
        EXPECT_TRUE(close.saw("too long"));
    }
    EXPECT_EQ(3, wnd->m_grid->GetRows());
}

TEST_F(QueueTest, DeleteOnlyQueuedRowsAndOnlyOnYes)
{
    home.write("jobs/a.k", "a");
    open_queue();
    add_job("a.k");
    add_job("a.k");
    wnd->Jobs().SetState(1, JobState::Finished);

    wnd->m_grid->SelectRow(1);
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_delete_cb();
        EXPECT_EQ(0, yes.presses()) << "no question for a finished row";
    }
    EXPECT_EQ(2, wnd->m_grid->GetRows());

    wnd->m_grid->SelectRow(2);
    {
        gui::ButtonPresser no("No");
        wnd->real_delete_cb();
        EXPECT_TRUE(no.saw("Click Yes to delete the job, No to cancel"));
    }
    EXPECT_EQ(2, wnd->m_grid->GetRows());

    // A run that takes the row while the question is open keeps it.
    Fl::add_timeout(0.05, take_row_then_yes, wnd.get());
    wnd->real_delete_cb();
    EXPECT_EQ(2, wnd->m_grid->GetRows());

    wnd->Jobs().SetState(2, JobState::Queued);
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_delete_cb();
    }
    EXPECT_EQ(1, wnd->m_grid->GetRows());
    EXPECT_EQ(1, wnd->Jobs().Rows());
}

TEST_F(QueueTest, MoveUpAndDown)
{
    home.write("jobs/a.k", "a");
    home.write("jobs/b.k", "b");
    home.write("jobs/c.k", "c");
    open_queue();
    add_job("a.k");
    add_job("b.k");
    add_job("c.k");
    wnd->Jobs().SetState(1, JobState::Finished);

    wnd->m_grid->SelectRow(2);
    wnd->real_up_cb();
    EXPECT_EQ("b", text(2, 1)) << "no moving above a job that left the queue";
    wnd->real_down_cb();
    EXPECT_EQ("c", text(2, 1));
    EXPECT_EQ("b", text(3, 1));
    EXPECT_EQ(3, wnd->m_grid->GetCurrentRow());
    wnd->real_down_cb();
    EXPECT_EQ("b", text(3, 1)) << "the last row stays";
    wnd->real_up_cb();
    EXPECT_EQ("b", text(2, 1));
    EXPECT_EQ(2, wnd->m_grid->GetCurrentRow());
}

TEST_F(QueueTest, ResetAsksLogsAndClears)
{
    open_queue();
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_reset_cb();
        gui::wait_for(0.3);
        EXPECT_EQ(0, yes.presses()) << "an empty table asks nothing";
    }
    home.write("jobs/a.k", "a");
    add_job("a.k");
    add_job("a.k");
    wnd->Jobs().SetState(1, JobState::Finished);
    {
        gui::ButtonPresser no("No");
        wnd->real_reset_cb();
        EXPECT_TRUE(no.saw("Click Yes to delete all jobs, No to cancel"));
    }
    EXPECT_EQ(2, wnd->m_grid->GetRows());
    EXPECT_FALSE(file_exists(home.file("wendle_history.log")));

    wnd->inDynaLocation1->deactivate();
    wnd->lblFisrt->label("2 DYNA JOBS ARE TERMINATED ABNORMALLY!");
    {
        gui::ButtonPresser yes("Yes");
        wnd->real_reset_cb();
    }
    EXPECT_EQ(0, wnd->m_grid->GetRows());
    EXPECT_EQ(0, wnd->Jobs().Rows());
    EXPECT_EQ("Finished  " + jobs + "a.k\n", read_file(home.file("wendle_history.log")));
    EXPECT_STREQ("", wnd->lblFisrt->label());
    EXPECT_TRUE(wnd->inDynaLocation1->active());
}

TEST_F(QueueTest, AutoMemorySwitch)
{
    home.write("jobs/a.k", "a");
    open_queue();
    add_job("a.k");
    add_job("a.k");
    wnd->Jobs().SetState(1, JobState::Running);
    wnd->m_autoMem->value(1);
    wnd->real_automem_cb();
    EXPECT_STREQ("300", wnd->inMem->value());
    EXPECT_FALSE(wnd->inMem->active());
    EXPECT_FALSE(wnd->Jobs().At(1).autoMemory) << "only queued rows";
    EXPECT_FALSE(cell(2, 5)->active());
    wnd->m_autoMem->value(0);
    wnd->real_automem_cb();
    EXPECT_STREQ("300", wnd->inMem->value());
    EXPECT_TRUE(wnd->inMem->active());
    EXPECT_TRUE(cell(2, 5)->active());
}

TEST_F(QueueTest, ChoosingTheSolvers)
{
    std::string bin = home.mkdir("bin") + "/";
    home.write("bin/single", "#!/bin/sh\n");
    home.write("bin/double", "#!/bin/sh\n");
    open_queue();
    wnd->inDynaLocation1->value((bin + "old-solver").c_str());
    {
        Answer dialog("LS-DYNA Location", open_file("double"));
        wnd->real_location_cb(wnd->btnSelDynaLocation2);
        EXPECT_TRUE(dialog.done());
    }
    EXPECT_EQ(bin + "double", std::string(wnd->inDynaLocation2->value()));
    EXPECT_EQ(12, wnd->inDynaLocation2->textsize());
    EXPECT_EQ(jobs, std::string(guiMainWnd::m_szLastDir)) << "the job folder is not touched";

    // Ignored during a run: one whose terminal and solver end at once, and
    // whose job is judged after its first check.
    home.write("jobs/a.k", "a");
    add_job("a.k");
    snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "/bin/true");
    wnd->inDynaLocation1->value("/bin/true");
    wnd->real_submit_cb();
    ASSERT_TRUE(wnd->TheRun().Active());
    {
        gui::ButtonPresser cancel("Cancel");
        wnd->real_location_cb(wnd->btnSelDynaLocation1);
        gui::wait_for(0.3);
        EXPECT_EQ(0, cancel.presses());
    }
}

TEST_F(QueueTest, About)
{
    open_queue();
    Answer about("About Wendle", [](Fl_Window *win) {
        EXPECT_NE(nullptr, gui::find_by_label("Corvane,Inc.", win));
        EXPECT_NE(nullptr, gui::find_by_label("Built On Nov 04, 2005", win));
        gui::click(gui::find_button("Ok", win));
    });
    wnd->real_about_cb();
    EXPECT_TRUE(about.done());
}

} // namespace
