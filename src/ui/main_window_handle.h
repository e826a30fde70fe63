// The main window's handle, read by every thread that posts to it.
#pragma once

#include "platform/win32.h"

#include <atomic>

// Null until the main window has been created.
extern std::atomic<HWND> g_mainWindow;
