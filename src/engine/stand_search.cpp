// Least bodies until the stand search is built: no aircraft is born on a stand, parked
// aircraft get no commands beyond their creation, and a parking aircraft parks where it is.
#include "engine/stand_search.h"

#include "parking/stand.h"

#include <algorithm>

const Stand* lf_findBirthStand(LiveAc&)
{
    return nullptr;
}

void lf_setStandOccupied(std::int32_t, bool) {}

void lf_setStandCargo(LiveAc&) {}

void lf_parkedCommands(StaticAc&) {}

void lf_arriveAtStand(LiveAc& ac)
{
    ac.previousPhase = ac.flightPhase;
    ac.flightPhase = FlightPhase::parked;
}

std::string gf_standName(std::int32_t standNumber)
{
    if (standNumber == 0)
        return "sid==0?";
    const auto found = std::lower_bound(g_stands.begin(), g_stands.end(), standNumber,
                                        [](const Stand& stand, std::int32_t number) { return stand.number < number; });
    return (found != g_stands.end() && found->number == standNumber) ? found->id : "sid==?";
}
