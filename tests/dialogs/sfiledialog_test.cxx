#include "filedialog_fixture.h"

#include "support/gui.h"
#include "support/tempdir.h"

// Before the X11 headers (through fl_draw.H), whose macros clash with it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Scroll.H>
#include <FL/fl_draw.H>

#include "dialogs/sflatwidgets.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const char *kDyna = "Dyna file(*.dyn;*.k)|All file(*.*)";

// Caller-side buffers of one dialog, as the open-file front end keeps them.
struct Buffers {
    char dir[FD_PATH_SIZE];
    char name[FD_PATH_SIZE];
    explicit Buffers(const std::string &d = "", const std::string &n = "")
    {
        snprintf(dir, sizeof dir, "%s", d.c_str());
        snprintf(name, sizeof name, "%s", n.c_str());
    }
};

std::unique_ptr<TestDialog> open_dialog(Buffers &b, int mode = FD_OPEN, const char *filter = kDyna,
                                        const char *title = nullptr)
{
    g_filetype = 0;
    return std::unique_ptr<TestDialog>(
        new TestDialog(mode, filter, b.dir, b.name, title, 100, 100, 481, 255));
}

std::string cwd_folder()
{
    char buf[PATH_MAX];
    return std::string(getcwd(buf, sizeof buf)) + "/";
}

// Changes the working folder for one test and goes back afterwards.
struct ScopedCwd {
    std::string old = cwd_folder();
    explicit ScopedCwd(const std::string &dir) { EXPECT_EQ(0, chdir(dir.c_str())); }
    ~ScopedCwd() { EXPECT_EQ(0, chdir(old.c_str())); }
};

void double_click(TestDialog &d, const std::string &name)
{
    Fl_Button *b = d.entry(name);
    ASSERT_NE(nullptr, b) << name;
    gui::click(b, 1);
    d.waitDrawn();
}

TEST(FileDialogLayout, ModesTitlesAndButtons)
{
    struct Case {
        int mode;
        const char *title, *action;
        std::vector<std::string> shown;
        bool check;
    } cases[] = {
        {FD_OPEN, "Open", "Open", {"Open", "Cancel"}, false},
        {FD_SAVE, "Save", "Save", {"Save", "Cancel"}, false},
        {FD_IMPORT, "Import", "OK", {"OK", "Import", "Cancel"}, true},
        {FD_EXPORT, "Export", "Export", {"Export", "Cancel"}, false},
        {0, "File Dialog", "OK", {"OK", "Cancel"}, false},
        {-1, "File Dialog", "OK", {"OK", "Cancel"}, false},
    };
    const int sw = (int)(Fl::w() * 0.45), sh = (int)(sw * 0.588), tx = sw - 88;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.mode);
        Buffers b;
        auto d = open_dialog(b, c.mode);
        EXPECT_STREQ(c.title, d->label());
        EXPECT_EQ(sw, d->_sw);
        EXPECT_EQ(sh, d->_sh);
        EXPECT_EQ(sw, d->w());
        EXPECT_EQ(c.mode == FD_IMPORT ? sh + 6 : sh - 20, d->h());
        EXPECT_EQ(100, d->x());
        ASSERT_NE(nullptr, d->OPEN);
        EXPECT_STREQ(c.action, d->OPEN->label());
        EXPECT_EQ(tx, d->OPEN->x());
        EXPECT_EQ(sh - 78, d->OPEN->y());
        EXPECT_EQ(72, d->OPEN->w());
        EXPECT_EQ(sh - (c.mode == FD_IMPORT ? 22 : 50), d->CANCEL->y());
        EXPECT_EQ(c.mode == FD_IMPORT, d->IMPORT != nullptr);
        std::vector<std::string> shown;
        for (int i = 0; i < d->children(); i++) {
            Fl_Widget *w = d->child(i);
            if (w->visible() && dynamic_cast<Fl_Button *>(w) && w->label() && w != d->chk_filter)
                shown.push_back(w->label());
        }
        std::vector<std::string> expected = c.shown;
        std::sort(expected.begin(), expected.end());
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(expected, shown);
        EXPECT_EQ(c.check, d->chk_filter->visible() != 0);
        if (c.check) {
            EXPECT_EQ(83, d->chk_filter->x());
            EXPECT_EQ(sh - 22, d->chk_filter->y());
            EXPECT_EQ(sh - 50, d->IMPORT->y());
        }
        // Hidden description buttons stay where the description put them.
        if (c.mode == FD_OPEN) {
            EXPECT_EQ(310, d->getDialogWidget("ID_FILE_SAVE")->x());
        }
        EXPECT_EQ(sw - 16, d->scroll->w());
        EXPECT_EQ(sh - 120, d->scroll->h());
    }
    Buffers b("", "given.k");
    auto titled = open_dialog(b, FD_SAVE, kDyna, "Select Dyna Files");
    EXPECT_STREQ("Select Dyna Files", titled->label());
    EXPECT_STREQ("given.k", titled->file_box->value());
}

