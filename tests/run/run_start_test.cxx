// What Submit and a job's start do: the terminal's argument vector, folder
// and environment, the files an earlier run left, and the jobs that cannot
// start.
#include <fcntl.h>
#include <sys/resource.h>

#include <functional>

#include "run_fixture.h"

namespace {

TEST_F(RunTest, ArgumentsFolderAndEnvironment)
{
    setenv("RECTERM_EXEC", "0", 1);
    std::string dumps = folder("dumps");
    struct Case {
        const char *name;
        std::function<int(const std::string &dir)> row;
        bool autoMemory;
        std::vector<std::string> args;  // after the terminal's own four
        std::string cwd;                // "" for the job's own folder
        const char *env;
    } cases[] = {
        {"a deck", [&](const std::string &d) { return add(d); }, false,
         {setup.single, "i=@case1.k", "memory=78643200"}, "", ""},
        {"MB 128 with Auto", [&](const std::string &d) { return add(d, "case1.k", "128"); }, true,
         {setup.single, "i=@case1.k", "memory=33554432"}, "", "auto"},
        {"MB empty", [&](const std::string &d) { return add(d, "case1.k", ""); }, false,
         {setup.single, "i=@case1.k", "memory=78643200"}, "", ""},
        {"MB negative", [&](const std::string &d) { return add(d, "case1.k", "-5"); }, false,
         {setup.single, "i=@case1.k", "memory=78643200"}, "", ""},
        {"MB past what the argument carries",
         [&](const std::string &d) { return add(d, "case1.k", "99999999999999999999"); }, false,
         {setup.single, "i=@case1.k", "memory=78643200"}, "", ""},
        {"MB 40000", [&](const std::string &d) { return add(d, "case1.k", "40000"); }, false,
         {setup.single, "i=@case1.k", "memory=10485760000"}, "", ""},
        {"a restart from the dump alone", [&](const std::string &d) {
             return add_restart(d + "d3dump01"); }, false,
         {setup.single, "r=@d3dump01", "memory=78643200"}, "", ""},
        // r= before i=, run in the dump's own folder, by the double solver.
        {"a restart with a new deck, double", [&](const std::string &d) {
             int r = add_restart(dumps + "d3dump02", d + "deck.k");
             queue.SetPrecision(r, 1);
             return r; }, false,
         {setup.dbl, "r=" + dumps + "d3dump02", "i=@deck.k", "memory=78643200"}, dumps, ""},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = folder("c" + std::to_string(n++));
        home.write("jobs/" + dir.substr(jobs.size()) + "messag", "old run\n");
        home.write("jobs/dumps/messag", "old run\n");
        home.write("jobs/" + dir.substr(jobs.size()) + "abc.messag", "kept\n");
        home.write("jobs/" + dir.substr(jobs.size()) + "D3KIL", "sw1.\n");
        run.SetAutoMemory(c.autoMemory);
        int r = c.row(dir);
        std::string alert;
        ASSERT_EQ(1, run.Submit(setup, &alert));
        std::vector<Start> s = starts((size_t)n);
        ASSERT_EQ((size_t)n, s.size());
        std::vector<std::string> want = {kRecTerm, "-T", "LS-DYNA/Wendle", "-e"};
        for (std::string a : c.args) {
            size_t at = a.find('@');
            want.push_back(at == std::string::npos ? a : a.replace(at, 1, dir));
        }
        EXPECT_EQ(want, s.back().args);
        std::string cwd = c.cwd.empty() ? dir : c.cwd;
        EXPECT_EQ(cwd, s.back().cwd + "/");
        EXPECT_EQ(c.env, s.back().memoryEnv);
        EXPECT_STREQ(c.env, getenv("LSTC_MEMORY")) << "set in the program's own environment";
        EXPECT_FALSE(file_exists(cwd + "messag")) << "an earlier run's message file";
        EXPECT_FALSE(file_exists(cwd + "D3KIL")) << "a switch that would stop the run at once";
        EXPECT_TRUE(file_exists(dir + "abc.messag"));
        EXPECT_EQ("Running", status(r));
        run.Reset();
        queue.Clear();
    }
}

TEST_F(RunTest, CoresOnTheSolversCommandLine)
{
    setenv("RECTERM_EXEC", "0", 1);
    std::string deck = setup.single + " i=@c.k memory=78643200";
    std::string dump = setup.single + " r=@d3dump01";
    struct Case {
        std::string settings;
        bool restart;
        std::string command;  // after "-e"
    } cases[] = {
        {"", false, deck},
        {"cores=4\nconsistent=on\n", false, deck + " ncpu=-4"},
        {"cores=2\noptions= memory2=9\td=nodump\n", true,
         dump + " i=@c.k memory=78643200 ncpu=2 memory2=9 d=nodump"},
        {"cores=8\nconsistent=on\nmpi=" + setup.dbl + " -x A\n", true,
         setup.dbl + " -x A -np 8 " + dump + " i=@c.k memory=78643200"},
        {"cores=0\noptions=ncpu=8\n", false, deck},  // values not used
    };
    size_t n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.settings);
        std::string dir = folder("c" + std::to_string(n++));
        home.write("wendle_run.ini", c.settings);
        settings.Load(home.file("wendle_run.ini"));
        c.restart ? add_restart(dir + "d3dump01", dir + "c.k") : add(dir, "c.k");
        std::string alert;
        ASSERT_EQ(1, run.Submit(setup, &alert));
        std::vector<Start> s = starts(n);
        ASSERT_EQ(n, s.size());
        std::string command;
        for (size_t i = 4; i < s.back().args.size(); i++)
            command += (i > 4 ? " " : "") + s.back().args[i];
        std::string want = c.command;
        for (size_t at; (at = want.find('@')) != std::string::npos;)
            want.replace(at, 1, dir);
        EXPECT_EQ(want, command);
        run.Reset();
        queue.Clear();
    }
}

