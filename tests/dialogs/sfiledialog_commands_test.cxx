#include "filedialog_fixture.h"

#include "support/gui.h"
#include "support/tempdir.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Window.H>

#include "dialogs/sflatwidgets.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

const char *kDyna = "Dyna file(*.dyn;*.k)|All file(*.*)";

struct Session {
    TempDir t;
    char dir[FD_PATH_SIZE];
    char name[FD_PATH_SIZE] = "";
    std::unique_ptr<TestDialog> d;
    explicit Session(int mode = FD_OPEN, const char *filter = kDyna)
    {
        t.mkdir("sub");
        for (const char *f : {"case1.k", "deck.k", "notes.txt", "a.tar.gz"})
            t.write(f, "x");
        snprintf(dir, sizeof dir, "%s/", t.path().c_str());
        g_filetype = 0;
        d.reset(new TestDialog(mode, filter, dir, name, nullptr, 100, 100, 481, 255));
    }
    std::string top() const { return t.path() + "/"; }
    // Runs the modal loop while the script drives it.
    int run(Script &s)
    {
        s.start();
        int r = d->ShowFileDialog();
        EXPECT_FALSE(s.timedOut());
        EXPECT_TRUE(s.finished());
        return r;
    }
};

bool listed(TestDialog *d)
{
    return d->listed();
}

TEST(FileDialogAccept, TypedNameWithEnterAndDoubleClickedFile)
{
    Session s;
    TestDialog *d = s.d.get();
    Script script;
    script.until([d]() { return listed(d); }).then([d]() {
        d->file_box->value("   case1.k   ");
        gui::send_key(d, FL_Enter);
    });
    EXPECT_EQ(1, s.run(script));
    EXPECT_FALSE(d->shown());
    EXPECT_STREQ("case1.k", s.name);
    EXPECT_EQ(s.top(), s.dir);
    EXPECT_EQ(s.top() + "case1.k", d->GetPathName());
    EXPECT_STREQ(".k", d->GetFileExt());

    Session again;
    TestDialog *e = again.d.get();
    Script clicks;
    clicks.until([e]() { return listed(e); }).then([e]() { gui::click(e->entry("deck.k"), 1); });
    EXPECT_EQ(1, again.run(clicks));
    EXPECT_STREQ("deck.k", again.name);
    EXPECT_STREQ("deck.k", e->_filename);
    EXPECT_EQ(again.top(), e->_dir);
}

TEST(FileDialogAccept, RefusedNamesKeepTheDialogOpen)
{
    // Typed, the names of these real files keep the rules for typed names.
    const char *refused[] = {"notes.txt", "a*b.k",    "missing.k",     "a/b:c",
                             "x//y",      "q?.k",     " lead.k",       "trail.k ",
                             "sub\\none", "/no/such/place/", "back\\slash.k"};
    const char *messages[] = {"Invalide File Name!",      "Invalide File Name!",
                              "Invalide File Name!",      "Invalide File Name!",
                              "Invalide File Name!",      "Invalide File Name!",
                              "Invalide File Name!",      "Invalide File Name!",
                              "Invalide Directory Name!", "Invalide Directory Name!",
                              "Invalide Directory Name!"};
    Session s;
    for (const char *f : {"q?.k", " lead.k", "trail.k ", "back\\slash.k"})
        s.t.write(f, "x");
    TestDialog *d = s.d.get();
    std::vector<std::string> seen;
    Script script;
    script.until([d]() { return listed(d); });
    for (const char *name : refused) {
        script.then([d, name]() {
            d->file_box->value(name);
            gui::click(d->OPEN);
        });
        script.until([&seen]() {
            if (!shown_alert())
                return false;
            seen.push_back(alert_text());
            return close_alert();
        });
    }
    script.then([d]() { gui::click(d->CANCEL); });
    EXPECT_EQ(-1, s.run(script));
    ASSERT_EQ(11u, seen.size());
    for (size_t i = 0; i < seen.size(); i++) {
        SCOPED_TRACE(refused[i]);
        EXPECT_EQ(messages[i], seen[i]);
    }
    EXPECT_STREQ("", s.name);
    EXPECT_EQ(s.top(), s.dir);
}

