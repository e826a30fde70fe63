#include "parking/airport_settings_snapshot.h"
#include "core/run_state.h"

#include <fmt/format.h>

#include "core/settings.h"

AirportSettingsSnapshot g_airportSettingsSnapshot;

void gf_takeAirportSettingsSnapshot()
{
    AirportSettingsSnapshot& s = g_airportSettingsSnapshot;
    s.maxLiveSel = MAX_LIVE_SEL.value;
    s.maxFit = MAX_FIT.value;
    s.range = RANGE.value;
    s.parkingPercentage = parking_percentage.value;
    s.autoRange = AUTO_RANGE.value;
    s.initialLoadOnly = INITIAL_LOAD_ONLY.value;
    s.parkSoft = PARK_SOFT.value;
    s.week = WEEK.value;
}

namespace {

const RunStateRegistration lf_runState{
    {"g_airportSettingsSnapshot", RunStateArea::Engine, [] { g_airportSettingsSnapshot = {}; },
     [] {
         const AirportSettingsSnapshot& a = g_airportSettingsSnapshot;
         return fmt::format("{} {} {} {} {} {} {} {}", a.maxLiveSel, a.maxFit, a.range, a.parkingPercentage,
                            a.autoRange, a.initialLoadOnly, a.parkSoft, a.week);
     }},
};

} // namespace
