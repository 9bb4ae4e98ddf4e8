#include "dialogs/guidialog.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Group.H>

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A dialog built from a description text of the test's own.
struct TextDialog : GuiSizableDialog {
    TextDialog(const std::string &text)
        : GuiSizableDialog("Test.dlg", 10, 10, text.data(), (int)text.size())
    {
        end();
    }
    TextDialog() : GuiSizableDialog("SFileDialog.dlg", 441, 193) { end(); }
    using GuiSizableDialog::dlgwidget;
    using GuiSizableDialog::labelNum;
    using GuiSizableDialog::tooltipNum;

    std::vector<std::string> ids() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < Carray_GetSize(&dlgwidget); i++)
            out.push_back(static_cast<guiDialog *>(Carray_GetAt(&dlgwidget, i))->widgetID);
        return out;
    }
};

// "Test.dlg=" and the lines, each ended by a NUL, then the empty line.
std::string description(const std::vector<std::string> &lines)
{
    std::string text = "Test.dlg=";
    for (const std::string &l : lines)
        text += l + std::string(1, '\0');
    return text + std::string(1, '\0');
}

std::string widget_line(const std::string &id, const std::string &keyword, const std::string &label,
                        int x, int y, int w, int h, const std::string &tooltip = "", int type = 99)
{
    return id + "," + keyword + ",\"" + label + "\"," + std::to_string(x) + "," + std::to_string(y) +
           "," + std::to_string(w) + "," + std::to_string(h) + ",2,3,49,49,0,0,14,56,0," +
           std::to_string(type) + ",\"" + tooltip + "\",0";
}

struct ScaleGuard {
    ~ScaleGuard() { dlg_scale_x = dlg_scale_y = 1.0f; }
};

TEST(DialogDescription, BuiltInTextIsElevenLinesOf833Bytes)
{
    size_t len = 0;
    while (!(filedlg[len] == '\0' && filedlg[len + 1] == '\0'))
        len++;
    EXPECT_EQ(833u, len + 1);  // the NUL of the last line included
    int lines = 0;
    for (size_t i = 0; i <= len; i++)
        if (filedlg[i] == '\0')
            lines++;
    EXPECT_EQ(11, lines);
    EXPECT_EQ(0, strncmp(filedlg, "SFileDialog.dlg=ID_WINDOW,Window,\"File Dialog\",", 47));

    std::string ok = "ID_FILE_OK,Button,\"OK\",310,136,72,20,2,3,49,49,0,0,14,56,0,99,\"\",0";
    bool found = false;
    for (const char *l = filedlg; *l; l += strlen(l) + 1)
        found = found || ok == l;
    EXPECT_TRUE(found);
}

TEST(DialogBuilder, BuildsTheFileDialogDescription)
{
    TextDialog dlg;
    EXPECT_EQ((std::vector<std::string>{"ID_FILE_CANCEL", "ID_FILE_OK", "ID_FILE_LABEL1",
                                        "ID_FILE_LABEL2", "ID_FILE_LABEL3", "ID_FILE_IMPORT",
                                        "ID_FILE_EXPORT", "ID_FILE_SAVE", "ID_FILE_OPEN",
                                        "ID_FILE_CHK"}),
              dlg.ids());
    EXPECT_EQ(nullptr, dlg.getDialogWidget("ID_WINDOW"));
    EXPECT_EQ(nullptr, dlg.getDialogWidget("id_file_ok"));
    EXPECT_STREQ("File Dialog", dlg.label());
    EXPECT_EQ(392, dlg.w());
    EXPECT_EQ(204, dlg.h());
    EXPECT_EQ(441, dlg.x());
    EXPECT_EQ(11, dlg.labelNum);
    EXPECT_EQ(0, dlg.tooltipNum);

    for (const std::string &id : dlg.ids()) {
        SCOPED_TRACE(id);
        Fl_Widget *w = dlg.getDialogWidget(id.c_str());
        ASSERT_NE(nullptr, w);
        EXPECT_EQ(12, w->labelsize());
        EXPECT_EQ(&dlg, w->parent());
        EXPECT_EQ(FL_BLACK, w->labelcolor());
        EXPECT_EQ(nullptr, w->tooltip());
    }
    Fl_Widget *ok = dlg.getDialogWidget("ID_FILE_OK");
    EXPECT_STREQ("OK", ok->label());
    EXPECT_EQ(310, ok->x());
    EXPECT_EQ(136, ok->y());
    EXPECT_EQ(72, ok->w());
    EXPECT_EQ(FL_UP_BOX, ok->box());
    EXPECT_EQ(FL_DOWN_BOX, static_cast<Fl_Button *>(ok)->down_box());

    auto *chk = dynamic_cast<Fl_Check_Button *>(dlg.getDialogWidget("ID_FILE_CHK"));
    ASSERT_NE(nullptr, chk);
    EXPECT_STREQ("  All  Files", chk->label());
    EXPECT_EQ(FL_BLACK, chk->selection_color());
    EXPECT_EQ(20, (int)chk->align());
    EXPECT_EQ(FL_TOGGLE_BUTTON, chk->type());  // type 99 keeps the class's own
    EXPECT_EQ(FL_NO_BOX, dlg.getDialogWidget("ID_FILE_LABEL1")->box());
}

