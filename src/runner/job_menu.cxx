#include "runner/job_menu.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>

#include <cstdint>
#include <string>
#include <vector>

const int JobMenu::kJobChoices[10] = {1, 2, 3, 4, 6, 8, 12, 16, 32, 64};
const int JobMenu::kCoreChoices[8] = {1, 2, 4, 8, 16, 32, 64, 128};

namespace {

// A pick travels in the item's user data: what, and its value (a count
// set by hand goes up to 4096).
const intptr_t kValues = 10000;

void *encode(JobMenu::What what, int value)
{
    return reinterpret_cast<void *>((intptr_t)what * kValues + value);
}

Fl_Menu_Item item(const char *text, int flags, void *data = nullptr)
{
    return Fl_Menu_Item{text, 0, nullptr, data, flags, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_BLACK};
}

Fl_Menu_Item end_of_menu()
{
    return Fl_Menu_Item{nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0};
}

// The counts offered, and current among them in its place: a count set in
// the file by hand is offered too, so that it shows marked.
template <size_t N> std::vector<int> choices(const int (&offered)[N], int current)
{
    std::vector<int> counts;
    for (int n : offered) {
        if (current < n && (counts.empty() || counts.back() < current))
            counts.push_back(current);
        counts.push_back(n);
    }
    if (counts.back() < current)
        counts.push_back(current);
    return counts;
}

// A submenu of radio items, one per count; labels keeps their texts.
void add_counts(std::vector<Fl_Menu_Item> *items, std::vector<std::string> *labels,
                const char *title, const std::vector<int> &counts, int current,
                JobMenu::What what)
{
    items->push_back(item(title, FL_SUBMENU));
    size_t first = labels->size();
    for (int n : counts)
        labels->push_back(std::to_string(n));
    for (size_t i = 0; i < counts.size(); i++) {
        int flags = FL_MENU_RADIO | (counts[i] == current ? FL_MENU_VALUE : 0);
        items->push_back(item((*labels)[first + i].c_str(), flags, encode(what, counts[i])));
    }
    items->push_back(end_of_menu());
}

} // namespace

JobMenu::Pick JobMenu::Popup(const State &state)
{
    std::vector<int> jobCounts = choices(kJobChoices, state.jobsAtOnce);
    std::vector<int> coreCounts = choices(kCoreChoices, state.cores);
    // Item texts point into it: it must not grow once they are taken.
    std::vector<std::string> labels;
    labels.reserve(jobCounts.size() + coreCounts.size());

    std::vector<Fl_Menu_Item> items;
    // The solver's sense switches, for a running job; "&" marks the letter
    // that picks each from the keyboard.
    if (state.rowRunning) {
        items.push_back(item("&Stop and write a restart dump (sw1)", 0, encode(SENSE_SWITCH, 1)));
        items.push_back(item("Write a restart &dump and go on (sw3)", 0, encode(SENSE_SWITCH, 3)));
        items.push_back(item("Write a &plot state (sw4)", 0, encode(SENSE_SWITCH, 4)));
        items.push_back(
            item("&Report time and cycle (sw2)", FL_MENU_DIVIDER, encode(SENSE_SWITCH, 2)));
    }
    if (state.rowPlots)
        items.push_back(item("P&lots", FL_MENU_DIVIDER, encode(PLOTS, 1)));
    add_counts(&items, &labels, "Jobs at once", jobCounts, state.jobsAtOnce, JOBS_AT_ONCE);
    add_counts(&items, &labels, "Cores per job", coreCounts, state.cores, CORES);
    items.push_back(item("MPP solver through MPI", FL_MENU_TOGGLE | (state.mpp ? FL_MENU_VALUE : 0),
                         encode(MPP, state.mpp ? 0 : 1)));
    items.push_back(item("Notify when jobs end", FL_MENU_TOGGLE | (state.notify ? FL_MENU_VALUE : 0),
                         encode(NOTIFY, state.notify ? 0 : 1)));
    items.push_back(end_of_menu());

    Pick pick;
    const Fl_Menu_Item *got = items[0].popup(Fl::event_x(), Fl::event_y());
    if (got && got->user_data()) {
        intptr_t code = reinterpret_cast<intptr_t>(got->user_data());
        pick.what = (What)(code / kValues);
        pick.value = (int)(code % kValues);
    }
    return pick;
}
