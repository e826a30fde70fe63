// The child controls of the main window, one per setting or button.
#pragma once

#include "core/parameter.h"

// A push button with its caption, 20 pixels high, disabled at first.
HWND gf_createButton(HWND parent, GuiButton& button, int x, int width);
// A 12 x 12 check box, enabled, checked from the setting.
HWND gf_createCheckbox(HWND parent, BoolGuiParameter& setting, int x);
// An edit box with the setting's text, 16 pixels high, disabled at first, subclassed
// with the procedure given (the previous one kept in the setting's control).
HWND gf_createEdit(HWND parent, StringGuiParameter& setting, int x, int width, WNDPROC procedure);
// A drop-down list 5 pixels above its row; listHeight is the height of the open list.
HWND gf_createComboBox(HWND parent, GuiControl& control, int x, int width, int listHeight);
void gf_enableControl(const GuiControl& control);

// Every control of the main window.
void lf_createControls(HWND window);
