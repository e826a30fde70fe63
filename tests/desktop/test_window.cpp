// The recording test window of the desktop tests.
#include "test_window.h"

#include "platform/standin/desktop.h"
#include "support/host_window.h"

namespace desktoptest {

std::function<void(HDC)> g_painter;
bool g_keepOnClose = false;

std::vector<Seen>& seen()
{
    static std::vector<Seen> all;
    return all;
}

std::vector<std::pair<int, int>> commands()
{
    std::vector<std::pair<int, int>> found;
    for (const Seen& s : seen()) {
        if (s.message == WM_COMMAND) {
            found.emplace_back(LOWORD(s.wParam), HIWORD(s.wParam));
        }
    }
    return found;
}

namespace {

LRESULT CALLBACK lf_testProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen().push_back(Seen{message, wParam, lParam, std::this_thread::get_id()});
    if (message == WM_PAINT && g_painter) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        g_painter(dc);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_CLOSE && g_keepOnClose) {
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND createTestWindow()
{
    seen().clear();
    g_painter = nullptr;
    g_keepOnClose = false;
    return testsupport::createShownWindow(L"DesktopTest", lf_testProc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

HWND createControl(HWND parent, const wchar_t* className, DWORD style, int id, int width, int height)
{
    return testsupport::createHostControl(parent, className, style, id, width, height);
}

} // namespace desktoptest
