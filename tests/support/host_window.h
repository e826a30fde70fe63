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

// Registers a window class of the program instance with the procedure and a black
// background, as the program entry registers its main window's class; false when the
// class exists already or the registration failed.
bool registerBlackWindowClass(const wchar_t* className, WNDPROC procedure);

} // namespace testsupport
