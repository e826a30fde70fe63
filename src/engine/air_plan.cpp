// Planning at each due sample: the stream is made ready, the next segment is planned on
// the ground or in the air, and the front sample is dropped.
#include "engine/air_movement.h"
#include "engine/air_planning.h"

#include "core/geo.h"
#include "core/log.h"
#include "engine/air_angles.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "engine/ground_plan.h"
#include "engine/life_cycle.h"
#include "engine/stream_extension.h"
#include "parking/park_airport.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

// Each extension appends one sample; an aircraft whose extension is dropped again at once
// (a standing sample appended while it flies) is given up after this many tries.
constexpr int kMaxStreamExtensions = 3;
constexpr double kSamePositionDeg = 1e-8;
constexpr double kTicksPerHour = 360000.0;

LatLon lf_position(const PosSample& s)
{
    return {s.latitude, s.longitude};
}

bool lf_samePosition(const PosSample& a, const PosSample& b)
{
    return std::abs(a.latitude - b.latitude) <= kSamePositionDeg &&
           std::abs(gf_longitudeDelta(a.longitude, b.longitude)) <= kSamePositionDeg;
}

// Standing samples do not apply in the air: drop them behind the front.
void lf_dropStandingSamplesInAir(LiveAc& ac)
{
    while (!ac.onGround && ac.stream.size() >= 2 && ac.stream[1].stationary &&
           ac.category != Category::Rotorcraft) {
        ac.stream.erase(ac.stream.begin() + 1);
    }
}

// Makes sure the stream holds a front and a next sample; false when the aircraft was removed.
bool lf_prepareStream(LiveAc& ac)
{
    for (int extensions = 0;; ++extensions) {
        lf_dropStandingSamplesInAir(ac);
        if (ac.stream.size() >= 2) {
            return true;
        }
        if (extensions == kMaxStreamExtensions) {
            gf_log(fmt::format("nextPosMain: {} stream not extended after {} tries, removed", gf_acDescr(ac),
                               extensions));
            removeAircraftFromSim(ac);
            return false;
        }
        if (!lf_extendStream(ac)) {
            removeAircraftFromSim(ac);
            return false;
        }
    }
}

void lf_resetGroundPath(LiveAc& ac)
{
    ac.groundPath.fill(std::numeric_limits<double>::quiet_NaN());
    ac.curveT = 0.0;
}

// Latitude and longitude change per tick from the simulator position to the next sample.
void lf_setVelocity(LiveAc& ac, const PosSample& next, std::int32_t ticks)
{
    ac.velocity[0] = (next.latitude - ac.simPosition[0]) / ticks;
    ac.velocity[1] = gf_longitudeDelta(ac.simPosition[1], next.longitude) / ticks;
}

std::int32_t lf_ticksAtSpeed(const PosSample& from, const PosSample& to, double speedKt)
{
    const double ticks = std::round(gf_distanceNm(lf_position(from), lf_position(to)) * kTicksPerHour / speedKt);
    return static_cast<std::int32_t>(std::clamp(ticks, 0.0, 1e9));
}

} // namespace

void nextPosMain(LiveAc& ac)
{
    try {
        if (lf_prepareStream(ac)) {
            lf_stepToNextSample(ac);
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {} {}, sz:{}, fs:{}, st:{}", "nextPosMain", e.what(), gf_acDescr(ac),
                           ac.stream.size(), gf_flightPhaseName(ac.flightPhase), gf_simStateName(ac.simState)));
        throw;
    }
}

void lf_stepToNextSample(LiveAc& ac)
{
    lf_resetGroundPath(ac);
    {
        const PosSample& front = ac.stream[0];
        PosSample& next = ac.stream[1];
        if (!next.stationary && lf_samePosition(front, next)) {
            next.stationary = 1;
        }
        if (!next.stationary) {
            ac.course = gf_bearingRad(lf_position(front), lf_position(next));
        }
    }
    if (ac.onGround) {
        lf_groundPlan(ac);
    } else {
        lf_airPlan(ac);
    }
    // The planning may have inserted or dropped samples: look at the next sample again.
    const PosSample& next = ac.stream.at(1);
    if (next.stationary) {
        ac.velocity = {0.0, 0.0};
        if (!ac.takeOffStarted && !ac.landingRoll) {
            lf_relaxTimers(ac);
        }
    } else {
        lf_setVelocity(ac, next, lf_segmentTicks(ac));
        if (ac.onGround) {
            lf_groundStep(ac);
        } else {
            lf_airStep(ac);
        }
    }
    ac.stream.pop_front();
}

