// Stream extension: a parking aircraft arrives, a taxiing one holds in place, others fly
// or roll on by dead reckoning for a few samples before they are given up.
#include "engine/stream_extension.h"

#include "core/geo.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "engine/stand_search.h"
#include "engine/traffic_intake.h"
#include "parking/park_airport.h"
#include "simlink/user_aircraft.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int32_t kHoldRepeatTicks = 300;
constexpr std::int32_t kTicksPerMinute = 6000;
constexpr std::int32_t kWeekTicks = 604800 * kTicksPerSecond;
constexpr double kSamePlaceDeg = 1e-8;

LatLon lf_simPlace(const LiveAc& ac)
{
    return {ac.simPosition[0], ac.simPosition[1]};
}

bool lf_samePlace(const LatLon& a, const PosSample& b)
{
    return std::abs(a.lat - b.latitude) <= kSamePlaceDeg && std::abs(a.lon - b.longitude) <= kSamePlaceDeg;
}

// Another taxiing live aircraft close enough that both would stand inside each other.
bool lf_taxiTrafficTooClose(const LiveAc& ac)
{
    return std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [&ac](const LiveAc& other) {
        return other.objectId != ac.objectId && other.simState == SimState::active && other.onGround &&
               other.flightPhase == FlightPhase::taxi &&
               gf_distanceNm(lf_simPlace(ac), lf_simPlace(other)) <= (ac.halfSpan + other.halfSpan) * 1.2;
    });
}

// A taxiing or pushed-back aircraft without further samples waits where it is, at most
// MAX_HOLDING_MINUTES, and gives way to nobody: it goes when it stands in other traffic.
bool lf_holdInPlace(LiveAc& ac)
{
    if (lf_taxiTrafficTooClose(ac)) {
        ac.holding = 0;
        ac.holdStart = 0;
        return false;
    }
    const std::int32_t now = g_engineTick.load();
    if (!ac.holding) {
        ac.holding = 1;
        ac.holdStart = now;
    } else if (AIRBORNE_ONLY.value || (now - ac.holdStart) / kTicksPerMinute > MAX_HOLDING_MINUTES.value) {
        return false;
    }
    PosSample copy = ac.stream.front();
    copy.dueTick += kHoldRepeatTicks;
    copy.groundSpeed = 0.0;
    copy.stationary = 1;
    ac.stream.push_back(copy);
    ac.holdCount = 1;
    return true;
}

bool lf_userPositionKnown()
{
    return std::abs(g_userAcData.latitude) > 0.0001 || std::abs(g_userAcData.longitude) > 0.0001;
}

// How many dead-reckoned samples an aircraft gets when its stream first runs dry; 0 = none.
std::int32_t lf_extrapolationBudget(const LiveAc& ac)
{
    if (!lf_isCategoryWanted(ac.category))
        return 0;
    const bool airborne = ac.stream.front().airborne != 0;
    if (airborne && lf_userPositionKnown() &&
        gf_distanceNm({g_userAcData.latitude, g_userAcData.longitude}, lf_simPlace(ac)) >= RANGE.value - 0.5)
        return 0;
    if (AIRBORNE_ONLY.value) {
        const double reference = g_parkAirportElevation.load();
        return std::abs(ac.simPosition[5] - reference) >= 1000.0 ? 8 : 0;
    }
    if (airborne)
        return 8;
    return ac.flightPhase == FlightPhase::parked ? 1 : 10;
}

bool lf_extendByHoldCount(LiveAc& ac)
{
    if (ac.holdCount < 0)
        return false;
    if (ac.holdCount > 1) {
        lf_extrapolate(ac, ac.holdCount - 1);
        return true;
    }
    if (ac.holdCount == 1) {
        ac.holdCount = -1;
        return false;
    }
    const std::int32_t n = lf_extrapolationBudget(ac);
    if (n == 0)
        return false;
    lf_extrapolate(ac, n);
    return true;
}

double lf_landingRollSpeed(double kt)
{
    if (kt >= 140.0)
        return 100.0;
    if (kt >= 100.0)
        return 80.0;
    if (kt >= 80.0)
        return 60.0;
    return kt >= 60.0 ? 30.0 : 20.0;
}

