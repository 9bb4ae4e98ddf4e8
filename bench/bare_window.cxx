// The start-up anchor: a bare FLTK program showing a window of the main
// window's size. With --label the window holds one text, so that the
// toolkit's first font load is paid as in any window that shows text.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Window.H>

#include <cstring>

int main(int argc, char **argv)
{
    Fl_Window *win = new Fl_Window(100, 100, 813, 385, "bare window");
    if (argc > 1 && strcmp(argv[1], "--label") == 0)
        new Fl_Box(4, 0, 110, 19, "LS-DYNA Location:");
    win->end();
    win->show();
    return Fl::run();
}