void lf_airPlan(LiveAc& ac)
{
    const PosSample& front = ac.stream[0];
    const PosSample& next = ac.stream[1];
    if (next.stationary) {
        if (ac.category == Category::Rotorcraft) {
            lf_adjustGroundTurnRate(ac);
        }
        return;
    }
    double speed = 0.0;
    if (ac.landingArmed && !next.airborne) {
        speed = front.groundSpeed > 0.0 ? front.groundSpeed : 100.0;
    } else {
        speed = lf_segmentSpeed(ac);
    }
    lf_setDueTick(ac, std::max(lf_ticksAtSpeed(front, next, speed), kMinSegmentTicks));
}

void lf_setDueTick(LiveAc& ac, std::int32_t ticks)
{
    const std::int32_t now = g_engineTick.load();
    PosSample& next = ac.stream.at(1);
    std::int64_t due = static_cast<std::int64_t>(now) + ticks;
    if (ac.holdCount < 1) {
        due = std::min<std::int64_t>(due, static_cast<std::int64_t>(next.dueTick) + ac.timers[1]);
        due = std::max<std::int64_t>(due, static_cast<std::int64_t>(next.dueTick) - ac.timers[0]);
    }
    next.dueTick = static_cast<std::int32_t>(std::max<std::int64_t>(due, now));
}

double lf_segmentSpeed(const LiveAc& ac)
{
    const PosSample& front = ac.stream.at(0);
    const PosSample& next = ac.stream.at(1);
    if (front.groundSpeed != 0.0 || next.groundSpeed != 0.0) {
        return (front.groundSpeed + next.groundSpeed) / 2.0;
    }
    const double ticks = std::max(static_cast<double>(next.dueTick) - front.dueTick, double{kMinSegmentTicks});
    return std::max(gf_distanceNm(lf_position(front), lf_position(next)) * kTicksPerHour / ticks, 1.0);
}

std::int32_t lf_segmentTicks(const LiveAc& ac)
{
    const std::int64_t left = static_cast<std::int64_t>(ac.stream.at(1).dueTick) - g_engineTick.load();
    return static_cast<std::int32_t>(std::max<std::int64_t>(left, kMinSegmentTicks));
}

double lf_headingChange(const LiveAc& ac)
{
    if (ac.stream.size() < 3) {
        return 0.0;
    }
    return gf_wrapPi(gf_bearingRad(lf_position(ac.stream[1]), lf_position(ac.stream[2])) - ac.simPosition[4]);
}

bool lf_climbToAirborneSample(LiveAc& ac, std::size_t k)
{
    if (k < 2 || ac.stream.size() < k || !ac.stream[k - 1].airborne) {
        return false;
    }
    ac.stream.erase(ac.stream.begin() + 1, ac.stream.begin() + static_cast<std::ptrdiff_t>(k - 1));
    const std::int32_t ticks =
        std::max(lf_ticksAtSpeed(ac.stream[0], ac.stream[1], lf_segmentSpeed(ac)), kMinSegmentTicks);
    lf_setDueTick(ac, ticks);
    // The segment now leads to the airborne sample.
    lf_setVelocity(ac, ac.stream[1], lf_segmentTicks(ac));
    lf_liftOffClimb(ac, ticks);
    return true;
}

void lf_liftOffClimb(LiveAc& ac, double ticks)
{
    const double climb = ac.stream[1].altitude - ac.simPosition[5];
    ac.altRate = climb > 0.0 ? std::min(climb / ticks, ac.climbLimit) : 0.0;
}

std::optional<double> lf_parkAirportElevation()
{
    if (!g_parkAirportSet.load() || g_parkAirport.empty()) {
        return std::nullopt;
    }
    return g_parkAirportElevation.load();
}

bool lf_nearParkAirport(const LiveAc& ac)
{
    if (!lf_parkAirportElevation()) {
        return false;
    }
    const LatLon airport{g_parkAirportLat.load(), g_parkAirportLon.load()};
    return gf_distanceNm({ac.simPosition[0], ac.simPosition[1]}, airport) <= 10.0;
}

void lf_relaxTimers(LiveAc& ac)
{
    for (auto& timer : ac.timers) {
        timer = std::max(timer - 100, 1000);
    }
}

void lf_resetTimers(LiveAc& ac)
{
    ac.timers = {3000, ac.takeOffStarted ? 5000 : 3000};
}
