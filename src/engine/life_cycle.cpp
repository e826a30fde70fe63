// Least bodies of the life cycle until it is built; lf_airlineFromCallsign is complete.
#include "engine/life_cycle.h"

#include "core/text_strings.h"

#include <cctype>

void gf_handleSimResults() {}

bool updateLiveAc(LiveAc& ac)
{
    return ac.remove != 0 || ac.withdrawn != 0;
}

// Removal, for now only marking the record to be erased at the end of the tick.
void removeAircraftFromSim(StaticAc& ac)
{
    ac.remove = 1;
}

void liveryRespawn(LiveAc& ac)
{
    ac.simState = SimState::liveryrespawn;
}

void lf_resetLivery(LiveAc& ac)
{
    ac.livery = {};
    ac.fsltl = 0;
    ac.flightPhase = FlightPhase::birth;
}

bool lf_airlineFromCallsign(AcIdent& ac)
{
    const std::string& callsign = ac.callsign;
    const auto isLetter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    if (callsign.size() < 4 || !isLetter(callsign[0]) || !isLetter(callsign[1]) || !isLetter(callsign[2]) ||
        !std::isdigit(static_cast<unsigned char>(callsign[3])))
        return false;
    ac.airline = gf_upperCase(std::string_view(callsign).substr(0, 3));
    return true;
}
