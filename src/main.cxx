#include <FL/Fl.H>

#include "runner/gui_mainwnd.h"

int main()
{
    new guiMainWnd(100, 100, 813, 385, "LS-DYNA Wendle 2.2");
    Fl::run();
    // Closing the window scheduled its deletion; the loop has no pass left
    // to carry it out.
    Fl::do_widget_deletion();
    return 1;
}
