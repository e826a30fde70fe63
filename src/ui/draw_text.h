// Text on the main window's off-screen bitmap.
#pragma once

#include "platform/win32.h"

#include <string_view>

// Draws UTF-8 text at (x, y) in the colour and restores the previous text colour.
// Text that cannot be converted is not drawn; the log says why.
void lf_drawText(std::string_view text, HDC dc, int x, int y, COLORREF colour);
