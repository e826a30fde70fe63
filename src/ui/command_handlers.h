// The main window's WM_COMMAND: the controls' handlers.
#pragma once

#include "core/parameter.h"
#include "platform/win32.h"

// True when a handler took the command; otherwise the window's default handling applies.
bool lf_HandleWMCOMMAND(HWND window, WPARAM wParam, LPARAM lParam);

// The window procedure that the edit box of the setting is subclassed with.
WNDPROC lf_editProcOf(const StringGuiParameter& setting);
