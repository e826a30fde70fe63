// The pixels of a window's client area or of a memory bitmap, and the
// drawing primitives that the GDI stand-in and the control painter share.
#pragma once

#include "platform/standin/wintypes.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace standin {

// 32 bits per pixel, 0x00RRGGBB, rows top to bottom.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Surface() = default;
    Surface(int w, int h, COLORREF fill = RGB(255, 255, 255));
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    COLORREF pixel(int x, int y) const;
    void setPixel(int x, int y, COLORREF colour);
};

std::uint32_t toPixel(COLORREF colour);
COLORREF toColour(std::uint32_t pixel);

RECT intersect(const RECT& a, const RECT& b);
bool isEmpty(const RECT& rect);
RECT unite(const RECT& a, const RECT& b);

// Everything below draws clipped to clip (surface coordinates).
void fillArea(Surface& surface, const RECT& clip, RECT area, COLORREF colour);
// Draws from (x0,y0) up to but excluding (x1,y1), as LineTo does.
void drawLine(Surface& surface, const RECT& clip, int x0, int y0, int x1, int y1, int width, COLORREF colour);
void copyArea(Surface& target, const RECT& clip, int x, int y, int width, int height, const Surface& source,
              int sourceX, int sourceY);

// A font as CreateFontW asks for it, drawn in DejaVu Sans whatever the face: a negative height is
// the character (em) height in pixels, a positive one the cell height; 0 takes a 16-pixel cell.
struct FontStyle {
    int height = -13;
    bool bold = false;
    bool operator==(const FontStyle&) const = default;
};

// Text in the font; (x,y) is the top-left corner of the text cell.
struct TextExtent {
    int width = 0;
    int height = 0;
};
TextExtent measureText(std::wstring_view text, FontStyle font = {});
void drawText(Surface& surface, const RECT& clip, int x, int y, std::wstring_view text, COLORREF colour,
              FontStyle font = {});

} // namespace standin
