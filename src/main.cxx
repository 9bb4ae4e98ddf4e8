#include <FL/Fl.H>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "runner/command_line.h"
#include "runner/gui_mainwnd.h"
#include "runner/single_instance.h"

namespace {

// A request from a second wendle: the window comes to the front, then takes
// the files.
void take_request(const OpenRequest &request, void *data)
{
    guiMainWnd *wnd = static_cast<guiMainWnd *>(data);
    wnd->show();
    if (!request.files.empty() || request.submit)
        wnd->OpenFiles(request.files, request.submit);
}

// "" when the folder cannot be read (it was removed, or a parent may not
// be searched).
std::string current_folder()
{
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

} // namespace

int main(int argc, char **argv)
{
    CommandLine cl = ParseCommandLine(argc, argv, current_folder());
    switch (cl.action) {
    case CommandLine::HELP:
        fputs(CommandLineUsage(true).c_str(), stdout);
        return 0;
    case CommandLine::VERSION:
        printf("wendle %s\n", WENDLE_VERSION);
        return 0;
    case CommandLine::BAD_USAGE:
        fprintf(stderr, "wendle: %s\n%s", cl.problem.c_str(), CommandLineUsage(false).c_str());
        return 2;
    case CommandLine::RUN:
        break;
    }

    OpenRequest request;
    request.submit = cl.submit;
    request.files = cl.files;
    SingleInstance instance;
    std::string why;
    // Without a display the toolkit says so, and ends.
    const char *display = getenv("DISPLAY");
    std::string socket = display && *display ? SingleInstanceSocket(display, &why) : "";
    SingleInstance::Role role =
        socket.empty() ? SingleInstance::ALONE : instance.Start(socket, request, &why);
    if (role == SingleInstance::HANDED_OVER)
        return 0;
    if (role == SingleInstance::FAILED) {
        fprintf(stderr, "wendle: %s\n", why.c_str());
        return 1;
    }
    if (role == SingleInstance::ALONE && !why.empty())
        fprintf(stderr, "wendle: other wendle commands cannot hand files to this one: %s\n",
                why.c_str());

    guiMainWnd *wnd = new guiMainWnd(100, 100, 813, 385, "LS-DYNA Wendle 2.2");
    instance.SetHandler(take_request, wnd);
    if (!cl.files.empty() || cl.submit)
        wnd->OpenFiles(cl.files, cl.submit);
    Fl::run();
    // Closing the window scheduled its deletion; the loop has no pass left
    // to carry it out.
    Fl::do_widget_deletion();
    return 0;
}
