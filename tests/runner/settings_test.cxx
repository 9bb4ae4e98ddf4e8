#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>

#include <sys/stat.h>
#include <unistd.h>

#include "mainwnd_fixture.h"
#include "support/read_fault.h"
#include "support/readonly.h"

namespace {

struct Applied {
    std::string single, dbl, mem, pause, lastdir, xterm;
    bool operator==(const Applied &o) const
    {
        return single == o.single && dbl == o.dbl && mem == o.mem && pause == o.pause &&
               lastdir == o.lastdir && xterm == o.xterm;
    }
};
std::ostream &operator<<(std::ostream &os, const Applied &a)
{
    return os << "{" << a.single << "|" << a.dbl << "|" << a.mem << "|" << a.pause << "|"
              << a.lastdir << "|" << a.xterm << "}";
}

class SettingsTest : public MainWndTest {
protected:
    Applied applied()
    {
        return {wnd->inDynaLocation1->value(), wnd->inDynaLocation2->value(),
                wnd->inMem->value(),           wnd->inPause->value(),
                guiMainWnd::m_szLastDir,       wnd->m_szXterm};
    }
    std::string ini() { return home.file("wendle.ini"); }
};

const char *const kFull = "dynasolver_single=/opt/s\n"
                          "dynasolver_double=/opt/d\n"
                          "memory=512\n"
                          "pausetime=3\n"
                          "lastdir=/data/jobs/\n"
                          "xterm=urxvt\n";

TEST_F(SettingsTest, StartUpReadsTheUserFile)
{
    struct Case {
        const char *name;
        const char *content;  // null: no file
        Applied expect;
    } cases[] = {
        {"no file", nullptr, {"", "", "", "", "", "xterm"}},
        {"full", kFull, {"/opt/s", "/opt/d", "512", "3", "/data/jobs/", "urxvt"}},
        {"empty file", "", {"", "", "128", "10", "", "xterm"}},
        {"three lines", "dynasolver_single=a\ndynasolver_double=b\nmemory=64\n",
         {"a", "b", "64", "10", "", "xterm"}},
        {"out of order",
         "dynasolver_single=a\nmemory=64\ndynasolver_double=b\npausetime=3\nlastdir=/x/\nxterm=t\n",
         {"", "", "", "", "", "xterm"}},
        {"empty memory, zero pause",
         "dynasolver_single=\ndynasolver_double=\nmemory=\npausetime=0\n",
         {"", "", "128", "0", "", "xterm"}},
        {"equals in a value",
         "dynasolver_single=\ndynasolver_double=\nmemory=1\npausetime=2\nlastdir=/a=b/c=/\n",
         {"", "", "1", "2", "/a=b/c=/", "xterm"}},
        {"bare xterm line",
         "dynasolver_single=\ndynasolver_double=\nmemory=1\npausetime=2\nlastdir=\nxterm\n",
         {"", "", "1", "2", "", "xterm"}},
        {"no final newline",
         "dynasolver_single=s\ndynasolver_double=d\nmemory=1\npausetime=2\nlastdir=/l/\nxterm=konsole",
         {"s", "d", "1", "2", "/l/", "xterm"}},
        {"CR LF ends",
         "dynasolver_single=s\r\ndynasolver_double=d\r\nmemory=7\r\npausetime=\r\n",
         {"s", "d", "7", "10", "", "xterm"}},
        {"key with a blank", "dynasolver_single =s\n", {"", "", "", "", "", "xterm"}},
        {"key in other case", "Dynasolver_single=s\n", {"", "", "", "", "", "xterm"}},
        {"lines past the sixth are ignored",
         "dynasolver_single=s\ndynasolver_double=d\nmemory=1\npausetime=2\nlastdir=/l/\nxterm=x\n"
         "extra=1\n",
         {"s", "d", "1", "2", "/l/", "x"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.content)
            std::remove(ini().c_str());
        open_window(c.content);
        EXPECT_EQ(c.expect, applied());
        wnd.reset();
        guiMainWnd::m_szLastDir[0] = '\0';
    }
}

TEST_F(SettingsTest, WhatIsSavedReadsBackWhole)
{
    open_window();
    // Long paths, and a value pasted with its line ends.
    std::string solver = "/" + std::string(241, 's');
    std::string deep = "/" + std::string(1500, 'p');
    wnd->inDynaLocation1->value(solver.c_str());
    wnd->inDynaLocation2->value(deep.c_str());
    wnd->inMem->value("51\n2\r");
    snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "%s", std::string(255, 'x').c_str());
    ASSERT_EQ(1, wnd->write_config(ini().c_str()));
    wnd.reset();
    open_window();
    EXPECT_EQ((Applied{solver, deep, "512", "10", "", std::string(255, 'x')}), applied());

    // The inputs refuse what could not be saved and read back, as typing
    // or pasting puts it in.
    wnd->inDynaLocation1->value("");
    wnd->inDynaLocation1->insert(std::string(SETTING_VALUE_MAX + 10, 'v').c_str());
    EXPECT_EQ(SETTING_VALUE_MAX, (int)strlen(wnd->inDynaLocation1->value()));
}

TEST_F(SettingsTest, RejectedFileIsKeptBesideItself)
{
    const char *hand = "memory=64\ndynasolver_single=/opt/s\n";
    open_window(hand);
    EXPECT_EQ((Applied{"", "", "", "", "", "xterm"}), applied());
    EXPECT_STREQ("Settings file not read: its content is kept in wendle.ini.rejected",
                 wnd->lblFisrt->label());
    EXPECT_EQ(hand, read_file(ini() + ".rejected"));
    wnd->inMem->value("256");
    ASSERT_EQ(1, wnd->write_config(ini().c_str()));
    EXPECT_EQ(hand, read_file(ini() + ".rejected"));

    // A file that cannot even be read is not replaced at exit.
    wnd.reset();
    std::remove(ini().c_str());
    ASSERT_EQ(0, symlink(home.file("unmounted/wendle.ini").c_str(), ini().c_str()));
    open_window();
    EXPECT_STREQ("Settings file cannot be read: it is left as it is", wnd->lblFisrt->label());
    wnd->real_exit_cb();
    wnd.release();
    Fl::do_widget_deletion();
    EXPECT_FALSE(file_exists(home.file("unmounted")));
    EXPECT_TRUE(std::filesystem::is_symlink(ini()));
}

TEST_F(SettingsTest, AFileWhoseReadFailsIsNeitherAppliedNorReplaced)
{
    if (!in_read_fault_child()) {
        EXPECT_EQ("", rerun_with_read_fault());
        return;
    }
    // At the first byte, in the second line, at the last newline.
    for (size_t fault : {(size_t)0, (size_t)30, strlen(kFull) - 1}) {
        SCOPED_TRACE("fault at byte " + std::to_string(fault));
        home.write("wendle.ini", kFull);
        set_read_fault(ini(), (long long)fault);
        open_window();
        EXPECT_EQ((Applied{"", "", "", "", "", "xterm"}), applied());
        EXPECT_STREQ("Settings file cannot be read: it is left as it is", wnd->lblFisrt->label());
        wnd->real_exit_cb();
        wnd.release();
        Fl::do_widget_deletion();
        set_read_fault(ini(), -1);
        EXPECT_EQ(kFull, read_file(ini()));
        EXPECT_FALSE(file_exists(ini() + ".rejected"));
    }
}

TEST_F(SettingsTest, ALinkToAFileNotMadeYetIsWrittenThrough)
{
    std::string target = home.mkdir("dotfiles") + "/wendle.ini";
    ASSERT_EQ(0, symlink(target.c_str(), ini().c_str()));
    open_window();
    EXPECT_EQ((Applied{"", "", "", "", "", "xterm"}), applied());
    EXPECT_EQ(nullptr, wnd->lblFisrt->label()) << "no message";
    wnd->inMem->value("64");
    wnd->real_exit_cb();
    wnd.release();
    Fl::do_widget_deletion();
    EXPECT_TRUE(std::filesystem::is_symlink(ini()));
    EXPECT_NE(std::string::npos, read_file(target).find("memory=64\n"));
}

TEST_F(SettingsTest, SavingKeepsLinksModesAndWorksInAReadOnlyFolder)
{
    open_window(kFull);
    std::string real = home.mkdir("dotfiles") + "/wendle.ini";
    home.write("dotfiles/wendle.ini", kFull);
    std::remove(ini().c_str());
    ASSERT_EQ(0, symlink(real.c_str(), ini().c_str()));
    ASSERT_EQ(0, chmod(real.c_str(), 0600));
    wnd->inMem->value("777");
    ASSERT_EQ(1, wnd->write_config(ini().c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(ini()));
    EXPECT_NE(std::string::npos, read_file(real).find("memory=777\n"));
    struct stat st;
    ASSERT_EQ(0, stat(real.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);

    // A folder where no file can be made: the file is rewritten in place.
    std::string locked = home.mkdir("locked");
    std::string file = home.write("locked/wendle.ini", std::string(400, '#') + "\n");
    if (!make_unwritable(locked))
        GTEST_SKIP() << "cannot make a folder unwritable here";
    wnd->inMem->value("42");
    int written = wnd->write_config(file.c_str());
    make_writable(locked);
    ASSERT_EQ(1, written);
    EXPECT_EQ(std::string("dynasolver_single=/opt/s\ndynasolver_double=/opt/d\nmemory=42\n") +
                  "pausetime=3\nlastdir=/data/jobs/\nxterm=urxvt\n",
              read_file(file));
}

TEST_F(SettingsTest, RoundTrip)
{
    open_window(kFull);
    wnd->inDynaLocation1->value("/usr/local/bin/solver s");
    wnd->inMem->value("");
    wnd->inPause->value("");
    snprintf(guiMainWnd::m_szLastDir, sizeof guiMainWnd::m_szLastDir, "/w=1/");
    ASSERT_EQ(1, wnd->write_config(ini().c_str()));
    EXPECT_EQ("dynasolver_single=/usr/local/bin/solver s\n"
              "dynasolver_double=/opt/d\n"
              "memory=\n"
              "pausetime=\n"
              "lastdir=/w=1/\n"
              "xterm=urxvt\n",
              read_file(ini()));
    wnd.reset();
    open_window();
    EXPECT_EQ((Applied{"/usr/local/bin/solver s", "/opt/d", "128", "10", "/w=1/", "urxvt"}),
              applied());
}

TEST_F(SettingsTest, FailedWriteKeepsThePreviousFile)
{
    open_window(kFull);
    wnd->inMem->value("999");

    // A file-size limit makes the writes really fail part-way, as a full
    // disk would.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit tiny = old;
    tiny.rlim_cur = 20;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tiny));
    int r = wnd->write_config(ini().c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(0, r);
    EXPECT_EQ(kFull, read_file(ini()));
    // Other libraries may keep files in HOME (the font cache does): only
    // the program's own count.
    for (auto &entry : std::filesystem::directory_iterator(home.path()))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("wendle.ini."))
            << "no temporary file is left behind: " << entry.path();

    EXPECT_EQ(0, wnd->write_config(home.file("missing/wendle.ini").c_str()));
    EXPECT_EQ(1, wnd->write_config(ini().c_str()));
    EXPECT_NE(std::string::npos, read_file(ini()).find("memory=999\n"));
}

TEST_F(SettingsTest, LongHomeFolderIsUsedWhole)
{
    // A home folder longer than the old 256-character buffers.
    std::string deep = home.path();
    while (deep.size() < 300)
        deep += "/" + std::string(50, 'd');
    std::filesystem::create_directories(deep);
    ScopedEnv longHome("HOME", deep.c_str());
    home.write(deep.substr(home.path().size() + 1) + "/wendle.ini", kFull);
    open_window();
    EXPECT_EQ(deep + "/", std::string(wnd->m_szUsrProfile));
    EXPECT_EQ("urxvt", std::string(wnd->m_szXterm));
    wnd->real_exit_cb();
    wnd.release();
    Fl::do_widget_deletion();
    EXPECT_TRUE(file_exists(deep + "/wendle_history.log"));

    // No user folder at all: the terminal is still the default one.
    ScopedEnv tooLong("HOME", ("/" + std::string(USER_DIR_SIZE, 'h')).c_str());
    open_window();
    EXPECT_STREQ("", wnd->m_szUsrProfile);
    EXPECT_STREQ("xterm", wnd->m_szXterm);
}

} // namespace
