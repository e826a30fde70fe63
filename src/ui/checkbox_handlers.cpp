// The check boxes: each click flips the box, stores and saves its setting, and answers
// in the status line; some enable other controls or restart the run.
#include "core/parameters_xml.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "liveries/livery_tables.h"
#include "traffic/rt_link.h"
#include "ui/busy_state.h"
#include "ui/command_handlers.h"
#include "ui/control_actions.h"
#include "ui/control_text.h"
#include "ui/engine_requests.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/range_control.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <string>

namespace {

// Minutes between two static-parking renewals.
constexpr int kRenewalMinutes = 20;

// The message of a box in each state; an empty text clears the status line.
struct BoxMessages {
    const BoolGuiParameter* box;
    std::string whenOn;
    std::string whenOff;
};

const std::vector<BoxMessages>& lf_boxMessages()
{
    static const std::vector<BoxMessages> messages{
        {&LIG_AUTOMATIC, "", "The liveries defined by your lfolder parameters will be scanned"},
        {&LIG_PRIORITIZE, "Liveries, for airl+model, in lower lfolders that are already available will be skipped", ""},
        {&COLLISION_LIVE_PARKED_GND, "", "Be aware, live aircraft may collide with (run through) static parked on the ground"},
        {&COLLISION_USER_GND, "",
         "Be aware, user aircraft may collide with (run through) live aircraft and static parked on the ground"},
        {&COLLISION_USER_AIR, "", "Be aware, user aircraft may collide with (run through) live aircraft in the air"},
        {&INITIAL_LOAD_ONLY,
         fmt::format("Initial Load Only: static parked aircraft are generated once, no renewal every {} minutes",
                     kRenewalMinutes),
         ""},
        {&ALWAYS_ON_TOP, fmt::format("{}'s window will remain visible", kProductName), ""},
        {&GUID_CHANGES, "", "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!"},
        {&AEROWINX, fmt::format("Note: This mode is for Aerowinx PSX users only, please re-start {}", kProductName), ""},
        {&AIRBORNE_ONLY, "Be aware, airborne live traffic only!  (greater than 300 ft above ground ...)", ""},
        {&SCAN_LIVERIES, "", ""},
        {&SCAN_AIRPORTS, "", ""},
    };
    return messages;
}

BoolGuiParameter* lf_checkBoxOf(int controlId)
{
    for (BoolGuiParameter* box : boolGuiParameters) {
        if (box->controlId == controlId) {
            return box;
        }
    }
    return nullptr;
}

void lf_showBoxMessage(const BoolGuiParameter& box)
{
    for (const BoxMessages& entry : lf_boxMessages()) {
        if (entry.box != &box) {
            continue;
        }
        const std::string& text = box.value ? entry.whenOn : entry.whenOff;
        if (text.empty()) {
            gf_clearMessage();
        } else {
            gf_showMessage(text, false);
        }
    }
}

// While the program still waits for RealTraffic a scan switched on restarts the run at
// once, so the restart scans; afterwards it waits for the next start.
void lf_onScanSwitchedOn(const char* what, bool liveries)
{
    if (!g_waitingForRealTraffic.load()) {
        gf_showMessage(fmt::format("Your {} will be scanned at the next start of {}", what, kProductName), false);
        return;
    }
    gf_showMessage(fmt::format("Your {} will be scanned", what), true);
    if (liveries) {
        g_liveryRebuildRequested.store(true);
    }
    lf_restartForNewSettings(2);
}

void lf_afterBoxChanged(HWND window, const BoolGuiParameter& box)
{
    const bool on = box.value;
    if (&box == &LIG_AUTOMATIC) {
        EnableWindow(AI_PACKAGE_SELECTOR.hwnd, on ? TRUE : FALSE);
    } else if (&box == &INITIAL_LOAD_ONLY) {
        EnableWindow(BUTTON_NOW.hwnd, on || g_busy.load() ? FALSE : TRUE);
        gf_repaintControlArea();
    } else if (&box == &ALWAYS_ON_TOP) {
        SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        gf_repaintControlArea();
    } else if (&box == &GUID_CHANGES) {
        gf_repaintControlArea();
    } else if (&box == &AUTO_RANGE) {
        EnableWindow(AR_ABOVE_HEIGHT.hwnd, on ? TRUE : FALSE);
        gf_applyRange();
    } else if (&box == &SCAN_LIVERIES) {
        EnableWindow(AI_PACKAGE_SELECTOR.hwnd, on ? FALSE : TRUE);
        if (on) {
            lf_onScanSwitchedOn("liveries", true);
        }
    } else if (&box == &SCAN_AIRPORTS && on) {
        lf_onScanSwitchedOn("airports", false);
    } else if (&box == &NAV_LIGHTS_WHILE_PARKED) {
        g_parkedNavLightsChanged.store(true);
    }
}

} // namespace

bool lf_onCommandCheckBoxes(HWND window, int controlId)
{
    BoolGuiParameter* box = lf_checkBoxOf(controlId);
    if (box == nullptr) {
        return false;
    }
    const bool on = SendMessageW(box->hwnd, BM_GETCHECK, 0, 0) != BST_CHECKED;
    CheckDlgButton(window, controlId, on ? BST_CHECKED : BST_UNCHECKED);
    box->value = on;
    gf_saveBoolParameter(*box);
    lf_showBoxMessage(*box);
    lf_afterBoxChanged(window, *box);
    return true;
}

void gf_switchOnInitialLoadOnly()
{
    INITIAL_LOAD_ONLY.value = true;
    gf_saveBoolParameter(INITIAL_LOAD_ONLY);
    gf_setCheckBox(INITIAL_LOAD_ONLY);
    lf_afterBoxChanged(g_mainWindow.load(), INITIAL_LOAD_ONLY);
}
