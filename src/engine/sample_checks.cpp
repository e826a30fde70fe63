// Tests of new position samples by flight phase: a parked aircraft leaves its stand only
// when it really creeps away, a pushed-back one waits for its stream to move off, a landing
// one drops samples pointing backwards, and every other sample passes the plausibility test.
#include "engine/sample_checks.h"

#include "core/geo.h"
#include "core/log.h"
#include "core/settings.h"
#include "engine/air_angles.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "engine/stand_learning.h"
#include "engine/stand_search.h"
#include "engine/stream_extension.h"

#include <fmt/format.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kSamePlaceDeg = 1e-8;
constexpr double kNearPlaceDeg = 0.00015;
constexpr double kOnStandNm = 0.0458963282937365;       // 85 m
constexpr double kOffStandNm = 0.10799136069114472;     // 200 m
constexpr double kCreepStepNm = 0.0016198704103671706;  // 3 m
constexpr double kRightAngle = std::numbers::pi / 2.0;
constexpr std::int32_t kWeekTicks = 604800 * kTicksPerSecond;

LatLon lf_place(const PosSample& s)
{
    return {s.latitude, s.longitude};
}

bool lf_within(const PosSample& a, const PosSample& b, double deg)
{
    return std::abs(a.latitude - b.latitude) <= deg && std::abs(a.longitude - b.longitude) <= deg;
}

// How far (radians) the way from `from` to s turns off the aircraft's heading.
double lf_offHeading(const LiveAc& ac, const PosSample& from, const PosSample& s)
{
    return std::abs(gf_wrapPi(gf_bearingRad(lf_place(from), lf_place(s)) - ac.simPosition[4]));
}

void lf_frontDueNow(LiveAc& ac)
{
    ac.stream.front().dueTick = g_engineTick.load() + 1;
}

// A holding or extrapolated aircraft goes on with real samples.
void lf_endSynthetic(LiveAc& ac)
{
    ac.holdCount = 0;
    gf_resetTimers(ac);
}

// Standing samples of an aircraft that cannot stand: in the air, or rolling fast.
bool lf_refuseStanding(const LiveAc& ac, const PosSample& s, const PosSample& newest, double rollKt)
{
    if (s.airborne || (ac.simState == SimState::active && !ac.onGround))
        return true;
    return ac.takeOffStarted && s.groundSpeed > 0.0 && newest.groundSpeed >= rollKt;
}

bool lf_isTowingTime(const LiveAc& ac, std::int32_t parkedTicks)
{
    switch (ac.category) {
    case Category::Heavy: return parkedTicks <= 360000;
    case Category::Large: return parkedTicks <= 150000;
    case Category::Buzjet: return parkedTicks <= 90000;
    default: return false;
    }
}

// Creep watch of a parked aircraft whose new sample lies d from its stand: true when it
// has crept far enough to leave.
bool lf_creptAway(LiveAc& ac, double d)
{
    if (ac.creepFarthestNm == 0.0) {
        ac.creepStartNm = d;
        ac.creepFarthestNm = d;
        ac.creepCount = 0;
        return false;
    }
    if (d >= ac.creepFarthestNm + kCreepStepNm) {
        ac.creepFarthestNm = d;
        ++ac.creepCount;
        const double gone = ac.creepFarthestNm - ac.creepStartNm;
        return (ac.creepCount >= 3 && gone >= ac.halfSpan * 0.5) || gone > ac.halfSpan;
    }
    if (d <= ac.creepFarthestNm - kCreepStepNm)
        ac.creepCount = 0;
    return false;
}