TEST(DialogBuilder, ScaleFactorsApplyToEveryRectangle)
{
    ScaleGuard guard;
    dlg_scale_x = 1.5f;
    TextDialog dlg;
    Fl_Widget *ok = dlg.getDialogWidget("ID_FILE_OK");
    EXPECT_EQ(465, ok->x());
    EXPECT_EQ(108, ok->w());
    EXPECT_EQ(136, ok->y());
    EXPECT_EQ(588, dlg.w());  // the Window line's size is scaled too
    EXPECT_EQ(204, dlg.h());

    dlg_scale_x = 1.0f;
    dlg_scale_y = 0.55f;
    TextDialog tall;
    // 136 * 0.55 = 74.8 and 20 * 0.55 = 11: truncated toward zero.
    EXPECT_EQ(74, tall.getDialogWidget("ID_FILE_OK")->y());
    EXPECT_EQ(11, tall.getDialogWidget("ID_FILE_OK")->h());
}

TEST(DialogBuilder, CommentsQuotesUnknownKeywordsAndTheEnd)
{
    TextDialog dlg(description({
        "ID_WIN,Window,\"Tests\",0,0,300,200,1,1,49,49,1,0,14,56,1,99,\"\",0",
        "# ID_HIDDEN,Button,\"Never\",1,1,10,10,2,3,49,49,0,0,14,56,0,99,\"\",0",
        "#",
        widget_line("ID_COMMA", "Button", "Yes, please", 5, 6, 70, 20),
        widget_line("ID_ODD", "Sprocket", "Odd", 5, 30, 70, 20),
        widget_line("ID_TIP", "Box", "Tip", 5, 60, 70, 20, "Shows a tip"),
        widget_line("ID_RADIO", "Round_Button", "Radio", 5, 90, 70, 20, "", FL_RADIO_BUTTON),
        "ID_SHORT,Box,\"Short\"",
        "ID_NOLABEL,Box",
        widget_line("ID_LAST", "Input", "", 5, 120, 70, 20),
        // An empty line ends the description.
        "",
        widget_line("ID_AFTER_END", "Button", "After", 5, 150, 70, 20),
    }));
    EXPECT_EQ((std::vector<std::string>{"ID_COMMA", "ID_TIP", "ID_RADIO", "ID_SHORT", "ID_LAST"}),
              dlg.ids());
    EXPECT_STREQ("Tests", dlg.label());
    EXPECT_EQ(300, dlg.w());
    EXPECT_EQ(nullptr, dlg.getDialogWidget("ID_HIDDEN"));
    EXPECT_EQ(nullptr, dlg.getDialogWidget("# ID_HIDDEN"));

    Fl_Widget *comma = dlg.getDialogWidget("ID_COMMA");
    EXPECT_STREQ("Yes, please", comma->label());
    // The fields after the quoted comma keep their numbers.
    EXPECT_EQ(5, comma->x());
    EXPECT_EQ(6, comma->y());
    EXPECT_EQ(70, comma->w());
    EXPECT_EQ(FL_UP_BOX, comma->box());

    EXPECT_EQ(1, dlg.tooltipNum);
    EXPECT_STREQ("Shows a tip", dlg.getDialogWidget("ID_TIP")->tooltip());
    EXPECT_EQ(FL_RADIO_BUTTON, dlg.getDialogWidget("ID_RADIO")->type());

    Fl_Widget *shortLine = dlg.getDialogWidget("ID_SHORT");
    EXPECT_STREQ("Short", shortLine->label());
    EXPECT_EQ(0, shortLine->x());
    EXPECT_EQ(0, shortLine->w());
    EXPECT_EQ(nullptr, dlg.getDialogWidget("ID_LAST")->label());
    // Window, comma, odd, tip, radio and short lines have labels.
    EXPECT_EQ(6, dlg.labelNum);
}

