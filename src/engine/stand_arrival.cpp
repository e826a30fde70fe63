// Parking a live aircraft: the stand chosen when it stops, the drive onto it, the arrival
// with the parked commands, and the static aircraft that make way for it.
#include "engine/stand_search.h"

#include "app/tick_state.h"
#include "core/log.h"
#include "core/random_choice.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/air_commands.h"
#include "engine/air_planning.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "engine/ground_plan.h"
#include "engine/life_cycle.h"
#include "engine/proximity_rules.h"
#include "engine/stand_learning.h"
#include "engine/stand_lookup.h"
#include "parking/stand.h"
#include "parking/static_park_plan.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr double kSamePositionDeg = 1e-8;
constexpr double kAtStandNm = 0.0010799136069114472;  // 2 m
constexpr double kTicksPerHour = 360000.0;
constexpr std::int32_t kMinDriveTicks = 100;
constexpr std::int32_t kStopTicks = 50;
constexpr double kExclusionFactor = 1.1;

bool lf_at(const PosSample& s, double latitude, double longitude)
{
    return std::abs(s.latitude - latitude) <= kSamePositionDeg && std::abs(s.longitude - longitude) <= kSamePositionDeg;
}

std::string lf_sameVersionText(const StaticAc& fixed, const LiveAc& ac)
{
    const bool same = fixed.firstCallsign == ac.callsign ||
                      (!fixed.registration.empty() && fixed.registration == ac.registration);
    return same ? " the same live version" : "";
}

// The static aircraft leaves with its line; one still waiting for its creation is withdrawn
// (its line then says it was queued), or removed as soon as the simulator reports it.
void lf_staticLeaves(StaticAc& fixed, const std::string& text)
{
    if (fixed.simState == SimState::active) {
        gf_log(text);
        removeAircraftFromSim(fixed);
    } else if (fixed.simState == SimState::adding2sim) {
        removeAircraftFromSim(fixed);
        if (fixed.withdrawn) {
            gf_log("queued " + text);
        }
    }
}

// Every static aircraft on the stand leaves.
void lf_staticOnStandLeaves(const LiveAc& ac, const Stand& stand)
{
    for (StaticAc& fixed : g_staticAcs) {
        if (fixed.standId != stand.number || !gf_standsThereNow(fixed)) {
            continue;
        }
        lf_staticLeaves(fixed, fmt::format("{:8}: {:8} {} makes way for{} {} {}", stand.id, fixed.callsign,
                                           fixed.registration, lf_sameVersionText(fixed, ac), ac.callsign,
                                           ac.registration));
    }
}

// Static aircraft on neighbour stands that the live aircraft would touch leave too.
void lf_staticNeighboursLeave(const LiveAc& ac, const Stand& stand)
{
    for (const std::uint32_t number : stand.neighbours) {
        const Stand* neighbour = gf_standByNumber(static_cast<std::int32_t>(number));
        if (neighbour == nullptr) {
            continue;
        }
        const double d = gf_distanceNm({neighbour->latitude, neighbour->longitude}, {stand.latitude, stand.longitude});
        for (StaticAc& fixed : g_staticAcs) {
            if (fixed.standId != neighbour->number || !gf_standsThereNow(fixed) ||
                d > (fixed.halfSpan + ac.halfSpan) * kExclusionFactor) {
                continue;
            }
            lf_staticLeaves(fixed, fmt::format("{:8}: {:8} makes way for {} parking at excluded stand {}",
                                               neighbour->id, fixed.callsign, ac.callsign, stand.id));
        }
    }
}

bool lf_cabinLightsOn(const StaticAc& ac)
{
    if (ac.standFlag) {
        return false;
    }
    if (!RANDOM.value) {
        return true;
    }
    return std::uniform_int_distribution<int>(0, 9)(g_rng) < 9;
}

} // namespace

void try2Park(LiveAc& ac, bool wide)
{
    if (ac.stream.empty()) {
        gf_log(fmt::format("{} empty sz?", "try2Park"));
        return;
    }
    const PosSample& newest = ac.stream.back();
    if (std::abs(newest.latitude - ac.lastParkCheck[0]) <= kSamePositionDeg &&
        std::abs(newest.longitude - ac.lastParkCheck[1]) <= kSamePositionDeg) {
        return;
    }
    ac.lastParkCheck = {newest.latitude, newest.longitude};
    const StandOutcome outcome = lf_parkOutcome(ac, wide);
    if (outcome.stand == nullptr) {
        return;
    }
    lf_takeStandOutcome(ac, outcome);
    Stand* stand = outcome.stand;
    ac.standLat = stand->latitude;
    ac.standLon = stand->longitude;
    ac.standHeading = stand->heading;
    lf_holdStand(ac, *stand);
    ac.standFlag = stand->cargo ? 1 : 0;
    ac.stream.resize(1);
    // A corner path planned toward the dropped samples no longer applies.
    ac.groundPath.fill(std::numeric_limits<double>::quiet_NaN());
    gf_setFlightPhase(ac, FlightPhase::parking);
    drive2Stand(ac);
}