TEST(FileDialogLayout, ScreenOf1280Pixels)
{
    if (Fl::w() != 1280)
        GTEST_SKIP() << "screen is " << Fl::w() << " pixels wide";
    Buffers b;
    auto d = open_dialog(b);
    EXPECT_EQ(576, d->w());
    EXPECT_EQ(318, d->h());
    EXPECT_EQ(10, d->nRow);
}

TEST(FileDialogStart, StartFolderVariants)
{
    TempDir t;
    t.mkdir("sub");
    std::string file = t.write("plain.k", "x");
    ScopedCwd here(t.path());
    const std::string cwd = cwd_folder();
    struct Case {
        std::string given, dir_cur, buffer;
    } cases[] = {
        {"C:\\data", cwd, "C:/data"},
        {t.path(), t.path() + "/", t.path()},
        {t.path() + "/sub/", t.path() + "/sub/", t.path() + "/sub/"},
        {"sub", cwd + "sub/", "sub"},
        {"sub\\", cwd + "sub/", "sub/"},
        {file, cwd, file},
        {"", cwd, ""},
        {"/", "/", "/"},
        {"/" + std::string(1100, 'x'), cwd, ("/" + std::string(1100, 'x')).substr(0, 1023)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.given.substr(0, 60));
        Buffers b(c.given);
        auto d = open_dialog(b);
        EXPECT_EQ(c.dir_cur, d->dir_cur);
        EXPECT_EQ(c.buffer, b.dir);
        EXPECT_EQ(c.dir_cur, d->head_list->_dirname);
        EXPECT_EQ(nullptr, d->head_list->next);
        EXPECT_EQ(c.dir_cur, d->GetDirName());
    }
    g_filetype = 0;
    auto none = std::unique_ptr<TestDialog>(
        new TestDialog(FD_OPEN, kDyna, nullptr, nullptr, nullptr, 0, 0, 0, 0));
    EXPECT_EQ(cwd, none->dir_cur);
}

