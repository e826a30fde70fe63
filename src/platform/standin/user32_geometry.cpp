// user32 stand-in: window positions, sizes, show states, z-order and monitors.
#include "platform/standin/monitors.h"
#include "platform/standin/window_table.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace standin {

namespace {

std::mutex g_monitorsMutex;
const std::vector<MonitorSpec> kDefaultMonitors{MonitorSpec{RECT{0, 0, 1920, 1080}, RECT{0, 0, 1920, 1040}, true}};
std::vector<MonitorSpec> g_monitors = kDefaultMonitors;

// A minimised window sits where Windows parks it.
constexpr RECT kMinimizedRect{-32000, -32000, -32000 + 160, -32000 + 28};

long long lf_overlap(const RECT& a, const RECT& b)
{
    const RECT r = intersect(a, b);
    return static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
}

long long lf_distance(const RECT& a, const RECT& b)
{
    const long long dx = std::max({0L, static_cast<long>(b.left - a.right), static_cast<long>(a.left - b.right)});
    const long long dy = std::max({0L, static_cast<long>(b.top - a.bottom), static_cast<long>(a.top - b.bottom)});
    return dx * dx + dy * dy;
}

HMONITOR lf_handleOf(std::size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

void lf_resizeSurface(Window& window)
{
    if (window.surface) {
        const RECT client = clientRectOf(window);
        if (client.right != window.surface->width || client.bottom != window.surface->height) {
            window.surface = std::make_shared<Surface>(client.right, client.bottom);
        }
    }
}

} // namespace

void setMonitors(std::vector<MonitorSpec> list)
{
    std::lock_guard lock(g_monitorsMutex);
    g_monitors = std::move(list);
}

void resetMonitors() { setMonitors(kDefaultMonitors); }

std::vector<MonitorSpec> monitors()
{
    std::lock_guard lock(g_monitorsMutex);
    return g_monitors;
}

} // namespace standin

using namespace standin;

BOOL ShowWindow(HWND handle, int command)
{
    bool wasVisible = false;
    {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(handle);
        if (window == nullptr) {
            return FALSE;
        }
        wasVisible = window->visible;
        window->visible = command != SW_HIDE;
        const ShowState target = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED ? ShowState::Minimized
                                 : command == SW_MAXIMIZE                              ? ShowState::Maximized
                                 : command == SW_HIDE || command == SW_SHOW            ? window->show
                                                                                       : ShowState::Normal;
        if (target != window->show) {
            if (window->show == ShowState::Normal) {
                window->normalRect = window->rect;
            }
            window->show = target;
            if (target == ShowState::Minimized) {
                window->rect = kMinimizedRect;
            } else if (target == ShowState::Maximized) {
                const std::vector<MonitorSpec> list = monitors();
                window->rect = list.empty() ? window->normalRect : list.front().work;
            } else {
                window->rect = window->normalRect;
            }
            lf_resizeSurface(*window);
        }
    }
    if (!wasVisible && command != SW_HIDE) {
        InvalidateRect(handle, nullptr, TRUE);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    bool show = false;
    {
        std::lock_guard lock(windowsMutex());
        Window* window = findWindowLocked(handle);
        if (window == nullptr) {
            return FALSE;
        }
        RECT& rect = window->show == ShowState::Normal ? window->rect : window->normalRect;
        if ((flags & SWP_NOMOVE) == 0) {
            rect = RECT{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
        }
        if ((flags & SWP_NOSIZE) == 0) {
            rect.right = rect.left + width;
            rect.bottom = rect.top + (window->kind == ControlKind::ComboBox ? kComboHeight : height);
        }
        if ((flags & SWP_NOZORDER) == 0) {
            if (insertAfter == HWND_TOPMOST) {
                window->topmost = true;
            } else if (insertAfter == HWND_NOTOPMOST) {
                window->topmost = false;
            }
        }
        lf_resizeSurface(*window);
        show = (flags & SWP_SHOWWINDOW) != 0 && !window->visible;
    }
    if (show) {
        ShowWindow(handle, SW_SHOW);
    }
    return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL)
{
    return SetWindowPos(handle, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND handle, LPRECT rect)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = window->rect;
    // A child's rectangle is kept in its parent's client coordinates; callers get the screen.
    for (const Window* parent = window; isChild(*parent);) {
        parent = findWindowLocked(parent->parent);
        if (parent == nullptr) {
            break;
        }
        const int dx = parent->rect.left + (isChild(*parent) || (parent->style & WS_CAPTION) != WS_CAPTION ? 0 : kFrameBorder);
        const int dy = parent->rect.top + (isChild(*parent) || (parent->style & WS_CAPTION) != WS_CAPTION ? 0 : kFrameBorder + kCaptionHeight);
        *rect = RECT{rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
    }
    return TRUE;
}

BOOL GetClientRect(HWND handle, LPRECT rect)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = clientRectOf(*window);
    return TRUE;
}

BOOL GetWindowPlacement(HWND handle, WINDOWPLACEMENT* placement)
{
    std::lock_guard lock(windowsMutex());
    const Window* window = findWindowLocked(handle);
    if (window == nullptr || placement == nullptr) {
        return FALSE;
    }
    placement->flags = 0;
    placement->showCmd = window->show == ShowState::Minimized   ? SW_SHOWMINIMIZED
                         : window->show == ShowState::Maximized ? SW_SHOWMAXIMIZED
                                                                : SW_SHOWNORMAL;
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    placement->rcNormalPosition = window->show == ShowState::Normal ? window->rect : window->normalRect;
    return TRUE;
}

BOOL SetForegroundWindow(HWND handle) { return IsWindow(handle); }

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags)
{
    const std::vector<MonitorSpec> list = monitors();
    if (rect == nullptr || list.empty()) {
        return nullptr;
    }
    std::size_t best = 0;
    long long bestOverlap = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (const long long overlap = lf_overlap(*rect, list[i].monitor); overlap > bestOverlap) {
            bestOverlap = overlap;
            best = i;
        }
    }
    if (bestOverlap > 0) {
        return lf_handleOf(best);
    }
    if (flags == MONITOR_DEFAULTTONEAREST) {
        long long nearest = LLONG_MAX;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (const long long distance = lf_distance(*rect, list[i].monitor); distance < nearest) {
                nearest = distance;
                best = i;
            }
        }
        return lf_handleOf(best);
    }
    if (flags == MONITOR_DEFAULTTOPRIMARY) {
        const auto primary = std::find_if(list.begin(), list.end(), [](const MonitorSpec& m) { return m.primary; });
        return lf_handleOf(primary == list.end() ? 0 : static_cast<std::size_t>(primary - list.begin()));
    }
    return nullptr;
}

HMONITOR MonitorFromWindow(HWND handle, DWORD flags)
{
    RECT rect{};
    if (!GetWindowRect(handle, &rect)) {
        return nullptr;
    }
    return MonitorFromRect(&rect, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info)
{
    const std::vector<MonitorSpec> list = monitors();
    const auto index = reinterpret_cast<std::uintptr_t>(monitor);
    if (info == nullptr || index == 0 || index > list.size()) {
        return FALSE;
    }
    const MonitorSpec& entry = list[index - 1];
    info->rcMonitor = entry.monitor;
    info->rcWork = entry.work;
    info->dwFlags = entry.primary ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}
