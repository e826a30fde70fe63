// Finding stands for live aircraft: the free stand near a position, the stand an aircraft
// was born at, stand occupancy, the cargo attribute and stand names.
#include "engine/stand_search.h"

#include "core/log.h"
#include "engine/ac_containers.h"
#include "engine/aircraft_names.h"
#include "engine/learned_updates.h"
#include "engine/proximity_rules.h"
#include "engine/stand_lookup.h"
#include "parking/park_airport.h"
#include "parking/park_airports.h"
#include "parking/stand.h"
#include "simlink/user_aircraft.h"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>

namespace {

constexpr double kFitMarginNm = 0.0009719222462203025;   // 1.8 m
constexpr double kOneMeterNm = 0.0005399568034557236;
constexpr double kBirthAirportNm = 5.0;
constexpr double kBirthMovedNm = 0.018898488120950324;   // 35 m
constexpr double kBirthRollingKt = 5.0;
constexpr double kNoneYetNm = 900.0;

LatLon lf_position(const PosSample& s)
{
    return {s.latitude, s.longitude};
}

bool lf_tooSmall(const Stand& stand, const LiveAc& ac)
{
    return ac.halfSpan - stand.radius > kFitMarginNm;
}

bool lf_learnedFor(const Stand& stand, const LiveAc& ac)
{
    return std::any_of(stand.options.begin(), stand.options.end(),
                       [&ac](const ParkOpt& option) { return lf_parkOptMatchesAc(option, ac); });
}

} // namespace

bool lf_isUserStand(const Stand& stand)
{
    if (stand.id == gf_reservedStandName()) {
        return true;
    }
    const std::string userStand = gf_nearestStandName({g_userAcData.latitude, g_userAcData.longitude});
    return !userStand.empty() && userStand == stand.id;
}

namespace {

bool lf_nearParkAirport(const PosSample& s)
{
    if (!g_parkAirportSet.load() || g_parkAirport.empty()) {
        return false;
    }
    return gf_distanceNm(lf_position(s), {g_parkAirportLat.load(), g_parkAirportLon.load()}) <= kBirthAirportNm;
}

// Where a newcomer on the ground is searched a stand for; none when it is already rolling away.
std::optional<LatLon> lf_birthSearchPosition(const LiveAc& ac)
{
    const PosSample& first = ac.stream.front();
    if (first.stationary) {
        return lf_position(first);
    }
    if (ac.stream.size() >= 2 && ac.stream[1].groundSpeed > kBirthRollingKt) {
        return std::nullopt;
    }
    const PosSample& newest = ac.stream.back();
    if (gf_distanceNm(lf_position(first), lf_position(newest)) > kBirthMovedNm) {
        return std::nullopt;
    }
    return lf_position(newest);
}

// The stand at the position when its holder is parked on it, the callsign rules let the
// newcomer replace it (its ghost, or the same callsign) and the newcomer fits it; null otherwise.
Stand* lf_replaceableHeldStand(const LatLon& position, const LiveAc& ac)
{
    Stand* stand = gf_nearestStand(position);
    if (stand == nullptr || !lf_heldByOther(*stand, ac) ||
        lf_standFit(*stand, ac, gf_distanceNm(position, {stand->latitude, stand->longitude})) == StandFit::No) {
        return nullptr;
    }
    const auto holder = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                     [stand](const LiveAc& other) { return other.hexid == stand->holder; });
    if (holder == g_liveAcs.end() || holder->simState != SimState::active ||
        holder->flightPhase != FlightPhase::parked || holder->standId != stand->number) {
        return nullptr;
    }
    return lf_callsignRulesReplace(holder->callsign, ac.callsign) ? stand : nullptr;
}

// The stand found for the aircraft at the position, with its fit; none on the user's stand.
StandOutcome lf_standAt(const LatLon& position, Stand* stand, const LiveAc& ac)
{
    if (stand == nullptr || lf_isUserStand(*stand)) {
        return {};
    }
    StandOutcome outcome;
    outcome.stand = stand;
    outcome.grows =
        lf_standFit(*stand, ac, gf_distanceNm(position, {stand->latitude, stand->longitude})) == StandFit::Grows;
    return outcome;
}

} // namespace

