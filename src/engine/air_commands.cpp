// Commands to an AI aircraft: client events through the event queue, the ground
// controls straight onto the object.
#include "engine/air_commands.h"

#include "core/log.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"

#include <mutex>

namespace {

constexpr std::array<std::uint32_t, 5> kFlapsValues{0, 3072, 10240, 16383, 0};
constexpr std::array<std::uint32_t, 5> kThrottleValues{0, 4914, 8191, 11468, 16383};

// An object that is not yet in the simulator gets nothing: object 0 is the user aircraft.
bool lf_hasObject(const StaticAc& ac)
{
    return ac.objectId != 0;
}

bool lf_isRotorcraft(const StaticAc& ac)
{
    return ac.category == Category::Rotorcraft;
}

} // namespace

void gf_setSpoilers(StaticAc& ac, bool on)
{
    if (lf_isRotorcraft(ac) || !lf_hasObject(ac)) {
        return;
    }
    gf_queueEvent(ac.objectId, kEventSpoilersSet, on ? 16383u : 0u);
}

void gf_setFlaps(StaticAc& ac, std::uint32_t step)
{
    if (lf_isRotorcraft(ac) || !lf_hasObject(ac)) {
        return;
    }
    if (step >= kFlapsValues.size()) {
        gf_log("gf_setFlaps: invalid flaps index");
        return;
    }
    if (step == ac.flapsIndex) {
        return;
    }
    ac.flapsIndex = step;
    gf_queueEvent(ac.objectId, kEventFlapsSet, kFlapsValues[step]);
}

void gf_setGear(StaticAc& ac, bool down)
{
    if (lf_isRotorcraft(ac) || !lf_hasObject(ac)) {
        return;
    }
    gf_queueEvent(ac.objectId, kEventGearSet, down ? 1u : 0u);
}

void gf_setThrottle(StaticAc& ac, std::uint32_t step)
{
    if (step == ac.throttleIndex || !lf_hasObject(ac)) {
        return;
    }
    ac.throttleIndex = step;
    if (step < kThrottleValues.size()) {
        gf_queueEvent(ac.objectId, kEventThrottleSet, kThrottleValues[step]);
    }
}

void gf_setLights(const StaticAc& ac, const LightStates& states)
{
    if (lf_hasObject(ac)) {
        gf_queueLights(ac.objectId, states);
    }
}

void gf_setCabinLights(const StaticAc& ac, bool on)
{
    if (lf_hasObject(ac)) {
        gf_queueCabinLights(ac.objectId, on ? 1u : 0u);
    }
}

void gf_setGroundControls(const StaticAc& ac, double spoilersPercent, double throttlePercent)
{
    if (!lf_hasObject(ac) || g_simLinkFailed) {
        return;
    }
    std::array<double, 3> controls{spoilersPercent, throttlePercent, throttlePercent};
    HRESULT result = S_OK;
    {
        std::lock_guard lock(g_simQueueMutex);
        if (g_hSimConnect == nullptr) {
            return;
        }
        result = SimConnect_SetDataOnSimObject(g_hSimConnect, kDefinitionGroundControls, ac.objectId, 0, 0,
                                               sizeof(controls), controls.data());
    }
    if (FAILED(result)) {
        gf_log("SimConnect request ground controls fails");
        gf_simRequestError();
    }
}
