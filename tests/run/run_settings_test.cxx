// wendle_run.ini: read, checked, and rewritten keeping what it does not know.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>

#include "run/run_settings.h"
#include "support/readonly.h"
#include "support/tempdir.h"

namespace {

TEST(RunSettingsFile, ReadAndWritten)
{
    TempDir dir;
    std::string path = dir.file("wendle_run.ini");
    struct Case {
        const char *name;
        const char *content;  // null: no file
        int jobs;
        bool notify;
        const char *problem;
        const char *cores = "1||off|";  // cores|mpi|consistent|options
    } cases[] = {
        {"no file", nullptr, 1, true, ""},
        {"set", "jobs=8\nnotify=off\n", 8, false, ""},
        {"blanks, CR LF, no last newline", " jobs = 16 \r\nnotify=on", 16, true, ""},
        {"leading zeros", "jobs=007\n", 7, true, ""},
        {"too many", "jobs=65\n", 1, true, "wendle_run.ini: jobs=65 is not a number from 1 to 64; 1 is used"},
        {"none", "jobs=0\n", 1, true, "wendle_run.ini: jobs=0 is not a number from 1 to 64; 1 is used"},
        {"not a number", "jobs=two\n", 1, true, "wendle_run.ini: jobs=two is not a number from 1 to 64; 1 is used"},
        {"empty", "jobs=\n", 1, true, "wendle_run.ini: jobs= is not a number from 1 to 64; 1 is used"},
        {"bad switch", "notify=yes\n", 1, true, "wendle_run.ini: notify=yes is not on or off; on is used"},
        {"cores", "cores=128\nmpi= mpirun -x A \noptions=memory2=9 d=nodump\nconsistent=on\n", 1, true,
         "", "128|mpirun -x A|on|memory2=9 d=nodump"},
        {"too many cores", "cores=4097\n", 1, true, "wendle_run.ini: cores=4097 is not a number from 1 to 4096; 1 is used"},
        {"no cores", "cores=x\n", 1, true, "wendle_run.ini: cores=x is not a number from 1 to 4096; 1 is used"},
        {"options with a deck", "options=d=nodump I=b.k\n", 1, true,
         "wendle_run.ini: options=d=nodump I=b.k is not arguments other than i=, r=, memory= and ncpu=; none is used"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(path.c_str());
        if (c.content)
            dir.write("wendle_run.ini", c.content);
        RunSettings s;
        EXPECT_TRUE(s.Load(path));
        EXPECT_EQ(c.jobs, s.Jobs());
        EXPECT_EQ(c.notify, s.Notify());
        EXPECT_EQ(c.problem, s.Problem());
        EXPECT_EQ(c.cores, std::to_string(s.Cores().cores) + "|" + s.Cores().mpi +
                               (s.Cores().consistent ? "|on|" : "|off|") + s.Cores().options);
        EXPECT_EQ(c.content ? c.content : "", read_file(path)) << "kept as it is";
    }

    // Unknown lines stay, in their place; a changed value replaces its line.
    dir.write("wendle_run.ini", "# mine\ncolour=blue\njobs=abc\nnotify=off\n");
    RunSettings s;
    s.Load(path);
    ASSERT_TRUE(s.SetJobs(4));
    EXPECT_EQ("# mine\ncolour=blue\njobs=4\nnotify=off\n", read_file(path));
    ASSERT_TRUE(s.SetNotify(true));
    RunSettings again;
    again.Load(path);
    EXPECT_EQ(4, again.Jobs());
    EXPECT_TRUE(again.Notify());
    EXPECT_FALSE(s.SetJobs(65));

    // A file the user made read-only, or one that could not be read, stays.
    if (make_unwritable(path)) {
        EXPECT_FALSE(s.SetJobs(2));
        make_writable(path);
        EXPECT_EQ("# mine\ncolour=blue\njobs=4\nnotify=on\n", read_file(path));
    }
    ASSERT_TRUE(s.SetCores(16) && s.SetMpi("mpirun") && s.SetMpi(""));
    EXPECT_EQ("# mine\ncolour=blue\njobs=4\nnotify=on\ncores=16\nmpi=\n", read_file(path));
    std::remove(path.c_str());
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    RunSettings fifo;
    EXPECT_FALSE(fifo.Load(path));
    EXPECT_EQ("Run settings file cannot be read: it is left as it is", fifo.Problem());
    EXPECT_FALSE(fifo.SetJobs(2));
    struct stat st;
    EXPECT_TRUE(stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

} // namespace