bool lf_parkOptMatchesAc(const ParkOpt& option, const LiveAc& ac)
{
    if (option.seq == 0 || option.real != 1) {
        return false;
    }
    return option.cs == ac.callsign || option.cs2 == ac.callsign ||
           (option.airl == ac.airline && option.type == ac.type);
}

StandFit lf_standFit(const Stand& stand, const LiveAc& ac, double distanceNm)
{
    if (stand.heli != (ac.category == Category::Rotorcraft)) {
        return StandFit::No;
    }
    if (!lf_tooSmall(stand, ac)) {
        return StandFit::Fits;
    }
    return distanceNm <= kNearStandNm ? StandFit::Grows : StandFit::No;
}

void lf_growStandFor(Stand& stand, const LiveAc& ac)
{
    if (!lf_tooSmall(stand, ac)) {
        return;
    }
    stand.radius = ac.halfSpan - kOneMeterNm;
    stand.radius_change = true;
    gf_addLearnedUpdate();
}

Stand* lf_findFreeStand(const LatLon& position, const LiveAc& ac, double radius, bool wide)
{
    Stand* nearStand = nullptr;
    Stand* wideStand = nullptr;
    double best = kNoneYetNm;
    double bestWide = kNoneYetNm;
    for (Stand& stand : g_stands) {
        if (lf_heldByOther(stand, ac)) {
            continue;
        }
        const double d = gf_distanceNm(position, {stand.latitude, stand.longitude});
        const bool tooSmall = lf_tooSmall(stand, ac);
        if (d <= radius && d < best && (!tooSmall || d <= kNearStandNm)) {
            nearStand = &stand;
            best = d;
        } else if (wide && nearStand == nullptr && d <= kLearnedStandNm && d < bestWide && !tooSmall &&
                   gf_hasCallsign(ac) && lf_learnedFor(stand, ac)) {
            wideStand = &stand;
            bestWide = d;
        }
    }
    Stand* found = nearStand != nullptr ? nearStand : wideStand;
    const double d = found == nullptr ? kNoneYetNm : (found == nearStand ? best : bestWide);
    // The nearest stand decides: a helipad nearest to an aeroplane gives it no stand.
    if (found == nullptr || lf_standFit(*found, ac, d) == StandFit::No) {
        return nullptr;
    }
    return found;
}

StandOutcome lf_birthOutcome(const LiveAc& ac)
{
    if (g_stands.empty() || ac.stream.empty() || !lf_nearParkAirport(ac.stream.front())) {
        return {};
    }
    const auto position = lf_birthSearchPosition(ac);
    if (!position) {
        return {};
    }
    // A held stand is offered only to a newcomer the callsign rules let replace its holder.
    Stand* found = lf_replaceableHeldStand(*position, ac);
    if (found == nullptr) {
        found = lf_findFreeStand(*position, ac, kWideStandNm, ac.stream.front().stationary != 0);
    }
    StandOutcome outcome = lf_standAt(*position, found, ac);
    if (outcome.stand == nullptr) {
        return outcome;
    }
    StandClaim claim = lf_claimStand(outcome.stand->number, ac.callsign);
    const bool neighbourHeld =
        std::any_of(outcome.stand->neighbours.begin(), outcome.stand->neighbours.end(), [&](std::uint32_t neighbour) {
            return !lf_adjacentStandClear(static_cast<std::int32_t>(neighbour), ac, *outcome.stand);
        });
    if (claim.refused || neighbourHeld) {
        return StandOutcome{nullptr, true, false, {}};
    }
    outcome.removals = std::move(claim.removals);
    return outcome;
}

