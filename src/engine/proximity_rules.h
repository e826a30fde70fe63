// Proximity rules between live aircraft and the user: hold-back near the user, room made
// by removing the farthest aircraft, aircraft too close to the user aircraft, static
// aircraft in the way of live traffic, and static copies of live aircraft.
#pragma once

#include "engine/aircraft_records.h"

#include <string_view>

// Whether a buffered aircraft is held back near the user aircraft.
bool lf_holdBackNearUser(LiveAc& ac);
// Removes the active live aircraft farthest from the user when it lies more than minDistance
// (nm) away; true when nothing was removed.
bool gf_removeFarthestActive(double minDistance);

// Once per flight second while the user aircraft is on the ground / in the air.
void gf_removeNearUser();
void gf_removeAheadOfUser();
// Once per flight second: static aircraft in the path of taxiing live aircraft.
void gf_clearStaticFromTaxiPaths();
// Every 61 flight seconds: one static copy of a live aircraft on the ground.
void gf_removeStaticDuplicates();
// Static aircraft with the identity of the given aircraft; the flag adds the registration test.
void gf_removeStaticSameAc(const AircraftData& ac, bool compareRegistration);
// Every active static aircraft.
void gf_removeAllStatic();
// The aircraft on the user's reserved stand.
void gf_clearReservedStand(std::string_view standName);
