// The per-tick motion step: heading and position along the segment or the ground path,
// the four-stage flare, attitude and altitude, the take-off rotation and climb-out.
#include "engine/air_movement.h"
#include "engine/air_planning.h"

#include "core/log.h"
#include "engine/air_angles.h"
#include "engine/air_commands.h"
#include "engine/ground_path.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;
constexpr double kSteerToleranceRad = 0.5 * kDeg;
constexpr double kFlareHeightFt = 400.0;
constexpr double kFlarePitchRad = -4.0 * kDeg;

// One row of the flare: the stage is entered at or below staticCg + height.
struct FlareStage {
    double heightAboveCgFt;
    double altRateFtPerTick;
    double frontVerticalSpeedFpm;
};
constexpr std::array<FlareStage, 4> kFlareStages{{
    {30.0, -0.1, -601.0},
    {20.0, -0.075, -450.0},
    {10.0, -0.05, -300.0},
    {3.0, -0.025, -150.0},
}};

// Turns the heading toward a wanted one by the ground turn rate, the shorter way round.
void lf_turnToward(LiveAc& ac, double wanted)
{
    const double error = gf_wrapPi(wanted - ac.simPosition[4]);
    if (std::abs(error) <= kSteerToleranceRad) {
        return;
    }
    const double step = std::min(std::abs(error), ac.groundTurnRate);
    ac.simPosition[4] = gf_wrapHeading(ac.simPosition[4] + std::copysign(step, error));
}

void lf_followGroundPath(LiveAc& ac)
{
    ac.curveT = std::clamp(ac.curveT + ac.curveStep, 0.0, 0.999999);
    LatLon position;
    double heading = 0.0;
    if (!lf_evalBezier(ac, ac.curveT, position, heading)) {
        gf_log(fmt::format("{} error in curve at index: {:.2F}", ac.callsign, ac.curveT));
        return;
    }
    ac.simPosition[0] = position.lat;
    ac.simPosition[1] = position.lon;
    if (ac.flightPhase == FlightPhase::pushing_back) {
        heading = gf_wrapHeading(heading + kPi);
    }
    lf_turnToward(ac, heading);
}

void lf_steerAndAdvance(LiveAc& ac)
{
    switch (ac.flightPhase) {
    case FlightPhase::take_off:
    case FlightPhase::flying:
    case FlightPhase::parked:
    case FlightPhase::birth:
        ac.simPosition[4] += ac.turnRate;
        break;
    case FlightPhase::parking:
        lf_turnToward(ac, ac.course);
        break;
    case FlightPhase::pushing_back:
    case FlightPhase::pushed_back:
    case FlightPhase::taxi:
        if (ac.steerToCourse) {
            lf_turnToward(ac, ac.course);
        }
        break;
    }
    ac.simPosition[4] = gf_wrapHeading(ac.simPosition[4]);
    if (ac.flightPhase != FlightPhase::pushed_back) {
        ac.simPosition[0] += ac.velocity[0];
        ac.simPosition[1] += ac.velocity[1];
    }
}

// Height of the first flare stage: against the park airport's elevation too, so that a
// report of the height above ground that lags behind cannot delay the flare.
double lf_flareHeight(LiveAc& ac)
{
    if (!ac.flareRef) {
        ac.flareRef = lf_parkAirportElevation();
    }
    if (ac.flareRef) {
        return std::min(ac.agl, ac.simPosition[5] - *ac.flareRef);
    }
    return ac.agl;
}

void lf_flare(LiveAc& ac)
{
    if (ac.flightPhase == FlightPhase::take_off || ac.agl > kFlareHeightFt || !ac.landingArmed || ac.onGround ||
        ac.flareStage >= static_cast<std::int32_t>(kFlareStages.size())) {
        return;
    }
    const FlareStage& stage = kFlareStages[static_cast<std::size_t>(ac.flareStage)];
    const double height = ac.flareStage == 0 ? lf_flareHeight(ac) : ac.agl;
    if (height > ac.staticCg + stage.heightAboveCgFt) {
        return;
    }
    if (ac.flareStage == 0) {
        ac.pitchRate = (kFlarePitchRad - ac.simPosition[2]) / std::max<std::uint32_t>(ac.ticksA, 1);
    } else {
        ac.flareRef.reset();
    }
    if (ac.flareStage == 2) {
        gf_setThrottle(ac, 0);
    }
    ac.altRate = stage.altRateFtPerTick;
    if (!ac.stream.empty()) {
        ac.stream.front().verticalSpeed = stage.frontVerticalSpeedFpm;
    }
    ++ac.flareStage;
}

