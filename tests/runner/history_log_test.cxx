#include <csignal>
#include <string>
#include <sys/resource.h>

#include "grid/fltk_grid.h"
#include "mainwnd_fixture.h"

namespace {

class HistoryLogTest : public MainWndTest {
protected:
    void add_row(const char *status, const char *folder, const char *name, const char *type)
    {
        Fl_Fltkgrid *g = wnd->m_grid;
        int r = g->AppendRow();
        ASSERT_GT(r, 0);
        g->SetChoiceValue(r, 0);
        g->SetMatrixText(r, 1, name);
        g->SetMatrixText(r, 2, folder);
        g->SetMatrixText(r, 4, type);
        g->SetMatrixText(r, 7, status);
    }
    std::string log() { return home.file("wendle_history.log"); }
};

TEST_F(HistoryLogTest, LogsEveryRowThatLeftTheQueue)
{
    open_window();
    add_row("Finished", "/home/u/jobs/", "case1", "k");
    add_row("Queued", "/q/", "queued", "k");
    add_row("Aborted", "/a b/", "model.rev", "dyn");
    add_row("Running", "/r/", "R =d3dump01    I =deck", "Restart");
    add_row("Waiting", "/w/", "next", "k");
    add_row("Queued ", "/q2/", "almost", "k");  // only an exact "Queued" is skipped

    wnd->write_log(log().c_str());
    const std::string block = "Finished  /home/u/jobs/case1.k\n"
                              "Aborted  /a b/model.rev.dyn\n"
                              "Running  /r/R =d3dump01    I =deck.Restart\n"
                              "Waiting  /w/next.k\n"
                              "Queued   /q2/almost.k\n";
    EXPECT_EQ(block, read_file(log()));
    wnd->write_log(log().c_str());
    EXPECT_EQ(block + block, read_file(log())) << "appended, never truncated";
}

TEST_F(HistoryLogTest, QueuedOnlyCreatesAnEmptyFile)
{
    open_window();
    add_row("Queued", "/q/", "a", "k");
    wnd->write_log(log().c_str());
    EXPECT_TRUE(file_exists(log()));
    EXPECT_EQ("", read_file(log()));
}

TEST_F(HistoryLogTest, LongTextsAreWrittenWhole)
{
    open_window();
    std::string folder = "/" + std::string(240, 'f') + "/";
    add_row("Finished", folder.c_str(), std::string(200, 'n').c_str(), "k");
    wnd->write_log(log().c_str());
    EXPECT_EQ("Finished  " + folder + std::string(200, 'n') + ".k\n", read_file(log()));
}

TEST_F(HistoryLogTest, AFullDiskLeavesTheLogAsItWas)
{
    open_window();
    const std::string before = "Finished  /old/one.k\n";
    home.write("wendle_history.log", before);
    add_row("Finished", "/f/", "a", "k");
    add_row("Aborted", "/f/", "b", "k");

    // A file-size limit makes the block's write really stop part-way.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit tiny = old;
    tiny.rlim_cur = before.size() + 10;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tiny));
    wnd->write_log(log().c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(before, read_file(log()));

    wnd->write_log(log().c_str());
    EXPECT_EQ(before + "Finished  /f/a.k\nAborted  /f/b.k\n", read_file(log()));
}

} // namespace
