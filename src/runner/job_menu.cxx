#include "runner/job_menu.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>

#include <cstdint>
#include <string>
#include <vector>

const int JobMenu::kJobChoices[10] = {1, 2, 3, 4, 6, 8, 12, 16, 32, 64};

namespace {

// A pick travels in the item's user data: what, and its value.
void *encode(JobMenu::What what, int value)
{
    return reinterpret_cast<void *>((intptr_t)what * 1000 + value);
}

Fl_Menu_Item item(const char *text, int flags, void *data = nullptr)
{
    return Fl_Menu_Item{text, 0, nullptr, data, flags, FL_NORMAL_LABEL, FL_HELVETICA, 14, FL_BLACK};
}

Fl_Menu_Item end_of_menu()
{
    return Fl_Menu_Item{nullptr, 0, nullptr, nullptr, 0, 0, 0, 0, 0};
}

} // namespace

JobMenu::Pick JobMenu::Popup(const State &state)
{
    // A count set in the file by hand is offered too, so that it shows marked.
    std::vector<int> counts;
    for (int n : kJobChoices) {
        if (state.jobsAtOnce < n && (counts.empty() || counts.back() < state.jobsAtOnce))
            counts.push_back(state.jobsAtOnce);
        counts.push_back(n);
    }
    std::vector<std::string> labels;
    for (int n : counts)
        labels.push_back(std::to_string(n));

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
    items.push_back(item("Jobs at once", FL_SUBMENU));
    for (size_t i = 0; i < counts.size(); i++) {
        int flags = FL_MENU_RADIO | (counts[i] == state.jobsAtOnce ? FL_MENU_VALUE : 0);
        items.push_back(item(labels[i].c_str(), flags, encode(JOBS_AT_ONCE, counts[i])));
    }
    items.push_back(end_of_menu());
    items.push_back(item("Notify when jobs end", FL_MENU_TOGGLE | (state.notify ? FL_MENU_VALUE : 0),
                         encode(NOTIFY, state.notify ? 0 : 1)));
    items.push_back(end_of_menu());

    Pick pick;
    const Fl_Menu_Item *got = items[0].popup(Fl::event_x(), Fl::event_y());
    if (got && got->user_data()) {
        intptr_t code = reinterpret_cast<intptr_t>(got->user_data());
        pick.what = (What)(code / 1000);
        pick.value = (int)(code % 1000);
    }
    return pick;
}
