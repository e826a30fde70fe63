// Two live aircraft claiming one stand or neighbouring stands: who keeps it, who goes.
#include "engine/proximity_rules.h"

#include "core/geo.h"
#include "core/log.h"
#include "engine/ac_containers.h"
#include "engine/life_cycle.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "parking/stand.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

namespace {

bool lf_holdsStand(const LiveAc& ac)
{
    return ac.flightPhase == FlightPhase::parked || ac.flightPhase == FlightPhase::pushing_back;
}

// Parked first: the aircraft that stands on the stand is judged before those leaving it.
int lf_onStandRank(const LiveAc& ac)
{
    switch (ac.flightPhase) {
    case FlightPhase::parked:
        return 0;
    case FlightPhase::pushing_back:
        return 1;
    case FlightPhase::pushed_back:
        return 2;
    default:
        return -1;
    }
}

// Every live aircraft on the stand now that passes the test; one that left it but still
// carries its number, or one on its way out, is passed over.
template <class Test>
std::vector<LiveAc*> lf_allOnStand(std::int32_t standId, Test test)
{
    std::vector<LiveAc*> found;
    for (LiveAc& ac : g_liveAcs) {
        if (ac.standId == standId && gf_standsThereNow(ac) && test(ac))
            found.push_back(&ac);
    }
    return found;
}

// A neighbour stand's occupant: parked, pushing back, or driving onto it; also while its
// object is being created or respawned.
bool lf_neighbourOccupant(const LiveAc& ac)
{
    return lf_holdsStand(ac) || ac.flightPhase == FlightPhase::parking;
}

// b is a plus one character.
bool lf_isCopyOf(const std::string& b, const std::string& a)
{
    return b.size() == a.size() + 1 && b.starts_with(a);
}

// The occupant is the newcomer's ghost, or a ghost the newcomer, not one itself, replaces.
bool lf_ghostOfNewcomer(const std::string& held, const std::string& callsign)
{
    return lf_isCopyOf(held, callsign) || (held.ends_with('_') && !callsign.ends_with('_'));
}

double lf_room(const LiveAc& occupant, const LiveAc& newcomer)
{
    return (gf_wingspan(occupant.type) + gf_wingspan(newcomer.type)) * 1.1;
}

// The line logged when the occupant leaves for the newcomer; empty when it stays.
std::optional<std::string> lf_occupantLeaves(const LiveAc& occupant, const std::string& name,
                                             const std::string& callsign)
{
    const std::string& held = occupant.callsign;
    if (held == callsign)
        return fmt::format("{:8}: {:8} ac with same callsign {} wants it, remove existing ... ", name, held, callsign);
    if (lf_isCopyOf(callsign, held))
        return std::nullopt;
    if (lf_ghostOfNewcomer(held, callsign))
        return fmt::format("{:8}: {:8} ghost, replace by {}", name, held, callsign);
    if ((callsign.ends_with('_') && !held.ends_with('_')) || occupant.protectedStand)
        return std::nullopt;
    return fmt::format("{:8}: {:8} removed because another live {} wants the stand ...", name, held, callsign);
}

} // namespace

void gf_carryOut(const std::vector<StandRemoval>& removals)
{
    for (const StandRemoval& removal : removals) {
        gf_log(removal.line);
        removeAircraftFromSim(*removal.ac);
    }
}

bool lf_callsignRulesReplace(const std::string& held, const std::string& callsign)
{
    if (held == callsign)
        return true;
    return !lf_isCopyOf(callsign, held) && lf_ghostOfNewcomer(held, callsign);
}

StandClaim lf_claimStand(std::int32_t standId, const std::string& callsign)
{
    std::vector<LiveAc*> occupants = lf_allOnStand(standId, [](const LiveAc& ac) { return lf_onStandRank(ac) >= 0; });
    std::stable_sort(occupants.begin(), occupants.end(),
                     [](const LiveAc* a, const LiveAc* b) { return lf_onStandRank(*a) < lf_onStandRank(*b); });
    StandClaim claim;
    const std::string name = gf_standName(standId);
    for (LiveAc* occupant : occupants) {
        auto line = lf_occupantLeaves(*occupant, name, callsign);
        if (!line) {
            return StandClaim{true, {}};
        }
        claim.removals.push_back({occupant, std::move(*line)});
    }
    return claim;
}

bool lf_freeStandFor(std::int32_t standId, const std::string& callsign)
{
    const StandClaim claim = lf_claimStand(standId, callsign);
    if (!claim.refused)
        gf_carryOut(claim.removals);
    return !claim.refused;
}

std::vector<StandRemoval> lf_adjacentColliding(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand)
{
    const Stand* stand = gf_standByNumber(standId);
    if (stand == nullptr || (stand->latitude == 0.0 && stand->longitude == 0.0))
        return {};
    const double d = gf_distanceNm({stand->latitude, stand->longitude}, {newStand.latitude, newStand.longitude});
    std::vector<StandRemoval> colliding;
    for (LiveAc* occupant : lf_allOnStand(standId, lf_neighbourOccupant)) {
        if (occupant == &newcomer || d > lf_room(*occupant, newcomer))
            continue;
        colliding.push_back({occupant, fmt::format("{:8}: {:8} removed by parking {} at adjacent and possibly "
                                                   "colliding stand {}",
                                                   stand->id, occupant->callsign, newcomer.callsign, newStand.id)});
    }
    return colliding;
}

void lf_removeAdjacentColliding(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand)
{
    gf_carryOut(lf_adjacentColliding(standId, newcomer, newStand));
}

bool lf_adjacentStandClear(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand)
{
    const auto colliding = lf_adjacentColliding(standId, newcomer, newStand);
    return std::all_of(colliding.begin(), colliding.end(),
                       [&](const StandRemoval& r) { return r.ac->callsign == newcomer.callsign; });
}