StandOutcome lf_parkOutcome(const LiveAc& ac, bool wide)
{
    const PosSample& newest = ac.stream.back();
    const LatLon position{newest.latitude, newest.longitude};
    StandOutcome outcome =
        lf_standAt(position, lf_findFreeStand(position, ac, wide ? kWideStandNm : kNearStandNm, wide), ac);
    if (outcome.stand == nullptr) {
        return outcome;
    }
    const Stand& stand = *outcome.stand;
    for (LiveAc& other : g_liveAcs) {
        if (&other != &ac && other.standId == stand.number &&
            other.flightPhase == FlightPhase::parked && gf_standsThereNow(other)) {
            outcome.removals.push_back(
                {&other, fmt::format("{:8}: {:8} removed, {} wants to park there", stand.id, other.callsign, ac.callsign)});
        }
    }
    for (const std::uint32_t neighbour : stand.neighbours) {
        auto colliding = lf_adjacentColliding(static_cast<std::int32_t>(neighbour), ac, stand);
        std::move(colliding.begin(), colliding.end(), std::back_inserter(outcome.removals));
    }
    return outcome;
}

void lf_takeStandOutcome(const LiveAc& ac, const StandOutcome& outcome)
{
    if (outcome.grows) {
        lf_growStandFor(*outcome.stand, ac);
    }
    gf_carryOut(outcome.removals);
    lf_staticMakesWay(ac, *outcome.stand);
}

Stand* lf_findBirthStand(LiveAc& ac)
{
    const StandOutcome outcome = lf_birthOutcome(ac);
    if (outcome.refused) {
        ac.remove = 1;
    }
    if (outcome.stand == nullptr) {
        return nullptr;
    }
    lf_takeStandOutcome(ac, outcome);
    PosSample& first = ac.stream.front();
    first.stationary = 1;
    first.groundSpeed = 0.0;
    return outcome.stand;
}

void lf_holdStand(StaticAc& ac, Stand& stand)
{
    if (ac.standId != stand.number) {
        lf_releaseStand(ac);
    }
    ac.standId = stand.number;
    stand.holder = ac.hexid;
}

void lf_releaseStand(const StaticAc& ac)
{
    Stand* stand = gf_standByNumber(ac.standId);
    if (stand != nullptr && stand->holder == ac.hexid) {
        stand->holder = 0;
    }
}

void gf_forgetStand(StaticAc& ac)
{
    ac.standLat = 0.0;
    ac.standLon = 0.0;
    ac.standHeading = 0.0;
    lf_releaseStand(ac);
    ac.standId = 0;
    ac.standFlag = 0;
}

bool gf_standsThereNow(const StaticAc& ac)
{
    if (ac.withdrawn || ac.remove || ac.simState == SimState::removingfromsim)
        return false;
    return ac.simState != SimState::adding2sim || !ac.removeOnArrival;
}

bool lf_heldByOther(const Stand& stand, const StaticAc& ac)
{
    return stand.holder != 0 && stand.holder != ac.hexid;
}

Stand* gf_ownStand(const StaticAc& ac)
{
    Stand* stand = gf_standByNumber(ac.standId);
    if (stand == nullptr ||
        gf_distanceNm({stand->latitude, stand->longitude}, {ac.standLat, ac.standLon}) > kLearnedStandNm) {
        return nullptr;
    }
    return stand;
}

bool lf_reclaimStand(StaticAc& ac)
{
    Stand* stand = gf_ownStand(ac);
    if (stand == nullptr) {
        return true;
    }
    if (lf_heldByOther(*stand, ac)) {
        return false;
    }
    stand->holder = ac.hexid;
    return true;
}

void lf_setStandCargo(LiveAc& ac)
{
    Stand* stand = gf_standByNumber(ac.standId);
    if (stand == nullptr || !stand->cargo) {
        return;
    }
    // A cargo aircraft clears it only when the stand was not cargo when it was taken.
    if (ac.cargo && ac.standFlag) {
        return;
    }
    stand->cargo = false;
    stand->cargo_change = true;
    gf_addLearnedUpdate();
    gf_log(fmt::format("{} stand: {}, cargo attribute set to false, {} parked here", g_parkAirport, stand->id,
                       gf_acDescr(ac)));
}

std::string gf_standName(std::int32_t standNumber)
{
    if (standNumber == 0) {
        return "sid==0?";
    }
    const Stand* stand = gf_standByNumber(standNumber);
    return stand != nullptr ? stand->id : "sid==?";
}
