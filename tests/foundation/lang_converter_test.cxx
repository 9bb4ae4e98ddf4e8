#include "foundation/lang_converter.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Formatted {
    std::string key;
    std::vector<std::string> values;
    std::string upper;
};

Formatted format(const std::string &message)
{
    char input[LANG_LINE_SIZE];
    snprintf(input, sizeof input, "%s", message.c_str());
    char key[LANG_LINE_SIZE];
    char values[LANG_MAX_VALUES][LANG_VALUE_SIZE];
    memset(values, 0, sizeof values);
    language_format(input, key, values);
    Formatted f{key, {}, input};
    for (int i = 0; i < LANG_MAX_VALUES && values[i][0]; i++)
        f.values.push_back(values[i]);
    return f;
}

TEST(LanguageFormat, KeysAndValues)
{
    struct Case {
        const char *message, *key;
        std::vector<std::string> values;
    } cases[] = {
        {"Read 25 nodes from a.k", "READ_%V_NODES_FROM_%V", {"25", "A.K"}},
        {"Done.", "%V", {"DONE."}},
        {"  two   spaces ", "TWO_SPACES", {}},
        {"", "", {}},
        {"    ", "", {}},
        {"Error 1E5 in INFO", "ERROR_%V_IN_INFO", {"1E5"}},
        {"Error -x", "ERROR_-X", {}},
        {"size 25KB -3", "SIZE_25KB_%V", {"-3"}},
        {"tab\tinside word", "TAB_WORD", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        Formatted f = format(c.message);
        EXPECT_EQ(c.key, f.key);
        EXPECT_EQ(c.values, f.values);
    }
    EXPECT_EQ("READ 25 NODES FROM A.K", format("Read 25 nodes from a.k").upper);
}

TEST(LanguageFormat, OverLongInputStaysInItsBuffers)
{
    // 40 value words: only 32 are kept, each still becomes %V.
    std::string many;
    for (int i = 0; i < 40; i++)
        many += std::to_string(i) + " ";
    Formatted f = format(many);
    EXPECT_EQ(32u, f.values.size());
    EXPECT_EQ("31", f.values.back());
    std::string expect;
    for (int i = 0; i < 40; i++)
        expect += i ? "_%V" : "%V";
    EXPECT_EQ(expect, f.key);

    // A 300-character value word is cut to its slot, a long key to 1023.
    std::string longValue(300, '7');
    f = format("x " + longValue + "." + " y");
    ASSERT_EQ(1u, f.values.size());
    EXPECT_EQ(std::string(127, '7'), f.values[0]);
    EXPECT_EQ("X_%V_Y", f.key);

    // Each value word "1" grows into "%V": a message that fills its buffer
    // gives a key longer than the key buffer, which is cut to it. The
    // buffers are heap blocks of their exact sizes, so that the address
    // checker catches a write past any of them.
    std::string ones;
    while (ones.size() + 2 < LANG_LINE_SIZE)
        ones += "1 ";
    std::vector<char> input(ones.begin(), ones.end());
    input.push_back('\0');
    std::vector<char> key(LANG_LINE_SIZE);
    std::unique_ptr<char[][LANG_VALUE_SIZE]> values(new char[LANG_MAX_VALUES][LANG_VALUE_SIZE]);
    language_format(input.data(), key.data(), values.get());
    std::string full;
    for (size_t i = 0; i < ones.size() / 2; i++)
        full += i ? "_%V" : "%V";
    ASSERT_GT(full.size(), (size_t)LANG_LINE_SIZE);
    EXPECT_EQ(full.substr(0, LANG_LINE_SIZE - 1), key.data());
    EXPECT_STREQ("1", values[LANG_MAX_VALUES - 1]);
}

TEST(FieldReaders, KeywordsAndIntegers)
{
    char out[LANG_LINE_SIZE];
    EXPECT_EQ(1, GetKeyword("a,b,c", 2, out));
    EXPECT_STREQ("b", out);
    EXPECT_EQ(1, GetKeyword("a,b,c", 3, out));
    EXPECT_STREQ("c", out);
    EXPECT_EQ(-1, GetKeyword("a,b,c", 4, out));
    EXPECT_EQ(-1, GetKeyword("a,b,c", 5, out));
    EXPECT_EQ(1, GetKeyword("a, b \n,c", 2, out));
    EXPECT_STREQ(" b \n", out);  // cut at the comma, blanks kept
    EXPECT_EQ(1, GetKeyword("a,last\nrest", 2, out));
    EXPECT_STREQ("last", out);

    EXPECT_EQ(8, ReadIntField("7, 8", 2));
    EXPECT_EQ(7, ReadIntField("7, 8", 1));
    EXPECT_EQ(0, ReadIntField("x,y", 1));
    EXPECT_EQ(0, ReadIntField("1,2", 3));
    EXPECT_EQ(-12, ReadIntField("a,-12px", 2));

    std::string longLine(5000, 'q');
    longLine += ",5";
    EXPECT_EQ(1, GetKeyword(longLine.c_str(), 1, out));
    EXPECT_EQ((size_t)LANG_LINE_SIZE - 1, strlen(out));
}

TEST(FieldReaders, ReadLineEnds)
{
    TempDir dir;
    std::string longLine(5000, 'z');
    std::string path = dir.write("lines.txt", "one\r\n" + longLine + "\nlast");
    FILE *fp = fopen(path.c_str(), "r");
    ASSERT_NE(nullptr, fp);
    char line[LANG_LINE_SIZE];
    EXPECT_EQ(0, ReadLine(fp, line));
    EXPECT_STREQ("one\r", line);
    EXPECT_EQ(0, ReadLine(fp, line));
    EXPECT_EQ(std::string(LANG_LINE_SIZE - 1, 'z'), line);
    EXPECT_EQ(0, ReadLine(fp, line));
    EXPECT_STREQ("last", line);
    EXPECT_EQ(-1, ReadLine(fp, line));
    fclose(fp);
    EXPECT_EQ(0, ReadLine(nullptr, line));
    EXPECT_STREQ("", line);
}

TEST(LanguageSearch, NoDictionaryAndOneEntry)
{
    char out[LANG_LINE_SIZE];
    EXPECT_EQ(0, language_Search("READ_%V", out));
    EXPECT_STREQ("READ_%V", out);

    static char dict[] = "B_KEY\0Be\0D_KEY\0De\0F_KEY\0Ef";
    int index[] = {0, 9, 18};
    LANGUAGE_DICT = dict;
    LANGUAGE_INDEX = index;
    WORD_NUMBER = 3;
    EXPECT_EQ(1, language_Search("D_KEY", out));
    EXPECT_STREQ("De", out);
    EXPECT_EQ(1, language_Search("F_KEY", out));
    EXPECT_STREQ("Ef", out);
    EXPECT_EQ(1, language_Search("B_KEY", out));
    EXPECT_EQ(0, language_Search("C_KEY", out));
    EXPECT_STREQ("C_KEY", out);
    WORD_NUMBER = 1;
    EXPECT_EQ(0, language_Search("D_KEY", out));
    LANGUAGE_DICT = nullptr;
    LANGUAGE_INDEX = nullptr;
    WORD_NUMBER = 0;
}

TEST(LanguageAdd, RegistersOnlyNewMessages)
{
    TempDir dir;
    std::string file = dir.write("language_msg.txt", "A\n\nB\n\n");
    {
        ScopedEnv env("QUILLARD_PATH", dir.path().c_str());
        EXPECT_EQ(0, language_Add("b", "B"));
        EXPECT_EQ(0, language_Add("A", "A"));
        EXPECT_EQ("A\n\nB\n\n", read_file(file));
        // The empty translation lines are never compared as messages.
        EXPECT_EQ(1, language_Add("Read 2 files", "READ_%V_FILES"));
        EXPECT_EQ("A\n\nB\n\nRead 2 files\n\n", read_file(file));
        EXPECT_EQ(0, language_Add("Read 7 files", "READ_%V_FILES"));
        EXPECT_EQ(1, language_Add("", "NEVER_THERE"));
    }

    TempDir cwd;
    char old[1024];
    ASSERT_NE(nullptr, getcwd(old, sizeof old));
    ASSERT_EQ(0, chdir(cwd.path().c_str()));
    {
        ScopedEnv env("QUILLARD_PATH", nullptr);
        EXPECT_EQ(1, language_Add("Hello", "HELLO"));
        EXPECT_EQ(0, language_Add("hello", "HELLO"));
    }
    EXPECT_EQ(0, chdir(old));
    EXPECT_EQ("Hello\n\n", read_file(cwd.file("language_msg.txt")));

    ScopedEnv env("QUILLARD_PATH", (dir.path() + "/missing").c_str());
    EXPECT_EQ(0, language_Add("x", "X"));
}

TEST(LanguageConverter, ReturnsTheMessageUnchanged)
{
    char out[LANG_LINE_SIZE];
    EXPECT_EQ(0, language_Converter("Read 25 nodes", out));
    EXPECT_STREQ("Read 25 nodes", out);
}

TEST(AllToLower, InPlace)
{
    char s[] = "A.K";
    all_to_lower(s);
    EXPECT_STREQ("a.k", s);
    char e[] = "";
    all_to_lower(e);
    EXPECT_STREQ("", e);
    char hi[] = "\xC4Z";  // bytes above 127 are handled as unsigned
    all_to_lower(hi);
    EXPECT_EQ('z', hi[1]);
}

} // namespace
