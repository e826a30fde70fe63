#include "ui/engine_requests.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "simlink/sim_queues.h"

std::atomic<bool> g_parkedNavLightsChanged{false};
std::atomic<bool> g_rematchRequested{false};
std::atomic<bool> g_liveLimitLowered{false};

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