// A picked name the user then edits is a typed one, even when the edit
// gives back the same text.
TEST(FileDialogAccept, AnEditedPickFollowsTheRulesForTypedNames)
{
    Session s;
    s.t.write(" lead.k", "x");
    TestDialog *d = s.d.get();
    std::string told;
    Script script;
    script.until([d]() { return listed(d); })
        .then([d]() {
            gui::click(d->entry(" lead.k"));
            EXPECT_STREQ(" lead.k", d->file_box->value());
            gui::send_key(d, 'x', "x");
            gui::send_key(d, FL_BackSpace);
            EXPECT_STREQ(" lead.k", d->file_box->value());
            gui::click(d->OPEN);
        })
        .until([&told]() {
            if (!shown_alert())
                return false;
            told = alert_text();
            return close_alert();
        })
        .then([d]() { gui::click(d->CANCEL); });
    EXPECT_EQ(-1, s.run(script));
    EXPECT_EQ("Invalide File Name!", told);
}

// A name picked in the grid stays picked while its folder is listed again;
// a change of folder, or an edit, makes the field's text a typed name. The
// folder "other" lists the same names.
TEST(FileDialogAccept, APickOutlivesARelistOfItsFolder)
{
    enum How { FILTER, LOOK_IN_FIRST, OTHER_FOLDER, OTHER_FOLDER_AT_ONCE, EDIT };
    struct Case {
        const char *name;
        How how;
        bool kept;
    } cases[] = {
        {" deck.k", FILTER, true},         {"q?.k", FILTER, true},
        {" deck.k", LOOK_IN_FIRST, true},  {"q?.k", LOOK_IN_FIRST, true},
        {" deck.k", OTHER_FOLDER, false},  {"q?.k", OTHER_FOLDER, false},
        {" deck.k", OTHER_FOLDER_AT_ONCE, false}, {"q?.k", EDIT, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("\"") + c.name + "\" how " + std::to_string(c.how));
        Session s;
        s.t.mkdir("other");
        for (const char *f : {" deck.k", "q?.k", "other/ deck.k", "other/q?.k"})
            s.t.write(f, "x");
        TestDialog *d = s.d.get();
        snprintf(d->drivename[1], FD_PATH_SIZE, "%s", (s.top() + "other/").c_str());
        std::string told;
        Script script;
        script.until([d]() { return listed(d); })
            .then([d, c]() {
                gui::click(d->entry(c.name));
                switch (c.how) {
                case FILTER:
                    d->FilterChoice->picked(&d->FilterItem[1]);
                    break;
                case LOOK_IN_FIRST:
                    // Shown after an earlier choice; the current one would
                    // not be chosen again.
                    d->FileChoice->value(1);
                    d->FileChoice->picked(&d->FileItem[0]);
                    break;
                case OTHER_FOLDER:
                    d->FileChoice->picked(&d->FileItem[1]);
                    break;
                case OTHER_FOLDER_AT_ONCE:
                    // Open before the window has drawn the other folder.
                    d->FileChoice->picked(&d->FileItem[1]);
                    gui::click(d->OPEN);
                    break;
                case EDIT:
                    gui::send_key(d, 'x', "x");
                    gui::send_key(d, FL_BackSpace);
                    break;
                }
            })
            .until([d]() { return listed(d) || shown_alert(); })
            .then([d, c]() {
                EXPECT_STREQ(c.name, d->file_box->value());
                if (!shown_alert())
                    gui::click(d->OPEN);
            });
        if (!c.kept)
            script.closesAlert(told).then([d]() { gui::click(d->CANCEL); });
        int r = s.run(script);
        if (c.kept) {
            EXPECT_EQ(1, r);
            EXPECT_STREQ(c.name, s.name);
            EXPECT_EQ(s.top(), s.dir);
        } else {
            EXPECT_EQ(-1, r);
            EXPECT_EQ("Invalide File Name!", told);
        }
    }
}

