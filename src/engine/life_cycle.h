// The life cycle of live and static aircraft in the simulator: results of the simulator,
// the per-tick update, respawn and removal.
#pragma once

#include "engine/aircraft_records.h"

// Drains the simulator's results at the start of each engine tick.
void gf_handleSimResults();
// One tick of one live aircraft; true when it is to be erased (remove or withdrawn set).
bool updateLiveAc(LiveAc& ac);
// Takes a live or static aircraft out of the simulator, by its SimState.
void removeAircraftFromSim(StaticAc& ac);
// Removes the object so that the aircraft is created again with a new livery.
void liveryRespawn(LiveAc& ac);
// Forgets the chosen livery so the aircraft is matched again: the title kept for its hexid
// is dropped and it is born again.
void lf_resetLivery(LiveAc& ac);
// A callsign of three letters and a digit names its airline: the airline becomes the three
// letters in upper case and the result is true; otherwise nothing changes.
bool lf_airlineFromCallsign(AcIdent& ac);
