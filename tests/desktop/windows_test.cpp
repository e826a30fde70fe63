// Window geometry, monitors, z-order, placement, resources and message boxes.
#include "test_window.h"

#include "platform/standin/desktop.h"
#include "platform/standin/window_table.h"

#include <gtest/gtest.h>

using namespace desktoptest;

TEST(DesktopWindows, CaptionAndBorderLeaveAClientAreaOf864By477)
{
    HWND window = createTestWindow();
    HWND edit = createControl(window, L"Edit", 0, 4);
    RECT client{};
    RECT outer{};
    RECT control{};

    ASSERT_TRUE(GetClientRect(window, &client));
    ASSERT_TRUE(GetWindowRect(window, &outer));
    ASSERT_TRUE(GetWindowRect(edit, &control));

    EXPECT_EQ(client.right, 864);
    EXPECT_EQ(client.bottom, 477);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.bottom, 50 + 516);
    // A child's rectangle comes back in screen coordinates.
    EXPECT_EQ(control.left, 100 + standin::kFrameBorder + 10);
    EXPECT_EQ(control.top, 50 + (standin::kFrameBorder + standin::kCaptionHeight) + 10);
}

TEST(DesktopWindows, DropDownListShowsOneLineWhateverItsListHeight)
{
    HWND window = createTestWindow();
    createControl(window, L"ComboBox", CBS_DROPDOWNLIST, 6, 105, 80);

    const RECT rect = standin::Desktop().state(6).rect;
    EXPECT_EQ(rect.right - rect.left, 105);
    EXPECT_EQ(rect.bottom - rect.top, 21);
}

TEST(DesktopWindows, NearestMonitorAndItsWorkArea)
{
    standin::setMonitors({{RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 1040}, true},
                          {RECT{1920, 0, 3200, 1024}, RECT{1920, 0, 3200, 1000}, false}});
    const RECT offLeft{-30000, 20, -29120, 536};
    const RECT onSecond{2500, 100, 2600, 200};
    MONITORINFO info{};
    info.cbSize = sizeof(info);

    ASSERT_TRUE(GetMonitorInfoW(MonitorFromRect(&offLeft, MONITOR_DEFAULTTONEAREST), &info));
    EXPECT_EQ(info.rcWork.bottom, 1040);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromRect(&onSecond, MONITOR_DEFAULTTONULL), &info));
    EXPECT_EQ(info.rcWork.left, 1920);
    EXPECT_EQ(MonitorFromRect(&offLeft, MONITOR_DEFAULTTONULL), nullptr);
}

TEST(DesktopWindows, TopmostAndPlacementFollowSetWindowPosAndShowWindow)
{
    HWND window = createTestWindow();

    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_FALSE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    SetWindowPos(window, nullptr, 300, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_MINIMIZE);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ASSERT_TRUE(GetWindowPlacement(window, &placement));
    RECT rect{};
    GetWindowRect(window, &rect);

    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    EXPECT_EQ(placement.rcNormalPosition.left, 300);
    EXPECT_EQ(placement.rcNormalPosition.top, 40);
    EXPECT_EQ(rect.left, -32000);
    ShowWindow(window, SW_RESTORE);
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 300);
}

TEST(DesktopWindows, ResourceTableHoldsTheTitleAndTheIcon)
{
    wchar_t title[100]{};
    EXPECT_EQ(LoadStringW(standin::programInstance(), 101, title, 100), 9);
    EXPECT_EQ(std::wstring(title), L"Skyweaver");
    EXPECT_EQ(LoadStringW(standin::programInstance(), 102, title, 100), 0);
    wchar_t small[4]{};
    EXPECT_EQ(LoadStringW(standin::programInstance(), 101, small, 4), 3);
    EXPECT_EQ(std::wstring(small), L"Sky");

    EXPECT_NE(LoadIconW(standin::programInstance(), MAKEINTRESOURCEW(100)), nullptr);
    EXPECT_EQ(LoadIconW(standin::programInstance(), MAKEINTRESOURCEW(101)), nullptr);
    EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
}

TEST(DesktopWindows, MessageBoxesAreRecordedAndAnsweredAtOnce)
{
    EXPECT_EQ(MessageBoxW(nullptr, L"Could not open folder with parameters.xml", L"SKWV", MB_OK | MB_ICONEXCLAMATION), IDOK);
    standin::setMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, L"Update?", L"SKWV", MB_YESNO), IDNO);

    const auto boxes = standin::messageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Could not open folder with parameters.xml");
    EXPECT_EQ(boxes[0].caption, "SKWV");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

TEST(DesktopWindows, TimerResolutionCallsSucceed)
{
    EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
}
