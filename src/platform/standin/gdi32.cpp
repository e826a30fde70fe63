// gdi32 stand-in: device contexts on 32-bit surfaces, memory bitmaps, stock and
// solid brushes, pens, lines, fills, text and copies between DCs.
#include "platform/standin/device_context.h"
#include "platform/standin/gdi32.h"
#include "platform/standin/user32.h"

#include <iterator>
#include <map>
#include <optional>
#include <utility>
#include <mutex>
#include <string>

namespace standin {

namespace {

enum class ObjectKind { Brush, Pen, Bitmap, Font };

struct GdiObject {
    ObjectKind kind = ObjectKind::Brush;
    COLORREF colour = 0;
    int width = 1;
    bool hollow = false;   // NULL_BRUSH, NULL_PEN
    bool dcColour = false; // DC_BRUSH, DC_PEN: the DC's own colour
    bool stock = false;
    std::shared_ptr<Surface> bitmap;
    FontStyle font;
};

struct DeviceContext {
    std::shared_ptr<Surface> surface;
    RECT clip{};
    POINT origin{};
    bool memory = false;
    HGDIOBJ bitmap = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ font = nullptr;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF bkColour = RGB(255, 255, 255);
    COLORREF dcBrushColour = RGB(255, 255, 255);
    COLORREF dcPenColour = RGB(0, 0, 0);
    int bkMode = OPAQUE;
    POINT position{};
};

struct Gdi {
    std::mutex mutex;
    std::map<std::uintptr_t, GdiObject> objects;
    std::map<std::uintptr_t, DeviceContext> dcs;
    std::uintptr_t nextObject = 0x20000;
    std::uintptr_t nextDc = 0x30000;
    HGDIOBJ stock[20]{};
    HGDIOBJ defaultBitmap = nullptr;
};

HGDIOBJ lf_addObjectLocked(Gdi& gdi, GdiObject object)
{
    const std::uintptr_t value = gdi.nextObject;
    gdi.nextObject += 4;
    gdi.objects.emplace(value, std::move(object));
    return reinterpret_cast<HGDIOBJ>(value);
}

Gdi& lf_gdi()
{
    static Gdi* gdi = [] {
        auto* made = new Gdi;
        auto brush = [](COLORREF c) { return GdiObject{ObjectKind::Brush, c, 1, false, false, true, nullptr, {}}; };
        auto pen = [](COLORREF c) { return GdiObject{ObjectKind::Pen, c, 1, false, false, true, nullptr, {}}; };
        made->stock[WHITE_BRUSH] = lf_addObjectLocked(*made, brush(RGB(255, 255, 255)));
        made->stock[LTGRAY_BRUSH] = lf_addObjectLocked(*made, brush(RGB(192, 192, 192)));
        made->stock[GRAY_BRUSH] = lf_addObjectLocked(*made, brush(RGB(128, 128, 128)));
        made->stock[DKGRAY_BRUSH] = lf_addObjectLocked(*made, brush(RGB(64, 64, 64)));
        made->stock[BLACK_BRUSH] = lf_addObjectLocked(*made, brush(RGB(0, 0, 0)));
        made->stock[NULL_BRUSH] = lf_addObjectLocked(*made, GdiObject{ObjectKind::Brush, 0, 1, true, false, true, nullptr, {}});
        made->stock[WHITE_PEN] = lf_addObjectLocked(*made, pen(RGB(255, 255, 255)));
        made->stock[BLACK_PEN] = lf_addObjectLocked(*made, pen(RGB(0, 0, 0)));
        made->stock[NULL_PEN] = lf_addObjectLocked(*made, GdiObject{ObjectKind::Pen, 0, 1, true, false, true, nullptr, {}});
        auto font = [](FontStyle style) { return GdiObject{ObjectKind::Font, 0, 1, false, false, true, nullptr, style}; };
        made->stock[SYSTEM_FONT] = lf_addObjectLocked(*made, font(FontStyle{16, true}));
        made->stock[DEFAULT_GUI_FONT] = lf_addObjectLocked(*made, font(FontStyle{-11, false}));
        made->stock[DC_BRUSH] = lf_addObjectLocked(*made, GdiObject{ObjectKind::Brush, 0, 1, false, true, true, nullptr, {}});
        made->stock[DC_PEN] = lf_addObjectLocked(*made, GdiObject{ObjectKind::Pen, 0, 1, false, true, true, nullptr, {}});
        made->defaultBitmap = lf_addObjectLocked(
            *made, GdiObject{ObjectKind::Bitmap, 0, 1, false, false, true, std::make_shared<Surface>(1, 1), {}});
        return made;
    }();
    return *gdi;
}

DeviceContext* lf_dcLocked(Gdi& gdi, HDC dc)
{
    auto found = gdi.dcs.find(reinterpret_cast<std::uintptr_t>(dc));
    return found == gdi.dcs.end() ? nullptr : &found->second;
}

GdiObject* lf_objectLocked(Gdi& gdi, HGDIOBJ object)
{
    auto found = gdi.objects.find(reinterpret_cast<std::uintptr_t>(object));
    return found == gdi.objects.end() ? nullptr : &found->second;
}

HDC lf_addDcLocked(Gdi& gdi, DeviceContext dc)
{
    dc.brush = gdi.stock[WHITE_BRUSH];
    dc.pen = gdi.stock[BLACK_PEN];
    dc.font = gdi.stock[SYSTEM_FONT];
    const std::uintptr_t value = gdi.nextDc;
    gdi.nextDc += 4;
    gdi.dcs.emplace(value, std::move(dc));
    return reinterpret_cast<HDC>(value);
}

// The system colours that a brush handle of COLOR_xxx + 1 stands for.
std::optional<COLORREF> lf_systemColour(HBRUSH brush)
{
    const auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value == COLOR_WINDOW + 1) {
        return RGB(255, 255, 255);
    }
    if (value == COLOR_BTNFACE + 1) {
        return RGB(240, 240, 240);
    }
    if (value != 0 && value < 32) {
        return RGB(192, 192, 192);
    }
    return std::nullopt;
}

std::optional<COLORREF> lf_brushColourLocked(Gdi& gdi, const DeviceContext& dc, HBRUSH brush)
{
    if (auto system = lf_systemColour(brush)) {
        return system;
    }
    const GdiObject* object = lf_objectLocked(gdi, brush);
    if (object == nullptr || object->kind != ObjectKind::Brush || object->hollow) {
        return std::nullopt;
    }
    return object->dcColour ? dc.dcBrushColour : object->colour;
}

FontStyle lf_fontLocked(Gdi& gdi, const DeviceContext& dc)
{
    const GdiObject* font = lf_objectLocked(gdi, dc.font);
    return font != nullptr && font->kind == ObjectKind::Font ? font->font : FontStyle{16, true};
}

// The DC's font, or nothing without such a DC.
std::optional<FontStyle> lf_fontOf(HDC handle)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    const DeviceContext* dc = lf_dcLocked(gdi, handle);
    return dc == nullptr ? std::nullopt : std::optional<FontStyle>(lf_fontLocked(gdi, *dc));
}

