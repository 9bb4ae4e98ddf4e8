// Sense-switch files and restart dumps in real folders.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>

#include "solver/sense_switch.h"
#include "support/readonly.h"
#include "support/tempdir.h"

namespace {

std::set<std::string> listing(const std::string &folder)
{
    std::set<std::string> names;
    if (DIR *d = opendir(folder.c_str())) {
        while (struct dirent *e = readdir(d))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
                names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

TEST(SenseSwitchTest, WritesAndRemovesD3kil)
{
    TempDir dir;
    std::string folder = dir.path() + "/";
    for (int n = 1; n <= 4; n++) {
        std::string why;
        EXPECT_EQ(1, WriteSenseSwitch(folder.c_str(), n, &why)) << why;
        EXPECT_EQ("sw" + std::to_string(n) + ".\n", read_file(dir.file("D3KIL")));
        EXPECT_EQ(std::set<std::string>{"D3KIL"}, listing(dir.path())) << "a file left beside it";
    }
    // Without the trailing "/" too.
    EXPECT_EQ(1, WriteSenseSwitch(dir.path().c_str(), 1, nullptr));
    EXPECT_EQ(1, RemoveSenseSwitch(folder.c_str()));
    EXPECT_EQ(-1, RemoveSenseSwitch(folder.c_str()));
    EXPECT_EQ(std::set<std::string>{}, listing(dir.path()));

    struct Bad {
        const char *name;
        std::string folder;
        int n;
    } bad[] = {
        {"switch 0", folder, 0},
        {"switch 5", folder, 5},
        {"a missing folder", folder + "missing/", 1},
        {"a file for a folder", dir.write("file", "x") + "/", 1},
        {"no folder", "", 1},
    };
    for (const Bad &b : bad) {
        SCOPED_TRACE(b.name);
        std::string why;
        EXPECT_EQ(0, WriteSenseSwitch(b.folder.c_str(), b.n, &why));
        EXPECT_NE("", why);
    }
    EXPECT_EQ(std::set<std::string>{"file"}, listing(dir.path()));

    // A D3KIL made a link to a file outside, or to one not there yet, is
    // replaced: nothing outside the folder is written.
    std::string job = dir.mkdir("job") + "/";
    std::string outside = dir.write("outside", "mine\n");
    for (const std::string &target : {outside, dir.file("made")}) {
        SCOPED_TRACE(target);
        ASSERT_EQ(0, symlink(target.c_str(), (job + "D3KIL").c_str()));
        EXPECT_EQ(1, WriteSenseSwitch(job.c_str(), 2, nullptr));
        struct stat st;
        EXPECT_TRUE(lstat((job + "D3KIL").c_str(), &st) == 0 && S_ISREG(st.st_mode));
        EXPECT_EQ("sw2.\n", read_file(job + "D3KIL"));
        unlink((job + "D3KIL").c_str());
    }
    EXPECT_EQ("mine\n", read_file(outside));
    EXPECT_FALSE(file_exists(dir.file("made")));

    std::string locked = dir.mkdir("locked");
    if (!make_unwritable(locked))
        GTEST_SKIP() << "cannot make a folder unwritable here";
    std::string why;
    EXPECT_EQ(0, WriteSenseSwitch(locked.c_str(), 1, &why));
    EXPECT_NE(std::string::npos, why.find(locked)) << why;
    make_writable(locked);
    EXPECT_EQ(std::set<std::string>{}, listing(locked));

    // A folder of that name is no switch file to remove.
    dir.mkdir("D3KIL");
    EXPECT_EQ(0, RemoveSenseSwitch(folder.c_str()));
}

TEST(SenseSwitchTest, NewestRestartDump)
{
    struct Case {
        const char *name;
        std::vector<std::string> files;  // oldest first, a second apart
        int code;
        const char *newest;
    } cases[] = {
        {"none", {"d3plot", "messag"}, -1, ""},
        {"by number, not by name", {"d3dump10", "d3dump09", "d3dump02"}, 1, "d3dump10"},
        {"past 99", {"d3dump99", "d3dump100"}, 1, "d3dump100"},
        {"odd names",
         {"d3dump01", "d3dump02.bak", "d3dumpx3", "D3DUMP05", "d3dump", "d3dump-4", "d3dump1234567890"},
         1, "d3dump01"},
        {"a folder is no dump", {"d3dump01", "d3dump05/"}, 1, "d3dump01"},
        {"equal numbers: the newer", {"d3dump1", "d3dump01"}, 1, "d3dump01"},
        {"equal numbers the other way", {"d3dump01", "d3dump1"}, 1, "d3dump1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        time_t when = 1700000000;
        for (const std::string &f : c.files) {
            std::string path = f.back() == '/' ? dir.mkdir(f) : dir.write(f, "dump");
            struct timespec times[2] = {{when, 0}, {when, 0}};
            utimensat(AT_FDCWD, path.c_str(), times, 0);
            when++;
        }
        std::string name = "unchanged";
        EXPECT_EQ(c.code, NewestRestartDump((dir.path() + "/").c_str(), &name));
        EXPECT_EQ(c.code == 1 ? c.newest : "unchanged", name);
    }
    std::string name;
    EXPECT_EQ(0, NewestRestartDump("/nonexistent/", &name));
}

} // namespace
