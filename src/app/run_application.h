// The GUI thread's application: command line, window class, main window, message loop.
#pragma once

#include "platform/win32.h"

// Returns the code given to PostQuitMessage, or 0 when the window cannot be set up.
int gf_runApplication(HINSTANCE instance);