TEST_F(RunTest, SubmitChecksThePathsAndStartsOnce)
{
    std::string alert;
    EXPECT_EQ(0, run.Submit(setup, &alert)) << "nothing queued";
    int done = add(folder("a"));
    queue.SetState(done, JobState::Finished);
    int second = add(folder("b"), "case1.k", "300", "1", 1);
    RunSetup noDouble = setup;
    noDouble.dbl.clear();
    EXPECT_EQ(-1, run.Submit(noDouble, &alert));
    EXPECT_EQ("Double precision LSDYNA.EXE path error!", alert);
    add(folder("c"));
    RunSetup noSingle = setup;
    noSingle.single.clear();
    EXPECT_EQ(-1, run.Submit(noSingle, &alert));
    EXPECT_EQ("Single precision LSDYNA.EXE path error!", alert);
    EXPECT_FALSE(run.Active());
    EXPECT_EQ((std::vector<std::string>{"Finished", "Queued", "Queued"}), statuses());

    EXPECT_EQ(1, run.Submit(setup, &alert));
    EXPECT_EQ("Running", status(second)) << "the first queued row, at once";
    EXPECT_EQ(1u, starts(1).size());
    EXPECT_EQ(0, run.Submit(setup, &alert)) << "a run is going";
    gui::wait_for(0.3);
    EXPECT_EQ(1u, parse_record(read_file(record)).size());
}

