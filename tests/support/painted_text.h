// Reading a text off a picture of the main window: the area shows exactly what the window
// would draw there in its own font, and nothing else.
#pragma once

#include "platform/standin/surface.h"

#include <string_view>

namespace testsupport {

// True when the picture's area from x to right, as high as a line of the main window's font
// from y down, shows the text drawn at (x, y) in the colour on the background; an empty text
// asks for the background alone.
bool showsText(const standin::Surface& picture, std::string_view text, int x, int y, int right, COLORREF colour,
               COLORREF background);

} // namespace testsupport
