// Ground planning, for now only what keeps a ground segment timed and level: the full
// planning (pushback, pull-out, corners, the stand search) comes with the ground movement.
#include "engine/ground_plan.h"

#include "core/geo.h"
#include "engine/air_movement.h"
#include "engine/engine_tick.h"

#include <algorithm>
#include <cmath>

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
