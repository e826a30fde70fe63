// Ground planning, for now only what keeps a ground segment timed and level and lets a
// rolling aircraft take off: the full planning (pushback, pull-out, corners, the stand
// search, the ground commands) comes with the ground movement.
#include "engine/ground_plan.h"

#include "core/geo.h"
#include "engine/air_movement.h"
#include "engine/category_tables.h"
#include "engine/engine_tick.h"

#include <algorithm>
#include <cmath>
#include <ranges>

namespace {

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
    if (!ac.takeOffStarted || ac.flightPhase == FlightPhase::take_off || ac.stream[0].groundSpeed < 43.0) {
        return;
    }
    const auto ahead = std::ranges::subrange(ac.stream.begin() + 1, ac.stream.end());
    const bool allClimb = std::ranges::all_of(ahead, [](const PosSample& s) { return s.verticalSpeed > 256.0; });
    const bool allAirborne = std::ranges::all_of(ahead, [](const PosSample& s) { return s.airborne != 0; });
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

void lf_groundPlan(LiveAc& ac)
{
    lf_adjustGroundTurnRate(ac);
}

void lf_groundStep(LiveAc& ac)
{
    const PosSample& next = ac.stream.at(1);
    if (ac.flightPhase == FlightPhase::flying || ac.flightPhase == FlightPhase::parked) {
        ac.previousPhase = ac.flightPhase;
        ac.flightPhase = FlightPhase::taxi;
    }
    if (ac.flareStage == 0 && ac.flightPhase != FlightPhase::take_off) {
        ac.simPosition[2] = ac.staticPitch;
        ac.simPosition[3] = 0.0;
        ac.pitchRate = 0.0;
        ac.bankRate = 0.0;
    }
    ac.trueAirspeed = ac.flightPhase == FlightPhase::pushing_back ? -next.groundSpeed : next.groundSpeed;
    lf_takeOffTrigger(ac);
}

void lf_adjustGroundTurnRate(LiveAc& ac)
{
    const PosSample& front = ac.stream.at(0);
    const PosSample& next = ac.stream.at(1);
    if (!next.stationary) {
        ac.groundTurnRate = ac.turnRateBase;
        const double distanceNm = gf_distanceNm({front.latitude, front.longitude}, {next.latitude, next.longitude});
        const double ticks = std::round(distanceNm * 360000.0 / lf_segmentSpeed(ac));
        lf_setDueTick(ac, static_cast<std::int32_t>(std::clamp(ticks, double{kMinSegmentTicks}, 1e9)));
        return;
    }
    const std::int32_t gap = std::max(next.dueTick - front.dueTick, kMinSegmentTicks);
    lf_setDueTick(ac, std::max(front.dueTick - g_engineTick.load() + gap, kMinSegmentTicks));
}
