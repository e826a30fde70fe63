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

// Takes out the active live aircraft beyond MAX_LIVE_SEL, the farthest from the user first.
void lf_removeOverLiveLimit()
{
    std::vector<LiveAc*> active;
    for (LiveAc& ac : g_liveAcs) {
        if (ac.simState == SimState::active) {
            active.push_back(&ac);
        }
    }
    const auto limit = static_cast<std::size_t>(std::max(0, MAX_LIVE_SEL.value.load()));
    if (active.size() <= limit) {
        return;
    }
    const std::size_t excess = active.size() - limit;
    std::partial_sort(active.begin(), active.begin() + static_cast<std::ptrdiff_t>(excess), active.end(),
                      [](const LiveAc* a, const LiveAc* b) { return lf_distanceToUserNm(*a) > lf_distanceToUserNm(*b); });
    for (std::size_t i = 0; i < excess; ++i) {
        removeAircraftFromSim(*active[i]);
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
