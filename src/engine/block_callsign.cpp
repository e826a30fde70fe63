// The callsign list of the main window: the callsigns of the live aircraft a user may block.
#include "engine/life_cycle.h"

#include "core/parameters_xml.h"
#include "core/run_state.h"
#include "core/setting_lists.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/aircraft_names.h"
#include "platform/win32.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <memory>
#include <mutex>

namespace {

// The callsigns of the last run and the one chosen among them name aircraft that a restarted
// run does not have: the list goes back to its one empty entry.
const RunStateRegistration lf_runState{
    {"CALLSIGN_2_OBJECTID", RunStateArea::Engine,
     [] {
         const std::lock_guard lock(g_parametersMutex);
         CALLSIGN_2_OBJECTID.value = CALLSIGN_2_OBJECTID.defaultValue;
         CALLSIGN_2_OBJECTID.sharedEntries = std::make_shared<std::vector<std::string>>(1, std::string());
     },
     [] {
         const std::lock_guard lock(g_parametersMutex);
         const auto& entries = CALLSIGN_2_OBJECTID.sharedEntries;
         return fmt::format("'{}' of {}", CALLSIGN_2_OBJECTID.value,
                            entries ? fmt::format("{}", *entries) : std::string("none"));
     }},
};

} // namespace

void gf_fillBlockCallsignList()
{
    // The shared list starts with one empty entry, as the settings define it.
    auto entries = std::make_shared<std::vector<std::string>>(1, std::string());
    for (const LiveAc& ac : g_liveAcs) {
        if (ac.simState == SimState::active && ac.flightPhase != FlightPhase::parked && gf_hasCallsign(ac))
            entries->push_back(ac.callsign);
    }
    const bool any = entries->size() > 1;
    {
        const std::lock_guard lock(g_parametersMutex);
        CALLSIGN_2_OBJECTID.sharedEntries = std::move(entries);
    }
    gf_fillCallsignCombo();
    if (any) {
        EnableWindow(CALLSIGN_2_OBJECTID.hwnd, TRUE);
        EnableWindow(BUTTON_BLOCK.hwnd, TRUE);
    }
}

bool gf_isBlockSelection(const StaticAc& ac)
{
    const std::lock_guard lock(g_parametersMutex);
    return !CALLSIGN_2_OBJECTID.value.empty() && CALLSIGN_2_OBJECTID.value == ac.callsign;
}

void gf_resetBlockCallsign()
{
    {
        const std::lock_guard lock(g_parametersMutex);
        CALLSIGN_2_OBJECTID.value.clear();
    }
    SendMessageW(CALLSIGN_2_OBJECTID.hwnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EnableWindow(CALLSIGN_2_OBJECTID.hwnd, FALSE);
    EnableWindow(BUTTON_BLOCK.hwnd, FALSE);
}