TEST(FileDialogStart, LookInEntries)
{
    TempDir t;
    t.mkdir("start");
    t.mkdir("home");
    ScopedCwd here(t.path());
    const std::string cwd = cwd_folder(), start = t.path() + "/start/", home = t.path() + "/home/";
    using V = std::vector<std::string>;
    struct Case {
        bool set;
        std::string home, dir;
        V items;
    } cases[] = {
        {false, "", start, {start, cwd}},
        {true, "", start, {start, cwd}},
        {true, home, start, {start, cwd, home}},
        {true, t.path() + "/home", start, {start, cwd, home}},
        {true, start, start, {start, cwd}},
        {true, cwd, cwd, {cwd}},
        {true, t.path(), cwd, {cwd}},
        {true, home, cwd, {cwd, home}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE((c.set ? c.home : "(unset)") + " in " + c.dir);
        ScopedEnv env("HOME", c.set ? c.home.c_str() : nullptr);
        Buffers b(c.dir);
        auto d = open_dialog(b);
        EXPECT_EQ(c.items, d->lookInItems());
        EXPECT_EQ((int)c.items.size() - 1, d->drivenum);
        EXPECT_EQ(14, d->FileItem[0].labelsize());
    }
}

TEST(FileDialogListing, FoldersFirstThenFilesByPattern)
{
    TempDir t;
    for (const char *f : {"b.k", "model.qd", "A.dyn", "upper.QD", "c.txt"})
        t.write(f, "x");
    t.mkdir("zeta");
    t.mkdir("10 runs");
    t.mkdir("2 runs");
    Buffers b(t.path());
    auto d = open_dialog(b, FD_OPEN, "Q(*.qd;*.dyn;*.k)");
    d->showAndDraw();
    EXPECT_EQ((std::vector<std::string>{".", "..", "2 runs", "10 runs", "zeta", "model.qd",
                                        "upper.QD", "A.dyn", "b.k"}),
              d->names());
    EXPECT_EQ(5, d->Dir_num);
    EXPECT_EQ(9, d->Elem_num);
    EXPECT_EQ(0, d->DRAW);
    for (int i = 0; i < d->Elem_num; i++) {
        SCOPED_TRACE(d->names()[i]);
        Fl_Button *icon = d->pbtn[i];
        EXPECT_EQ(d->scroll, icon->parent());
        EXPECT_EQ(13, icon->w());
        EXPECT_EQ(d->plabelbox[i]->x(), icon->x() + 15);
        EXPECT_EQ(16, d->plabelbox[i]->h());
        EXPECT_EQ(14, d->plabelbox[i]->labelsize());
        EXPECT_EQ(FL_DARK_BLUE, d->plabelbox[i]->selection_color());
    }
    // Folders share one icon, ".qd" files (exact case) another, the rest a third.
    EXPECT_EQ(d->pbtn[0]->image(), d->pbtn[4]->image());
    EXPECT_NE(d->pbtn[5]->image(), d->pbtn[0]->image());
    EXPECT_NE(d->pbtn[5]->image(), d->pbtn[6]->image());
    EXPECT_EQ(d->pbtn[6]->image(), d->pbtn[8]->image());
    EXPECT_NE(d->pbtn[6]->image(), d->pbtn[0]->image());
    // A folder with the two dot entries only: white backdrop, no scroll bars.
    TempDir empty;
    Buffers eb(empty.path());
    auto e = open_dialog(eb);
    e->showAndDraw();
    EXPECT_EQ((std::vector<std::string>{".", ".."}), e->names());
    EXPECT_EQ(0, e->scroll->type());
    Fl_Widget *backdrop = e->FolderContain;
    EXPECT_EQ(FL_WHITE, backdrop->color());
    EXPECT_EQ(e->_sw - 16, backdrop->w());
}

TEST(FileDialogListing, FolderRemovedAfterChoosingShowsTheWayOut)
{
    TempDir t;
    std::string gone = t.mkdir("gone");
    t.write("back.k", "x");
    Buffers b(gone);
    auto d = open_dialog(b);
    d->showAndDraw();
    ASSERT_EQ((std::vector<std::string>{".", ".."}), d->names());
    ASSERT_EQ(0, rmdir(gone.c_str()));
    d->FilterChoice->picked(&d->FilterItem[1]);  // re-lists
    d->waitDrawn();
    EXPECT_EQ((std::vector<std::string>{".", ".."}), d->names());
    EXPECT_EQ(2, d->Dir_num);
    double_click(*d, "..");
    EXPECT_EQ(t.path() + "/", d->dir_cur);
    EXPECT_EQ((std::vector<std::string>{".", "..", "back.k"}), d->names());
}

// A link that cannot be followed names nothing to open: it is not listed,
// and typing its name is refused like any name the grid does not show.
TEST(FileDialogListing, LinksThatLeadNowhereAreLeftOut)
{
    TempDir t;
    t.write("file.k", "x");
    t.mkdir("folder");
    const char *links[][2] = {{"loop", "loop"}, {"nowhere", "dangling"}, {"file.k", "to_file"},
                              {"folder", "to_folder"}};
    for (const auto &link : links)
        ASSERT_EQ(0, symlink(link[0], t.file(link[1]).c_str()));
    Buffers b(t.path());
    auto d = open_dialog(b);
    d->FilterChoice->value(1);  // All file(*.*)
    d->showAndDraw();
    EXPECT_EQ((std::vector<std::string>{".", "..", "folder", "to_folder", "file.k", "to_file"}),
              d->names());
    EXPECT_EQ(4, d->Dir_num);
    gui::ButtonPresser close("Close");
    d->file_box->value("loop");
    gui::click(d->OPEN);
    EXPECT_EQ(1, close.presses());
    EXPECT_TRUE(close.saw("Invalide File Name!"));
    EXPECT_EQ(0, d->usr_ans);
}

// Root reads every folder, so the unreadable case runs in a child that has
// given up root.
TEST(FileDialogListing, UnreadableFolderShowsTheWayOut)
{
    const char *given = getenv("WENDLE_TEST_LOCKED_DIR");
    if (geteuid() == 0 && !given) {
        TempDir t;
        ASSERT_EQ(0, chmod(t.path().c_str(), 0755));
        std::string locked = t.mkdir("locked");
        t.write("locked/inside.k", "x");
        ASSERT_EQ(0, chmod(locked.c_str(), 0));
        std::string auth;
        if (const char *xa = getenv("XAUTHORITY")) {
            auth = t.write("xauth", read_file(xa));
            ASSERT_EQ(0, chmod(auth.c_str(), 0644));
        }
        fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            setenv("WENDLE_TEST_LOCKED_DIR", locked.c_str(), 1);
            if (!auth.empty())
                setenv("XAUTHORITY", auth.c_str(), 1);
            if (chdir(t.path().c_str()) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
                _exit(3);
            execl("/proc/self/exe", "test_dialogs",
                  "--gtest_filter=FileDialogListing.UnreadableFolderShowsTheWayOut", (char *)nullptr);
            _exit(4);
        }
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(0, WEXITSTATUS(status)) << "the test as an ordinary user failed";
        return;
    }
    std::unique_ptr<TempDir> own;
    std::string locked;
    if (given) {
        locked = given;
    } else {
        own.reset(new TempDir);
        locked = own->mkdir("locked");
        own->write("locked/inside.k", "x");
        ASSERT_EQ(0, chmod(locked.c_str(), 0));
    }
    Buffers b(locked);
    auto d = open_dialog(b);
    ASSERT_EQ(locked + "/", d->dir_cur);
    d->showAndDraw();
    EXPECT_EQ((std::vector<std::string>{".", ".."}), d->names());
    double_click(*d, "..");
    EXPECT_EQ(locked.substr(0, locked.rfind('/') + 1), d->dir_cur);
    EXPECT_NE(nullptr, d->entry("locked"));
}

TEST(FileDialogNavigation, RootFolderAndPathTexts)
{
    Buffers b("/");
    auto d = open_dialog(b);
    d->showAndDraw();
    EXPECT_FALSE(d->UPDIR->active());
    EXPECT_FALSE(d->LASTDIR->active());
    gui::click(d->UPDIR);
    EXPECT_STREQ("/", d->dir_cur);
    EXPECT_EQ(nullptr, d->cur_node);

    struct Case {
        const char *path;
        bool root;
    } roots[] = {{"/", true}, {"/home/", false}, {"", false}, {"abc", false}, {"a/", true},
                 {"/a", true}, {nullptr, false}};
    for (const Case &c : roots) {
        SCOPED_TRACE(c.path ? c.path : "(null)");
        EXPECT_EQ(c.root, d->Is_root_dir(c.path));
    }
}

TEST(FileDialogNavigation, UpBackAndHistory)
{
    TempDir t;
    std::string sub = t.mkdir("sub");
    t.mkdir("sub/deeper");
    const std::string top = t.path() + "/";
    Buffers b(top);
    auto d = open_dialog(b);
    d->showAndDraw();
    EXPECT_TRUE(d->UPDIR->active());
    EXPECT_FALSE(d->LASTDIR->active());

    d->file_box->value("typed");
    double_click(*d, "sub");
    EXPECT_EQ(top + "sub/", d->dir_cur);
    EXPECT_STREQ("", d->file_box->value());
    EXPECT_TRUE(d->LASTDIR->active());
    EXPECT_EQ((std::vector<std::string>{".", "..", "deeper"}), d->names());
    EXPECT_EQ(top + "sub/", d->lookInItems()[0]);

    gui::click(d->entry("deeper"));  // one click only highlights
    EXPECT_EQ(top + "sub/", d->dir_cur);
    EXPECT_EQ(2, d->cur_check);
    EXPECT_EQ(1, d->entry("deeper")->value());
    EXPECT_EQ(FL_WHITE, d->entry("deeper")->labelcolor());
    gui::click(d->entry(".."));
    EXPECT_EQ(0, d->entry("deeper")->value());
    EXPECT_EQ(FL_BLACK, d->entry("deeper")->labelcolor());
    double_click(*d, ".");
    EXPECT_EQ(top + "sub/", d->dir_cur);

    double_click(*d, "deeper");
    gui::click(d->UPDIR);
    d->waitDrawn();
    EXPECT_EQ(top + "sub/", d->dir_cur);
    double_click(*d, "..");
    EXPECT_EQ(top, d->dir_cur);

    // History: start, sub, deeper, sub (up), top (".."): back walks it.
    std::vector<std::string> back = {top + "sub/", top + "sub/deeper/", top + "sub/", top};
    for (const std::string &expected : back) {
        SCOPED_TRACE(expected);
        ASSERT_TRUE(d->LASTDIR->active());
        gui::click(d->LASTDIR);
        d->waitDrawn();
        EXPECT_EQ(expected, d->dir_cur);
    }
    EXPECT_FALSE(d->LASTDIR->active());
    EXPECT_EQ(d->head_list, d->cur_node);
    EXPECT_EQ(nullptr, d->head_list->next);
}

TEST(FileDialogNavigation, NamesAreTakenAsTheyAre)
{
    TempDir t;
    t.mkdir("~");
    t.mkdir("$HOME");
    t.write("run@2x.k", "x");
    t.write("a&b.k", "x");
    // A home of its own, not the folder shown: what the toolkit keeps there
    // stays in the test's folder.
    ScopedEnv home("HOME", t.mkdir("home").c_str());
    Buffers b(t.path());
    auto d = open_dialog(b);
    d->showAndDraw();
    // "$" sorts before ".".
    EXPECT_EQ((std::vector<std::string>{"$HOME", ".", "..", "home", "~", "a&b.k", "run@2x.k"}),
              d->names());
    gui::click(d->entry("a&b.k"));
    EXPECT_STREQ("a&b.k", d->file_box->value());
    gui::click(d->entry("run@2x.k"));
    EXPECT_STREQ("run@2x.k", d->file_box->value());
    // Folders called "~" or "$HOME" are entered, not the home folder.
    for (const char *folder : {"~", "$HOME"}) {
        SCOPED_TRACE(folder);
        double_click(*d, folder);
        EXPECT_EQ(t.path() + "/" + folder + "/", d->dir_cur);
        gui::click(d->LASTDIR);
        d->waitDrawn();
    }
}

TEST(FileDialogNavigation, GetlastdirWorksOnText)
{
    Buffers b("/");
    auto d = open_dialog(b);
    struct Case {
        const char *from, *to;
        bool moved;
    } cases[] = {{"/a/b/", "/a/", true}, {"/a/b/../", "/a/b/", true}, {"/a/", "/", true},
                 {"a/b/", "a/", true},   {"/", "/", false},           {"a/", "a/", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.from);
        snprintf(d->dir_cur, sizeof d->dir_cur, "%s", c.from);
        EXPECT_EQ(c.moved, d->Getlastdir());
        EXPECT_STREQ(c.to, d->dir_cur);
    }
}

TEST(FileDialogGrid, EntriesPerColumnFollowTheScreenWidth)
{
    TempDir t;
    for (int i = 0; i < 25; i++)
        t.write("run_with_a_long_name_" + std::to_string(100 + i) + ".k", "x");
    Buffers b(t.path());
    auto d = open_dialog(b);
    d->showAndDraw();
    const int sw = (int)(Fl::w() * 0.45);
    const int nRow = ((int)(sw * 0.538) - 105) / 20;
    const int perColumn = nRow > 1 ? nRow - 1 : 1;
    if (Fl::w() == 1280) {
        EXPECT_EQ(9, perColumn);
    }
    ASSERT_EQ(27, d->Elem_num);
    const int pitch = d->interval + 20;
    for (int p = 0; p < d->Elem_num; p++) {
        SCOPED_TRACE(p);
        EXPECT_EQ(15 + p / perColumn * pitch, d->pbtn[p]->x());
        EXPECT_EQ(43 + p % perColumn * 20, d->pbtn[p]->y());
    }
    // The entry after a full column starts the next one at the top.
    EXPECT_EQ(15 + pitch, d->pbtn[perColumn]->x());
    EXPECT_EQ(43, d->pbtn[perColumn]->y());
    fl_font(FL_HELVETICA, 14);
    EXPECT_EQ((int)fl_width("run_with_a_long_name_100.k") + 12, d->interval);
    EXPECT_EQ(Fl_Scroll::HORIZONTAL_ALWAYS, d->scroll->type());
    EXPECT_EQ((27 / perColumn + 1) * pitch + 18, d->FolderContain->w());
}

// A highlighted entry is drawn as a dark-blue block behind white text.
TEST(FileDialogDrawing, HighlightedEntryIsADarkBlueBlock)
{
    TempDir t;
    t.write("deck.k", "x");
    Buffers b(t.path());
    auto d = open_dialog(b);
    d->showAndDraw();
    Fl_Button *e = d->entry("deck.k");
    ASSERT_NE(nullptr, e);
    TestDialog *dlg = d.get();
    // Pixels of the entry's rectangle in each colour.
    auto count = [e](const Snapshot &s, unsigned colour) {
        int n = 0;
        for (int y = e->y(); y < e->y() + e->h(); y++)
            for (int x = e->x(); x < e->x() + e->w(); x++)
                n += s.pixel(x, y) == colour;
        return n;
    };
    const unsigned blue = rgb_of(FL_DARK_BLUE), white = rgb_of(FL_WHITE);
    const int area = e->w() * e->h();
    Snapshot plain(dlg, [dlg]() { dlg->paint(); });
    EXPECT_EQ(0, count(plain, blue));
    EXPECT_GT(count(plain, white), area / 2);

    gui::click(e);
    Snapshot lit(dlg, [dlg]() { dlg->paint(); });
    EXPECT_GT(count(lit, blue), area / 2);
    EXPECT_GT(count(lit, white), 0) << "the name is white on the block";
    EXPECT_EQ(blue, lit.pixel(e->x(), e->y()));
    EXPECT_EQ(blue, lit.pixel(e->x() + e->w() - 1, e->y() + e->h() - 1));
}

// Width of the ink of `text` drawn as it is, without markup, in a window
// of `win`'s size.
int plain_ink_width(Fl_Window *win, const std::string &text, Fl_Font font, int size)
{
    Snapshot s(win, [&]() {
        fl_color(FL_WHITE);
        fl_rectf(0, 0, win->w(), win->h());
        fl_color(FL_BLACK);
        fl_font(font, size);
        fl_draw(text.c_str(), 0, 0, win->w(), win->h(), FL_ALIGN_TOP_LEFT, nullptr, 0);
    });
    std::pair<int, int> span = s.ink(0, 0, s.w, s.h);
    return span.second - span.first + 1;
}

// A folder path is shown as it is, "&" and "@" included: in the Look In
// field, in its list, in the new-folder dialog's caption, and in the alert
// of a folder that cannot be made there.
TEST(FileDialogDrawing, FolderPathsAreNoMarkup)
{
    TempDir t;
    const std::string dir = t.mkdir("R&D/run@2") + "/";
    Buffers b(dir);
    auto d = open_dialog(b);
    d->showAndDraw();
    TestDialog *dlg = d.get();
    const int whole = plain_ink_width(dlg, dir, FL_HELVETICA, 14);
    ASSERT_LT(whole, d->FileChoice->w() - 40) << "the path must fit the field";

    Fl_Widget *field = d->FileChoice;
    Snapshot shown(dlg, [dlg]() { dlg->paint(); });
    // Inside the field's frame, left of its arrow.
    std::pair<int, int> span = shown.ink(field->x() + 3, field->y() + 3,
                                         field->x() + field->w() - 25, field->y() + field->h() - 3);
    EXPECT_NEAR(whole, span.second - span.first + 1, 1) << "the Look In field";

    Snapshot listed(dlg, [dlg]() {
        fl_color(FL_WHITE);
        fl_rectf(0, 0, dlg->w(), dlg->h());
        dlg->FileItem[0].draw(0, 0, dlg->w(), 20, dlg->FileChoice, 0);
    });
    span = listed.ink(0, 0, listed.w, listed.h);
    EXPECT_NEAR(whole, span.second - span.first + 1, 1) << "the Look In list";

    std::string caption, told;
    Script script;
    script.until([]() { return gui::find_window("Create a new directory") != nullptr; })
        .then([&]() {
            Fl_Window *small = gui::find_window("Create a new directory");
            Fl_Widget *box = gui::find_by_label(("Create new directory in:\n " + dir).c_str(), small);
            ASSERT_NE(nullptr, box);
            fl_font(box->labelfont(), box->labelsize());
            const int line = fl_height();
            Snapshot drawn(small, [&]() {
                fl_color(FL_WHITE);
                fl_rectf(0, 0, small->w(), small->h());
                box->draw_label(0, 0, small->w(), small->h(), FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
            });
            std::pair<int, int> second = drawn.ink(0, line, drawn.w, 2 * line);
            EXPECT_NEAR(plain_ink_width(small, dir, box->labelfont(), box->labelsize()),
                        second.second - second.first + 1, 1)
                << "the caption";
            for (Fl_Input *in : gui::find_inputs(small))
                in->value("no/such");
            gui::click(gui::find_button("OK", small));
        })
        .closesAlert(told);
    script.start();
    gui::click(d->NEWDIR);
    EXPECT_TRUE(script.finished());
    EXPECT_TRUE(label_shows(told, "Create Directory Failed!\n" + dir + "no/such\n" + strerror(ENOENT)))
        << told;
}

TEST(FileDialogGrid, TwoThousandFiles)
{
    TempDir t;
    for (int i = 0; i < 2000; i++)
        t.write("case" + std::to_string(i) + ".k", "");
    Buffers b(t.path());
    auto d = open_dialog(b);
    d->showAndDraw();
    ASSERT_EQ(2002, d->Elem_num);
    EXPECT_EQ("case0.k", d->names()[2]);
    EXPECT_EQ("case1999.k", d->names().back());
    d->FilterChoice->picked(&d->FilterItem[1]);
    d->waitDrawn();
    EXPECT_EQ(2002, d->Elem_num);
}

TEST(FileDialogModal, WindowManagerCloseAndEscapeCancel)
{
    TempDir t;
    for (int how = 0; how < 2; how++) {
        SCOPED_TRACE(how ? "Escape" : "window manager");
        Buffers b(t.path(), "old");
        auto d = open_dialog(b);
        TestDialog *dlg = d.get();
        Script s;
        s.until([dlg]() { return dlg->shown() && dlg->visible(); }).then([dlg, how]() {
            if (how)
                gui::send_key(dlg, FL_Escape);
            else
                wm_close(dlg);
        });
        s.start();
        EXPECT_EQ(-1, d->ShowFileDialog());
        EXPECT_FALSE(s.timedOut());
        EXPECT_FALSE(d->shown());
        EXPECT_EQ(t.path() + "/", b.dir);
        EXPECT_STREQ("", b.name);
    }
}

TEST(FileDialogModal, ResultsAreCutToTheCallersBuffers)
{
    TempDir t;
    char dir[12];
    snprintf(dir, sizeof dir, "%s", "/tmp");
    char name[4] = "abc";
    g_filetype = 0;
    TestDialog d(FD_OPEN, kDyna, dir, name, nullptr, 0, 0, 0, 0, sizeof dir, sizeof name);
    Script s;
    s.until([&d]() { return d.visible() != 0; }).then([&d]() { gui::click(d.CANCEL); });
    s.start();
    EXPECT_EQ(-1, d.ShowFileDialog());
    EXPECT_STREQ("/tmp/", dir);
    snprintf(d.dir_cur, sizeof d.dir_cur, "%s", "/tmp/a-long-folder/");
    Script s2;
    s2.until([&d]() { return d.visible() != 0; }).then([&d]() { gui::click(d.CANCEL); });
    s2.start();
    EXPECT_EQ(-1, d.ShowFileDialog());
    EXPECT_STREQ("/tmp/a-long", dir);
    EXPECT_STREQ("", name);
}

} // namespace
