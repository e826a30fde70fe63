// Proximity rules between live aircraft and the user: hold-back near the user and room
// made by removing the farthest aircraft.
#pragma once

#include "engine/aircraft_records.h"

// Whether a buffered aircraft is held back near the user aircraft.
bool lf_holdBackNearUser(LiveAc& ac);
// Removes the active live aircraft farthest from the user when it lies more than minDistance
// (nm) away; true when nothing was removed.
bool gf_removeFarthestActive(double minDistance);
