// The main window's queue commands.
#include "runner/gui_mainwnd.h"

void guiMainWnd::real_add_cb() {}
void guiMainWnd::real_addrestart_cb() {}
void guiMainWnd::real_delete_cb() {}
void guiMainWnd::real_up_cb() {}
void guiMainWnd::real_down_cb() {}
void guiMainWnd::real_reset_cb() {}
void guiMainWnd::real_automem_cb() {}
void guiMainWnd::real_location_cb(Fl_Widget *) {}
void guiMainWnd::real_about_cb() {}
