// Pixel operations on surfaces: fills, lines and copies, all clipped.
#include "platform/standin/surface.h"

#include <algorithm>
#include <cstdlib>

namespace standin {

Surface::Surface(int w, int h, COLORREF fill)
    : width(std::max(w, 0)), height(std::max(h, 0)),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), toPixel(fill))
{
}

COLORREF Surface::pixel(int x, int y) const
{
    return contains(x, y) ? toColour(pixels[static_cast<std::size_t>(y) * width + x]) : 0xFFFFFFFFUL;
}

void Surface::setPixel(int x, int y, COLORREF colour)
{
    if (contains(x, y)) {
        pixels[static_cast<std::size_t>(y) * width + x] = toPixel(colour);
    }
}

std::uint32_t toPixel(COLORREF colour)
{
    return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) | GetBValue(colour);
}

COLORREF toColour(std::uint32_t pixel)
{
    return RGB((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
}

RECT intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (isEmpty(r)) {
        return RECT{0, 0, 0, 0};
    }
    return r;
}

bool isEmpty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

RECT unite(const RECT& a, const RECT& b)
{
    if (isEmpty(a)) {
        return b;
    }
    if (isEmpty(b)) {
        return a;
    }
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

namespace {

RECT lf_surfaceClip(const Surface& surface, const RECT& clip)
{
    return intersect(clip, RECT{0, 0, surface.width, surface.height});
}

bool lf_inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

} // namespace

void fillArea(Surface& surface, const RECT& clip, RECT area, COLORREF colour)
{
    const RECT r = intersect(area, lf_surfaceClip(surface, clip));
    const std::uint32_t value = toPixel(colour);
    for (int y = r.top; y < r.bottom; ++y) {
        auto row = surface.pixels.begin() + static_cast<std::ptrdiff_t>(y) * surface.width;
        std::fill(row + r.left, row + r.right, value);
    }
}

void drawLine(Surface& surface, const RECT& clip, int x0, int y0, int x1, int y1, int width, COLORREF colour)
{
    const RECT r = lf_surfaceClip(surface, clip);
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    const int half = (std::max(width, 1) - 1) / 2;
    int err = dx + dy;
    int x = x0;
    int y = y0;
    while (x != x1 || y != y1) {
        for (int py = y - half; py <= y - half + std::max(width, 1) - 1; ++py) {
            for (int px = x - half; px <= x - half + std::max(width, 1) - 1; ++px) {
                if (lf_inside(r, px, py)) {
                    surface.setPixel(px, py, colour);
                }
            }
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void copyArea(Surface& target, const RECT& clip, int x, int y, int width, int height, const Surface& source,
              int sourceX, int sourceY)
{
    // Clip against the target and then against the source, keeping both offsets in step.
    RECT area = intersect(RECT{x, y, x + width, y + height}, lf_surfaceClip(target, clip));
    const int shiftX = sourceX - x;
    const int shiftY = sourceY - y;
    area = intersect(area, RECT{-shiftX, -shiftY, source.width - shiftX, source.height - shiftY});
    if (isEmpty(area)) {
        return;
    }
    const std::vector<std::uint32_t>* from = &source.pixels;
    std::vector<std::uint32_t> copy;
    if (&source == &target) {
        copy = source.pixels;
        from = &copy;
    }
    for (int row = area.top; row < area.bottom; ++row) {
        auto src = from->begin() + static_cast<std::ptrdiff_t>(row + shiftY) * source.width + (area.left + shiftX);
        auto dst = target.pixels.begin() + static_cast<std::ptrdiff_t>(row) * target.width + area.left;
        std::copy(src, src + (area.right - area.left), dst);
    }
}

} // namespace standin
