// The job file dialog on a big folder: SFileDialog in open mode, as the
// main window opens it, until first drawn, against FLTK's Fl_File_Chooser
// on the same folder; and each one's teardown, from the press on Cancel
// until it is destroyed and gone from the screen.
//
// Usage: bench_dialog [--runs N] FOLDER; prints "dialog_open_ms",
// "dialog_teardown_ms", "chooser_open_ms" and "chooser_teardown_ms" medians.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <vector>

#include "dialogs/sfiledialog.h"
#include "measure.h"

namespace {

const char kFilter[] = "Dyna file(*.dyn;*.k)|All file(*.*)";
const char kChooserFilter[] = "Dyna file (*.{dyn,k})";

struct Timing {
    double open = -1, teardown = -1;
};

// The dialog runs its own modal loop; this check, run from inside it,
// notes when it is drawn and presses Cancel.
struct DialogRun {
    SFileDialog *dialog;
    double t0;
    Timing *timing;
    double pressed;
};

void press_cancel_once_drawn(void *data)
{
    DialogRun *run = static_cast<DialogRun *>(data);
    if (run->timing->open >= 0 || !bench::exposed(run->dialog))
        return;
    bench::flush_to_server();
    run->timing->open = bench::now_ms() - run->t0;
    Fl_Button *cancel = bench::find_button(run->dialog, "Cancel");
    run->pressed = bench::now_ms();
    if (cancel)
        cancel->do_callback();
    else
        run->dialog->hide();
}

bool run_dialog(const char *folder, Timing *t)
{
    char dir[FD_PATH_SIZE], name[FD_PATH_SIZE] = "";
    snprintf(dir, sizeof dir, "%s", folder);
    DialogRun run{nullptr, bench::now_ms(), t, 0};
    // As the open-file front end builds it.
    run.dialog = new SFileDialog(FD_OPEN, kFilter, dir, name, "Select Dyna Files", 252, 258,
                                 481, 255);
    Fl::add_check(press_cancel_once_drawn, &run);
    run.dialog->ShowFileDialog();
    Fl::remove_check(press_cancel_once_drawn, &run);
    delete run.dialog;
    bench::flush_to_server();
    t->teardown = bench::now_ms() - run.pressed;
    return t->open >= 0;
}

bool run_chooser(const char *folder, Timing *t)
{
    double t0 = bench::now_ms();
    Fl_File_Chooser *fc =
        new Fl_File_Chooser(folder, kChooserFilter, Fl_File_Chooser::SINGLE, "Select Dyna Files");
    fc->show();
    Fl_Window *win = Fl::first_window();
    bool ok = win && bench::show_until_drawn(win);
    t->open = bench::now_ms() - t0;
    Fl_Button *cancel = win ? bench::find_button(win, "Cancel") : nullptr;
    double pressed = bench::now_ms();
    if (cancel)
        cancel->do_callback();
    else
        fc->hide();
    delete fc;
    bench::flush_to_server();
    t->teardown = bench::now_ms() - pressed;
    return ok && cancel;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = bench::runs_arg(argc, argv, 7);
    const char *folder = argc > 1 ? argv[argc - 1] : nullptr;
    if (!folder || folder[0] != '/') {
        fprintf(stderr, "usage: bench_dialog [--runs N] /absolute/folder/\n");
        return 1;
    }
    bench::watch_exposures();
    std::vector<double> dOpen, dTear, cOpen, cTear;
    // One round first warms the caches (folder, fonts, pixmaps) for both.
    for (int r = 0; r <= runs; r++) {
        Timing d, c;
        if (!run_dialog(folder, &d) || !run_chooser(folder, &c)) {
            fprintf(stderr, "bench_dialog: a dialog was not drawn\n");
            return 1;
        }
        if (r == 0)
            continue;
        dOpen.push_back(d.open);
        dTear.push_back(d.teardown);
        cOpen.push_back(c.open);
        cTear.push_back(c.teardown);
    }
    bench::report("dialog_open_ms", bench::median(dOpen));
    bench::report("dialog_teardown_ms", bench::median(dTear));
    bench::report("chooser_open_ms", bench::median(cOpen));
    bench::report("chooser_teardown_ms", bench::median(cTear));
    return 0;
}
