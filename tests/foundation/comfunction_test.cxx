#include "foundation/comfunction.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

std::string user_dir()
{
    char dir[USER_DIR_SIZE];
    getMyDocument(dir);
    return dir;
}

TEST(GetMyDocument, HomeTildeAndWorkingFolder)
{
    {
        ScopedEnv home("HOME", "/home/u");
        EXPECT_EQ("/home/u/", user_dir());
    }
    {
        ScopedEnv home("HOME", "/home/u/");
        EXPECT_EQ("/home/u//", user_dir());
    }
    {
        ScopedEnv home("HOME", nullptr);
        ScopedEnv tilde("~", "/tilde/home");
        EXPECT_EQ("/tilde/home/", user_dir());
    }
    {
        ScopedEnv home("HOME", nullptr);
        ScopedEnv tilde("~", nullptr);
        char cwd[1024];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        EXPECT_EQ(std::string(cwd) + "/", user_dir());
    }
}

TEST(GetMyDocument, LongFoldersAreHeldWholeTooLongRefused)
{
    std::string longHome = "/" + std::string(300, 'h');
    ScopedEnv home("HOME", longHome.c_str());
    EXPECT_EQ(longHome + "/", user_dir());
    std::string tooLong = "/" + std::string(USER_DIR_SIZE, 'h');
    ScopedEnv home2("HOME", tooLong.c_str());
    EXPECT_EQ("", user_dir());
}

std::vector<std::pair<int, std::string>> read_all(const std::string &content)
{
    TempDir dir;
    std::string path = dir.write("f.txt", content);
    FILE *fp = fopen(path.c_str(), "r");
    std::vector<std::pair<int, std::string>> out;
    char line[READ_LINE_MAX + 1];
    int r;
    do {
        r = read_line(fp, line);
        out.emplace_back(r, line);
    } while (r != -1);
    fclose(fp);
    return out;
}

TEST(ReadLine, LineEndsControlsAndLength)
{
    using Lines = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ((Lines{{1, "a=b"}, {1, "c"}, {-1, ""}}), read_all("a=b\r\nc\r\n"));
    EXPECT_EQ((Lines{{1, "x\ty"}, {1, "pq"}, {-1, ""}}), read_all("x\ty\n\fp\x7fq\n"));
    EXPECT_EQ((Lines{{-1, ""}}), read_all(""));
    EXPECT_EQ((Lines{{1, "one"}, {-1, "two"}}), read_all("one\ntwo"));

    std::string longLine;
    for (int i = 0; i < 300; i++)
        longLine += (char)('a' + i % 26);
    Lines lines = read_all(longLine + "\nnext\n");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(longLine.substr(0, 256), lines[0].second);
    EXPECT_EQ(1, lines[0].first);
    EXPECT_EQ("next", lines[1].second);

    lines = read_all(std::string(5000, 'w'));
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(std::string(256, 'w'), lines[0].second);
}

TEST(RemoveFile, RemovesAndReportsMissing)
{
    TempDir dir;
    std::string f = dir.write("messag", "x");
    EXPECT_EQ(0, RemoveFile(f.c_str()));
    EXPECT_FALSE(file_exists(f));
    EXPECT_NE(0, RemoveFile(f.c_str()));
}

} // namespace
