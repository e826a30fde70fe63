// Ground planning at a due sample: pushback and stand departure, corners rounded by a
// ground path or midpoints, course steering, the stand search of a stopping aircraft and
// the ground turn rate with the next sample's due tick.
#include "engine/ground_plan.h"

#include "core/geo.h"
#include "engine/air_angles.h"
#include "engine/air_movement.h"
#include "engine/engine_tick.h"
#include "engine/ground_path.h"
#include "engine/stand_search.h"
#include "parking/static_parking.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSteerThresholdDeg = 3.0;
constexpr double kMidpointAngleDeg = 45.0;
constexpr double kMaxCurveAngleDeg = 160.0;
constexpr double kMidpointMaxSpeedKt = 43.0;
constexpr double kMidpointMinDistanceNm = 0.02699784017278618;  // 50 m
constexpr std::int32_t kMidpointMinTicks = 600;
constexpr double kParkSearchSpeedKt = 5.0;
constexpr double kParkSearchDistanceNm = 0.018898488120950324;  // 35 m
constexpr double kTicksPerHour = 360000.0;
constexpr double kThirtyMetersNm = 30.0 * 0.0005399568034557236;

LatLon lf_position(const PosSample& s)
{
    return {s.latitude, s.longitude};
}

bool lf_samePosition(const PosSample& a, const PosSample& b)
{
    return a.latitude == b.latitude && a.longitude == b.longitude;
}

// A sharp corner taken slowly over a long way gets a midpoint first; a corner up to 160 deg
// is rounded by a path; anything else may get a midpoint for the speed change.
void lf_planCorner(LiveAc& ac)
{
    const double angle = std::abs(lf_headingChange(ac)) * kRadToDeg;
    if (angle <= kSteerThresholdDeg) {
        lf_maybeInsertMidpoint(ac);
        return;
    }
    const PosSample& front = ac.stream[0];
    const PosSample& next = ac.stream[1];
    if (angle > kMidpointAngleDeg && front.groundSpeed <= kMidpointMaxSpeedKt &&
        gf_distanceNm(lf_position(front), lf_position(next)) > kMidpointMinDistanceNm &&
        next.dueTick - front.dueTick >= kMidpointMinTicks) {
        lf_insertMidpoint(ac);
        return;
    }
    if (angle <= kMaxCurveAngleDeg && !lf_samePosition(ac.stream[2], front)) {
        lf_setBezierPath(ac);
        ac.turnAngle = angle;
        return;
    }
    lf_maybeInsertMidpoint(ac);
}

void lf_taxiPlan(LiveAc& ac)
{
    if (ac.stream[1].stationary) {
        return;
    }
    if (ac.stream.size() < 3) {
        if (ac.holdCount < 1) {
            lf_maybeInsertMidpoint(ac);
        }
    } else if (!ac.stream[2].stationary) {
        lf_planCorner(ac);
    } else {
        lf_maybeInsertMidpoint(ac);
    }
    if (gf_groundPathSet(ac)) {
        ac.steerToCourse = 0;
        return;
    }
    ac.headingError = std::abs(gf_wrapPi(ac.course - ac.simPosition[4])) * kRadToDeg;
    ac.steerToCourse = ac.headingError > kSteerThresholdDeg ? 1 : 0;
}

// A taxiing aircraft that stops looks for a free stand where it stands.
void lf_parkingSearch(LiveAc& ac)
{
    const PosSample& newest = ac.stream.back();
    if (!newest.stationary || ac.flightPhase != FlightPhase::taxi || !gf_parkFileLoaded()) {
        return;
    }
    const bool cameFromStand = ac.previousPhase == FlightPhase::parked ||
                               ac.previousPhase == FlightPhase::pushing_back ||
                               ac.previousPhase == FlightPhase::pushed_back;
    if (!ac.towed && cameFromStand) {
        return;
    }
    if (ac.holdCount >= 1) {
        try2Park(ac, ac.landed != 0);
        return;
    }
    const bool slow = ac.stream[1].groundSpeed <= kParkSearchSpeedKt;
    const bool close = gf_distanceNm({ac.simPosition[0], ac.simPosition[1]}, lf_position(newest)) <=
                       kParkSearchDistanceNm;
    if (slow && close) {
        try2Park(ac, false);
    }
}

// Ground turn rate slowed down so that the turn takes about as long as the segment.
void lf_scaleTurnRate(LiveAc& ac, double angleDeg, double distanceNm, double segmentTicks)
{
    if (!(angleDeg > 0.0) || !(distanceNm > 0.0)) {
        return;
    }
    const double turnTicks = std::round(angleDeg / ac.groundTurnRate / 100.0);
    const double r = segmentTicks / std::max(turnTicks, 1.0);
    if (angleDeg <= 45.0) {
        if (r >= 1.2) {
            const double m = std::min({r, r * 10.0 / angleDeg, kThirtyMetersNm * r / distanceNm});
            if (m > 0.0) {
                ac.groundTurnRate = ac.turnRateBase / m;
            }
        } else if (r > 0.0) {
            ac.groundTurnRate = ac.turnRateBase / r;
        }
        return;
    }
    ac.groundTurnRate = ac.turnRateBase * std::min(r, std::min(angleDeg, 90.0) / 30.0);
    if (angleDeg >= 90.0) {
        ac.timers[0] = std::max(ac.timers[0], 2000);
        ac.timers[1] = std::max(ac.timers[1], 2000);
    }
}

} // namespace

void lf_groundPlan(LiveAc& ac)
{
    switch (ac.flightPhase) {
    case FlightPhase::pushing_back:
        lf_pushbackPlan(ac);
        break;
    case FlightPhase::parked:
        lf_leaveStandPlan(ac);
        break;
    default:
        lf_taxiPlan(ac);
        lf_parkingSearch(ac);
        break;
    }
    lf_adjustGroundTurnRate(ac);
}

void lf_adjustGroundTurnRate(LiveAc& ac)
{
    const PosSample& front = ac.stream.at(0);
    const PosSample& next = ac.stream.at(1);
    if (next.stationary) {
        const std::int32_t gap = std::max(next.dueTick - front.dueTick, kMinSegmentTicks);
        lf_setDueTick(ac, std::max(front.dueTick - g_engineTick.load() + gap, kMinSegmentTicks));
        return;
    }
    ac.groundTurnRate = ac.turnRateBase;
    const double distanceNm = gf_distanceNm(lf_position(front), lf_position(next));
    const double ticks = std::max(std::round(distanceNm * kTicksPerHour / lf_segmentSpeed(ac)), double{kMinSegmentTicks});
    if (gf_groundPathSet(ac) || ac.steerToCourse) {
        lf_scaleTurnRate(ac, ac.steerToCourse ? ac.headingError : ac.turnAngle, distanceNm, ticks);
    }
    lf_setDueTick(ac, static_cast<std::int32_t>(std::min(ticks, 1e9)));
}