bool lf_checkAtStand(LiveAc& ac, PosSample& s)
{
    if (ac.simState == SimState::buffer || ac.simState == SimState::adding2sim)
        return false;
    ac.protectedStand = 1;
    // Its feed is back: a stand given up meanwhile is held again, unless another took it.
    if (!lf_reclaimStand(ac)) {
        if (ac.simState != SimState::removingfromsim)
            gf_log(fmt::format("{:8}: {:8} removed, its stand was taken while its feed was silent",
                               gf_standName(ac.standId), ac.callsign));
        removeAircraftFromSim(ac);
        return false;
    }
    const double d = gf_distanceNm(lf_place(s), {ac.standLat, ac.standLon});
    const double limit = ac.previousPhase == FlightPhase::parking ? 2.0 * kOnStandNm : kOnStandNm;
    if (d <= limit) {
        ac.parkedSince = gf_steadyTicks100ns();
        if (lf_creptAway(ac, d)) {
            lf_parkedSample(ac, s);
            return true;
        }
        ac.leaveStand = 0;
        if (ac.flightPhase == FlightPhase::parked && ac.holdCount > 0)
            ac.standSampleDue = s.dueTick;
        return false;
    }
    if (ac.flightPhase == FlightPhase::parking) {
        // It drives elsewhere: the stand it was going to is free for others.
        lf_releaseStand(ac);
        ac.previousPhase = FlightPhase::parking;
        ac.flightPhase = FlightPhase::taxi;
        s.stationary = 0;
        return true;
    }
    if (d > kOffStandNm) {
        lf_addRealStandOption(ac, 3);
        removeAircraftFromSim(ac);
        return false;
    }
    lf_parkedSample(ac, s);
    return true;
}

// While pushing back the stream teaches the side of the pushback turn; its samples are not flown.
bool lf_checkPushingBack(LiveAc& ac, const PosSample& s)
{
    if (STRAIGHT_PBS_ONLY.value || ac.pushbackCount != 2)
        return false;
    double heading = 0.0;
    if (s.trueHeadingValid)
        heading = s.trueHeading;
    else if (s.track != 0.0)
        heading = s.track * kDegToRad;
    else
        return false;
    ac.pushbackTurnSide = gf_wrapPi(heading - ac.simPosition[4]) > 0.0 ? 1 : 0;
    ac.pushbackTurnLearned = 1;
    return false;
}

// After the pushback the aircraft waits until its stream moves away from it.
bool lf_checkPushedBack(LiveAc& ac, PosSample& s)
{
    const double d = gf_distanceNm({ac.simPosition[0], ac.simPosition[1]}, lf_place(s));
    if (d <= 6.0 * ac.halfSpan && !(d > 2.75 * ac.halfSpan && d > ac.pullBackNm)) {
        if (!ac.holding) {
            ac.holding = 1;
            ac.holdStart = g_engineTick.load();
        }
        ac.pullBackNm = d;
        return false;
    }
    s.stationary = 0;
    if (ac.holdCount > 0) {
        lf_frontDueNow(ac);
        lf_endSynthetic(ac);
    }
    ac.pushbackTurnLearned = 0;
    ac.pushbackCount = 0;
    ac.flightPhase = FlightPhase::taxi;
    gf_forgetStand(ac);
    ac.holding = 0;
    ac.holdStart = 0;
    return true;
}

// Every other phase: a plausible sample ends holding and extrapolation, unless in the air
// it lies behind the aircraft.
bool lf_checkOtherPhase(LiveAc& ac, PosSample& s)
{
    if (!lf_checkSample(ac, s))
        return false;
    if (ac.holdCount <= 0)
        return true;
    if (s.airborne && lf_offHeading(ac, ac.stream.back(), s) >= 100.0 * kDegToRad)
        return false;
    lf_endSynthetic(ac);
    lf_frontDueNow(ac);
    ac.holding = 0;
    ac.holdStart = 0;
    return true;
}

// With one sample left a landing aircraft refuses samples behind it; on the landing roll a
// sample far behind puts the stream where the aircraft is.
bool lf_landingWithOneSample(LiveAc& ac, const PosSample& s)
{
    const PosSample& only = ac.stream.front();
    const double off = lf_offHeading(ac, only, s);
    if (ac.landingArmed)
        return off < kRightAngle;
    if (off < 150.0 * kDegToRad)
        return true;
    if (ac.holdCount > 0)
        return false;
    PosSample here = only;
    here.latitude = ac.simPosition[0];
    here.longitude = ac.simPosition[1];
    here.dueTick = g_engineTick.load() + 1;
    ac.stream.assign(1, here);
    return true;
}

} // namespace

