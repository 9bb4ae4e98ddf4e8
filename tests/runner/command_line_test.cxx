// The command line, and what kind of job a file given from outside makes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "runner/command_line.h"
#include "runner/job_file.h"
#include "support/tempdir.h"

namespace {

TEST(CommandLineTest, Parse)
{
    struct Case { std::vector<const char *> args; CommandLine::Action action; bool submit;
                  std::vector<std::string> files; } cases[] = {
        {{}, CommandLine::RUN, false, {}},
        {{"a.k", "../b/c.dyn", "/d/./e//d3dump01"}, CommandLine::RUN, false,
         {"/w/x/a.k", "/w/b/c.dyn", "/d/e/d3dump01"}},
        {{"--submit", "./s/../t.k", "../../../u.k"}, CommandLine::RUN, true,
         {"/w/x/s/../t.k", "/u.k"}},
        {{"--", "--submit", "-"}, CommandLine::RUN, false, {"/w/x/--submit", "/w/x/-"}},
        {{"a.k", "--version"}, CommandLine::VERSION, false, {}},
        {{"--help", "--bogus"}, CommandLine::HELP, false, {}},
        {{"a.k", "--bogus", "--help"}, CommandLine::BAD_USAGE, false, {}},
        {{"-s"}, CommandLine::BAD_USAGE, false, {}},
    };
    for (const Case &c : cases) {
        std::vector<const char *> argv = {"wendle"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(testing::PrintToString(c.args));
        CommandLine cl = ParseCommandLine((int)argv.size(), argv.data(), "/w/x");
        EXPECT_EQ(c.action, cl.action);
        if (c.action == CommandLine::RUN) {
            EXPECT_EQ(c.files, cl.files);
        }
        EXPECT_EQ(c.submit, cl.submit);
        EXPECT_EQ(c.action == CommandLine::BAD_USAGE, !cl.problem.empty());
    }
}

TEST(JobFileTest, Classify)
{
    TempDir dir;
    std::string d = dir.path() + "/";
    for (auto file : std::vector<std::pair<const char *, std::string>>{
             {"plate.k", ""}, {"BEAM.KEY", "x"}, {"crash.Dyn", "x"}, {"d3dump01", "x"},
             {"model.inp", "$ comment\n\n*keyword\t100m\n*NODE\n"}, {"d3dump", "x"},
             {"other.inp", "$ comment\n*NODE\n*KEYWORD\n"}, {"deck", "*KEYWORD\n"},
             {"late.inp", std::string(70 * 1024, '$') + "\n*KEYWORD\n"}, {"d3dump1a", "*KEYWORD"}})
        dir.write(file.first, file.second);
    dir.mkdir("folder.k");
    mkfifo((d + "pipe.k").c_str(), 0600);
    std::string longName = std::string(JOB_PATH_MAX - d.size() - 1, 'n') + "k";
    dir.write(longName.substr(0, longName.size() - 2) + ".k", "");
    struct Case { std::string path; JobFileKind kind; const char *why; } cases[] = {
        {d + "plate.k", JOB_FILE_DECK, ""},
        {d + "BEAM.KEY", JOB_FILE_DECK, ""},
        {d + "crash.Dyn", JOB_FILE_DECK, ""},
        {d + "model.inp", JOB_FILE_DECK, ""},
        {d + "other.inp", JOB_FILE_REFUSED, "neither a deck nor a restart dump"},
        {d + "late.inp", JOB_FILE_REFUSED, "neither a deck nor a restart dump"},
        {d + "deck", JOB_FILE_REFUSED, "a deck whose name has no extension"},
        {d + "d3dump01", JOB_FILE_DUMP, ""},
        {d + "d3dump", JOB_FILE_REFUSED, "neither a deck nor a restart dump"},
        {d + "d3dump1a", JOB_FILE_REFUSED, "a deck whose name has no extension"},
        {d + "folder.k", JOB_FILE_REFUSED, "a folder"},
        {d + "pipe.k", JOB_FILE_REFUSED, "not a regular file"},
        {d + "missing.k", JOB_FILE_REFUSED, "no such file"},
        {d + "plate.k/x.k", JOB_FILE_REFUSED, "no such file"},
        {"plate.k", JOB_FILE_REFUSED, "not an absolute path"},
        {d + "new\nline.k", JOB_FILE_REFUSED, "its name holds a line break"},
        {d + longName.substr(0, longName.size() - 2) + ".k", JOB_FILE_DECK, ""},
        {d + longName + ".k", JOB_FILE_REFUSED, "its path is longer than 255 characters"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        std::string why;
        EXPECT_EQ(c.kind, ClassifyJobFile(c.path, &why));
        EXPECT_EQ(c.why, why);
    }
}

} // namespace
