// The main window's side of opening files from outside its dialogs: the
// rows of decks and restart dumps, the status line of what was refused, and
// the files dropped on the job table.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>

#include <climits>
#include <cstdio>
#include <unistd.h>

#include "foundation/uri_list.h"

namespace {

// A label draws "@name" as a symbol; a file's name is text.
std::string label_text(const std::string &text)
{
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '@')
            out += '@';
    }
    return out;
}

} // namespace

void guiMainWnd::OpenFiles(const std::vector<std::string> &paths, bool submit)
{
    m_openQueue.Add(paths, submit);
}

bool guiMainWnd::open_one(const std::string &path, JobFileKind kind, std::string *why, void *data)
{
    guiMainWnd *w = static_cast<guiMainWnd *>(data);
    JobFileTexts t;
    bool deck = kind == JOB_FILE_DECK;
    if (SplitJobFile(path, deck, &t, why) != 1)
        return false;
    w->m_queue.Add(deck ? w->NewJob(JobKind::Deck, path, "", t.size)
                        : w->NewJob(JobKind::RestartFromDump, "", path, t.size));
    return true;
}

void guiMainWnd::open_done(const OpenQueue::Refused &refused, bool submit, void *data)
{
    guiMainWnd *w = static_cast<guiMainWnd *>(data);
    if (refused.count > 0) {
        // The line has the room left of the control panel: a long name
        // gives way to the reason.
        fl_font(w->lblFisrt->labelfont(), w->lblFisrt->labelsize());
        int room = w->m_bxUpBox->x() - w->lblFisrt->x() - 4;
        size_t nameMax = refused.first.size();
        std::string line = OpenQueue::RefusedLine(refused, nameMax);
        while (nameMax > 8 && fl_width(line.c_str()) > room) {
            nameMax -= 4;
            line = OpenQueue::RefusedLine(refused, nameMax);
        }
        w->Hold(0, label_text(line));
    }
    // During a run the rows are in its queue already; Submit starts them in
    // free slots at once.
    if (submit)
        w->real_submit_cb();
}

void guiMainWnd::drop_cb(Fl_Widget *, void *data)
{
    static_cast<guiMainWnd *>(data)->real_drop_cb();
}

void guiMainWnd::real_drop_cb()
{
    char host[HOST_NAME_MAX + 1] = "";
    if (gethostname(host, sizeof host) != 0)
        host[0] = '\0';
    host[HOST_NAME_MAX] = '\0';
    UriList dropped;
    UriList_Parse(Fl::event_text(), (size_t)Fl::event_length(), host, &dropped);
    if (!dropped.refused.empty()) {
        const UriList::Refusal &first = dropped.refused[0];
        std::string entry = first.entry;
        if (entry.size() > 80)
            entry = entry.substr(0, 77) + "...";
        std::string line = dropped.paths.empty() ? "Nothing added from the drop: " : "Not added: ";
        Hold(0, label_text(line + entry + ": " + first.why));
    }
    if (!dropped.paths.empty())
        OpenFiles(dropped.paths, false);
}
