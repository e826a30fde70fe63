// Device contexts of the GDI stand-in on surfaces: the window DCs that
// BeginPaint and GetDC hand out and the one the control painter uses.
#pragma once

#include "platform/standin/surface.h"

#include <memory>

namespace standin {

// A DC drawing onto surface, clipped to clip and shifted by origin (both in surface coordinates).
HDC createSurfaceDc(std::shared_ptr<Surface> surface, RECT clip, POINT origin);
void deleteSurfaceDc(HDC dc);
// The colours the DC holds, for the control painter.
COLORREF textColourOf(HDC dc);
COLORREF brushColourOf(HDC dc, HBRUSH brush, COLORREF fallback);

} // namespace standin