RECT lf_shift(const RECT& rect, const POINT& origin)
{
    return RECT{rect.left + origin.x, rect.top + origin.y, rect.right + origin.x, rect.bottom + origin.y};
}

// Sets one of the device context's colours; returns the one it had, CLR_INVALID without a
// device context.
COLORREF lf_setDcColour(HDC handle, COLORREF DeviceContext::*colourOf, COLORREF colour)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* dc = lf_dcLocked(gdi, handle);
    return dc == nullptr ? CLR_INVALID : std::exchange(dc->*colourOf, colour);
}

} // namespace

HDC createSurfaceDc(std::shared_ptr<Surface> surface, RECT clip, POINT origin)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext dc;
    dc.surface = std::move(surface);
    dc.clip = clip;
    dc.origin = origin;
    return lf_addDcLocked(gdi, std::move(dc));
}

void deleteSurfaceDc(HDC dc)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    gdi.dcs.erase(reinterpret_cast<std::uintptr_t>(dc));
}

COLORREF textColourOf(HDC handle)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    const DeviceContext* dc = lf_dcLocked(gdi, handle);
    return dc == nullptr ? RGB(0, 0, 0) : dc->textColour;
}

COLORREF brushColourOf(HDC handle, HBRUSH brush, COLORREF fallback)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    const DeviceContext* dc = lf_dcLocked(gdi, handle);
    if (dc == nullptr) {
        return fallback;
    }
    return lf_brushColourLocked(gdi, *dc, brush).value_or(fallback);
}

} // namespace standin

