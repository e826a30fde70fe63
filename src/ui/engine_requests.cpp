#include "ui/engine_requests.h"
#include "core/run_state.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "core/geo.h"
#include "engine/life_cycle.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

#include <algorithm>
#include <vector>

std::atomic<bool> g_parkedNavLightsChanged{false};
std::atomic<bool> g_rematchRequested{false};
std::atomic<bool> g_liveLimitLowered{false};

namespace {

double lf_distanceToUserNm(const LiveAc& ac)
{
    return gf_distanceNm(LatLon{ac.simPosition[0], ac.simPosition[1]},
                         LatLon{g_userAcData.latitude, g_userAcData.longitude});
}

// Live aircraft that count against MAX_LIVE_SEL: the active ones and those on their way in,
// which would otherwise become active over the new limit.
bool lf_countsAgainstTheLimit(const LiveAc& ac)
{
    const bool staying = ac.remove == 0 && ac.withdrawn == 0 && ac.removeOnArrival == 0;
    return staying && (ac.simState == SimState::active || ac.simState == SimState::adding2sim);
}

// Takes out the live aircraft beyond MAX_LIVE_SEL, the farthest from the user first.
void lf_removeOverLiveLimit()
{
    std::vector<LiveAc*> counted;
    for (LiveAc& ac : g_liveAcs) {
        if (lf_countsAgainstTheLimit(ac)) {
            counted.push_back(&ac);
        }
    }
    const auto limit = static_cast<std::size_t>(std::max(0, MAX_LIVE_SEL.value.load()));
    if (counted.size() <= limit) {
        return;
    }
    const std::size_t excess = counted.size() - limit;
    std::partial_sort(counted.begin(), counted.begin() + static_cast<std::ptrdiff_t>(excess), counted.end(),
                      [](const LiveAc* a, const LiveAc* b) { return lf_distanceToUserNm(*a) > lf_distanceToUserNm(*b); });
    for (std::size_t i = 0; i < excess; ++i) {
        removeAircraftFromSim(*counted[i]);
    }
}

} // namespace

void gf_serveHandlerRequests()
{
    gf_applyParkedNavLights();
    if (g_liveLimitLowered.exchange(false)) {
        lf_removeOverLiveLimit();
    }
    // The aircraft that found no livery are forgotten, so their next lines match again.
    if (g_rematchRequested.exchange(false)) {
        g_noLiverySet.clear();
    }
}

void gf_applyParkedNavLights()
{
    if (!g_parkedNavLightsChanged.exchange(false)) {
        return;
    }
    const std::uint32_t lights = NAV_LIGHTS_WHILE_PARKED.value ? 1 : 0;
    for (const StaticAc& ac : g_staticAcs) {
        if (ac.simState == SimState::active) {
            gf_queueNavLights(ac.objectId, lights);
        }
    }
    for (const LiveAc& ac : g_liveAcs) {
        if (ac.simState == SimState::active && ac.flightPhase == FlightPhase::parked) {
            gf_queueNavLights(ac.objectId, lights);
        }
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Status, g_parkedNavLightsChanged, g_rematchRequested, g_liveLimitLowered),
};

} // namespace
