// Leaving a stand: pulling out forward, or a pushback along the stand's reverse heading
// that ends in a turn to the side the aircraft was seen to take.
#include "engine/ground_plan.h"

#include "core/geo.h"
#include "core/log.h"
#include "core/settings.h"
#include "engine/air_angles.h"
#include "engine/air_commands.h"
#include "engine/air_planning.h"
#include "engine/engine_tick.h"
#include "engine/ground_path.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "parking/stand.h"
#include "simlink/sim_queues.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTicksPerHour = 360000.0;
constexpr double kPushbackLengthRadii = 2.5;
constexpr double kReleaseDistanceNm = 900.0;
// Lights while leaving a stand: navigation, beacon, taxi and logo on.
constexpr LightStates kLeaveStandLights{1, 1, 0, 1, 0, 1, 0};

LatLon lf_simLatLon(const LiveAc& ac)
{
    return {ac.simPosition[0], ac.simPosition[1]};
}

std::int32_t lf_ticksAtStandSpeed(const LiveAc& ac, const LatLon& from, const LatLon& to)
{
    const double speed = ac.standSpeed > 0.0 ? ac.standSpeed : 1.0;
    return static_cast<std::int32_t>(std::min(std::round(gf_distanceNm(from, to) / speed * kTicksPerHour), 1e9));
}

// A moving sample of the manoeuvre at the stand speed, everything else zero.
PosSample lf_manoeuvreSample(const LiveAc& ac, const LatLon& at, std::int32_t dueTick)
{
    PosSample s;
    s.latitude = at.lat;
    s.longitude = at.lon;
    s.groundSpeed = ac.standSpeed;
    s.dueTick = dueTick;
    return s;
}

void lf_startEngines(LiveAc& ac)
{
    if (ac.objectId != 0) {
        gf_queueEngineStart(ac.objectId);
    }
    gf_setThrottle(ac, 0);
    gf_setFlaps(ac, 1);
}

// The turn set-up: the turn leg to the learned side is rounded by a path; without a
// learned side (or with straight pushbacks only) the turn leg is dropped.
void lf_pushbackTurn(LiveAc& ac)
{
    if (!ac.pushbackTurnLearned || STRAIGHT_PBS_ONLY.value) {
        if (ac.stream.size() > 2) {
            ac.stream.pop_back();
        }
        return;
    }
    if (ac.stream.size() < 3) {
        return;
    }
    if (ac.pushbackTurnSide) {
        ac.stream.back() = ac.pushbackAltTurn;
    }
    lf_setBezierPath(ac);
    const double turnTicks = std::round((90.0 / ac.groundTurnRate) / 100.0);
    ac.curveStep = 1.0 / std::max(turnTicks, 1.0);
    ac.turnAngle = 90.0;
}

void lf_endPushback(LiveAc& ac)
{
    ac.course = ac.simPosition[4];
    lf_startEngines(ac);
    gf_setFlightPhase(ac, FlightPhase::pushed_back);
    ac.pushbackCount = 1;
    ac.pullBackNm = kReleaseDistanceNm;
    ac.holdCount = 0;
    ac.leaveStand = 0;
}

} // namespace

void lf_pushbackPlan(LiveAc& ac)
{
    --ac.pushbackCount;
    if (ac.pushbackCount == 1) {
        lf_pushbackTurn(ac);
    } else if (ac.pushbackCount < 1) {
        lf_endPushback(ac);
    }
}

void lf_leaveStandPlan(LiveAc& ac)
{
    lf_resetTimers(ac);
    if (!ac.leaveStand) {
        return;
    }
    const PosSample& newest = ac.stream.back();
    const double toSample = gf_bearingRad({ac.standLat, ac.standLon}, {newest.latitude, newest.longitude});
    const double offDeg = std::round(gf_wrapPi(toSample - ac.standHeading) * kRadToDeg);
    if (std::abs(offDeg) < 90.0) {
        lf_pullOut(ac);
    } else {
        lf_startPushback(ac);
    }
}

void lf_pullOut(LiveAc& ac)
{
    ac.leaveStand = 0;
    ac.holdCount = 0;
    const LatLon target =
        gf_destinationPoint({ac.standLat, ac.standLon}, ac.standHeading, 2.0 * ac.halfSpan * kFeetPerNm);
    ac.stream.resize(1);
    ac.stream.front().groundSpeed = ac.standSpeed;
    const std::int32_t due = g_engineTick.load() + lf_ticksAtStandSpeed(ac, lf_simLatLon(ac), target);
    ac.stream.push_back(lf_manoeuvreSample(ac, target, due));
    gf_setFlightPhase(ac, FlightPhase::taxi);
    ac.course = ac.simPosition[4];
    gf_setLights(ac, kLeaveStandLights);
    lf_startEngines(ac);
    gf_log(fmt::format("{:8}: {:8} pulling out", gf_standName(ac.standId), ac.callsign));
}

void lf_startPushback(LiveAc& ac)
{
    ac.holdCount = 0;
    const double reverse = gf_wrapHeading(ac.standHeading + kPi);
    const Stand* stand = gf_standByNumber(ac.standId);
    if (stand == nullptr) {
        return;
    }
    const LatLon end = gf_destinationPoint(lf_simLatLon(ac), reverse, stand->radius * kPushbackLengthRadii * kFeetPerNm);
    ac.stream.resize(1);
    ac.stream.front().groundSpeed = ac.standSpeed;
    ac.course = ac.simPosition[4];
    const std::int32_t now = g_engineTick.load();
    const std::int32_t pushTicks = lf_ticksAtStandSpeed(ac, lf_simLatLon(ac), end);
    PosSample endSample = lf_manoeuvreSample(ac, end, now + pushTicks);
    ac.stream.push_back(endSample);
    lf_insertMidpoint(ac);

    const double legFeet = ac.halfSpan * kFeetPerNm;
    const LatLon altEnd = gf_destinationPoint(end, reverse + kPi / 2.0, legFeet);
    const LatLon turnEnd = gf_destinationPoint(end, reverse - kPi / 2.0, legFeet);
    const PosSample& mid = ac.stream[1];
    const std::int32_t turnDue =
        now + pushTicks / 2 + lf_ticksAtStandSpeed(ac, {mid.latitude, mid.longitude}, altEnd);
    ac.pushbackAltTurn = lf_manoeuvreSample(ac, altEnd, turnDue);
    ac.stream.push_back(lf_manoeuvreSample(ac, turnEnd, turnDue));
    // The side of the turn is learned anew from the samples of this pushback.
    ac.pushbackTurnLearned = 0;
    ac.pushbackTurnSide = 0;

    gf_setLights(ac, kLeaveStandLights);
    gf_setFlightPhase(ac, FlightPhase::pushing_back);
    ac.pushbackCount = 2;
}
