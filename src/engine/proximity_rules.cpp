// Live traffic around the user aircraft: removed when it stands or flies in the user's way,
// held back in the buffer when it would appear there, and the farthest aircraft giving
// room to a nearer newcomer.
#include "engine/proximity_rules.h"

#include "core/geo.h"
#include "core/run_state.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/air_angles.h"
#include "engine/life_cycle.h"
#include "simlink/user_aircraft.h"

#include <cmath>
#include <limits>

namespace {

// The user position at which the static aircraft were last checked; they are checked again
// once the user moves.
LatLon lv_lastStaticCheck{};

const RunStateRegistration lf_runState{RUN_STATE(RunStateArea::Engine, lv_lastStaticCheck)};

struct AheadLimits {
    double distanceNm, altitudeFt, lateralFt;
};
constexpr AheadLimits kAheadLimits[] = {{4.0, 1000.0, 700.0}, {6.0, 3000.0, 4000.0}};
constexpr double kHoldBackNm = 0.08099352051835854; // 150 m
constexpr double kTaxiSpeedKt = 8.0;

LatLon lf_user()
{
    return {g_userAcData.latitude, g_userAcData.longitude};
}

LatLon lf_standPlace(const StaticAc& ac)
{
    return {ac.standLat, ac.standLon};
}

LatLon lf_simPlace(const LiveAc& ac)
{
    return {ac.simPosition[0], ac.simPosition[1]};
}

double lf_userDistance(const LiveAc& ac)
{
    return gf_distanceNm(lf_user(), lf_simPlace(ac));
}

bool lf_isActive(const StaticAc& ac)
{
    return ac.simState == SimState::active;
}

// Where a buffered aircraft will appear: its front sample; an active one is where the
// simulator has it.
struct Seen {
    LatLon place;
    double altitude;
    double heading;
};

Seen lf_seen(const LiveAc& ac, int mode)
{
    if (mode == 0)
        return {lf_simPlace(ac), ac.simPosition[5], ac.simPosition[4]};
    const PosSample& front = ac.stream.front();
    const double heading = front.trueHeadingValid ? front.trueHeading : front.track * kDegToRad;
    return {{front.latitude, front.longitude}, front.altitude, heading};
}

bool lf_holdBack(LiveAc& ac)
{
    ac.stream.pop_front();
    return true;
}

bool lf_holdBackOnGround(LiveAc& ac)
{
    const PosSample& front = ac.stream.front();
    const bool frontOnGround = !front.airborne;
    const double d = gf_distanceNm(lf_user(), {front.latitude, front.longitude});
    if (ac.heldBack) {
        if (g_userAcData.groundSpeed > kTaxiSpeedKt)
            return lf_holdBack(ac);
        if (frontOnGround && (front.groundSpeed > kTaxiSpeedKt || d * 1852.0 >= 500.0))
            return lf_holdBack(ac);
    }
    if (frontOnGround && COLLISION_USER_GND.value && d <= kHoldBackNm) {
        ac.heldBack = 1;
        return lf_holdBack(ac);
    }
    return false;
}

} // namespace

bool lf_checkAheadOfUser(LiveAc& ac, int mode)
{
    if (ac.stream.empty() && mode != 0)
        return false;
    const AheadLimits& limits = kAheadLimits[mode == 0 ? 0 : 1];
    const Seen seen = lf_seen(ac, mode);
    const double d = gf_distanceNm(lf_user(), seen.place);
    if (d > limits.distanceNm || std::abs(seen.altitude - g_userAcData.altitude) >= limits.altitudeFt)
        return false;
    const double x = gf_wrapPi(seen.heading - gf_bearingRad(lf_user(), seen.place));
    if (std::cos(x) * d * kFeetPerNm <= 0.0)
        return false;
    if (std::abs(std::sin(x)) * d * kFeetPerNm > limits.lateralFt)
        return false;
    if (mode == 0)
        removeAircraftFromSim(ac);
    return true;
}

void gf_removeAheadOfUser()
{
    const bool userLow = g_userAcData.altitudeAboveGround < 500.0;
    for (LiveAc& ac : g_liveAcs) {
        if (!lf_isActive(ac))
            continue;
        if (userLow && ac.onGround) {
            const double d = lf_userDistance(ac);
            const double off = gf_bearingRad(lf_user(), lf_simPlace(ac)) - g_userAcData.heading;
            if (d <= 1.0 && std::abs(std::sin(off)) * d * kFeetPerNm <= 50.0) {
                removeAircraftFromSim(ac);
                return;
            }
        }
        if (lf_checkAheadOfUser(ac, 0))
            return;
    }
}

void gf_removeNearUser()
{
    const double userHalfSpan = g_userHalfSpan.load();
    for (LiveAc& ac : g_liveAcs) {
        if (lf_isActive(ac) && ac.onGround && lf_userDistance(ac) <= (userHalfSpan + ac.halfSpan) * 1.15) {
            removeAircraftFromSim(ac);
            return;
        }
    }
    const LatLon user = lf_user();
    if (std::abs(user.lat - lv_lastStaticCheck.lat) < 1e-8 && std::abs(user.lon - lv_lastStaticCheck.lon) < 1e-8)
        return;
    lv_lastStaticCheck = user;
    for (StaticAc& ac : g_staticAcs) {
        if (lf_isActive(ac) && gf_distanceNm(user, lf_standPlace(ac)) <= ac.halfSpan * 1.1 + userHalfSpan * 1.1) {
            removeAircraftFromSim(ac);
            return;
        }
    }
}

bool lf_holdBackNearUser(LiveAc& ac)
{
    if (ac.stream.empty())
        return false;
    if (g_userOnGround.load())
        return lf_holdBackOnGround(ac);
    if (!COLLISION_USER_AIR.value)
        return false;
    if (lf_checkAheadOfUser(ac, 1))
        ac.heldBack = 1;
    return ac.heldBack ? lf_holdBack(ac) : false;
}

bool gf_removeFarthestActive(double minDistance)
{
    const bool anyDistance = minDistance < 0.0;
    double best = anyDistance ? -std::numeric_limits<double>::infinity() : minDistance;
    const double margin = anyDistance ? 0.0 : 0.1;
    LiveAc* farthest = nullptr;
    for (LiveAc& ac : g_liveAcs) {
        if (!lf_isActive(ac))
            continue;
        const double d = lf_userDistance(ac);
        if (d > best + margin) {
            best = d;
            farthest = &ac;
        }
    }
    if (farthest == nullptr)
        return true;
    removeAircraftFromSim(*farthest);
    return false;
}
