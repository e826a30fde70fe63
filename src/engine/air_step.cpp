// The rates of a segment in the air: vertical rate by the phase of the two samples,
// pitch toward the vertical speed, heading and bank toward the track, and the commands
// that suit the altitude.
#include "engine/air_movement.h"
#include "engine/air_planning.h"

#include "engine/air_angles.h"
#include "engine/air_commands.h"
#include "engine/category_tables.h"
#include "engine/engine_tick.h"
#include "traffic/reader_lights.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kTicksPerMinute = 6000.0;
constexpr double kNeverDescendAglFt = 1000.0;
constexpr double kNeverDescendRate = 0.2;
constexpr double kCruiseAltitudeFt = 10000.0;

double lf_qnh()
{
    return static_cast<double>(g_currentQnh.load());
}

void lf_setVerticalSpeed(LiveAc& ac, double fpm)
{
    ac.verticalSpeed = fpm;
    ac.altRate = fpm / kTicksPerMinute;
}

// Front on the ground, next on the ground while airborne: a climb toward a later
// airborne sample, or a climb or descent at the samples' vertical speed.
void lf_groundToGround(LiveAc& ac)
{
    if (!ac.landingArmed) {
        double sum = 0.0;
        for (const PosSample& s : ac.stream) {
            sum += s.verticalSpeed;
        }
        if (sum > 100.0) {
            const std::size_t last = std::min<std::size_t>(ac.stream.size() - 1, 10);
            for (std::size_t k = 3; k <= last; ++k) {
                if (lf_climbToAirborneSample(ac, k)) {
                    gf_setGear(ac, true);
                    return;
                }
            }
            PosSample& next = ac.stream[1];
            next.verticalSpeed = std::max(next.verticalSpeed, 601.0);
            lf_setVerticalSpeed(ac, next.verticalSpeed);
            gf_setGear(ac, true);
            return;
        }
    }
    PosSample& next = ac.stream[1];
    next.verticalSpeed = lf_descentRate(ac);
    lf_setVerticalSpeed(ac, next.verticalSpeed);
    gf_setGear(ac, true);
}

// Front airborne, next on the ground: the touch-down segment.
void lf_toTouchDown(LiveAc& ac, double ticks)
{
    const auto elevation = lf_parkAirportElevation();
    if (elevation && lf_qnh() <= 1013.0) {
        ac.altRate = (*elevation - ac.simPosition[5]) / ticks;
    } else {
        lf_setVerticalSpeed(ac, lf_qnh() <= 1013.0 ? -601.0 : lf_descentRate(ac));
    }
    gf_setGear(ac, true);
}

// Both samples airborne.
void lf_airToAir(LiveAc& ac, double ticks)
{
    const PosSample& front = ac.stream[0];
    PosSample& next = ac.stream[1];
    const double rate = (next.altitude - ac.simPosition[5]) / ticks;
    if (!ac.landingArmed) {
        // Low and without an approach, an aircraft never sinks toward the ground.
        const double floor = ac.agl <= kNeverDescendAglFt ? std::max(rate, kNeverDescendRate) : rate;
        ac.altRate = std::min(floor, ac.climbLimit);
        return;
    }
    if (front.altitude != next.altitude || ac.agl > kNeverDescendAglFt ||
        front.verticalSpeed + next.verticalSpeed > 100.0) {
        ac.altRate = rate;
        return;
    }
    next.verticalSpeed = lf_descentRate(ac);
    lf_setVerticalSpeed(ac, next.verticalSpeed);
}

void lf_verticalRate(LiveAc& ac, double ticks)
{
    const bool frontAirborne = ac.stream[0].airborne != 0;
    const bool nextAirborne = ac.stream[1].airborne != 0;
    if (!frontAirborne && nextAirborne) {
        lf_liftOffClimb(ac, ticks);
    } else if (!frontAirborne) {
        lf_groundToGround(ac);
    } else if (!nextAirborne) {
        lf_toTouchDown(ac, ticks);
    } else {
        lf_airToAir(ac, ticks);
    }
}

