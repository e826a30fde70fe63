// The status line as the main window shows it.
#include "platform/standin/desktop.h"
#include "support/host_window.h"
#include "support/temp_folder.h"
#include "ui/main_window_handle.h"
#include "ui/status_line.h"
#include "ui/window_messages.h"

#include <gtest/gtest.h>

#include <algorithm>

using testsupport::hostMessages;

namespace {

std::size_t repaintRequests()
{
    standin::Desktop().pumpUntilIdle();
    const auto& messages = hostMessages();
    return static_cast<std::size_t>(std::count(messages.begin(), messages.end(), WM_APP_REPAINT));
}

// The 880 x 516 bitmap the window paints into, with the status line painted.
class PaintedLine {
public:
    PaintedLine() : m_dc(CreateCompatibleDC(nullptr)), m_bitmap(CreateCompatibleBitmap(m_dc, 880, 516))
    {
        SelectObject(m_dc, m_bitmap);
        lf_paintStatusLine(m_dc);
    }
    ~PaintedLine()
    {
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    COLORREF background() const { return GetPixel(m_dc, 870, 470); }
    // Text pixels in the line's first 300 columns.
    int yellowPixels() const
    {
        int count = 0;
        for (int x = 0; x < 300; ++x) {
            for (int y = 449; y < 476; ++y) {
                count += GetPixel(m_dc, x, y) == RGB(255, 255, 0) ? 1 : 0;
            }
        }
        return count;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
};

} // namespace

TEST(StatusLineWindow, EveryChangeAsksTheWindowToRepaint)
{
    g_mainWindow = testsupport::createHostWindow();
    gf_showMessage("one", false);
    EXPECT_EQ(repaintRequests(), 1u);
    gf_showError("two");
    EXPECT_EQ(repaintRequests(), 2u);
    gf_showMessage("dropped", false);
    EXPECT_EQ(repaintRequests(), 2u);
    gf_clearStatusError();
    EXPECT_GE(repaintRequests(), 3u);
}

TEST(StatusLineWindow, NothingIsPostedBeforeTheWindowExists)
{
    HWND host = testsupport::createHostWindow();
    gf_showMessage("early", false);
    gf_showError("early error");
    EXPECT_EQ(repaintRequests(), 0u);
    MSG message{};
    EXPECT_FALSE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(host);
}

TEST(StatusLineWindow, ErrorIsYellowOnRedMessageYellowOnGreen)
{
    EXPECT_EQ(PaintedLine().background(), RGB(50, 205, 50));
    EXPECT_EQ(PaintedLine().yellowPixels(), 0);

    gf_showMessage("Traffic arrives", false);
    EXPECT_EQ(PaintedLine().background(), RGB(50, 205, 50));
    EXPECT_GT(PaintedLine().yellowPixels(), 20);

    gf_showError("SimConnect_Open failed");
    EXPECT_EQ(PaintedLine().background(), RGB(255, 0, 0));
    EXPECT_GT(PaintedLine().yellowPixels(), 20);
}