using namespace standin;

HDC CreateCompatibleDC(HDC)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext dc;
    dc.memory = true;
    dc.bitmap = gdi.defaultBitmap;
    dc.surface = lf_objectLocked(gdi, gdi.defaultBitmap)->bitmap;
    dc.clip = RECT{0, 0, 1, 1};
    return lf_addDcLocked(gdi, std::move(dc));
}

BOOL DeleteDC(HDC dc)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    return gdi.dcs.erase(reinterpret_cast<std::uintptr_t>(dc)) != 0 ? TRUE : FALSE;
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height)
{
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    return lf_addObjectLocked(gdi, GdiObject{ObjectKind::Bitmap, 0, 1, false, false, false,
                                             std::make_shared<Surface>(width, height, RGB(0, 0, 0)), {}});
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* dc = lf_dcLocked(gdi, handle);
    GdiObject* selected = lf_objectLocked(gdi, object);
    if (dc == nullptr || selected == nullptr) {
        return nullptr;
    }
    HGDIOBJ previous = nullptr;
    switch (selected->kind) {
    case ObjectKind::Brush:
        previous = dc->brush;
        dc->brush = object;
        break;
    case ObjectKind::Pen:
        previous = dc->pen;
        dc->pen = object;
        break;
    case ObjectKind::Font:
        previous = dc->font;
        dc->font = object;
        break;
    case ObjectKind::Bitmap:
        if (!dc->memory) {
            return nullptr;
        }
        previous = dc->bitmap;
        dc->bitmap = object;
        dc->surface = selected->bitmap;
        dc->clip = RECT{0, 0, selected->bitmap->width, selected->bitmap->height};
        break;
    }
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    GdiObject* found = lf_objectLocked(gdi, object);
    if (found == nullptr) {
        return FALSE;
    }
    if (!found->stock) {
        gdi.objects.erase(reinterpret_cast<std::uintptr_t>(object));
    }
    return TRUE;
}

HGDIOBJ GetStockObject(int object)
{
    Gdi& gdi = lf_gdi();
    if (object < 0 || object >= static_cast<int>(std::size(gdi.stock))) {
        return nullptr;
    }
    return gdi.stock[object];
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    return lf_addObjectLocked(gdi, GdiObject{ObjectKind::Brush, colour, 1, false, false, false, nullptr, {}});
}

HPEN CreatePen(int style, int width, COLORREF colour)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    return lf_addObjectLocked(gdi, GdiObject{ObjectKind::Pen, colour, width < 1 ? 1 : width, style == PS_NULL, false, false, nullptr, {}});
}

COLORREF SetDCBrushColor(HDC handle, COLORREF colour)
{
    return lf_setDcColour(handle, &DeviceContext::dcBrushColour, colour);
}

COLORREF SetDCPenColor(HDC handle, COLORREF colour)
{
    return lf_setDcColour(handle, &DeviceContext::dcPenColour, colour);
}

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT previous)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* dc = lf_dcLocked(gdi, handle);
    if (dc == nullptr) {
        return FALSE;
    }
    if (previous != nullptr) {
        *previous = dc->position;
    }
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC handle, int x, int y)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* dc = lf_dcLocked(gdi, handle);
    if (dc == nullptr) {
        return FALSE;
    }
    const GdiObject* pen = lf_objectLocked(gdi, dc->pen);
    if (pen != nullptr && !pen->hollow) {
        const COLORREF colour = pen->dcColour ? dc->dcPenColour : pen->colour;
        drawLine(*dc->surface, dc->clip, dc->position.x + dc->origin.x, dc->position.y + dc->origin.y,
                 x + dc->origin.x, y + dc->origin.y, pen->width, colour);
    }
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom)
{
    {
        Gdi& gdi = lf_gdi();
        std::lock_guard lock(gdi.mutex);
        DeviceContext* dc = lf_dcLocked(gdi, handle);
        if (dc == nullptr) {
            return FALSE;
        }
        if (auto colour = lf_brushColourLocked(gdi, *dc, dc->brush)) {
            fillArea(*dc->surface, dc->clip, lf_shift(RECT{left, top, right, bottom}, dc->origin), *colour);
        }
    }
    MoveToEx(handle, left, top, nullptr);
    LineTo(handle, right - 1, top);
    LineTo(handle, right - 1, bottom - 1);
    LineTo(handle, left, bottom - 1);
    LineTo(handle, left, top);
    return TRUE;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* dc = lf_dcLocked(gdi, handle);
    if (dc == nullptr || rect == nullptr) {
        return 0;
    }
    const std::optional<COLORREF> colour = lf_brushColourLocked(gdi, *dc, brush);
    if (!colour) {
        return 0;
    }
    fillArea(*dc->surface, dc->clip, lf_shift(*rect, dc->origin), *colour);
    return 1;
}

