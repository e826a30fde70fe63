// A small top-level window for the desktop tests: it records the messages it
// gets and can be given a painter.
#pragma once

#include "platform/win32.h"

#include <functional>
#include <thread>
#include <vector>

namespace desktoptest {

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

// Everything the test window's procedure was given, in order.
std::vector<Seen>& seen();
// WM_COMMAND notifications seen, as (control id, code) pairs.
std::vector<std::pair<int, int>> commands();
// Set to paint in WM_PAINT between BeginPaint and EndPaint.
extern std::function<void(HDC)> g_painter;
// When set, WM_CLOSE is kept from DefWindowProcW.
extern bool g_keepOnClose;

// The test window: 880 x 516 outside, at (100, 50), shown; its record, painter and
// close flag start empty.
HWND createTestWindow();
HWND createControl(HWND parent, const wchar_t* className, DWORD style, int id, int width = 100, int height = 20);

} // namespace desktoptest
