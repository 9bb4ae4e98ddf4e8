#include "images/mainwnd_images.h"
#include "support/tempdir.h"

#include <FL/Fl_Image.H>
#include <FL/Fl_Pixmap.H>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <strings.h>

namespace {

struct ImageCase {
    const char *name;
    const char *const *data;
    int w, h, cpp;
    std::set<std::string> palette;  // colours the picture may use
};

void PrintTo(const ImageCase &c, std::ostream *os)
{
    *os << c.name;
}

const std::set<std::string> kRedBlackGrey = {"None", "#830000", "#000000", "#c5c2c5"};
const std::set<std::string> kBlackGrey = {"None", "#000000", "#c5c2c5"};

const ImageCase kImages[] = {
    {"adddyn", adddyn_xpm_data, 23, 22, 1, kRedBlackGrey},
    {"addrk", addrk_xpm_data, 23, 22, 1, kRedBlackGrey},
    {"deletefile", deletefile_xpm_data, 23, 22, 1, {"None", "#830000", "#c5c2c5"}},
    {"up", up_xpm_data, 23, 22, 1, kBlackGrey},
    {"jobdown", jobdown_xpm_data, 24, 22, 1, kBlackGrey},
    {"file_read", file_read_xpm_data, 25, 22, 1, kBlackGrey},
    {"about", about_xpm_data, 19, 17, 2, {}},
    {"vrxlogo", vrxlogo_xpm_data, 120, 58, 1, {"None", "#A4A421214A4A"}},
};

// Colour key -> colour name in an XPM's colour table.
std::map<std::string, std::string> colour_table(const char *const *data, int ncolors, int cpp)
{
    std::map<std::string, std::string> table;
    for (int i = 1; i <= ncolors; i++) {
        const char *line = data[i];
        if (strlen(line) < (size_t)cpp + 4 || strncmp(line + cpp, " c ", 3) != 0) {
            ADD_FAILURE() << "bad colour line: " << line;
            continue;
        }
        table[std::string(line, cpp)] = line + cpp + 3;
    }
    return table;
}

struct BuiltinImage : ::testing::TestWithParam<ImageCase> {};

TEST_P(BuiltinImage, LoadsToItsSizeWithConsistentData)
{
    const ImageCase &c = GetParam();
    Fl_Pixmap pixmap(c.data);
    EXPECT_EQ(c.w, pixmap.w());
    EXPECT_EQ(c.h, pixmap.h());

    int w = 0, h = 0, ncolors = 0, cpp = 0;
    ASSERT_EQ(4, sscanf(c.data[0], "%d %d %d %d", &w, &h, &ncolors, &cpp));
    EXPECT_EQ(c.w, w);
    EXPECT_EQ(c.h, h);
    ASSERT_EQ(c.cpp, cpp);
    std::map<std::string, std::string> table = colour_table(c.data, ncolors, cpp);
    EXPECT_EQ((size_t)ncolors, table.size()) << "colour keys must be unique";

    // Every pixel names a declared colour and every declared colour is used.
    std::set<std::string> used;
    for (int y = 0; y < h; y++) {
        const char *row = c.data[1 + ncolors + y];
        ASSERT_EQ((size_t)(w * cpp), strlen(row)) << "row " << y;
        for (int x = 0; x < w; x++) {
            std::string key(row + x * cpp, cpp);
            EXPECT_TRUE(table.count(key)) << "row " << y << " column " << x;
            used.insert(key);
        }
    }
    EXPECT_EQ(table.size(), used.size());

    if (c.palette.empty())
        return;
    for (const auto &entry : table) {
        bool known = false;
        for (const std::string &allowed : c.palette)
            known = known || strcasecmp(allowed.c_str(), entry.second.c_str()) == 0;
        EXPECT_TRUE(known) << "colour " << entry.second;
    }
}

INSTANTIATE_TEST_SUITE_P(All, BuiltinImage, ::testing::ValuesIn(kImages),
                         [](const ::testing::TestParamInfo<ImageCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(BuiltinImages, AboutIconIsAntiAliased)
{
    int w, h, ncolors, cpp;
    ASSERT_EQ(4, sscanf(about_xpm_data[0], "%d %d %d %d", &w, &h, &ncolors, &cpp));
    EXPECT_GE(ncolors, 16);
}

// Decoded through the toolkit, the logo is ink on transparency and nothing else.
TEST(BuiltinImages, LogoIsInkOnTransparency)
{
    Fl_Pixmap logo(vrxlogo_xpm_data);
    Fl_RGB_Image rgba(&logo, FL_WHITE);
    ASSERT_EQ(4, rgba.d());
    const unsigned char *p = (const unsigned char *)rgba.data()[0];
    int ink = 0, clear = 0, other = 0;
    for (int i = 0; i < rgba.w() * rgba.h(); i++, p += 4) {
        if (p[3] == 0)
            clear++;
        else if (p[0] == 0xA4 && p[1] == 0x21 && p[2] == 0x4A && p[3] == 255)
            ink++;
        else
            other++;
    }
    EXPECT_GT(ink, 120 * 58 / 10);
    EXPECT_GT(clear, 120 * 58 / 3);
    EXPECT_EQ(0, other);
}

TEST(DesktopIcon, PngIs48By48)
{
    std::string png = read_file(std::string(WENDLE_SOURCE_DIR) + "/src/images/wendle-48.png");
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(0, memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ("IHDR", png.substr(12, 4));
    auto be32 = [&](size_t at) {
        const unsigned char *b = (const unsigned char *)png.data() + at;
        return (unsigned long)b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3];
    };
    EXPECT_EQ(48ul, be32(16));
    EXPECT_EQ(48ul, be32(20));
}

TEST(DesktopIcon, SvgHasASizedRoot)
{
    std::string svg = read_file(std::string(WENDLE_SOURCE_DIR) + "/src/images/wendle.svg");
    size_t open = svg.find("<svg");
    ASSERT_NE(std::string::npos, open);
    size_t end = svg.find('>', open);
    ASSERT_NE(std::string::npos, end);
    std::string root = svg.substr(open, end - open);
    bool sized = root.find(" viewBox=\"") != std::string::npos ||
                 (root.find(" width=\"") != std::string::npos &&
                  root.find(" height=\"") != std::string::npos);
    EXPECT_TRUE(sized) << root;
    EXPECT_NE(std::string::npos, svg.find("</svg>", end));
}

}  // namespace
