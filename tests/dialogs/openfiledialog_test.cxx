#include "dialogs/openfiledialog.h"

#include "filedialog_fixture.h"
#include "support/gui.h"
#include "support/tempdir.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>

#include <gtest/gtest.h>
#include <string>

namespace {

const char *kTitle = "Select Dyna Files";
const char *kDyna = "Dyna file(*.dyn;*.k)|All file(*.*)";

// The front end's dialog once its grid shows `entry`.
Fl_Window *dialog_showing(const char *entry)
{
    Fl_Window *win = gui::find_window(kTitle);
    return win && gui::find_by_label(entry, win) ? win : nullptr;
}

Fl_Widget *entry(const char *name)
{
    return gui::find_by_label(name, gui::find_window(kTitle));
}

struct Buffers {
    char dir[OPENFILE_PATH_SIZE] = "untouched";
    char pre_dir[OPENFILE_PATH_SIZE];
    explicit Buffers(const std::string &start) { snprintf(pre_dir, sizeof pre_dir, "%s", start.c_str()); }
};

TEST(OpenFileDialog, ChoosingAFileGivesItsPathAndFolder)
{
    TempDir t;
    t.write("case1.k", "x");
    t.write("other.dyn", "x");
    Buffers b(t.path());
    Script s;
    s.until([]() { return dialog_showing("case1.k") != nullptr; }).then([]() {
        Fl_Window *win = gui::find_window(kTitle);
        EXPECT_EQ(252, win->x());
        EXPECT_EQ(258, win->y());
        gui::click(entry("case1.k"), 1);
    });
    s.start();
    EXPECT_EQ(1, openfiledialog(kTitle, b.dir, b.pre_dir, kDyna, -1));
    EXPECT_TRUE(s.finished());
    EXPECT_EQ(t.path() + "/case1.k", b.dir);
    EXPECT_EQ(t.path() + "/", b.pre_dir);
    EXPECT_EQ(nullptr, gui::find_window(kTitle));
}

// Real files whose names the rules for typed names refuse: picked in the
// grid they are chosen exactly as listed.
TEST(OpenFileDialog, ListedNamesAreChosenAsTheyAre)
{
    TempDir t;
    const char *names[] = {" lead.k", "trail.k ", "q?.k", "back\\slash.k"};
    for (const char *name : names)
        t.write(name, "x");
    for (const char *name : names) {
        for (int clicks = 0; clicks < 2; clicks++) {
            SCOPED_TRACE(std::string("\"") + name + (clicks ? "\" double click" : "\" click, Open"));
            Buffers b(t.path());
            Script s;
            s.until([name]() { return dialog_showing(name) != nullptr; }).then([name, clicks]() {
                gui::click(entry(name), clicks);
                if (!clicks)
                    gui::click(gui::find_button("Open", gui::find_window(kTitle)));
            });
            s.start();
            EXPECT_EQ(1, openfiledialog(kTitle, b.dir, b.pre_dir, "All file(*.*)", -1));
            EXPECT_TRUE(s.finished());
            EXPECT_EQ(t.path() + "/" + name, b.dir);
        }
    }
}

TEST(OpenFileDialog, CancelKeepsTheResultButFollowsTheFolder)
{
    TempDir t;
    t.mkdir("sub");
    Buffers b(t.path() + "/");
    Script s;
    s.until([]() { return dialog_showing("sub") != nullptr; })
        .then([]() { gui::click(entry("sub"), 1); })
        .until([]() { return dialog_showing("..") && !entry("sub"); })
        .then([]() { gui::click(gui::find_button("Cancel", gui::find_window(kTitle))); });
    s.start();
    EXPECT_EQ(0, openfiledialog(kTitle, b.dir, b.pre_dir, kDyna, -1));
    EXPECT_TRUE(s.finished());
    EXPECT_STREQ("untouched", b.dir);
    EXPECT_EQ(t.path() + "/sub/", b.pre_dir);
}

TEST(OpenFileDialog, PathsTooLongForTheCallerAreRefused)
{
    TempDir t;
    std::string deep = t.mkdir(std::string(100, 'a') + "/" + std::string(100, 'b'));
    std::string file = std::string(60, 'c') + ".k";
    t.write(std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + file, "x");
    t.mkdir(std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(60, 'd'));
    ASSERT_LT(deep.size() + 1, (size_t)OPENFILE_PATH_SIZE);
    ASSERT_GT(deep.size() + 1 + file.size(), (size_t)OPENFILE_PATH_SIZE - 1);

    Buffers b(deep);
    std::string told;
    Script s;
    s.until([&file]() { return dialog_showing(file.c_str()) != nullptr; })
        .then([&file]() { gui::click(entry(file.c_str()), 1); })
        .until([&told]() {
            if (!shown_alert())
                return false;
            told = alert_text();
            return close_alert();
        });
    s.start();
    EXPECT_EQ(0, openfiledialog(kTitle, b.dir, b.pre_dir, kDyna, -1));
    EXPECT_TRUE(s.finished());
    EXPECT_EQ(0u, told.find("The path of the chosen file is longer than 255 characters:"));
    EXPECT_STREQ("untouched", b.dir);
    EXPECT_EQ(deep + "/", b.pre_dir);

    // A cancelled dialog in a folder too long for the caller leaves it as it was.
    std::string longer = std::string(60, 'd');
    Script c;
    c.until([&longer]() { return dialog_showing(longer.c_str()) != nullptr; })
        .then([&longer]() { gui::click(entry(longer.c_str()), 1); })
        .until([&file]() { return dialog_showing("..") && !entry(file.c_str()); })
        .then([]() { gui::send_key(gui::find_window(kTitle), FL_Escape); });
    c.start();
    EXPECT_EQ(0, openfiledialog(kTitle, b.dir, b.pre_dir, kDyna, -1));
    EXPECT_TRUE(c.finished());
    EXPECT_STREQ("untouched", b.dir);
    EXPECT_EQ(deep + "/", b.pre_dir);
}

// The folder a refused path was chosen in fits the caller and becomes its
// last folder; the refusal shows the path as it is, "@" included.
TEST(OpenFileDialog, ARefusedPathStillMovesTheLastFolder)
{
    TempDir t;
    const std::string top = std::string(100, 'a'), inner = "R&D@" + std::string(100, 'b');
    const std::string deep = t.mkdir(top + "/" + inner) + "/";
    const std::string file = std::string(60, 'c') + ".k";
    t.write(top + "/" + inner + "/" + file, "x");
    ASSERT_LT(deep.size(), (size_t)OPENFILE_PATH_SIZE);
    ASSERT_GE(deep.size() + file.size(), (size_t)OPENFILE_PATH_SIZE);

    Buffers b(t.path() + "/" + top);
    std::string told;
    Script s;
    s.until([&inner]() { return dialog_showing(inner.c_str()) != nullptr; })
        .then([&inner]() { gui::click(entry(inner.c_str()), 1); })
        .until([&file]() { return dialog_showing(file.c_str()) != nullptr; })
        .then([&file]() { gui::click(entry(file.c_str()), 1); })
        .closesAlert(told);
    s.start();
    EXPECT_EQ(0, openfiledialog(kTitle, b.dir, b.pre_dir, kDyna, -1));
    EXPECT_TRUE(s.finished());
    EXPECT_STREQ("untouched", b.dir);
    EXPECT_EQ(deep, b.pre_dir);
    EXPECT_TRUE(label_shows(told, "The path of the chosen file is longer than 255 characters:\n" +
                                      deep + file))
        << told;
}

} // namespace