void drive2Stand(LiveAc& ac)
{
    if (ac.stream.empty()) {
        gf_log(fmt::format("{} empty sz?", "drive2Stand"));
        return;
    }
    PosSample& newest = ac.stream.back();
    const double speed = ac.standSpeed > 0.0 ? ac.standSpeed : 1.0;
    const double distance = gf_distanceNm({newest.latitude, newest.longitude}, {ac.standLat, ac.standLon});
    const auto ticks =
        static_cast<std::int32_t>(std::clamp(std::round(distance * kTicksPerHour / speed), double{kMinDriveTicks}, 1e9));
    newest.groundSpeed = ac.standSpeed;
    const PosSample& front = ac.stream.front();
    PosSample atStand;
    atStand.latitude = ac.standLat;
    atStand.longitude = ac.standLon;
    // A ground sample, like every sample on the ground: altitude 0, so that a point between
    // it and the aircraft's own samples never counts as airborne.
    atStand.altitude = 0.0;
    atStand.airborne = 0;
    atStand.groundSpeed = ac.standSpeed;
    atStand.trueAirspeed = ac.standSpeed;
    atStand.track = ac.standHeading * kRadToDeg;
    atStand.dueTick = front.dueTick + ticks;
    atStand.stationary = lf_at(newest, ac.standLat, ac.standLon) ? 1 : 0;
    atStand.directSource = front.directSource;
    atStand.bank = ac.simPosition[3];
    atStand.bankValid = 1;
    PosSample stop = atStand;
    stop.groundSpeed = 0.0;
    stop.trueAirspeed = 0.0;
    stop.stationary = 1;
    stop.dueTick = atStand.dueTick + kStopTicks;
    ac.stream.push_back(atStand);
    ac.stream.push_back(stop);
    ac.course = ac.standHeading;
    if (ac.holdCount >= 1) {
        ac.holdCount = 0;
        lf_resetTimers(ac);
    }
}

void lf_arriveAtStand(LiveAc& ac)
{
    Stand* stand = gf_ownStand(ac);
    if (stand == nullptr && ac.standId > 0) {
        // The stands of another park airport were loaded while it drove: it has no stand there.
        gf_forgetStand(ac);
        gf_setFlightPhase(ac, FlightPhase::taxi);
        return;
    }
    if (stand != nullptr && lf_heldByOther(*stand, ac)) {
        // The stand was taken while the aircraft drove there; the holder keeps it.
        ac.holdCount = 1;
        removeAircraftFromSim(ac);
        return;
    }
    if (gf_distanceNm({ac.simPosition[0], ac.simPosition[1]}, {ac.standLat, ac.standLon}) > kAtStandNm) {
        // Stopped short of the stand: it taxis on and the stand is free for others.
        lf_releaseStand(ac);
        gf_setFlightPhase(ac, FlightPhase::taxi);
        return;
    }
    gf_setFlightPhase(ac, FlightPhase::parked);
    if (ac.towed) {
        gf_log(fmt::format("          towed aircraft {} parks", gf_acDescr(ac)));
    }
    if (!ac.stream.empty()) {
        ac.stream.front().stationary = 1;
    }
    ac.parkedSince = gf_steadyTicks100ns();
    // On its stand it no longer holds in place: its next line moving away is a departure,
    // not traffic that moved away from a waiting aircraft.
    ac.holding = 0;
    ac.holdStart = 0;
    // The creep watch starts anew on the stand.
    ac.creepFarthestNm = 0.0;
    ac.creepCount = 0;
    if (stand != nullptr) {
        lf_holdStand(ac, *stand);
    }
    lf_setStandCargo(ac);
    lf_parkedCommands(ac);
    gf_log(fmt::format("{:8}: {:8} arrived at stand", gf_standName(ac.standId), ac.callsign));
    g_standArrivals.push_back(ac.hexid);
    lf_addRealStandOption(ac, 0);
    gf_checkMaxPark(0);
}

void lf_parkedCommands(StaticAc& ac)
{
    gf_setThrottle(ac, 0);
    gf_setFlaps(ac, 0);
    if (ac.objectId != 0) {
        gf_queueEngineShutdown(ac.objectId);
    }
    const std::uint32_t nav = NAV_LIGHTS_WHILE_PARKED.value ? 1 : 0;
    const std::uint32_t cabin = lf_cabinLightsOn(ac) ? 1 : 0;
    gf_setLights(ac, {nav, 0, 0, 0, 0, 1, cabin});
}

void lf_staticMakesWay(const LiveAc& ac, const Stand& stand)
{
    lf_staticOnStandLeaves(ac, stand);
    lf_staticNeighboursLeave(ac, stand);
    std::erase_if(g_staticAcs, [](const StaticAc& s) { return s.withdrawn != 0; });
}
