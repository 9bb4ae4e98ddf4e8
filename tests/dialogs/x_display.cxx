// The virtual X server of the test run resets whenever its last client
// leaves, and refuses connections while it does; a test process starting
// at that moment would end at once with "Can't open display". The display
// is therefore opened here, retrying for a while, before any test uses it.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/x.H>

#include <unistd.h>

namespace {

class XDisplayEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        for (int attempt = 0; attempt < 100 && !fl_display; attempt++) {
            if (Display *d = XOpenDisplay(nullptr)) {
                fl_open_display(d);
                return;
            }
            usleep(50 * 1000);
        }
    }
};

::testing::Environment *const s_display =
    ::testing::AddGlobalTestEnvironment(new XDisplayEnvironment);

} // namespace
