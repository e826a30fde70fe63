// Removal, for now only marking the record to be erased at the end of the tick.
#include "engine/life_cycle.h"

void removeAircraftFromSim(StaticAc& ac)
{
    ac.remove = 1;
}