void lf_derotate(LiveAc& ac)
{
    double& pitch = ac.simPosition[2];
    pitch += ac.pitchRate;
    const bool passed = ac.pitchRate >= 0.0 ? pitch >= ac.staticPitch : pitch <= ac.staticPitch;
    if (passed) {
        pitch = ac.staticPitch;
        ac.pitchRate = 0.0;
        ac.simPosition[3] = 0.0;
        ac.bankRate = 0.0;
        ac.derotating = 0;
        ac.flareStage = 0;
    }
    ac.simPosition[3] += ac.bankRate;
}

void lf_attitudeAndAltitude(LiveAc& ac)
{
    double& pitch = ac.simPosition[2];
    double& bank = ac.simPosition[3];
    if (ac.derotating) {
        lf_derotate(ac);
    } else if (ac.flareStage != 0) {
        bank = std::clamp(bank + ac.bankRate, -kPi, kPi);
        pitch = std::max(pitch + ac.pitchRate, kFlarePitchRad);
        ac.simPosition[5] += ac.altRate;
    } else if (ac.onGround) {
        pitch = ac.staticPitch;
        bank = 0.0;
    } else {
        bank += ac.bankRate;
        pitch += ac.pitchRate;
        ac.simPosition[5] += ac.altRate;
    }
}

// Share of the climb rate in the first seconds after lift-off, by the count below 0.
double lf_climbOutShare(std::int32_t count)
{
    if (count >= -99) {
        return 0.1;
    }
    if (count >= -199) {
        return 0.2;
    }
    return 0.5;
}

void lf_climbOut(LiveAc& ac)
{
    double& pitch = ac.simPosition[2];
    ac.simPosition[3] = std::clamp(ac.simPosition[3] + ac.bankRate, -kPi, kPi);
    if (pitch > ac.climbPitch) {
        const double step = (ac.climbPitch - ac.rotationPitch) / std::max<std::uint32_t>(ac.ticksD, 1);
        pitch = std::max(pitch + step, ac.climbPitch);
    }
    const std::int32_t count = ac.climbCount;
    if (count == 0) {
        return;
    }
    if (count > -300) {
        ac.simPosition[5] += ac.altRate * lf_climbOutShare(count);
        return;
    }
    ac.simPosition[5] += ac.altRate;
    if (count == -300) {
        gf_setGear(ac, false);
        return;
    }
    if (pitch <= ac.climbPitch) {
        ac.pitchRate = 0.0;
    }
    if (ac.agl >= 800.0) {
        gf_setThrottle(ac, ac.category == Category::Rotorcraft ? 4 : 3);
        ac.previousPhase = ac.flightPhase;
        ac.flightPhase = FlightPhase::flying;
        ac.climbCount = 1;
    }
}

void lf_takeOff(LiveAc& ac)
{
    ac.climbCount = std::max(ac.climbCount - 1, -1000);
    if (ac.climbCount >= 1) {
        // Rotation on the runway.
        ac.onGround = 0;
        if (ac.simPosition[2] > ac.rotationPitch) {
            ac.simPosition[2] = std::max(ac.simPosition[2] + ac.pitchRate, ac.rotationPitch);
        }
        return;
    }
    lf_climbOut(ac);
}

// Latitude within +-90 (mirrored over the pole) and longitude within [-180, 180).
void lf_normalisePosition(LiveAc& ac)
{
    double& lat = ac.simPosition[0];
    double& lon = ac.simPosition[1];
    if (lat > 90.0) {
        lat = 180.0 - lat;
        lon += 180.0;
    } else if (lat < -90.0) {
        lat = -180.0 - lat;
        lon += 180.0;
    }
    lon = gf_wrapLongitude(lon);
}

} // namespace

void lf_flyCurve(LiveAc& ac)
{
    if (gf_groundPathSet(ac)) {
        lf_followGroundPath(ac);
    } else {
        lf_steerAndAdvance(ac);
    }
    lf_flare(ac);
    if (ac.flightPhase == FlightPhase::take_off) {
        lf_takeOff(ac);
    } else {
        lf_attitudeAndAltitude(ac);
    }
    lf_normalisePosition(ac);
}
