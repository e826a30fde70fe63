// The main window's position: read from "parameters.xml" before the window
// exists, kept on a monitor, and stored when the program ends.
#pragma once

#include "platform/win32.h"

// Reads MAIN_WINDOW_X and MAIN_WINDOW_Y from "parameters.xml". A file that does not
// load is kept as parameters0.xml and removed; the defaults stay. True when the
// file was read.
bool lf_loadWindowPosition();

// Keeps at least 48 pixels of the window on the nearest monitor's work area. A
// position setting stuck at a limit takes (x, y) instead. Without a window, the
// window's planned rectangle at the stored position is fitted. A changed position
// is saved and, with a window, applied.
void lf_fitWindowToMonitor(int x, int y, HWND window = nullptr);

// Stores the window's normal position into the settings and fits it again, with the
// previous position as the fallback.
void lf_storeWindowPosition(HWND window);