// Pitch follows the vertical speed: nose up in a climb, less nose down in a descent.
void lf_pitchRate(LiveAc& ac, double ticks)
{
    double vs = std::min(ac.stream[1].verticalSpeed, 2400.0);
    if (vs < 0.0) {
        vs = std::max(vs, -3000.0) / 2.0;
    }
    const double target = -3.0 * kDeg - (vs / 600.0) * 2.2 * kDeg;
    const double step = gf_categoryRow(ac.category).pitchStepRad;
    ac.pitchRate = std::clamp((target - ac.simPosition[2]) / ticks, -step, step);
}

void lf_headingRate(LiveAc& ac, double ticks)
{
    const PosSample& next = ac.stream[1];
    const double aglLimit = ac.landingArmed ? 2000.0 : 1000.0;
    if (next.bankValid && next.trueHeadingValid && next.directSource && ac.agl < aglLimit) {
        ac.turnRate = gf_wrapPi(next.trueHeading - ac.simPosition[4]) / ticks;
    } else {
        ac.turnRate = lf_headingChange(ac) / ticks;
    }
}

// Banks into the turn of the segment, within the category's limits.
void lf_catBank(LiveAc& ac, double ticks)
{
    const CategoryRow& row = gf_categoryRow(ac.category);
    const double target = std::clamp(-ac.turnRate * ticks, -row.maxBankRad, row.maxBankRad);
    ac.bankRate = std::clamp((target - ac.simPosition[3]) / ticks, -row.bankStepRad, row.bankStepRad);
}

void lf_bankRate(LiveAc& ac, double ticks)
{
    const PosSample& next = ac.stream[1];
    if (next.bankValid) {
        ac.bankRate = (next.bank - ac.simPosition[3]) / ticks;
    } else {
        lf_catBank(ac, ticks);
    }
}

// At cruise altitude: cruise lights, cruise throttle, gear up and flaps in, once per climb.
void lf_cruiseCommands(LiveAc& ac)
{
    if (ac.lightsDone) {
        return;
    }
    ac.lightsDone = 1;
    ac.allLightsDone = 0;
    gf_setLights(ac, kCruiseLights);
    gf_setThrottle(ac, ac.category == Category::Rotorcraft ? 4 : 3);
    gf_setGear(ac, false);
    gf_setFlaps(ac, 0);
}

} // namespace

void lf_airStep(LiveAc& ac)
{
    const double ticks = lf_segmentTicks(ac);
    if (ac.flightPhase != FlightPhase::take_off && ac.flightPhase != FlightPhase::flying) {
        ac.previousPhase = ac.flightPhase;
        ac.flightPhase = FlightPhase::flying;
    }
    ac.verticalSpeed = ac.stream[1].verticalSpeed;
    ac.trueAirspeed = ac.stream[1].trueAirspeed;
    // During a flare the per-tick flare alone sets the vertical rate and the pitch.
    if (ac.flareStage == 0) {
        lf_verticalRate(ac, ticks);
        if (ac.flightPhase != FlightPhase::take_off) {
            lf_pitchRate(ac, ticks);
        }
    }
    // The vertical planning may have dropped samples: the segment's ticks stay those of now.
    const double segmentTicks = lf_segmentTicks(ac);
    lf_headingRate(ac, segmentTicks);
    lf_bankRate(ac, segmentTicks);
    if (ac.stream[0].altitude < kCruiseAltitudeFt) {
        lf_altitudeCommands(ac);
    } else {
        lf_cruiseCommands(ac);
    }
}

double lf_descentRate(const LiveAc& ac)
{
    if (ac.agl <= 100.0) {
        return -600.0;
    }
    const double mean = (ac.stream.at(1).verticalSpeed + ac.stream.at(0).verticalSpeed) / 2.0;
    return std::min(mean - (lf_qnh() - 1013.25) * 6.0, -601.0);
}