// The take-off roll speeds up by bands; the fastest bands lift the nose.
void lf_takeOffRollSpeed(PosSample& s)
{
    struct Band {
        double upTo, speed, verticalSpeed;
    };
    static constexpr Band kBands[] = {{30, 40, -1}, {60, 80, -1}, {100, 110, -1}, {140, 150, 600}, {160, 170, 1200}};
    for (const Band& band : kBands) {
        if (s.groundSpeed <= band.upTo) {
            s.groundSpeed = band.speed;
            if (band.verticalSpeed >= 0)
                s.verticalSpeed = band.verticalSpeed;
            return;
        }
    }
    s.groundSpeed = 180.0;
    s.verticalSpeed = 2400.0;
}

// Speed of the next sample; false when it stands still.
bool lf_extrapolatedSpeed(const LiveAc& ac, PosSample& s, std::int32_t n)
{
    if (s.stationary || ac.flightPhase == FlightPhase::parked)
        return false;
    if (s.airborne) {
        const double factor = !ac.landingArmed ? 0.95 : (n >= 4 ? 0.9 : 1.0);
        s.groundSpeed = std::max(s.groundSpeed * factor, 1.0);
        return true;
    }
    if (ac.landingRoll) {
        s.groundSpeed = lf_landingRollSpeed(s.groundSpeed);
        s.verticalSpeed = 0.0;
        return true;
    }
    if (ac.takeOffStarted) {
        lf_takeOffRollSpeed(s);
        return true;
    }
    return false;
}

void lf_extrapolatedAltitude(const LiveAc& ac, PosSample& s, double seconds)
{
    if (ac.landingArmed && ac.flareStage == 0) {
        s.altitude -= seconds * 10.005;
        s.verticalSpeed = -667.0;
    } else if (ac.flightPhase == FlightPhase::take_off) {
        s.altitude += seconds * 25.0;
        s.verticalSpeed = 1500.0;
    }
    s.altitude = std::max(s.altitude, 0.0);
    s.airborne = s.altitude > 0.0 ? 1 : 0;
}

// A parked aircraft whose feed has stopped keeps standing but no longer claims its stand.
void lf_giveUpStand(LiveAc& ac)
{
    ac.protectedStand = 0;
    ac.standSampleDue = 0;
    lf_releaseStand(ac);
}

} // namespace

void gf_resetTimers(LiveAc& ac)
{
    ac.timers = {3000, ac.takeOffStarted ? 5000 : 3000};
}

bool lf_extendStream(LiveAc& ac)
{
    if (ac.stream.empty())
        return false;
    if (ac.flightPhase == FlightPhase::parking) {
        lf_arriveAtStand(ac);
        if (ac.stream.size() >= 2)
            return true;
        return lf_extendByHoldCount(ac);
    }
    if (ac.flightPhase == FlightPhase::pushed_back ||
        (ac.flightPhase == FlightPhase::taxi && !ac.takeOffStarted && !ac.landingRoll))
        return lf_holdInPlace(ac);
    return lf_extendByHoldCount(ac);
}

void lf_extrapolate(LiveAc& ac, std::int32_t n)
{
    ac.holdCount = n;
    const PosSample& front = ac.stream.front();
    PosSample s = front;
    const double seconds = front.airborne ? 8.0 : 3.0;
    if (lf_extrapolatedSpeed(ac, s, n)) {
        const double feet = seconds * kTicksPerSecond * s.groundSpeed * kFeetPerNm / 360000.0;
        const LatLon to = gf_destinationPoint({front.latitude, front.longitude}, ac.simPosition[4], feet);
        s.latitude = to.lat;
        s.longitude = to.lon;
        s.stationary = lf_samePlace(to, front) ? 1 : 0;
    } else {
        s.groundSpeed = 0.0;
        s.stationary = 1;
    }
    lf_extrapolatedAltitude(ac, s, seconds);
    s.dueTick = front.dueTick + static_cast<std::int32_t>(seconds) * kTicksPerSecond;
    if (ac.flightPhase == FlightPhase::parked) {
        // Its feed has stopped: it stays on its stand but gives the stand up, so that a
        // newcomer arriving or born there replaces it.
        s.dueTick = front.dueTick + kWeekTicks;
        lf_giveUpStand(ac);
    }
    ac.stream.push_back(s);
}

void gf_giveUpSilentStand(LiveAc& ac)
{
    if (ac.flightPhase == FlightPhase::parked && ac.standSampleDue != 0 && g_engineTick.load() > ac.standSampleDue)
        lf_giveUpStand(ac);
}
