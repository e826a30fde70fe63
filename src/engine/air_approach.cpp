// Approach, go-around, touch-down and take-off: the phase changes of an aircraft near
// the ground and the commands that go with them.
#include "engine/air_movement.h"
#include "engine/air_planning.h"

#include "app/tick_state.h"
#include "core/log.h"
#include "engine/air_commands.h"
#include "engine/aircraft_names.h"
#include "engine/stand_search.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kApproachVsFpm = -250.0;
constexpr double kGoAroundVsFpm = 600.0;

std::uint32_t lf_rotorOr(const LiveAc& ac, std::uint32_t step)
{
    return ac.category == Category::Rotorcraft ? 4 : step;
}

// Height above which an aircraft is clear of its approach or climb-out.
double lf_clearHeightFt(const LiveAc& ac)
{
    switch (ac.category) {
    case Category::Buzjet:
    case Category::Large:
    case Category::Heavy:
        return 2050.0;
    default:
        return 625.0;
    }
}

// Clear of the ground: throttle by the vertical speed, gear and flaps by the height.
void lf_climbOrCruiseCommands(LiveAc& ac)
{
    const double vs = ac.stream[0].verticalSpeed;
    lf_relaxTimers(ac);
    gf_setCabinLights(ac, true);
    ac.takeOffStarted = 0;
    ac.landingArmed = 0;
    if (vs <= kApproachVsFpm && ac.throttleIndex == 3) {
        gf_setThrottle(ac, lf_rotorOr(ac, 2));
    } else if (vs > 400.0 && ac.throttleIndex == 4) {
        gf_setThrottle(ac, lf_rotorOr(ac, 3));
    }
    if (ac.agl >= 2400.0) {
        gf_setGear(ac, false);
        gf_setFlaps(ac, 0);
    } else if (vs <= 100.0) {
        if (ac.flapsIndex == 0) {
            gf_setFlaps(ac, 1);
        } else if (ac.flapsIndex == 1 && ac.agl < 2000.0) {
            gf_setFlaps(ac, 2);
        }
    }
}

void lf_armLanding(LiveAc& ac)
{
    gf_setThrottle(ac, lf_rotorOr(ac, 1));
    gf_setFlaps(ac, 3);
    gf_setGear(ac, true);
    g_standArrivals.push_back(ac.hexid);
    ac.landingArmed = 1;
    ac.goAroundDone = 0;
    gf_forgetStand(ac);
    ac.climbCount = 1;
    lf_resetTimers(ac);
}

void lf_goAround(LiveAc& ac)
{
    lf_relaxTimers(ac);
    gf_setThrottle(ac, 4);
    gf_setGear(ac, false);
    gf_setFlaps(ac, 0);
    ac.goAroundDone = 1;
    ac.flareStage = 0;
    ac.landingArmed = 0;
}

} // namespace

void lf_altitudeCommands(LiveAc& ac)
{
    if (!ac.allLightsDone) {
        ac.allLightsDone = 1;
        ac.lightsDone = 0;
        gf_setLights(ac, kAllLights);
    }
    if (ac.agl > lf_clearHeightFt(ac)) {
        lf_climbOrCruiseCommands(ac);
    } else {
        lf_checkApproach(ac);
    }
}

void lf_checkApproach(LiveAc& ac)
{
    gf_setCabinLights(ac, false);
    const bool near = lf_nearParkAirport(ac);
    const double vs = ac.stream[0].verticalSpeed;
    if (vs <= kApproachVsFpm) {
        if (near && !ac.landingArmed) {
            lf_armLanding(ac);
        }
        return;
    }
    if ((vs > kGoAroundVsFpm || (ac.landingArmed && !near)) && !ac.goAroundDone) {
        lf_goAround(ac);
    }
}

void gf_touchDown(LiveAc& ac)
{
    if (ac.flareStage != 0 || ac.landingArmed) {
        ac.derotating = 1;
        ac.landingRoll = 1;
        ac.runwayHeading = ac.simPosition[4];
        ac.landingArmed = 0;
        ac.landed = 1;
        gf_setSpoilers(ac, true);
        g_standArrivals.push_back(ac.hexid);
        if (ac.category != Category::Light) {
            gf_setGroundControls(ac, 100.0, ac.fsltl ? -100.0 : 100.0);
        }
        if (ac.ticksB > 0) {
            ac.bankRate = -ac.simPosition[3] / ac.ticksB;
            ac.pitchRate = (ac.staticPitch - ac.simPosition[2]) / ac.ticksB;
        } else {
            gf_log(fmt::format("{} ! onGround slots {:.1f}", gf_acDescr(ac), static_cast<double>(ac.ticksB)));
        }
    }
    ac.onGround = 1;
    ac.altRate = 0.0;
    ac.climbCount = 1;
}

void lf_startTakeOff(LiveAc& ac)
{
    ac.climbCount = std::max<std::int32_t>(static_cast<std::int32_t>(ac.ticksC), 1);
    ac.simPosition[3] = 0.0;
    ac.bankRate = 0.0;
    ac.pitchRate = (ac.rotationPitch - ac.simPosition[2]) / ac.climbCount;
    if (!ac.takeOffStarted) {
        lf_armTakeOff(ac);
    }
    if (ac.flightPhase != FlightPhase::take_off) {
        ac.previousPhase = ac.flightPhase;
        ac.flightPhase = FlightPhase::take_off;
    }
    ac.turnRate = 0.0;
    ac.groundPath.fill(std::numeric_limits<double>::quiet_NaN());
    if (ac.landingRoll) {
        // Touch-and-go: power up and clean the wing for the climb. The spoilers are retracted,
        // not deployed: nothing else would retract them once the aircraft is airborne.
        ac.landingRoll = 0;
        ac.landingArmed = 0;
        ac.landed = 0;
        gf_setThrottle(ac, 4);
        gf_setSpoilers(ac, false);
        gf_setFlaps(ac, 1);
    }
}

void lf_armTakeOff(LiveAc& ac)
{
    if (ac.towed) {
        gf_log(fmt::format("towed aircraft takes-off? {}", gf_acDescr(ac)));
    }
    gf_beginTakeOffRoll(ac, 0, false);
}

void gf_beginTakeOffRoll(LiveAc& ac, std::int32_t throttleStep, bool spoilers)
{
    // A departing aircraft holds no stand.
    lf_releaseStand(ac);
    ac.takeOffStarted = 1;
    gf_setThrottle(ac, throttleStep);
    gf_setSpoilers(ac, spoilers);
    gf_setFlaps(ac, 1);
    ac.landingArmed = 0;
    ac.landed = 0;
    ac.goAroundDone = 0;
    gf_setLights(ac, kTakeOffLights);
    ac.timers = {3000, 5000};
}
