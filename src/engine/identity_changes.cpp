// Changes of identity that a traffic record brings to a known aircraft: route,
// registration, owner and callsign, and whether they make the aircraft respawn.
#include "engine/traffic_intake.h"

#include "core/log.h"
#include "core/settings.h"
#include "engine/aircraft_names.h"
#include "engine/ghost_rules.h"
#include "engine/life_cycle.h"
#include "engine/stand_learning.h"
#include "liveries/regcodes.h"
#include "parking/park_airport.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

namespace {

bool lf_sameAirlineAndType(const AcIdent& ac, const RegistrationData& known)
{
    return ac.airline == known.airline && ac.type == known.type;
}

// The operator code when the database has one, else its airline code.
const std::string& lf_owner(const RegistrationData& known)
{
    return known.operatorCode.empty() ? known.airline : known.operatorCode;
}

void lf_replaceWhenGiven(std::string& field, const std::string& given)
{
    if (!given.empty() && given != field)
        field = given;
}

// A buffered aircraft simply takes the record's identity values.
void lf_updateBufferedIdent(LiveAc& ac, const TrafficRecord& rec)
{
    lf_replaceWhenGiven(ac.destination, rec.destination);
    lf_replaceWhenGiven(ac.origin, rec.origin);
    lf_replaceWhenGiven(ac.callsign, rec.callsign);
    lf_replaceWhenGiven(ac.registration, rec.registration);
}

// A new callsign of another flight: false when the record is to be refused.
bool lf_takeNewCallsign(LiveAc& ac, const TrafficRecord& rec)
{
    if (rec.callsign.ends_with('_')) {
        if (lf_ghostHasOriginal(rec.callsign))
            return false;
    } else {
        lf_removeGhosts(rec.callsign);
    }
    ac.callsign = rec.callsign;
    ac.firstCallsign = rec.callsign;
    ac.altIdent.clear();
    return true;
}

} // namespace

bool lf_checkRespawn(LiveAc& ac, TrafficRecord& rec)
{
    if (ac.takeOffStarted || ac.landingArmed)
        return true;
    if (ac.simState == SimState::buffer) {
        lf_updateBufferedIdent(ac, rec);
        return true;
    }
    if (ac.simState != SimState::active || ac.flightPhase == FlightPhase::pushing_back || ac.holdCount >= 1)
        return true;
    // Both tests run for their effects, whatever follows.
    const bool routeKept = lf_routeChanged(ac, rec);
    const bool liveryKept = lf_registrationChanged(ac, rec);
    bool changed = !routeKept || !liveryKept;
    if (!rec.callsign.empty() && rec.callsign != ac.callsign && rec.callsign != ac.registration) {
        if (!lf_takeNewCallsign(ac, rec))
            return false;
        changed = true;
    }
    if (!changed || !GUID_CHANGES.value)
        return true;
    gf_log(fmt::format("          {} respawns", gf_acDescrWide(ac)));
    liveryRespawn(ac);
    return false;
}

bool lf_routeChanged(LiveAc& ac, const TrafficRecord& rec)
{
    bool filled = false;
    if (ac.destination.empty() && !rec.destination.empty()) {
        ac.destination = rec.destination;
        filled = true;
    }
    if (ac.origin.empty() && !rec.origin.empty()) {
        ac.origin = rec.origin;
        filled = true;
    }
    const bool originsDiffer = !ac.origin.empty() && !rec.origin.empty() && ac.origin != rec.origin;
    const bool destinationsDiffer =
        !ac.destination.empty() && !rec.destination.empty() && ac.destination != rec.destination;
    // A flight from the park airport reported back to it is the same flight.
    const bool returnToParkAirport = ac.origin == g_parkAirportIata && rec.destination == ac.origin;
    if (!originsDiffer || !destinationsDiffer || returnToParkAirport)
        return !filled;
    ac.origin = rec.origin;
    ac.destination = rec.destination;
    if (ac.onGround && ac.flightPhase != FlightPhase::parking && ac.flightPhase != FlightPhase::parked) {
        if (ac.flightPhase != FlightPhase::taxi)
            ac.previousPhase = ac.flightPhase;
        ac.flightPhase = FlightPhase::taxi;
        ac.course = ac.simPosition[4];
    }
    return false;
}

bool lf_registrationChanged(LiveAc& ac, TrafficRecord& rec)
{
    // A record without a registration never wipes a known one.
    if (rec.registration.empty())
        return true;
    bool keep = true;
    if (ac.registration.empty() || (ac.callsign == ac.registration && rec.registration != ac.registration))
        keep = !lf_regcodeChanged(ac, rec);
    else if (rec.registration != ac.registration)
        keep = !lf_regOwnerChanged(ac, rec);
    ac.registration = rec.registration;
    return keep;
}

bool lf_regOwnerChanged(LiveAc& ac, TrafficRecord& rec)
{
    const auto known = gf_findRegistration(rec.registration);
    if (!known || lf_sameAirlineAndType(ac, *known))
        return false;
    if (!known->operatorCode.empty() && known->operatorCode == ac.airline)
        return false;
    // The flight must fly for the registration's owner.
    if (!lf_airlineFromCallsign(rec))
        return false;
    if (rec.airline != known->airline && (known->operatorCode.empty() || rec.airline != known->operatorCode))
        return false;
    ac.airline = lf_owner(*known);
    ac.type = known->type;
    if (ac.standId >= 1 && ac.flightPhase == FlightPhase::parked)
        lf_addRealStandOption(ac, 0);
    lf_resetLivery(ac);
    return true;
}

bool lf_regcodeChanged(LiveAc& ac, const TrafficRecord& rec)
{
    const auto bound = g_regcodeMap.find(rec.registration);
    if (bound != g_regcodeMap.end() && !bound->second.empty()) {
        if (bound->second == ac.livery)
            return false;
        if (const auto known = gf_findRegistration(rec.registration)) {
            ac.airline = known->airline;
            ac.type = known->type;
        }
        lf_resetLivery(ac);
        return true;
    }
    if (rec.registration == ac.registration)
        return false;
    const auto known = gf_findRegistration(rec.registration);
    if (!known || lf_sameAirlineAndType(ac, *known))
        return false;
    if (!known->operatorCode.empty() && known->operatorCode == ac.airline)
        return false;
    ac.airline = lf_owner(*known);
    ac.type = known->type;
    lf_resetLivery(ac);
    return true;
}
