// Files handed to the main window from outside its dialogs: their rows, the
// refused ones' status line, a drop on the job table, ten thousand at once.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>

#include <ctime>

#include "grid/fltk_grid.h"
#include "mainwnd_fixture.h"

namespace {

// This thread's processor time: other programs on a shared machine take
// turns on the processor too, and are no work of the window's.
double thread_seconds()
{
    struct timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

class OpenFilesTest : public MainWndTest {
protected:
    // Runs the loop until the files are in; its longest pass.
    double wait_opened()
    {
        double longest = 0;
        for (int i = 0; i < 20000 && wnd->IsOpening(); i++) {
            double start = thread_seconds();
            Fl::wait(0.005);
            longest = std::max(longest, thread_seconds() - start);
        }
        EXPECT_FALSE(wnd->IsOpening());
        return longest;
    }
    std::vector<std::string> row(int r)
    {
        std::vector<std::string> v;
        for (int c = 1; c <= 7; c++)
            v.push_back(wnd->m_grid->GetMatrixText(r, c));
        return v;
    }
    std::string status() { return wnd->lblFisrt->label(); }
};

TEST_F(OpenFilesTest, RowsAsTheDialogsMakeThemAndWhatWasRefused)
{
    std::string d = home.mkdir("jobs") + "/";
    std::vector<std::string> paths = {home.write("jobs/model.rev.k", std::string(2048, '$')),
                                      home.write("jobs/d3dump01", std::string(3000, 'x')),
                                      home.write("jobs/notes.txt", "hello\n"),
                                      home.write("jobs/deck@2.INP", "*KEYWORD\n"), d + "gone.k"};
    open_window();
    wnd->inMem->value("256");
    wnd->inPause->value("4");
    wnd->btnDoublePrecision->setonly();
    wnd->m_autoMem->value(1);
    wnd->OpenFiles(paths, false);
    wait_opened();

    ASSERT_EQ(3, wnd->m_grid->GetRows());
    // The texts GetFileInfo gives a file chosen in the dialogs.
    char name[FILE_INFO_SIZE], folder[FILE_INFO_SIZE], type[FILE_INFO_SIZE], size[FILE_INFO_SIZE];
    for (int r : {1, 3}) {
        const char *path = paths[r == 1 ? 0 : 3].c_str();
        ASSERT_EQ(1, wnd->GetFileInfo(1, path, name, folder, type, size));
        EXPECT_EQ((std::vector<std::string>{name, folder, size, type, "256", "4", "Queued"}),
                  row(r));
        EXPECT_EQ(1, wnd->m_grid->GetChoiceValue(r));
    }
    ASSERT_EQ(1, wnd->GetFileInfo(0, paths[1].c_str(), name, folder, type, size));
    EXPECT_EQ((std::vector<std::string>{name, folder, size, "Restart", "256", "4", "Queued"}),
              row(2));
    EXPECT_TRUE(wnd->Jobs().At(2).kind == JobKind::RestartFromDump);
    EXPECT_EQ(paths[1], wnd->Jobs().At(2).dump);
    EXPECT_EQ("2 files not added; the first, notes.txt: neither a deck nor a restart dump",
              status());

    // A drop on the job table: what the toolkit hands over after the drop.
    std::string uris = "file://" + d + "model.rev.k\r\nfile:///x/a%20b.k\r\njust text\r\n";
    Fl::e_text = &uris[0];
    Fl::e_length = (int)uris.size();
    EXPECT_EQ(1, wnd->m_grid->handle(FL_DND_ENTER));
    EXPECT_EQ(1, wnd->m_grid->handle(FL_PASTE));
    EXPECT_EQ("Not added: just text: not a file", status());
    wait_opened();
    EXPECT_EQ(4, wnd->m_grid->GetRows());
    EXPECT_EQ("Not added: a b.k: no such file", status());
}

TEST_F(OpenFilesTest, TenThousandFilesKeepTheWindowAnswering)
{
    home.mkdir("many");
    std::vector<std::string> paths;
    for (int i = 0; i < 10000; i++)
        paths.push_back(home.write("many/job" + std::to_string(i) + ".k", ""));
    open_window();
    wnd->OpenFiles(paths, false);
    double longest = wait_opened();
    EXPECT_EQ(10000, wnd->m_grid->GetRows());
    EXPECT_EQ("job9999", std::string(wnd->m_grid->GetMatrixText(10000, 1)));
    EXPECT_LT(longest, 0.05);
}

} // namespace