TEST_F(RunTest, JobsThatCannotStartSayWhyAndAreAborted)
{
    std::string plain = program("plain", "not a program\n", 0644);
    struct Case {
        const char *name;
        std::string solver, terminal, folder, reason, mpi = "";
    } cases[] = {
        {"solver without the run bit", plain, kRecTerm, "", plain + " is not an executable file"},
        {"solver that is no file", "/opt/lsdyna/solver", kRecTerm, "",
         "/opt/lsdyna/solver is not an executable file"},
        {"bare solver name not in PATH", "no-such-lsdyna", kRecTerm, "",
         "no-such-lsdyna is not found in PATH"},
        {"terminal that cannot run", waiter, "/no/xterm", "",
         "the terminal /no/xterm is not an executable file"},
        {"folder that cannot be entered", waiter, kRecTerm, "gone/",
         "cannot enter " + jobs + "gone/ (No such file or directory)"},
        {"MPI launcher not found", waiter, kRecTerm, "",
         "the MPI launcher no-mpirun is not found in PATH", "no-mpirun"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        home.write("jobs/messag", kNormal);
        settings.SetMpi(c.mpi);
        int r = add(jobs + c.folder);
        RunSetup s = setup;
        s.single = c.solver;
        s.terminal = c.terminal;
        std::string alert;
        ASSERT_EQ(1, run.Submit(s, &alert));
        EXPECT_TRUE(saw("Job " + std::to_string(r) + " not started: " + c.reason));
        run.Check();
        EXPECT_EQ("Aborted", status(r));
        EXPECT_TRUE(file_exists(jobs + "messag")) << "nothing of the folder is touched";
        run.Reset();
        queue.Clear();
    }
    EXPECT_EQ("", read_file(record)) << "no terminal started";
}

TEST_F(RunTest, TheChildKeepsNoDescriptorAndAFailedExecEndsIt)
{
    setenv("RECTERM_EXEC", "0", 1);
    int open = ::open("/dev/null", O_RDONLY);  // no close-on-exec
    ASSERT_GE(open, 3);
    add(folder("a"));
    std::string alert;
    run.Submit(setup, &alert);
    std::vector<Start> s = starts(1);
    close(open);
    ASSERT_EQ(1u, s.size());
    EXPECT_EQ(std::vector<int>{}, s[0].fds) << "the program's descriptors went with the child";

    // A terminal that passes the look-up but cannot be executed: the child
    // must end at once, never go on as a copy of the program, and the job
    // is judged from its message file.
    run.Reset();
    queue.Clear();
    setup.terminal = program("brokenterm", "#!/no/such/interpreter\n");
    int r = add(folder("b"));
    run.Submit(setup, &alert);
    gui::wait_for(1);
    run.Check();
    EXPECT_EQ("Aborted", status(r));
}

TEST_F(RunTest, ABigDeckIsReadInSlicesAndReadWaitsForItsName)
{
    setenv("RECTERM_EXEC", "0", 1);
    std::string node = "       1  0.000000e+00  0.000000e+00  0.000000e+00\n";
    std::string body;
    while (body.size() < 5 * 1024 * 1024)
        body += node;
    // The ID comes at the very end of the deck.
    home.write("jobs/big.k", "*KEYWORD\n*NODE\n" + body + "*KEYWORD_ID\nlate id\n");
    int r = add(jobs, "big.k");
    std::string alert;
    run.Submit(setup, &alert);
    EXPECT_TRUE(run.Reading()) << "the deck is read after the call returns";
    run.Read(r, kRecTerm);
    EXPECT_EQ("", read_file(record)) << "neither the job's terminal nor the editor's yet";
    ASSERT_TRUE(wait_idle(20));
    EXPECT_EQ(jobs + "late_id.messag", run.MessageFile(r));
    // The job's terminal and the editor's start together, in either order.
    std::vector<Start> s = starts(2);
    ASSERT_EQ(2u, s.size());
    const std::vector<std::string> editor = {kRecTerm, "-e", "vi", jobs + "late_id.messag"};
    EXPECT_TRUE(s[0].args == editor || s[1].args == editor);

    home.write("jobs/late_id.messag", body + kNormal);
    run.Check();
    EXPECT_EQ("Running", status(r)) << "judged only once all is read";
    ASSERT_TRUE(wait_idle(20));
    EXPECT_EQ("Finished", status(r));
}

// The failing fork runs in a child process of the test: it may use up its
// user's process limit without touching the other tests.
TEST_F(RunTest, AFailedForkIsToldAndTheJobJudged)
{
    chmod(home.path().c_str(), 0755);
    chmod(jobs.c_str(), 0777);
    pid_t tester = fork();
    ASSERT_GE(tester, 0);
    if (tester == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(77);
        struct rlimit none = {0, 0};
        if (setrlimit(RLIMIT_NPROC, &none) != 0 || fork() == 0)
            _exit(77);
        setup.single = setup.terminal = "/bin/true";
        int r = add(jobs);
        std::string alert;
        run.Submit(setup, &alert);
        int result = saw("alert Creaet Child Process Failed!\n") ? 0 : 1;
        run.Check();
        if (status(r) != "Aborted")
            result |= 2;
        // Leaving at once: the leak checker itself needs a new process.
        _exit(result);
    }
    int st = 0;
    waitpid(tester, &st, 0);
    if (WIFEXITED(st) && WEXITSTATUS(st) == 77)
        GTEST_SKIP() << "cannot limit the number of processes here";
    EXPECT_TRUE(WIFEXITED(st)) << "status " << st;
    EXPECT_EQ(0, WEXITSTATUS(st)) << "1: no alert, 2: not Aborted";
}

} // namespace
