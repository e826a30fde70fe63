// A top-level window on the headless desktop that stands in for the main window in
// tests of code that posts to it or talks to its controls. It records its messages.
#pragma once

#include "platform/win32.h"

#include <vector>

namespace testsupport {

// Creates the window (880 x 516, shown) on the calling thread.
HWND createHostWindow();
// A child control of the host window with the given class, extra style and id.
HWND createHostControl(HWND host, const wchar_t* className, DWORD style, int id);
// The messages the host window's procedure got, in order.
std::vector<UINT>& hostMessages();

} // namespace testsupport