TEST(DialogBuilder, GroupsTakeWidgetsWhoseCornerTheyContainEdgesIncluded)
{
    TextDialog dlg(description({
        widget_line("ID_OUTER", "Group", "", 0, 0, 300, 200),
        widget_line("ID_G", "Group", "", 10, 10, 100, 50),
        widget_line("ID_ON_EDGE", "Button", "a", 110, 60, 20, 20),
        widget_line("ID_PAST_EDGE", "Button", "b", 111, 20, 20, 20),
        widget_line("ID_BELOW", "Button", "c", 50, 61, 20, 20),
        widget_line("ID_OUTSIDE", "Button", "d", 301, 20, 20, 20),
        widget_line("ID_SCROLL", "Scroll", "", 400, 0, 100, 100),
        widget_line("ID_IN_SCROLL", "Button", "e", 410, 10, 20, 20),
    }));
    Fl_Group *outer = dlg.getDialogWidget("ID_OUTER")->as_group();
    Fl_Group *g = dlg.getDialogWidget("ID_G")->as_group();
    ASSERT_NE(nullptr, outer);
    ASSERT_NE(nullptr, g);
    EXPECT_EQ(&dlg, outer->parent());
    EXPECT_EQ(outer, g->parent());  // nested into the newest earlier group
    EXPECT_EQ(g, dlg.getDialogWidget("ID_ON_EDGE")->parent());
    EXPECT_EQ(outer, dlg.getDialogWidget("ID_PAST_EDGE")->parent());
    EXPECT_EQ(outer, dlg.getDialogWidget("ID_BELOW")->parent());
    EXPECT_EQ(&dlg, dlg.getDialogWidget("ID_OUTSIDE")->parent());
    // Scroll areas are closed at once and never collect widgets.
    EXPECT_EQ(&dlg, dlg.getDialogWidget("ID_IN_SCROLL")->parent());
    EXPECT_EQ(&dlg, dlg.getDialogWidget("ID_SCROLL")->parent());
}

TEST(DialogBuilder, OverLongFieldsAreCutToTheirBuffers)
{
    std::string id(40, 'I');
    std::string label(200, 'L');
    std::string tip(300, 'T');
    TextDialog dlg(description({
        widget_line(id, "Button", label, 1, 2, 3, 4, tip),
        widget_line("ID_KW", std::string(70, 'K'), "x", 1, 2, 3, 4),
    }));
    ASSERT_EQ(1u, dlg.ids().size());
    EXPECT_EQ(std::string(31, 'I'), dlg.ids()[0]);
    Fl_Widget *w = dlg.getDialogWidget(std::string(31, 'I').c_str());
    ASSERT_NE(nullptr, w);
    EXPECT_EQ(std::string(127, 'L'), w->label());
    EXPECT_EQ(std::string(255, 'T'), w->tooltip());
}

// Any numbers build a widget FLTK can draw: rectangles are bounded (the
// group's far edge would overflow int), and box types, label types, fonts
// and types outside what FLTK draws are replaced.
TEST(DialogBuilder, HugeNumbersAndUndrawableValuesAreMadeSafe)
{
    ScaleGuard guard;
    TextDialog dlg(description({
        "ID_G,Group,\"\",49,0,2147483647,2147483647,0,0,49,49,0,0,14,56,0,99,\"\",0",
        "ID_B,Button,\"b\",2147483647,-2147483648,99999999999,-5,200,255,49,49,7,300,14,56,0,240,\"\",0",
        "ID_IN,Box,\"in\",8241,5,1,1,2,0,49,49,5,3,14,56,0,1,\"\",0",
    }));
    Fl_Widget *g = dlg.getDialogWidget("ID_G");
    Fl_Widget *b = dlg.getDialogWidget("ID_B");
    Fl_Widget *in = dlg.getDialogWidget("ID_IN");
    ASSERT_TRUE(g && b && in);
    EXPECT_EQ(DLG_MAX_EXTENT, g->w());
    EXPECT_EQ(DLG_MAX_EXTENT, b->x());
    EXPECT_EQ(-DLG_MAX_EXTENT, b->y());
    EXPECT_EQ(DLG_MAX_EXTENT, b->w());
    EXPECT_EQ(0, b->h());
    EXPECT_EQ(FL_NO_BOX, b->box());
    EXPECT_EQ(FL_NO_BOX, static_cast<Fl_Button *>(b)->down_box());
    EXPECT_EQ(FL_NORMAL_LABEL, b->labeltype());
    EXPECT_EQ(FL_HELVETICA, b->labelfont());
    EXPECT_EQ(FL_NORMAL_BUTTON, b->type());  // a window's type is not taken
    EXPECT_EQ(&dlg, b->parent());
    EXPECT_EQ(g, in->parent());  // on the group's far edge
    EXPECT_EQ(FL_NORMAL_LABEL, in->labeltype());  // a list of labels, not text
    EXPECT_EQ(3, in->labelfont());

    dlg_scale_x = NAN;
    TextDialog unscaled;
    EXPECT_EQ(0, unscaled.getDialogWidget("ID_FILE_OK")->x());
    EXPECT_EQ(0, unscaled.getDialogWidget("ID_FILE_OK")->w());
}

