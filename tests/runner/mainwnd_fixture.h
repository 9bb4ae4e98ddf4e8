// A shown main window whose user folder is a fresh temporary HOME.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "runner/gui_mainwnd.h"
#include "support/gui.h"
#include "support/tempdir.h"

class MainWndTest : public ::testing::Test {
protected:
    // Settings file content to start from; null for none.
    void open_window(const char *settings = nullptr)
    {
        if (settings)
            home.write("wendle.ini", settings);
        wnd.reset(new guiMainWnd(100, 100, 813, 385, "LS-DYNA Wendle 2.2"));
        EXPECT_TRUE(gui::wait_drawn(wnd.get()));
    }
    void TearDown() override
    {
        wnd.reset();
        guiMainWnd::m_szLastDir[0] = '\0';
        gui::settle();
    }

    TempDir home;
    ScopedEnv homeEnv{"HOME", home.path().c_str()};
    std::unique_ptr<guiMainWnd> wnd;
};
