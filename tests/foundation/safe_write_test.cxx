// Replacing a user's file as that user: one they may not write is left as
// it is, as opening it for writing would leave it.
#include "foundation/safe_write.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(ReplaceFileSafely, AFileTheUserMayNotWriteStays)
{
    TempDir dir;
    chmod(dir.path().c_str(), 0755);
    std::string home = dir.mkdir("home");
    chmod(home.c_str(), 0777);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Modes do not stop root: the cases run as an ordinary user.
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(77);
        struct Case {
            const char *name;
            mode_t mode;
            bool link;  // the path is a link to the file
            bool replaced;
        } cases[] = {
            {"read-only file", 0444, false, false},
            {"read-only file behind a link", 0444, true, false},
            {"writable file behind a link", 0644, true, true},
        };
        for (const Case &c : cases) {
            SCOPED_TRACE(c.name);
            std::string file = home + "/" + c.name;
            dir.write("home/" + std::string(c.name), "old\n");
            chmod(file.c_str(), c.mode);
            std::string path = file;
            if (c.link) {
                path = file + ".link";
                EXPECT_EQ(0, symlink(file.c_str(), path.c_str()));
            }
            EXPECT_EQ(c.replaced, ReplaceFileSafely(path.c_str(), "new\n"));
            EXPECT_EQ(c.replaced ? "new\n" : "old\n", read_file(file));
            struct stat st;
            EXPECT_EQ(0, lstat(path.c_str(), &st));
            EXPECT_EQ(c.link, S_ISLNK(st.st_mode));
        }
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int st = 0;
    waitpid(child, &st, 0);
    if (WIFEXITED(st) && WEXITSTATUS(st) == 77)
        GTEST_SKIP() << "cannot become an ordinary user here";
    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0)
        << "status " << st << ": the child's failures are in the output above";
}

} // namespace
