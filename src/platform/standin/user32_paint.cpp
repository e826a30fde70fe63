// user32 stand-in: update regions, WM_PAINT and the window device contexts.
// Each top-level window paints into its own client surface; the update region
// is kept as one bounding rectangle and clips the painting in BeginPaint.
#include "platform/standin/device_context.h"
#include "platform/standin/gdi32.h"
#include "platform/standin/window_table.h"

namespace standin {

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
    // The region is a bounding box: only a rectangle that covers it all empties it.
    const bool coversAll = rect == nullptr || (rect->left <= window->update.left && rect->top <= window->update.top &&
                                               rect->right >= window->update.right && rect->bottom >= window->update.bottom);
    if (coversAll) {
        window->hasUpdate = false;
        window->erase = false;
        window->update = RECT{0, 0, 0, 0};
    }
    return TRUE;
}

HDC BeginPaint(HWND handle, LPPAINTSTRUCT paint)
{
    std::shared_ptr<Surface> surface;
    RECT area{};
    bool erase = false;
    {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(handle);
        if (window == nullptr || paint == nullptr) {
            return nullptr;
        }
        surface = window->surface ? window->surface : std::make_shared<Surface>(1, 1);
        area = window->hasUpdate ? window->update : RECT{0, 0, 0, 0};
        erase = window->erase;
        window->hasUpdate = false;
        window->erase = false;
        window->update = RECT{0, 0, 0, 0};
    }
    *paint = PAINTSTRUCT{};
    paint->rcPaint = area;
    paint->hdc = createSurfaceDc(surface, area, POINT{0, 0});
    if (erase) {
        paint->fErase = SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) == 0 ? TRUE : FALSE;
    }
    return paint->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint)
{
    if (paint != nullptr && paint->hdc != nullptr) {
        deleteSurfaceDc(paint->hdc);
    }
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
