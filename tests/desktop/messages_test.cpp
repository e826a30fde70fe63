// The message queue: posting, sending across threads, quitting, closing and painting order.
#include "test_window.h"

#include "platform/standin/desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <future>

#include <unistd.h>

using namespace desktoptest;

namespace {

bool sawMessage(UINT message)
{
    return std::any_of(seen().begin(), seen().end(), [&](const Seen& s) { return s.message == message; });
}

} // namespace

TEST(DesktopMessages, MessagesToANullOrDestroyedWindowDoNothing)
{
    HWND window = createTestWindow();
    ASSERT_TRUE(DestroyWindow(window));

    EXPECT_EQ(SendMessageW(nullptr, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x")), 0);
    EXPECT_EQ(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(window, WM_APP, 0, 0));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(EnableWindow(window, TRUE));
    EXPECT_FALSE(InvalidateRect(window, nullptr, FALSE));
}

TEST(DesktopMessages, PostWithoutAWindowIsAThreadMessage)
{
    ASSERT_TRUE(PostMessageW(nullptr, WM_APP + 5, 7, 0));
    MSG message{};
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_APP + 5));
    EXPECT_EQ(DispatchMessageW(&message), 0);
}

TEST(DesktopMessages, QuitComesAfterPostedMessagesWithItsCode)
{
    HWND window = createTestWindow();
    standin::Desktop().pumpUntilIdle();
    PostQuitMessage(3);
    PostMessageW(window, WM_APP + 1, 0, 0);

    MSG message{};
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_APP + 1));
    EXPECT_FALSE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
}

TEST(DesktopMessages, SendFromAnotherThreadRunsOnTheWindowsThreadWhileTheSenderWaits)
{
    HWND window = createTestWindow();
    HWND edit = createControl(window, L"Edit", 0, 5);
    standin::Desktop desktop;
    desktop.pumpUntilIdle();
    seen().clear();

    auto worker = std::async(std::launch::async, [&] {
        EnableWindow(edit, FALSE);
        SetWindowTextW(edit, L"from worker");
        return SendMessageW(window, WM_APP + 9, 0, 0);
    });
    // The worker is stuck until this thread takes messages.
    EXPECT_EQ(worker.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    MSG message{};
    while (worker.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
    }
    worker.get();

    const auto app = std::find_if(seen().begin(), seen().end(), [](const Seen& s) { return s.message == WM_APP + 9; });
    ASSERT_NE(app, seen().end());
    EXPECT_EQ(app->thread, std::this_thread::get_id());
    EXPECT_FALSE(IsWindowEnabled(edit));
    EXPECT_EQ(desktop.state(5).text, "from worker");
}

TEST(DesktopMessages, CloseReachingDefWindowProcDestroysTheWindow)
{
    HWND window = createTestWindow();
    standin::Desktop desktop;

    ASSERT_TRUE(desktop.close());

    EXPECT_TRUE(sawMessage(WM_CLOSE));
    EXPECT_TRUE(sawMessage(WM_DESTROY));
    EXPECT_FALSE(IsWindow(window));
}

TEST(DesktopMessages, AWindowThatHandlesCloseItselfStaysOpen)
{
    HWND window = createTestWindow();
    g_keepOnClose = true;
    standin::Desktop desktop;

    ASSERT_TRUE(desktop.close());

    EXPECT_TRUE(sawMessage(WM_CLOSE));
    EXPECT_TRUE(IsWindow(window));
}

TEST(DesktopMessages, TerminationSignalClosesTheMainWindow)
{
    standin::startSignalWatcher();
    HWND window = createTestWindow();
    g_keepOnClose = true;
    standin::Desktop desktop;
    desktop.pumpUntilIdle();

    kill(getpid(), SIGTERM); // to the process, as a terminal or a service manager sends it
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!sawMessage(WM_CLOSE) && std::chrono::steady_clock::now() < deadline) {
        desktop.pumpUntilIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    EXPECT_TRUE(sawMessage(WM_CLOSE));
    EXPECT_TRUE(IsWindow(window));
}

TEST(DesktopMessages, PaintComesOnlyWhenThePostedMessagesAreDone)
{
    HWND window = createTestWindow();
    standin::Desktop().pumpUntilIdle();
    RECT area{0, 448, 880, 476};
    InvalidateRect(window, &area, FALSE);
    PostMessageW(window, WM_APP + 2, 0, 0);

    MSG first{};
    MSG second{};
    ASSERT_TRUE(GetMessageW(&first, nullptr, 0, 0));
    DispatchMessageW(&first);
    ASSERT_TRUE(GetMessageW(&second, nullptr, 0, 0));
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);

    EXPECT_EQ(first.message, static_cast<UINT>(WM_APP + 2));
    EXPECT_EQ(second.message, static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(paint.rcPaint.top, 448);
    EXPECT_EQ(paint.rcPaint.bottom, 476);
    EXPECT_EQ(paint.rcPaint.right, 864); // clipped to the client area
    EXPECT_FALSE(PeekMessageW(&first, nullptr, 0, 0, PM_REMOVE));
}