bool lf_checkSample(LiveAc& ac, PosSample& s)
{
    if (ac.stream.empty()) {
        s.stationary = 0;
        return true;
    }
    const PosSample newest = ac.stream.back();
    s.stationary = lf_within(s, newest, kSamePlaceDeg) ? 1 : 0;
    if (ac.category == Category::Rotorcraft)
        return true;
    if (s.stationary) {
        if (lf_refuseStanding(ac, s, newest, 30.0))
            return false;
        if (s.groundSpeed > 0.0)
            s.groundSpeed = 0.0;
        return true;
    }
    if (lf_within(s, newest, kNearPlaceDeg)) {
        if (lf_refuseStanding(ac, s, newest, 50.0))
            return false;
        // A jitter around the newest position is the aircraft standing there; the report
        // keeps its own due time.
        const std::int32_t due = s.dueTick;
        s = newest;
        s.dueTick = due;
        s.groundSpeed = 0.0;
        s.stationary = 1;
        return true;
    }
    if (s.groundSpeed != 0.0)
        return true;
    if (!ac.takeOffStarted && !s.airborne)
        return true;
    return newest.groundSpeed < 50.0;
}

void lf_parkedSample(LiveAc& ac, PosSample& s)
{
    s.stationary = 0;
    ac.leaveStand = 1;
    if (ac.previousPhase == FlightPhase::parked) {
        // Leaving again after a respawn: nothing more happens, but the stand is not held.
        lf_releaseStand(ac);
        return;
    }
    if (ac.holdCount > 0) {
        if (ac.flightPhase == FlightPhase::parked && ac.landed) {
            const std::int32_t parkedTicks = g_engineTick.load() - ac.stream.front().dueTick + kWeekTicks;
            if (lf_isTowingTime(ac, parkedTicks))
                ac.towed = 1;
            ac.landed = 0;
        }
        lf_frontDueNow(ac);
        lf_endSynthetic(ac);
    }
    lf_addRealStandOption(ac, 2);
    lf_releaseStand(ac);
    if (ac.flightPhase != FlightPhase::parked) {
        ac.previousPhase = ac.flightPhase;
        ac.flightPhase = FlightPhase::parked;
    }
}

bool checkNewPosDuringLanding(LiveAc& ac, PosSample& s)
{
    auto& stream = ac.stream;
    if (stream.empty()) {
        gf_log(fmt::format("{} empty sz?", "checkNewPosDuringLanding"));
        return false;
    }
    if (lf_within(s, stream.back(), kSamePlaceDeg))
        return false;
    const std::size_t held = stream.size();
    if (held >= 2) {
        if (lf_offHeading(ac, stream.back(), s) >= kRightAngle) {
            stream.pop_back();
            if (held >= 3 && lf_offHeading(ac, stream.back(), s) >= kRightAngle)
                stream.pop_back();
        }
    } else if (!lf_landingWithOneSample(ac, s)) {
        return false;
    }
    if (ac.holdCount > 0)
        lf_endSynthetic(ac);
    const PosSample& newest = stream.back();
    if (lf_within(s, newest, kSamePlaceDeg)) {
        s.stationary = 1;
        return true;
    }
    s.stationary = 0;
    if (s.groundSpeed > newest.groundSpeed && s.groundSpeed > 40.0)
        s.groundSpeed = newest.groundSpeed;
    return true;
}

bool checkExtendingSituations(LiveAc& ac, PosSample& s)
{
    switch (ac.flightPhase) {
    case FlightPhase::parking:
    case FlightPhase::parked: return lf_checkAtStand(ac, s);
    case FlightPhase::pushing_back: return lf_checkPushingBack(ac, s);
    case FlightPhase::pushed_back: return lf_checkPushedBack(ac, s);
    default: break;
    }
    if (ac.landingArmed || ac.landingRoll)
        return checkNewPosDuringLanding(ac, s);
    return lf_checkOtherPhase(ac, s);
}
