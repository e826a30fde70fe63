// user32 stand-in: update regions, WM_PAINT and the window device contexts.
// Each top-level window paints into its own client surface. The update region is kept as
// the areas invalidated: BeginPaint clips the painting to their bounding box and EndPaint
// puts back what was painted outside them, so that, as on Windows, only the region changes.
#include "platform/standin/device_context.h"
#include "platform/standin/gdi32.h"
#include "platform/standin/window_table.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace standin {

namespace {

// A paint under way whose region is more than its bounding box: the surface before it.
struct PaintUnderWay {
    std::shared_ptr<Surface> surface;
    RECT bounds{};
    std::vector<RECT> region;
    Surface before;
};

std::mutex g_paintsMutex;
std::map<HDC, PaintUnderWay> g_paints;

bool lf_inRegion(const std::vector<RECT>& region, int x, int y)
{
    return std::any_of(region.begin(), region.end(),
                       [x, y](const RECT& r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; });
}

void lf_restoreOutsideRegion(const PaintUnderWay& paint)
{
    const RECT bounds = intersect(paint.bounds, RECT{0, 0, paint.surface->width, paint.surface->height});
    for (int y = bounds.top; y < bounds.bottom; ++y) {
        for (int x = bounds.left; x < bounds.right; ++x) {
            if (!lf_inRegion(paint.region, x, y)) {
                paint.surface->setPixel(x, y, paint.before.pixel(x, y));
            }
        }
    }
}

bool lf_covers(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

} // namespace

HWND windowNeedingPaint(std::thread::id owner)
{
    std::lock_guard lock(windowsMutex());
    for (HWND handle : allWindowsLocked()) {
        const Window* window = findWindowLocked(handle);
        if (window->owner == owner && window->surface && window->visible && window->hasUpdate) {
            return handle;
        }
    }
    return nullptr;
}

} // namespace standin

using namespace standin;

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase)
{
    std::thread::id owner;
    {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(handle);
        if (window == nullptr) {
            return FALSE;
        }
        if (!window->surface) {
            return TRUE; // the stand-in draws controls itself
        }
        const RECT client = clientRectOf(*window);
        const RECT area = rect == nullptr ? client : intersect(*rect, client);
        if (isEmpty(area)) {
            return TRUE;
        }
        window->update = window->hasUpdate ? unite(window->update, area) : area;
        window->updateRects.push_back(area);
        window->hasUpdate = true;
        window->erase = window->erase || erase != FALSE;
        owner = window->owner;
    }
    wakeThread(owner);
    return TRUE;
}

BOOL ValidateRect(HWND handle, const RECT* rect)
{
    std::lock_guard lock(windowsMutex());
    Window* window = findWindowLocked(handle);
    if (window == nullptr) {
        return FALSE;
    }
    // The areas the rectangle covers leave the region.
    std::erase_if(window->updateRects, [rect](const RECT& area) { return rect == nullptr || lf_covers(*rect, area); });
    window->update = RECT{0, 0, 0, 0};
    for (const RECT& area : window->updateRects) {
        window->update = isEmpty(window->update) ? area : unite(window->update, area);
    }
    if (window->updateRects.empty()) {
        window->hasUpdate = false;
        window->erase = false;
    }
    return TRUE;
}

HDC BeginPaint(HWND handle, LPPAINTSTRUCT paint)
{
    std::shared_ptr<Surface> surface;
    RECT area{};
    std::vector<RECT> region;
    bool erase = false;
    {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(handle);
        if (window == nullptr || paint == nullptr) {
            return nullptr;
        }
        surface = window->surface ? window->surface : std::make_shared<Surface>(1, 1);
        area = window->hasUpdate ? window->update : RECT{0, 0, 0, 0};
        region = std::exchange(window->updateRects, {});
        erase = window->erase;
        window->hasUpdate = false;
        window->erase = false;
        window->update = RECT{0, 0, 0, 0};
    }
    *paint = PAINTSTRUCT{};
    paint->rcPaint = area;
    paint->hdc = createSurfaceDc(surface, area, POINT{0, 0});
    if (std::any_of(region.begin(), region.end(), [&area](const RECT& r) { return lf_covers(r, area); })) {
        region.clear();
    }
    if (!region.empty()) {
        std::lock_guard lock(g_paintsMutex);
        g_paints[paint->hdc] = PaintUnderWay{surface, area, std::move(region), *surface};
    }
    if (erase) {
        paint->fErase = SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0 ? TRUE : FALSE;
    }
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint)
{
    if (paint == nullptr || paint->hdc == nullptr) {
        return TRUE;
    }
    std::optional<PaintUnderWay> underWay;
    {
        std::lock_guard lock(g_paintsMutex);
        if (const auto found = g_paints.find(paint->hdc); found != g_paints.end()) {
            underWay = std::move(found->second);
            g_paints.erase(found);
        }
    }
    if (underWay) {
        lf_restoreOutsideRegion(*underWay);
    }
    deleteSurfaceDc(paint->hdc);
    return TRUE;
}

HDC GetDC(HWND handle)
{
    std::shared_ptr<Surface> surface;
    RECT client{0, 0, 1, 1};
    if (handle != nullptr) {
        std::lock_guard lock(windowsMutex());
        const Window* window = findWindowLocked(handle);
        if (window == nullptr) {
            return nullptr;
        }
        surface = window->surface;
        client = clientRectOf(*window);
    }
    if (!surface) {
        // The screen, or a control that the stand-in paints itself: a scratch surface.
        surface = std::make_shared<Surface>(client.right, client.bottom);
    }
    return createSurfaceDc(surface, client, POINT{0, 0});
}

int ReleaseDC(HWND, HDC dc)
{
    deleteSurfaceDc(dc);
    return 1;
}

BOOL UpdateWindow(HWND handle)
{
    const std::thread::id owner = ownerOf(handle);
    if (owner == std::thread::id{}) {
        return FALSE;
    }
    runOnOwnerThread(owner, [=]() -> LRESULT {
        const std::optional<Window> window = windowSnapshot(handle);
        if (window && window->hasUpdate && window->visible) {
            callWindowProc(handle, WM_PAINT, 0, 0);
        }
        return 0;
    });
    return TRUE;
}