TEST(FileDialogAccept, NameCleaningAndValidation)
{
    Session s;
    TestDialog *d = s.d.get();
    d->showAndDraw();
    struct Input {
        const char *typed, *clean;
    } inputs[] = {{"   deck.k   ", "deck.k"}, {"sub\\dir", "sub/dir"}, {"   ", ""},
                  {"a b", "a b"},             {"\\\\x", "//x"}};
    for (const Input &c : inputs) {
        SCOPED_TRACE(c.typed);
        char *clean = d->ValidInput(c.typed);
        ASSERT_NE(nullptr, clean);
        EXPECT_STREQ(c.clean, clean);
        free(clean);
    }
    EXPECT_EQ(nullptr, d->ValidInput(""));
    EXPECT_EQ(nullptr, d->ValidInput(nullptr));

    const std::string top = s.top();
    struct Name {
        std::string name;
        int result;
        std::string getfile;
    } names[] = {
        {"C:x", 0, "C:x"},
        {"plain.k", 0, "plain.k"},
        {"sub", 1, top + "sub/"},
        {".", 1, top + "./"},
        {"..", 1, top + "../"},
        {top + "sub", 1, top + "sub/"},
        {"/sub", 1, top + "sub/"},
        {"sub/", 1, top + "sub/"},
        {"C:/x", -1, ""},
        {"x:y/z", -1, ""},
    };
    for (const Name &c : names) {
        SCOPED_TRACE(c.name);
        gui::ButtonPresser presser("Close", c.result == -1 ? 1 : 0);
        EXPECT_EQ(c.result, d->ValidFilename(c.name.c_str()));
        EXPECT_EQ(c.getfile, d->getfile);
        EXPECT_EQ(c.result == -1 ? 1 : 0, presser.presses());
    }
}

TEST(FileDialogAccept, TypedFoldersMoveTheDialogAndKeepTheText)
{
    Session s;
    std::string other = s.t.mkdir("sub/other");
    TestDialog *d = s.d.get();
    d->showAndDraw();
    d->file_box->value("sub");
    gui::click(d->OPEN);
    d->waitDrawn();
    EXPECT_EQ(s.top() + "sub/", d->dir_cur);
    EXPECT_STREQ("sub", d->file_box->value());
    EXPECT_TRUE(d->shown());
    EXPECT_EQ(0, d->usr_ans);
    EXPECT_NE(nullptr, d->entry("other"));

    d->file_box->value(s.top().c_str());
    gui::click(d->OPEN);
    d->waitDrawn();
    EXPECT_EQ(s.top(), d->dir_cur);
    EXPECT_STREQ(s.top().c_str(), d->file_box->value());
    EXPECT_NE(nullptr, d->entry("case1.k"));
    EXPECT_TRUE(d->LASTDIR->active());
}

