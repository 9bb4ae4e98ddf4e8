#include "filedialog_fixture.h"

#include "support/tempdir.h"

#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Menu_Item.H>

#include "dialogs/sflatwidgets.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<TestDialog> dialog(const char *filter, char *dir, int mode = FD_OPEN)
{
    g_filetype = 0;
    static char name[FD_PATH_SIZE];
    name[0] = '\0';
    return std::unique_ptr<TestDialog>(
        new TestDialog(mode, filter, dir, name, nullptr, 100, 100, 481, 255));
}

std::vector<std::string> patterns(TestDialog &d, const char *entry, int mf_type = 1)
{
    d.GetFilter(entry, mf_type);
    std::vector<std::string> out;
    for (int i = 0; i < d.file_type_num; i++)
        out.push_back(d.filter_file[i]);
    return out;
}

TEST(FilterStrings, MenuItemsAndPatterns)
{
    TempDir t;
    char dir[FD_PATH_SIZE];
    snprintf(dir, sizeof dir, "%s", t.path().c_str());
    using V = std::vector<std::string>;
    struct Case {
        const char *filter;
        V items;
        std::vector<V> patterns;
    } cases[] = {
        {"Dyna file(*.dyn;*.k)|All file(*.*)",
         {"Dyna file(*.dyn;*.k)", "All file(*.*)"},
         {{".dyn", ".k"}, {".*"}}},
        {"A(*.a)|[---]|B(*.b)", {"A(*.a)", "B(*.b)"}, {{".a"}, {".b"}}},
        {"|A(*.a)|", {"A(*.a)"}, {{".a"}}},
        {"", {"*.*"}, {{".*"}}},
        {nullptr, {"*.*"}, {{".*"}}},
        {"|", {"*.*"}, {{".*"}}},
        {"D3dump Files(d3dump*)|All file(*.*)",
         {"D3dump Files(d3dump*)", "All file(*.*)"},
         {{"d3dump"}, {".*"}}},
        {"LS-DYNA SOLVER(*.*)", {"LS-DYNA SOLVER(*.*)"}, {{".*"}}},
        {"[---]|A(*.a)||B(x;y)", {"A(*.a)", "B(x;y)"}, {{".a"}, {"x", "y"}}},
        {"plain*.txt", {"plain*.txt"}, {{"plain.txt"}}},
        {"K(*.k)tail", {"K(*.k)tail"}, {{".k"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.filter ? c.filter : "(null)");
        auto d = dialog(c.filter, dir);
        EXPECT_EQ(c.items, d->filterItems());
        for (size_t i = 0; i < c.items.size(); i++)
            EXPECT_EQ(c.patterns[i], patterns(*d, d->FilterItem[i].text));
    }
}

TEST(FilterStrings, DividerBelowThePrecedingItem)
{
    char dir[FD_PATH_SIZE] = "";
    auto d = dialog("A(*.a)|[---]|B(*.b)", dir);
    EXPECT_TRUE(d->FilterItem[0].flags & FL_MENU_DIVIDER);
    EXPECT_FALSE(d->FilterItem[1].flags & FL_MENU_DIVIDER);
    d->FilterChoice->picked(&d->FilterItem[1]);
    EXPECT_EQ(1, d->GetFilterIndex());
    EXPECT_EQ(1, d->checked);
}

TEST(FilterStrings, FixedLimitsCutOrDrop)
{
    char dir[FD_PATH_SIZE] = "";
    // The whole string is cut at 299 characters, an entry at 119.
    std::string longEntry = "L(*.l)" + std::string(150, 'e');
    std::string second = "B(*.b)" + std::string(94, 'b');
    std::string filter = longEntry + "|" + second + "|" + std::string(80, 'c') + "|Never(*.n)";
    auto d = dialog(filter.c_str(), dir);
    std::vector<std::string> items = d->filterItems();
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ(longEntry.substr(0, 119), items[0]);
    EXPECT_EQ(second, items[1]);
    EXPECT_EQ(std::string(299 - 258, 'c'), items[2]);

    // Ten patterns at most; an over-long one matches nothing rather than
    // some shorter pattern.
    std::string many = "M(";
    for (int i = 0; i < 12; i++)
        many += std::string(i ? ";" : "") + "*.e" + std::to_string(i);
    many += ")";
    auto m = dialog(many.c_str(), dir);
    std::vector<std::string> p = patterns(*m, m->FilterItem[0].text);
    ASSERT_EQ(10u, p.size());
    EXPECT_EQ(".e0", p[0]);
    EXPECT_EQ(".e9", p[9]);
    std::string over = "O(*." + std::string(23, 'o') + ";*.ok)";
    auto o = dialog(over.c_str(), dir);
    EXPECT_EQ((std::vector<std::string>{"", ".ok"}), patterns(*o, o->FilterItem[0].text));
    EXPECT_FALSE(o->Is_filter_file(("x." + std::string(23, 'o')).c_str(), o->filter_file[0]));
    std::string fits = "F(*." + std::string(22, 'f') + ")";
    auto f = dialog(fits.c_str(), dir);
    EXPECT_EQ((std::vector<std::string>{"." + std::string(22, 'f')}),
              patterns(*f, f->FilterItem[0].text));
    EXPECT_TRUE(patterns(*f, "").empty());
    EXPECT_TRUE(patterns(*f, nullptr).empty());
}

TEST(FilterStrings, AllFilesCheckOnlyForListingInImportMode)
{
    char dir[FD_PATH_SIZE] = "";
    auto d = dialog("Dyna file(*.dyn;*.k)", dir, FD_IMPORT);
    d->chk_filter->value(1);
    EXPECT_EQ((std::vector<std::string>{".*"}), patterns(*d, d->FilterItem[0].text, 1));
    EXPECT_EQ((std::vector<std::string>{".dyn", ".k"}), patterns(*d, d->FilterItem[0].text, 0));
    auto open = dialog("Dyna file(*.dyn;*.k)", dir, FD_OPEN);
    open->chk_filter->value(1);
    EXPECT_EQ((std::vector<std::string>{".dyn", ".k"}), patterns(*open, open->FilterItem[0].text, 1));
}

TEST(FilterMatching, ThreePatternKindsIgnoringCase)
{
    TempDir t;
    t.mkdir("folder.k");
    char dir[FD_PATH_SIZE];
    snprintf(dir, sizeof dir, "%s", t.path().c_str());
    auto d = dialog(nullptr, dir);
    struct Case {
        const char *name, *pattern;
        bool match;
    } cases[] = {
        {"D3DUMP01", "d3dump", true},   {"old_d3dump", "d3dump", true},
        {"run_d3dump", "D3DUMP", true}, {"d3plot", "d3dump", false},
        {"deck.K", ".k", true},         {"deck.k.bak", ".k", false},
        {"deck.k", ".dyn", false},      {"MODEL.DYN", ".dyn", true},
        {".k", ".k", true},             {"k", ".k", false},
        {"a", ".*", false},             {"ab", ".*", true},
        {"notes", ".*", true},          {"folder.k", ".*", false},
        {"d", "d", true},               {"x", "xy", false},
        {"", ".k", false},              {"x.k", "", false},
        {"nodot", ".k", false},         {"a.k.K", ".k", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.pattern);
        EXPECT_EQ(c.match, d->Is_filter_file(c.name, c.pattern));
    }
    EXPECT_FALSE(d->Is_filter_file(nullptr, ".k"));
    EXPECT_FALSE(d->Is_filter_file("x.k", nullptr));
}

TEST(FilterMatching, ListingGroupsFilesByTheirFirstPattern)
{
    TempDir t;
    for (const char *f : {"b.k", "a.dyn", "C.K", "z.DYN", "notes.txt", "x", ".hidden.k", "d3dump01",
                          "D3DUMP02", "run_d3dump", "d3plot", "both.dyn.k"})
        t.write(f, "data");
    t.mkdir("sub");
    t.mkdir("Alpha");
    char dir[FD_PATH_SIZE];
    snprintf(dir, sizeof dir, "%s", t.path().c_str());
    auto d = dialog("Dyna file(*.dyn;*.k)|All file(*.*)|D3dump Files(d3dump*)", dir);
    d->showAndDraw();
    using V = std::vector<std::string>;
    EXPECT_EQ((V{".", "..", "Alpha", "sub", "a.dyn", "z.DYN", ".hidden.k", "b.k", "both.dyn.k",
                 "C.K"}),
              d->names());

    d->FilterChoice->picked(&d->FilterItem[1]);
    d->waitDrawn();
    EXPECT_EQ((V{".", "..", "Alpha", "sub", ".hidden.k", "a.dyn", "b.k", "both.dyn.k", "C.K",
                 "d3dump01", "D3DUMP02", "d3plot", "notes.txt", "run_d3dump", "z.DYN"}),
              d->names());

    d->FilterChoice->picked(&d->FilterItem[2]);
    d->waitDrawn();
    EXPECT_EQ((V{".", "..", "Alpha", "sub", "d3dump01", "D3DUMP02", "run_d3dump"}), d->names());
}

} // namespace
