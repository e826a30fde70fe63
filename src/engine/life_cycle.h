// The life cycle of live and static aircraft in the simulator.
#pragma once

#include "engine/aircraft_records.h"

// Takes a live or static aircraft out of the simulator, by its SimState.
void removeAircraftFromSim(StaticAc& ac);
