#include <FL/Fl.H>
#include <FL/Fl_Window.H>

int main()
{
    Fl_Window *win = new Fl_Window(100, 100, 813, 385, "LS-DYNA Wendle 2.2");
    win->end();
    win->show();
    Fl::run();
    return 1;
}