COLORREF SetTextColor(HDC handle, COLORREF colour)
{
    return lf_setDcColour(handle, &DeviceContext::textColour, colour);
}

COLORREF GetTextColor(HDC handle) { return textColourOf(handle); }

int SetBkMode(HDC handle, int mode)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* dc = lf_dcLocked(gdi, handle);
    if (dc == nullptr || (mode != OPAQUE && mode != TRANSPARENT)) {
        return 0;
    }
    return std::exchange(dc->bkMode, mode);
}

COLORREF SetBkColor(HDC handle, COLORREF colour)
{
    return lf_setDcColour(handle, &DeviceContext::bkColour, colour);
}

HFONT CreateFontW(int height, int, int, int, int weight, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  LPCWSTR)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    return lf_addObjectLocked(gdi, GdiObject{ObjectKind::Font, 0, 1, false, false, false, nullptr,
                                             FontStyle{height, weight >= 600}});
}

BOOL GetTextExtentPoint32W(HDC handle, LPCWSTR text, int length, LPSIZE size)
{
    const std::optional<FontStyle> font = lf_fontOf(handle);
    if (!font || text == nullptr || length < 0 || size == nullptr) {
        return FALSE;
    }
    const TextExtent extent = measureText(std::wstring_view(text, static_cast<std::size_t>(length)), *font);
    *size = SIZE{extent.width, extent.height};
    return TRUE;
}

BOOL TextOutW(HDC handle, int x, int y, LPCWSTR text, int length)
{
    const std::optional<FontStyle> font = lf_fontOf(handle);
    if (!font || text == nullptr || length < 0) {
        return FALSE;
    }
    const std::wstring_view view(text, static_cast<std::size_t>(length));
    // Measured before the DC lock: the fonts have a lock of their own.
    const TextExtent extent = measureText(view, *font);
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* dc = lf_dcLocked(gdi, handle);
    if (dc == nullptr) {
        return FALSE;
    }
    const int left = x + dc->origin.x;
    const int top = y + dc->origin.y;
    if (dc->bkMode == OPAQUE) {
        fillArea(*dc->surface, dc->clip, RECT{left, top, left + extent.width, top + extent.height}, dc->bkColour);
    }
    drawText(*dc->surface, dc->clip, left, top, view, dc->textColour, *font);
    return TRUE;
}

COLORREF GetPixel(HDC handle, int x, int y)
{
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    const DeviceContext* dc = lf_dcLocked(gdi, handle);
    return dc == nullptr ? CLR_INVALID : dc->surface->pixel(x + dc->origin.x, y + dc->origin.y);
}

BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop)
{
    if (rop != SRCCOPY) {
        return FALSE;
    }
    Gdi& gdi = lf_gdi();
    std::lock_guard lock(gdi.mutex);
    DeviceContext* to = lf_dcLocked(gdi, target);
    const DeviceContext* from = lf_dcLocked(gdi, source);
    if (to == nullptr || from == nullptr) {
        return FALSE;
    }
    copyArea(*to->surface, to->clip, x + to->origin.x, y + to->origin.y, width, height, *from->surface,
             sourceX + from->origin.x, sourceY + from->origin.y);
    return TRUE;
}
