// The main window's position: loaded before the window is created, kept on a
// monitor's work area, stored when the program ends.
#include "ui/window_position.h"

#include "core/log.h"
#include "core/parameters_document.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/xml_file.h"
#include "ui/main_window.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

// At least this much of the window stays on the work area on every side.
constexpr int kVisibleMargin = 48;

std::int32_t lf_clamped(const IntParameter& setting, std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, setting.minValue, setting.maxValue));
}

void lf_setAndSave(IntParameter& setting, std::int64_t value)
{
    setting.value = lf_clamped(setting, value);
    gf_saveIntParameter(setting);
}

bool lf_atLimit(const IntParameter& setting)
{
    return setting.value == setting.minValue || setting.value == setting.maxValue;
}

void lf_readPosition(const pugi::xml_document& document)
{
    for (IntParameter* setting : {&MAIN_WINDOW_X, &MAIN_WINDOW_Y}) {
        const std::optional<std::int32_t> stored = gf_findIntParameter(document, setting->name);
        setting->value = stored ? lf_clamped(*setting, *stored) : setting->defaultValue;
    }
}

// The left (or top) edge that keeps the window on the work area between low and high.
LONG lf_fitEdge(LONG edge, LONG size, LONG low, LONG high)
{
    if (size > high - low) {
        edge = low;
    }
    edge = std::max(edge, low + kVisibleMargin - size);
    return std::min(edge, high - kVisibleMargin);
}

} // namespace

bool lf_loadWindowPosition()
{
    const std::filesystem::path& path = g_parametersPath;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return false;
    }
    pugi::xml_document document;
    pugi::xml_parse_result result;
    {
        std::lock_guard lock(g_parametersMutex);
        result = document.load_file(path.c_str());
    }
    if (!result) {
        if (gf_keepUnusableParameters(fmt::format("failed to load ({})", gf_xmlLoadFailure(result, path)),
                                      "removed")) {
            std::filesystem::remove(path, error);
        }
        return false;
    }
    lf_readPosition(document);
    return true;
}

void lf_fitWindowToMonitor(int x, int y, HWND window)
{
    if (lf_atLimit(MAIN_WINDOW_X)) {
        lf_setAndSave(MAIN_WINDOW_X, x);
    }
    if (lf_atLimit(MAIN_WINDOW_Y)) {
        lf_setAndSave(MAIN_WINDOW_Y, y);
    }
    RECT rect{MAIN_WINDOW_X.value, MAIN_WINDOW_Y.value, MAIN_WINDOW_X.value + panel::kWidth, MAIN_WINDOW_Y.value + panel::kHeight};
    RECT current{};
    if (window != nullptr && GetWindowRect(window, &current)) {
        rect.right = rect.left + (current.right - current.left);
        rect.bottom = rect.top + (current.bottom - current.top);
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    const LONG left = lf_fitEdge(rect.left, rect.right - rect.left, work.left, work.right);
    const LONG top = lf_fitEdge(rect.top, rect.bottom - rect.top, work.top, work.bottom);
    if (left == rect.left && top == rect.top) {
        return;
    }
    lf_setAndSave(MAIN_WINDOW_X, left);
    lf_setAndSave(MAIN_WINDOW_Y, top);
    if (window != nullptr) {
        SetWindowPos(window, nullptr, MAIN_WINDOW_X.value, MAIN_WINDOW_Y.value, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void lf_storeWindowPosition(HWND window)
{
    RECT rect{};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    // Minimised or maximised, the window's own place is its normal position.
    if (GetWindowPlacement(window, &placement) && placement.showCmd != SW_SHOWNORMAL) {
        rect = placement.rcNormalPosition;
    } else if (!GetWindowRect(window, &rect)) {
        return;
    }
    const std::int32_t previousX = MAIN_WINDOW_X.value;
    const std::int32_t previousY = MAIN_WINDOW_Y.value;
    lf_setAndSave(MAIN_WINDOW_X, rect.left);
    lf_setAndSave(MAIN_WINDOW_Y, rect.top);
    lf_fitWindowToMonitor(previousX, previousY, window);
}
