// The stand-ins' reset between tests: the desktop as at process start.
#include "test_window.h"

#include "platform/standin/desktop.h"
#include "platform/standin/standin_reset.h"

#include <gtest/gtest.h>

using namespace desktoptest;

TEST(StandInReset, LeavesNoWindowClassMessageBoxScreenOrQueuedMessage)
{
    HWND window = createTestWindow();
    PostMessageW(window, WM_APP + 3, 0, 0);
    PostQuitMessage(2);
    MessageBoxW(window, L"text", L"caption", MB_OK);
    standin::setMonitors({standin::MonitorSpec{RECT{0, 0, 800, 600}, RECT{0, 0, 800, 560}, true}});

    standin::resetStandIns();

    standin::Desktop desktop;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(desktop.mainWindow(), nullptr);
    EXPECT_EQ(desktop.pumpUntilIdle(), 0);
    EXPECT_FALSE(desktop.quitCode());
    EXPECT_TRUE(standin::messageBoxes().empty());
    ASSERT_EQ(standin::monitors().size(), 1u);
    EXPECT_EQ(standin::monitors().front().monitor.right, 1920);
    // The class is gone with its windows: a test registers it again for a window of its own.
    EXPECT_EQ(CreateWindowExW(0, L"DesktopTest", L"x", WS_CAPTION, 0, 0, 10, 10, nullptr, nullptr,
                              standin::programInstance(), nullptr),
              nullptr);
    EXPECT_NE(createTestWindow(), nullptr);
}
