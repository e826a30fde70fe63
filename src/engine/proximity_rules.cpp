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
