// A top-level window on the headless desktop that stands in for the main window in
// tests of code that posts to it or talks to its controls. It records its messages.
#pragma once

#include "platform/win32.h"

#include <vector>

namespace testsupport {

// A shown top-level window of 880 x 516 at (100, 50) on the calling thread, of a class
// registered with the procedure (again after the desktop was reset).
HWND createShownWindow(const wchar_t* className, WNDPROC procedure, HBRUSH background = nullptr);
// Creates the host window on the calling thread.
HWND createHostWindow();
// A child control of a window with the given class, extra style and id, at (10, 10).
HWND createHostControl(HWND host, const wchar_t* className, DWORD style, int id, int width = 100, int height = 20);
// The messages the host window's procedure got, in order.
std::vector<UINT>& hostMessages();

// Registers a window class of the program instance with the procedure and a black
// background, as the program entry registers its main window's class; false when the
// class exists already or the registration failed.
bool registerBlackWindowClass(const wchar_t* className, WNDPROC procedure);

} // namespace testsupport