TEST(DialogBuilder, OnlyTheFirst833BytesAreRead)
{
    std::string first = widget_line("ID_A", "Button", std::string(100, 'a'), 1, 1, 5, 5);
    std::vector<std::string> lines;
    std::string text = "Test.dlg=";
    int n = 0;
    while (text.size() < 1100) {
        std::string l = first;
        l.replace(3, 1, std::string(1, (char)('A' + n++)));
        lines.push_back(l);
        text += l + std::string(1, '\0');
    }
    text += std::string(1, '\0');
    TextDialog dlg(text);
    // Lines that end past byte 833 are cut there or never reached.
    std::vector<std::string> built = dlg.ids();
    ASSERT_FALSE(built.empty());
    EXPECT_LT(built.size(), lines.size());
    size_t whole = 0;
    size_t used = strlen("Test.dlg=");
    while (whole < lines.size() && used + lines[whole].size() + 1 <= 833)
        used += lines[whole++].size() + 1;
    for (size_t i = 0; i < whole; i++)
        EXPECT_EQ(lines[i].substr(0, 4), built[i]);

    TextDialog noHeader(std::string("ID_A,Button,\"a\",1,1,5,5", 24) + std::string(2, '\0'));
    EXPECT_TRUE(noHeader.ids().empty());
}

TEST(FieldReaders, QuoteAwareFields)
{
    const char *line = "ID,Box,\"a, b\",12, -7 ,x9,\"tip\"";
    struct Case {
        int field;
        int result;
        const char *text;
    } cases[] = {
        {1, 1, "ID"}, {2, 1, "Box"}, {3, 1, "a, b"}, {4, 1, "12"}, {5, 1, " -7 "},
        {6, 1, "x9"}, {7, 1, "tip"}, {8, -1, ""}, {9, -1, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field);
        char out[64] = "";
        EXPECT_EQ(c.result, GetKeywordQuotation(line, c.field, out, sizeof out));
        if (c.result == 1) {
            EXPECT_STREQ(c.text, out);
        }
    }
    EXPECT_EQ(12, ReadIntFieldQuotation(line, 4));
    EXPECT_EQ(-7, ReadIntFieldQuotation(line, 5));
    EXPECT_EQ(0, ReadIntFieldQuotation(line, 6));
    EXPECT_EQ(0, ReadIntFieldQuotation(line, 3));
    EXPECT_EQ(0, ReadIntFieldQuotation(line, 9));
    EXPECT_EQ(2147483647, ReadIntFieldQuotation("99999999999", 1));

    char small[4];
    EXPECT_EQ(1, GetKeywordQuotation(line, 3, small, sizeof small));
    EXPECT_STREQ("a, ", small);
    char nl[16];
    EXPECT_EQ(1, GetKeywordQuotation("a,b\nc,d", 2, nl, sizeof nl));
    EXPECT_STREQ("b", nl);
}

TEST(FieldReaders, QuotationHelpers)
{
    EXPECT_EQ(0, GetQuotationNum("plain"));
    EXPECT_EQ(3, GetQuotationNum("\"a\"b\""));
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"plain", "plain"},   {"\"OK\"", "OK"},       {"x\"in side\"y", "in side"},
        {"\"open", "open"},   {"\"\"", ""},           {"  \"  All  Files\"", "  All  Files"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.in);
        char buf[64];
        snprintf(buf, sizeof buf, "%s", c.in);
        DelQuotation(buf);
        EXPECT_STREQ(c.out, buf);
    }
}

} // namespace
