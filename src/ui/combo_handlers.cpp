// The drop-down lists: a pick stores and saves its setting; the simulator list switches
// the simulator and restarts the run.
#include "app/exit_reason.h"
#include "core/airport_settings.h"
#include "core/checked_round.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "liveries/livery_tables.h"
#include "ui/command_handlers.h"
#include "ui/control_text.h"
#include "ui/engine_requests.h"
#include "ui/main_window.h"
#include "ui/panel_repaint.h"
#include "ui/range_control.h"
#include "ui/status_line.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fmt/format.h>
#include <mutex>
#include <system_error>

namespace {

// Stores the picked option of a list of numbers, clamped, and saves it.
template <class Setting>
auto lf_storeOption(Setting& setting, int index)
{
    const auto option = setting.optionValues.at(static_cast<std::size_t>(index));
    setting.value = std::clamp(option, setting.minValue, setting.maxValue);
    return setting.value.load();
}

void lf_switchSimulator()
{
    std::error_code error;
    std::filesystem::remove(folders::liveriesScannedXml(), error);
    if (error) {
        throw std::filesystem::filesystem_error("remove", folders::liveriesScannedXml(), error);
    }
    g_liveryRebuildRequested.store(true);
    for (BoolGuiParameter* scan : {&SCAN_AIRPORTS, &SCAN_LIVERIES}) {
        scan->value = true;
        gf_saveBoolParameter(*scan);
        gf_setCheckBox(*scan);
    }
    // The switch mends what an error on the status line reported: the error goes first,
    // so that the line and the log say why the run restarts.
    gf_clearStatusError();
    gf_showMessage(fmt::format("Switching Simulator to {}", SIM_CHOICE.value), true);
    ALL_INSTALL_PATH.value.clear();
    gf_setControlText(ALL_INSTALL_PATH);
    gf_setStringParameter(g_msfs2020.load() ? MSFS_INSTALL_PATH : MSFS_2024_INSTALL_PATH, "");
    // A wrong simulator choice is what leaves no packages folder to find: the switch mends
    // the error that stopped the start-up, so it also ends the wait after it. It also takes
    // the place of an error restart, which would switch off the scans the new simulator needs.
    gf_requestMendingRestart(ExitReason::NewSettings, 3);
}

void lf_onSimChoice(const ComboSelection& pick)
{
    if (pick.text == SIM_CHOICE.value) {
        return;
    }
    gf_setStringParameter(SIM_CHOICE, pick.text);
    gf_applySimChoice(SIM_CHOICE.value.load());
    lf_switchSimulator();
}

void lf_onPackageSelector(const ComboSelection& pick)
{
    if (pick.text == AI_PACKAGE_SELECTOR.value) {
        return;
    }
    gf_setStringParameter(AI_PACKAGE_SELECTOR, pick.text);
    gf_showMessage("If you want to make this choice effective, you must start a Scan for liveries", false);
}

void lf_onCallsignPicked(const ComboSelection& pick)
{
    {
        const std::lock_guard lock(g_parametersMutex);
        if (pick.text == CALLSIGN_2_OBJECTID.value) {
            return;
        }
        CALLSIGN_2_OBJECTID.value = pick.text;
    }
    {
        const std::lock_guard lock(g_mainWindowState.parkTextMutex);
        g_mainWindowState.callsignObjectIdText.clear();
    }
    gf_repaintControlArea();
    if (!IsWindowEnabled(BUTTON_UNBLOCK.hwnd)) {
        EnableWindow(BUTTON_BLOCK.hwnd, TRUE);
    }
}

void lf_onMatchingDepth(int index)
{
    const std::int32_t previous = MATCHING_DEPTH.value;
    lf_storeOption(MATCHING_DEPTH, index);
    gf_saveIntParameter(MATCHING_DEPTH);
    if (MATCHING_DEPTH.value > previous) {
        g_rematchRequested.store(true);
    }
}

void lf_onMaxFit(int index)
{
    const float hours = lf_storeOption(MAX_FIT_FL, index);
    const std::int32_t maxFit = gf_roundToInt32(2.0 * hours) - 1;
    MAX_FIT.value = std::clamp(maxFit, MAX_FIT.minValue, MAX_FIT.maxValue);
    gf_saveIntParameter(MAX_FIT);
}

void lf_onMaxLive(int index)
{
    lf_storeOption(MAX_LIVE_SEL, index);
    gf_saveIntParameter(MAX_LIVE_SEL);
    // The engine counts the aircraft on their way in too, which the panel does not show.
    g_liveLimitLowered.store(true);
}

// Lists whose pick is stored and saved, nothing more (RANGE also sets the range).
bool lf_onPlainNumberList(int controlId, int index)
{
    for (IntGuiParameter* list : {&MAX_PARK_SEL, &parking_percentage, &RANGE, &AIRP_RANGE, &AR_ABOVE_HEIGHT,
                                  &AIRP_HEIGHT}) {
        if (list->controlId != controlId) {
            continue;
        }
        lf_storeOption(*list, index);
        gf_saveIntParameter(*list);
        if (list == &RANGE) {
            gf_pickManualRange(RANGE.value);
        }
        return true;
    }
    return false;
}

bool lf_isListId(int controlId)
{
    for (const GuiControl* list : std::initializer_list<const GuiControl*>{
             &SIM_CHOICE, &AI_PACKAGE_SELECTOR, &CALLSIGN_2_OBJECTID, &MATCHING_DEPTH, &MAX_PARK_SEL,
             &parking_percentage, &RANGE, &AIRP_RANGE, &AR_ABOVE_HEIGHT, &AIRP_HEIGHT, &MAX_FIT_FL, &MAX_LIVE_SEL}) {
        if (list->controlId == controlId) {
            return true;
        }
    }
    return false;
}

} // namespace

bool lf_onCommandCombos(HWND window, int controlId, WPARAM wParam)
{
    if (!lf_isListId(controlId)) {
        return false;
    }
    const ComboSelection pick = lf_readComboSelection(window, controlId, wParam);
    if (!pick.valid) {
        return true;
    }
    if (controlId == SIM_CHOICE.controlId) {
        lf_onSimChoice(pick);
    } else if (controlId == AI_PACKAGE_SELECTOR.controlId) {
        lf_onPackageSelector(pick);
    } else if (controlId == CALLSIGN_2_OBJECTID.controlId) {
        lf_onCallsignPicked(pick);
    } else if (controlId == MATCHING_DEPTH.controlId) {
        lf_onMatchingDepth(pick.index);
    } else if (controlId == MAX_FIT_FL.controlId) {
        lf_onMaxFit(pick.index);
    } else if (controlId == MAX_LIVE_SEL.controlId) {
        lf_onMaxLive(pick.index);
    } else {
        lf_onPlainNumberList(controlId, pick.index);
    }
    return true;
}