TEST(FileDialogAccept, SaveModeCompletesTheExtension)
{
    struct Case {
        int filter;
        const char *typed, *saved;
    } cases[] = {
        {0, "model", "model.dyn"}, {0, "Model.DYN", "Model.DYN"}, {0, "model.K", "model.K"},
        {0, "model.k.bak", "model.k.bak"}, {1, "model", "model"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        Session s(FD_SAVE);
        TestDialog *d = s.d.get();
        d->showAndDraw();
        d->FilterChoice->picked(&d->FilterItem[c.filter]);
        d->waitDrawn();
        d->file_box->value(c.typed);
        gui::click(d->OPEN);
        EXPECT_EQ(1, d->usr_ans);
        EXPECT_STREQ(c.saved, d->GetFileName());
        EXPECT_EQ(c.filter, g_filetype);
    }
}

TEST(FileDialogAccept, ImportModeReturnsTwoAndGoesOn)
{
    Session s(FD_IMPORT);
    TestDialog *d = s.d.get();
    Script script;
    script.until([d]() { return listed(d); })
        .then([d]() {
            gui::click(d->IMPORT);  // an empty field: nothing happens
            EXPECT_TRUE(d->shown());
            EXPECT_EQ(0, d->usr_ans);
            d->file_box->value("sub");
            gui::click(d->OPEN);
        })
        .until([d]() { return listed(d); })
        .then([d]() { gui::send_key(d, FL_Escape); });
    EXPECT_EQ(-1, s.run(script));
    EXPECT_EQ(s.top() + "sub/", s.dir);

    Session i(FD_IMPORT);
    TestDialog *e = i.d.get();
    Script imp;
    imp.until([e]() { return listed(e); }).then([e]() {
        e->file_box->value("deck.k");
        gui::click(e->IMPORT);
    });
    EXPECT_EQ(2, i.run(imp));
    EXPECT_TRUE(e->shown());
    EXPECT_STREQ("", e->file_box->value());
    EXPECT_STREQ("deck.k", i.name);
    EXPECT_EQ(i.top(), e->dir_cur);
    Script more;
    more.then([e]() { gui::click(e->entry("sub"), 1); })
        .until([e]() { return listed(e) && e->entry("..") && !e->entry("deck.k"); })
        .then([e]() { gui::click(e->CANCEL); });
    EXPECT_EQ(-1, i.run(more));
    EXPECT_EQ(i.top() + "sub/", i.dir);

    // Ticking All Files lists every file at once.
    Session all(FD_IMPORT);
    TestDialog *a = all.d.get();
    a->showAndDraw();
    EXPECT_EQ(nullptr, a->entry("notes.txt"));
    gui::click(a->chk_filter);
    a->waitDrawn();
    EXPECT_NE(nullptr, a->entry("notes.txt"));
}

TEST(FileDialogAccept, CancelAndEmptyEnterGiveMinusOne)
{
    for (int how = 0; how < 3; how++) {
        SCOPED_TRACE(how);
        Session s;
        TestDialog *d = s.d.get();
        Script script;
        script.until([d]() { return listed(d); }).then([d, how]() {
            if (how == 0)
                gui::click(d->CANCEL);
            else if (how == 1)
                gui::send_key(d, FL_Enter);
            else
                gui::click(d->OPEN);
        });
        EXPECT_EQ(-1, s.run(script));
        EXPECT_STREQ("", s.name);
        EXPECT_STREQ("", d->GetFileName());
    }
}

// A field of blanks: where a name must be a listed file it is refused like
// any unlisted name; elsewhere it would be a name of nothing but the
// extension, and the dialog closes as cancelled.
TEST(FileDialogAccept, BlankFieldPerMode)
{
    struct Case {
        int mode;
        bool import;
        bool refused;
    } cases[] = {{FD_OPEN, false, true},  {FD_IMPORT, false, true}, {FD_IMPORT, true, true},
                 {FD_SAVE, false, false}, {FD_EXPORT, false, false}, {-1, false, false},
                 {0, false, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + (c.import ? " Import" : ""));
        Session s(c.mode);
        TestDialog *d = s.d.get();
        std::string told;
        Script script;
        script.until([d]() { return listed(d); }).then([d, c]() {
            d->file_box->value("   ");
            gui::click(c.import ? d->IMPORT : d->OPEN);
        });
        if (c.refused)
            script.closesAlert(told).loopRan().then([d]() {
                EXPECT_TRUE(d->shown());
                EXPECT_EQ(0, d->usr_ans);
                gui::click(d->CANCEL);
            });
        EXPECT_EQ(-1, s.run(script));
        EXPECT_EQ(c.refused ? "Invalide File Name!" : "", told);
        EXPECT_STREQ("", s.name);
    }
}

// Opened from another modal window (the restart dialog does so), the file
// dialog must become the modal one, or the toolkit would send it no clicks.
TEST(FileDialogModal, TakesOverFromAnOpenModalWindowWithTheFocusOnTheName)
{
    Fl_Window owner(50, 50, 200, 100, "Owner");
    owner.end();
    owner.set_modal();
    owner.show();
    Session s;
    TestDialog *d = s.d.get();
    EXPECT_FALSE(d->shown()) << "nothing is shown before the dialog runs";
    Fl_Window *modal = nullptr;
    Fl_Widget *focus = nullptr;
    Script script;
    script.until([d]() { return listed(d); }).then([&, d]() {
        modal = Fl::modal();
        focus = Fl::focus();
        gui::click(d->CANCEL);
    });
    EXPECT_EQ(-1, s.run(script));
    EXPECT_EQ(d, modal);
    EXPECT_EQ(d->file_box, focus);
    EXPECT_EQ(&owner, Fl::modal());
}

TEST(FileDialogEnter, EachPressIsHandledOnce)
{
    std::unique_ptr<Fl_Window> other(new Fl_Window(10, 10, 100, 100, "other"));
    other->end();
    other->show();
    ASSERT_TRUE(gui::wait_drawn(other.get()));
    // The key that opened the dialog was Enter.
    gui::send_key(other.get(), FL_Enter);
    ASSERT_EQ(FL_Enter, Fl::event_key());

    Session s;
    TestDialog *d = s.d.get();
    int alerts = 0;
    bool again = false;
    Script script;
    // Listed, the dialog has been round its loop: an Enter acting again
    // would have closed it by now.
    script.until([d]() { return listed(d); })
        .then([d]() {
            EXPECT_EQ(0, d->usr_ans);
            d->file_box->value("missing.k");
            gui::send_key(d, FL_Enter);
        })
        .until([&alerts]() {
            Fl_Window *a = shown_alert();
            if (!a)
                return false;
            alerts++;
            gui::send_key(a, FL_Enter);  // dismissed with Enter
            return true;
        })
        .loopRan()
        .then([&again, d]() {
            again = shown_alert() != nullptr;
            d->file_box->value("case1.k");
            gui::send_key(d, FL_Enter);
        });
    EXPECT_EQ(1, s.run(script));
    EXPECT_EQ(1, alerts);
    EXPECT_FALSE(again);
    EXPECT_STREQ("case1.k", s.name);
}

TEST(FileDialogNewFolder, WaitsOnAShownNameThenCreatesAndEnters)
{
    Session s;
    TestDialog *d = s.d.get();
    d->showAndDraw();
    Fl_Window *small = nullptr;
    Fl_Input *input = nullptr;
    Script script;
    script.until([&]() {
              small = gui::find_window("Create a new directory");
              if (!small)
                  return false;
              for (int i = 0; i < small->children(); i++)
                  if (Fl_Input *in = dynamic_cast<Fl_Input *>(small->child(i)))
                      input = in;
              return input != nullptr;
          })
        .then([&]() {
            EXPECT_EQ(d->x() + 80, small->x());
            EXPECT_EQ(300, small->w());
            EXPECT_NE(nullptr, gui::find_by_label(("Create new directory in:\n " + s.top()).c_str(), small));
            input->value("sub");
            gui::click(gui::find_button("OK", small));
        })
        .loopRan()
        .then([&]() {
            EXPECT_TRUE(small->shown());
            input->value("  ");
            gui::click(gui::find_button("OK", small));
        })
        .loopRan()
        .then([&]() {
            EXPECT_TRUE(small->shown());
            input->value(" fresh ");
            gui::click(gui::find_button("OK", small));
        });
    script.start();
    d->file_box->value("typed");
    gui::click(d->NEWDIR);
    EXPECT_TRUE(script.finished());
    d->waitDrawn();
    EXPECT_TRUE(file_exists(s.top() + "fresh"));
    EXPECT_EQ(s.top() + "fresh/", d->dir_cur);
    EXPECT_EQ(s.top() + "fresh/", d->lookInItems()[0]);
    EXPECT_STREQ("", d->file_box->value());
    EXPECT_EQ((std::vector<std::string>{".", ".."}), d->names());
    EXPECT_TRUE(d->LASTDIR->active());
    EXPECT_EQ(nullptr, gui::find_window("Create a new directory"));
}

TEST(FileDialogNewFolder, CancelEscapeAndWindowManagerClose)
{
    for (int how = 0; how < 3; how++) {
        SCOPED_TRACE(how);
        Session s;
        TestDialog *d = s.d.get();
        d->showAndDraw();
        Script script;
        script.until([]() { return gui::find_window("Create a new directory") != nullptr; })
            .then([how, d]() {
                Fl_Window *small = gui::find_window("Create a new directory");
                // Enter in the small dialog is not the file dialog's, even
                // with the pointer over the file dialog.
                gui::send_pointer(d, FL_MOVE, d->NEWDIR->x() + 5, d->NEWDIR->y() + 5);
                gui::send_key(small, FL_Enter);
                EXPECT_TRUE(d->shown());
                EXPECT_EQ(0, d->usr_ans);
                if (how == 0)
                    gui::click(gui::find_button("CANCEL", small));
                else if (how == 1)
                    gui::send_key(small, FL_Escape);
                else
                    wm_close(small);
            });
        script.start();
        gui::click(d->NEWDIR);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(s.top(), d->dir_cur);
        EXPECT_EQ(nullptr, gui::find_window("Create a new directory"));
        EXPECT_TRUE(d->shown());
    }
}

TEST(FileDialogNewFolder, FailedMkdirIsToldAndTheFolderKept)
{
    for (const char *name : {"case1.k", "no/such"}) {
        SCOPED_TRACE(name);
        Session s;
        TestDialog *d = s.d.get();
        d->showAndDraw();
        std::string text;
        Script script;
        script.until([]() { return gui::find_window("Create a new directory") != nullptr; })
            .then([name]() {
                Fl_Window *small = gui::find_window("Create a new directory");
                for (int i = 0; i < small->children(); i++)
                    if (Fl_Input *in = dynamic_cast<Fl_Input *>(small->child(i)))
                        in->value(name);
                gui::click(gui::find_button("OK", small));
            })
            .until([&text]() {
                if (!shown_alert())
                    return false;
                text = alert_text();
                return close_alert();
            });
        script.start();
        gui::click(d->NEWDIR);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(0u, text.find("Create Directory Failed!\n" + s.top() + name));
        EXPECT_EQ(s.top(), d->dir_cur);
        EXPECT_FALSE(d->LASTDIR->active());
        EXPECT_NE(nullptr, d->entry("case1.k"));
    }
}

TEST(FileDialogChoices, LookInEntriesAndTheirParentheses)
{
    Session s;
    std::string paren = s.t.mkdir("runs (old)");
    TestDialog *d = s.d.get();
    d->showAndDraw();
    ASSERT_GE(d->drivenum, 1);
    struct Case {
        std::string text, dir_cur, item;
    } cases[] = {
        {"Jobs (" + s.top() + "sub/)", s.top() + "sub/", s.top() + "sub/"},
        {paren + "/", paren + "/", paren + "/"},
        {"Broken (" + s.top(), "", "Broken (" + s.top()},
        {"Broken " + s.top() + ")", "", "Broken " + s.top() + ")"},
        {"Reversed )x(", "", "Reversed )x("},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        std::string before = d->dir_cur;
        snprintf(d->drivename[1], FD_PATH_SIZE, "%s", c.text.c_str());
        d->FileChoice->value(0);
        d->FileChoice->picked(&d->FileItem[1]);
        d->waitDrawn();
        EXPECT_EQ(c.dir_cur.empty() ? before : c.dir_cur, d->dir_cur);
        EXPECT_EQ(c.item, d->drivename[1]);
        if (!c.dir_cur.empty()) {
            EXPECT_EQ(1, d->FileChoice->value());  // a Look In choice stays shown
        }
    }
}

// A folder path in Look In is used whole, also once its folder has gone:
// the current folder "run (2)" removed under the dialog, and another path
// that names no folder.
TEST(FileDialogChoices, LookInPathsWithParenthesesAreUsedWhole)
{
    Session s;
    std::string run = s.t.mkdir("run (2)") + "/";
    TestDialog *d = s.d.get();
    d->showAndDraw();
    gui::click(d->entry("run (2)"), 1);
    d->waitDrawn();
    ASSERT_EQ(run, d->dir_cur);
    ASSERT_EQ(0, rmdir(run.c_str()));
    struct Case {
        int item;
        std::string text;
    } cases[] = {{0, run}, {1, s.top() + "gone (3)/"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        snprintf(d->drivename[c.item], FD_PATH_SIZE, "%s", c.text.c_str());
        d->FileChoice->value(1 - c.item);
        d->FileChoice->picked(&d->FileItem[c.item]);
        d->waitDrawn();
        EXPECT_EQ(c.text, d->dir_cur);
        EXPECT_EQ(c.text, d->drivename[c.item]);
        EXPECT_EQ((std::vector<std::string>{".", ".."}), d->names());
    }
}

TEST(FileDialogResults, AccessorsAndSettings)
{
    Session s(FD_IMPORT);
    TestDialog *d = s.d.get();
    struct Case {
        const char *name, *ext, *title;
    } cases[] = {{"a.tar.gz", ".gz", "a.tar"}, {"noext", "", ""}, {".bashrc", ".bashrc", ""},
                 {"", "", ""}, {"x.", ".", "x"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        snprintf(d->_filename, sizeof d->_filename, "%s", c.name);
        EXPECT_STREQ(c.ext, d->GetFileExt());
        EXPECT_STREQ(c.title, d->GetFileTitle());
    }
    d->SetWinTitle("Pick one");
    EXPECT_STREQ("Pick one", d->label());
    d->SetWinControl(4, "Take");
    d->SetWinControl(6, "Bring");
    d->SetWinControl(2, "Name:");
    d->SetWinControl(9, "ignored");
    EXPECT_STREQ("Take", d->OPEN->label());
    EXPECT_STREQ("Bring", d->IMPORT->label());
    EXPECT_STREQ("Name:", d->getDialogWidget("ID_FILE_LABEL2")->label());

    d->showAndDraw();
    d->FilterChoice->picked(&d->FilterItem[1]);
    EXPECT_EQ(1, d->GetFilterIndex());
    d->SetWinFilter("Text(*.txt)|Gz(*.gz)");
    d->waitDrawn();
    EXPECT_EQ((std::vector<std::string>{"Text(*.txt)", "Gz(*.gz)"}), d->filterItems());
    EXPECT_EQ(0, d->GetFilterIndex());
    EXPECT_EQ(1, d->checked);
    EXPECT_EQ((std::vector<std::string>{".", "..", "sub", "notes.txt"}), d->names());
}

} // namespace
