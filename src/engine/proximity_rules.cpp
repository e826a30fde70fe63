// Least bodies until the proximity rules are built: nothing is held back, and no aircraft
// makes room for a new one.
#include "engine/proximity_rules.h"

bool lf_holdBackNearUser(LiveAc&)
{
    return false;
}

bool gf_removeFarthestActive(double)
{
    return true;
}

// Least bodies until the rules around the user aircraft, the taxi paths and the static
// duplicates are built: nothing is removed.
void gf_removeNearUser() {}
void gf_removeAheadOfUser() {}
void gf_clearStaticFromTaxiPaths() {}
void gf_removeStaticDuplicates() {}
void gf_removeStaticSameAc(const AircraftData&, bool) {}
void gf_removeAllStatic() {}
void gf_clearReservedStand(std::string_view) {}
