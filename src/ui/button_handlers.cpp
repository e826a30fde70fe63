// The push buttons: blocking, the callsign list, re-read, flush, "tblo" and "Now".
#include "app/tick_state.h"
#include "core/parameters_xml.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "ui/busy_state.h"
#include "ui/command_handlers.h"
#include "ui/control_actions.h"
#include "ui/control_requests.h"
#include "ui/main_window.h"
#include "ui/panel_repaint.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <mutex>

namespace {

// Minutes until the next static-parking renewal after one was started by hand.
constexpr std::int32_t kRenewalMinutes = 20;

bool lf_callsignListHasEntries()
{
    return SendMessageW(CALLSIGN_2_OBJECTID.hwnd, CB_GETCOUNT, 0, 0) > 1;
}

std::string lf_selectedCallsign()
{
    const std::lock_guard lock(g_parametersMutex);
    return CALLSIGN_2_OBJECTID.value;
}

void lf_onUnblock()
{
    if (BLOCK_CALLSIGN.value.empty()) {
        gf_showMessage("Nothing to block or unblock...", false);
        return;
    }
    lf_unblockCallsign();
    if (lf_callsignListHasEntries()) {
        EnableWindow(BUTTON_BLOCK.hwnd, TRUE);
    }
}

void lf_onBlock()
{
    const std::string callsign = lf_selectedCallsign();
    if (!callsign.empty()) {
        lf_setBlockCallsign(callsign);
        g_blockCallsignRequested.store(true);
    }
    EnableWindow(BUTTON_BLOCK.hwnd, FALSE);
}

void lf_onReread()
{
    g_rereadRequested.store(true);
    EnableWindow(BUTTON_REREAD.hwnd, FALSE);
    EnableWindow(DESTINATION.hwnd, FALSE);
}

void lf_onFlushStatic()
{
    gf_showMessage("All static parked aircraft will be removed ...", false);
    g_flushStaticRequested.store(true);
    EnableWindow(BUTTON_FLUSH_STATIC.hwnd, FALSE);
}

void lf_onNow()
{
    if (!g_mainWindowState.parkFileLoaded.load()) {
        return;
    }
    if (INITIAL_LOAD_ONLY.value) {
        gf_clearMessage();
        return;
    }
    gf_announceStaticParkingUpdate();
    g_staticParkingCountdown.store(kRenewalMinutes);
    gf_repaintControlArea();
}

} // namespace

bool lf_onCommandButtons(HWND, int controlId)
{
    if (controlId == BUTTON_UNBLOCK.controlId) {
        lf_onUnblock();
    } else if (controlId == BUTTON_CALLSIGN_2_OBJECTID.controlId) {
        g_blockListRefreshRequested.store(true);
        EnableWindow(BUTTON_BLOCK.hwnd, FALSE);
    } else if (controlId == BUTTON_BLOCK.controlId) {
        lf_onBlock();
    } else if (controlId == BUTTON_REREAD.controlId) {
        lf_onReread();
    } else if (controlId == BUTTON_FLUSH_STATIC.controlId) {
        lf_onFlushStatic();
    } else if (controlId == BUTTON_TBLO.controlId) {
        gf_openTbloFolder();
    } else if (controlId == BUTTON_NOW.controlId) {
        lf_onNow();
    } else {
        return false;
    }
    return true;
}

void gf_announceStaticParkingUpdate()
{
    gf_setBusy();
    const std::int32_t now = g_secondsCounter.load();
    const std::int32_t seconds = (now / 15 + 1) * 15 - now;
    if (seconds > 0) {
        gf_showMessage(fmt::format("{} will update static parking in {} second{} ...", kProductName, seconds,
                                   seconds == 1 ? "" : "s"),
                       false);
    }
    g_renewalRequested.store(true);
}
