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

namespace {

bool lf_holdsStand(const LiveAc& ac)
{
    return ac.flightPhase == FlightPhase::parked || ac.flightPhase == FlightPhase::pushing_back;
}

bool lf_onStandPhase(const LiveAc& ac)
{
    return lf_holdsStand(ac) || ac.flightPhase == FlightPhase::pushed_back;
}

// The live aircraft standing on the stand now; one that left it but still carries its
// number, or one on its way out, does not hide it.
LiveAc* lf_firstOnStand(std::int32_t standId, bool (*standing)(const LiveAc&))
{
    return gf_occupantOf(g_liveAcs, standId, standing);
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

void lf_logAndRemove(LiveAc& occupant, const std::string& line)
{
    gf_log(line);
    removeAircraftFromSim(occupant);
}

} // namespace

bool lf_callsignRulesReplace(const std::string& held, const std::string& callsign)
{
    if (held == callsign)
        return true;
    return !lf_isCopyOf(callsign, held) && lf_ghostOfNewcomer(held, callsign);
}

bool lf_freeStandFor(std::int32_t standId, const std::string& callsign)
{
    LiveAc* occupant = lf_firstOnStand(standId, lf_onStandPhase);
    if (occupant == nullptr)
        return true;
    const std::string name = gf_standName(standId);
    const std::string& held = occupant->callsign;
    if (held == callsign) {
        lf_logAndRemove(*occupant, fmt::format("{:8}: {:8} ac with same callsign {} wants it, remove existing ... ",
                                               name, held, callsign));
        return true;
    }
    if (lf_isCopyOf(callsign, held))
        return false;
    if (lf_ghostOfNewcomer(held, callsign)) {
        lf_logAndRemove(*occupant, fmt::format("{:8}: {:8} ghost, replace by {}", name, held, callsign));
        return true;
    }
    if (callsign.ends_with('_') && !held.ends_with('_'))
        return false;
    if (occupant->protectedStand)
        return false;
    lf_logAndRemove(*occupant, fmt::format("{:8}: {:8} removed because another live {} wants the stand ...", name,
                                           held, callsign));
    return true;
}

void lf_removeAdjacentColliding(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand)
{
    const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(), [standId](const LiveAc& ac) {
        return ac.standId == standId && ac.simState == SimState::active && lf_holdsStand(ac);
    });
    const Stand* stand = gf_standByNumber(standId);
    if (it == g_liveAcs.end() || stand == nullptr)
        return;
    const double d = gf_distanceNm({stand->latitude, stand->longitude}, {newStand.latitude, newStand.longitude});
    if (d > lf_room(*it, newcomer))
        return;
    lf_logAndRemove(*it, fmt::format("{:8}: {:8} removed by parking {} at adjacent and possibly colliding stand {}",
                                     stand->id, it->callsign, newcomer.callsign, newStand.id));
}

bool lf_adjacentStandClear(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand)
{
    const LiveAc* occupant = lf_firstOnStand(standId, lf_holdsStand);
    if (occupant == nullptr || occupant->callsign == newcomer.callsign)
        return true;
    const Stand* stand = gf_standByNumber(standId);
    const LatLon at = stand == nullptr ? LatLon{} : LatLon{stand->latitude, stand->longitude};
    if (at.lat == 0.0 && at.lon == 0.0)
        return true;
    return lf_room(*occupant, newcomer) < gf_distanceNm(at, {newStand.latitude, newStand.longitude});
}
