// Proximity rules: live traffic kept out of the user aircraft's way, room made for nearer
// traffic, static aircraft in the way of live ones or copying them, and stand conflicts.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Stand;

// Whether the user aircraft lies on the track behind the aircraft (mode 0 active, 1 buffered);
// an active aircraft found so is removed.
bool lf_checkAheadOfUser(LiveAc& ac, int mode);
// Whether a buffered aircraft is held back near the user aircraft; a held sample is dropped.
bool lf_holdBackNearUser(LiveAc& ac);
// Removes the active live aircraft farthest from the user when it lies more than minDistance
// (nm) away; true when nothing was removed.
bool gf_removeFarthestActive(double minDistance);

// Once per flight second while the user aircraft is on the ground / in the air.
void gf_removeNearUser();
void gf_removeAheadOfUser();
// Once per flight second: static aircraft in the path of taxiing live aircraft.
void gf_clearStaticFromTaxiPaths();
void lf_removeStaticInTheWay(LiveAc& ac);
// Every 61 flight seconds: one static copy of a live aircraft on the ground.
void gf_removeStaticDuplicates();
// Static aircraft with the identity of the given aircraft; the flag adds the registration test.
void gf_removeStaticSameAc(const AircraftData& ac, bool compareRegistration);
// Every active static aircraft.
void gf_removeAllStatic();
// The aircraft on the user's reserved stand.
void gf_clearReservedStand(std::string_view standName);

// Active live aircraft parked at stands, and their mean time there in half hours.
struct LiveParkedCount {
    std::int32_t count = 0;
    double meanSlots = 0.0;
};
LiveParkedCount gf_countLiveParked(bool withMean);

// A live aircraft the stand rules remove for a newcomer, with the line logged for it.
struct StandRemoval {
    LiveAc* ac = nullptr;
    std::string line;
};
// Logs each line and removes its aircraft, in order.
void gf_carryOut(const std::vector<StandRemoval>& removals);
// What the callsign rules decide for every aircraft on stand standId (parked first, then
// pushing back and pushed back): refused when one of them must stay, otherwise all of them
// leave. Changes nothing.
struct StandClaim {
    bool refused = false;
    std::vector<StandRemoval> removals;
};
StandClaim lf_claimStand(std::int32_t standId, const std::string& callsign);

// Whether the callsign rules of the stand conflicts let a newcomer with that callsign
// replace an occupant with callsign held: the same callsign, or the occupant is its ghost.
bool lf_callsignRulesReplace(const std::string& held, const std::string& callsign);
// Whether stand standId is free for the newcomer with that callsign, after removing its
// occupants where the rules allow.
bool lf_freeStandFor(std::int32_t standId, const std::string& callsign);
// The aircraft on neighbour stand standId (parked, pushing back or driving onto it, also
// while created or respawned) too close to the newcomer on newStand. Changes nothing.
std::vector<StandRemoval> lf_adjacentColliding(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand);
// Removes the aircraft of lf_adjacentColliding.
void lf_removeAdjacentColliding(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand);
// Whether neighbour stand standId leaves room for the newcomer on newStand; an aircraft with
// the newcomer's callsign there does not count.
bool lf_adjacentStandClear(std::int32_t standId, const LiveAc& newcomer, const Stand& newStand);
