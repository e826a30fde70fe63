// The program's own messages to the main window.
#pragma once

#include "platform/win32.h"

// Starts a run: the window procedure starts the start-up thread.
inline constexpr UINT WM_APP_START_UP = WM_APP + 1;
// Ends the program: the window stores its position and ends the message loop.
inline constexpr UINT WM_APP_CLOSE_DOWN = WM_APP + 2;
// Repaints the status line.
inline constexpr UINT WM_APP_REPAINT = WM_APP + 0x60;
