// The main window's child controls at their fixed places: every setting's
// check box, list or edit box and the push buttons, with their first state.
#include "ui/window_controls.h"

#include "core/log.h"
#include "core/settings.h"
#include "core/text_convert.h"
#include "ui/command_handlers.h"

#include <fmt/format.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

HWND lf_create(HWND parent, const wchar_t* className, const std::string& text, DWORD style, int x, int y, int width,
               int height, std::uint16_t id)
{
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    std::wstring caption;
    try {
        caption = utf8_to_wide(text);
    } catch (const std::runtime_error& e) {
        gf_log(fmt::format("{} exception: {}", "lf_createControls", e.what()));
    }
    HWND control = CreateWindowExW(0, className, caption.c_str(), style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), instance, nullptr);
    if (control == nullptr) {
        gf_log(fmt::format("CreateWindowExW failed for ID {}", id));
    }
    return control;
}

enum class Kind { CheckBox, ComboBox, Edit, Button };

struct Placement {
    GuiControl& control;
    Kind kind;
    int x;
    int width;
    int listHeight;
};

// The controls in their rows, left to right.
const std::vector<Placement>& lf_placements()
{
    static const std::vector<Placement> placements{
        {SIM_CHOICE, Kind::ComboBox, 5, 105, 80},
        {ALL_INSTALL_PATH, Kind::Edit, 111, 1200, 0},
        {SCAN_LIVERIES, Kind::CheckBox, 5, 12, 0},
        {LIG_AUTOMATIC, Kind::CheckBox, 217, 12, 0},
        {AI_PACKAGE_SELECTOR, Kind::ComboBox, 323, 175, 300},
        {LIG_PRIORITIZE, Kind::CheckBox, 536, 12, 0},
        {ALWAYS_ON_TOP, Kind::CheckBox, 748, 12, 0},
        {SCAN_AIRPORTS, Kind::CheckBox, 5, 12, 0},
        {BUTTON_TBLO, Kind::Button, 217, 60, 0},
        {NAV_LIGHTS_WHILE_PARKED, Kind::CheckBox, 748, 12, 0},
        {MATCHING_DEPTH, Kind::ComboBox, 217, 40, 120},
        {LIGHT_AIRCRAFT, Kind::CheckBox, 323, 12, 0},
        {HELICOPTERS, Kind::CheckBox, 430, 12, 0},
        {HIGH_PERF_AIRCRAFT, Kind::CheckBox, 536, 12, 0},
        {AEROWINX, Kind::CheckBox, 652, 12, 0},
        {GUID_CHANGES, Kind::CheckBox, 748, 12, 0},
        {RANGE, Kind::ComboBox, 217, 50, 200},
        {AUTO_RANGE, Kind::CheckBox, 323, 12, 0},
        {AR_ABOVE_HEIGHT, Kind::ComboBox, 455, 70, 230},
        {AIRBORNE_ONLY, Kind::CheckBox, 572, 12, 0},
        {BLOCK_CALLSIGN, Kind::Edit, 107, 100, 0},
        {BUTTON_UNBLOCK, Kind::Button, 223, 60, 0},
        {BUTTON_CALLSIGN_2_OBJECTID, Kind::Button, 305, 60, 0},
        {CALLSIGN_2_OBJECTID, Kind::ComboBox, 375, 100, 300},
        {BUTTON_BLOCK, Kind::Button, 576, 60, 0},
        {COLLISION_USER_GND, Kind::CheckBox, 217, 12, 0},
        {COLLISION_USER_AIR, Kind::CheckBox, 323, 12, 0},
        {COLLISION_LIVE_PARKED_GND, Kind::CheckBox, 430, 12, 0},
        {BUTTON_NOW, Kind::Button, 111, 45, 0},
        {MAX_PARK_SEL, Kind::ComboBox, 323, 55, 144},
        {MAX_LIVE_SEL, Kind::ComboBox, 536, 55, 144},
        {STRAIGHT_PBS_ONLY, Kind::CheckBox, 652, 12, 0},
        {DESTINATION, Kind::Edit, 217, 50, 0},
        {AIRP_RANGE, Kind::ComboBox, 353, 45, 144},
        {AIRP_HEIGHT, Kind::ComboBox, 566, 70, 230},
        {BUTTON_REREAD, Kind::Button, 758, 90, 0},
        {INITIAL_LOAD_ONLY, Kind::CheckBox, 5, 12, 0},
        {WEEK, Kind::CheckBox, 71, 12, 0},
        {PARK_SOFT, Kind::CheckBox, 151, 12, 0},
        {parking_percentage, Kind::ComboBox, 323, 50, 200},
        {MAX_FIT_FL, Kind::ComboBox, 566, 60, 300},
        {BUTTON_FLUSH_STATIC, Kind::Button, 758, 90, 0},
    };
    return placements;
}

void lf_createControl(HWND window, const Placement& place)
{
    switch (place.kind) {
    case Kind::CheckBox:
        gf_createCheckbox(window, dynamic_cast<BoolGuiParameter&>(place.control), place.x);
        break;
    case Kind::ComboBox:
        gf_createComboBox(window, place.control, place.x, place.width, place.listHeight);
        break;
    case Kind::Edit: {
        auto& setting = dynamic_cast<StringGuiParameter&>(place.control);
        gf_createEdit(window, setting, place.x, place.width, lf_editProcOf(setting));
        break;
    }
    case Kind::Button:
        gf_createButton(window, dynamic_cast<GuiButton&>(place.control), place.x, place.width);
        break;
    }
}

} // namespace

HWND gf_createButton(HWND parent, GuiButton& button, int x, int width)
{
    button.hwnd = lf_create(parent, L"button", button.name, kChild | BS_DEFPUSHBUTTON, x, button.y, width, 20,
                            button.controlId);
    EnableWindow(button.hwnd, FALSE);
    return button.hwnd;
}

HWND gf_createCheckbox(HWND parent, BoolGuiParameter& setting, int x)
{
    setting.hwnd = lf_create(parent, L"button", setting.name, kChild | BS_CHECKBOX, x, setting.y + 2, 12, 12,
                             setting.controlId);
    SendMessageW(setting.hwnd, BM_SETCHECK, setting.value ? BST_CHECKED : BST_UNCHECKED, 0);
    return setting.hwnd;
}

HWND gf_createEdit(HWND parent, StringGuiParameter& setting, int x, int width, WNDPROC procedure)
{
    setting.hwnd = lf_create(parent, L"Edit", setting.value, kChild | WS_BORDER, x, setting.y, width, 16,
                             setting.controlId);
    if (setting.hwnd != nullptr) {
        setting.previousProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(setting.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
        EnableWindow(setting.hwnd, FALSE);
    }
    return setting.hwnd;
}

HWND gf_createComboBox(HWND parent, GuiControl& control, int x, int width, int listHeight)
{
    control.hwnd = lf_create(parent, L"ComboBox", "", kChild | WS_VSCROLL | CBS_DROPDOWNLIST, x, control.y - 5, width,
                             listHeight, control.controlId);
    return control.hwnd;
}

void gf_enableControl(const GuiControl& control) { EnableWindow(control.hwnd, TRUE); }

void lf_createControls(HWND window)
{
    for (const Placement& place : lf_placements()) {
        lf_createControl(window, place);
    }
}
