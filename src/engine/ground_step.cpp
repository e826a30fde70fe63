// Ground commands and speeds of a segment: throttle while taxiing, the landing roll's
// spoilers, flaps and lights, the take-off roll's throttle and the lift-off trigger.
#include "engine/ground_plan.h"

#include "engine/air_angles.h"
#include "engine/air_commands.h"
#include "engine/air_movement.h"
#include "engine/air_planning.h"
#include "engine/category_tables.h"
#include "engine/ground_path.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRunwayHeadingToleranceDeg = 15.0;
constexpr double kRollOutSpeedKt = 90.0;
constexpr double kLiftOffSpeedKt = 43.0;
constexpr double kClimbingFpm = 256.0;
// Lights while taxiing after the landing roll: navigation, beacon, taxi, logo and cabin on.
constexpr LightStates kTaxiLights{1, 1, 0, 1, 0, 1, 1};

std::uint32_t lf_idleStep(const LiveAc& ac)
{
    return ac.category == Category::Rotorcraft ? 4 : 0;
}

void lf_groundControlsOff(LiveAc& ac)
{
    gf_setSpoilers(ac, false);
    if (ac.category != Category::Light) {
        gf_setGroundControls(ac, 0.0, 0.0);
    }
}

// Rolling out after touch-down: slowed down, spoilers and power off; once off the runway
// heading, the roll ends with taxi lights.
void lf_landingRoll(LiveAc& ac)
{
    const double offDeg = std::abs(gf_wrapPi(ac.simPosition[4] - ac.runwayHeading)) * kRadToDeg;
    if (offDeg < kRunwayHeadingToleranceDeg) {
        if (ac.stream[0].groundSpeed <= kRollOutSpeedKt) {
            lf_groundControlsOff(ac);
            gf_setFlaps(ac, 1);
        }
        return;
    }
    gf_setFlaps(ac, 0);
    ac.landingRoll = 0;
    ac.runwayHeading = 0.0;
    gf_setThrottle(ac, lf_idleStep(ac));
    lf_groundControlsOff(ac);
    gf_setLights(ac, kTaxiLights);
}

// Power of the take-off roll grows with the speed of the samples.
void lf_takeOffRollThrottle(LiveAc& ac)
{
    if (ac.category == Category::Rotorcraft) {
        gf_setThrottle(ac, 4);
        return;
    }
    const double front = ac.stream[0].groundSpeed;
    const double next = ac.stream[1].groundSpeed;
    if (front >= 25.0 || next >= 30.0) {
        gf_setThrottle(ac, 4);
    } else if (front >= 20.0 || next >= 25.0) {
        gf_setThrottle(ac, 2);
    } else if (front >= 15.0 || next >= 20.0) {
        gf_setThrottle(ac, 1);
    } else {
        gf_setThrottle(ac, 0);
    }
}

// Every sample after the front is at the category's take-off speed (a lone sample passes).
bool lf_catSpeed(const LiveAc& ac)
{
    const double speed = gf_categoryRow(ac.category).speedKt;
    return std::all_of(ac.stream.begin() + 1, ac.stream.end(),
                       [speed](const PosSample& s) { return s.groundSpeed >= speed; });
}

// A rolling aircraft lifts off once the samples ahead leave the ground or climb.
void lf_takeOffTrigger(LiveAc& ac)
{
    if (!ac.takeOffStarted || ac.flightPhase == FlightPhase::take_off || ac.stream[0].groundSpeed < kLiftOffSpeedKt) {
        return;
    }
    const auto aheadBegin = ac.stream.begin() + 1;
    const auto aheadEnd = ac.stream.end();
    const bool allClimb =
        std::all_of(aheadBegin, aheadEnd, [](const PosSample& s) { return s.verticalSpeed > kClimbingFpm; });
    const bool allAirborne = std::all_of(aheadBegin, aheadEnd, [](const PosSample& s) { return s.airborne != 0; });
    if (!allClimb) {
        if (!lf_catSpeed(ac) || !allAirborne) {
            return;
        }
        ac.altRate = ac.climbLimit;
    } else if (!allAirborne) {
        ac.altRate = ac.climbLimit;
    } else {
        ac.altRate = std::max(ac.stream[1].altitude - ac.simPosition[5], 0.1) / lf_segmentTicks(ac);
    }
    lf_startTakeOff(ac);
}

} // namespace

void lf_groundStep(LiveAc& ac)
{
    const PosSample& next = ac.stream.at(1);
    if (ac.flightPhase == FlightPhase::flying || ac.flightPhase == FlightPhase::parked) {
        ac.previousPhase = ac.flightPhase;
        ac.flightPhase = FlightPhase::taxi;
    } else {
        if (!ac.takeOffStarted && !ac.landingRoll) {
            gf_setThrottle(ac, lf_idleStep(ac));
        }
        if (ac.landingRoll && !ac.takeOffStarted) {
            lf_landingRoll(ac);
        }
        if (ac.takeOffStarted) {
            lf_takeOffRollThrottle(ac);
        }
    }
    if (!ac.takeOffStarted && !ac.landingRoll) {
        lf_relaxTimers(ac);
    }
    if (ac.flareStage == 0 && ac.flightPhase != FlightPhase::take_off) {
        ac.simPosition[2] = ac.staticPitch;
        ac.simPosition[3] = 0.0;
        ac.pitchRate = 0.0;
        ac.bankRate = 0.0;
    }
    if (gf_groundPathSet(ac)) {
        ac.curveStep = 1.0 / lf_segmentTicks(ac);
    }
    ac.trueAirspeed = ac.flightPhase == FlightPhase::pushing_back ? -next.groundSpeed : next.groundSpeed;
    lf_takeOffTrigger(ac);
}
