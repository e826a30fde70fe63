// The life cycle of live and static aircraft in the simulator: the buffer, the spawn,
// the per-tick update, the respawn and the removal, and the simulator's results.
#pragma once

#include "engine/aircraft_records.h"
#include "simlink/sim_queues.h"

#include <cstdint>
#include <vector>

// Identified objects waiting out their 200 ticks before their aircraft becomes active;
// each item's waitCount counts the wait (main loop thread, under g_simResultMutex).
extern std::vector<SimResult> g_keptResults;

// Ticks an identified object waits before its aircraft becomes active, and the two
// ticks of that wait at which a live object's lights are toggled.
inline constexpr std::uint32_t kActivationWaitTicks = 200;
inline constexpr std::uint32_t kFirstLightToggleTick = 50;
inline constexpr std::uint32_t kSecondLightToggleTick = 100;

// Drains the simulator's results at the start of each engine tick, and on every tick
// while the flight is not running, so identified objects keep counting their wait.
void gf_handleSimResults();
// The identified objects of the kept list count their wait; those done become active.
void lf_onObjectCreated();

// One tick of one live aircraft; true when it is to be erased (remove or withdrawn set).
bool updateLiveAc(LiveAc& ac);
// An aircraft in the buffer: waits until its front sample is nearly due, then either
// goes (remove), drops a sample and waits, or spawns.
void lf_handleBufferedAc(LiveAc& ac);
// Prepares the creation: livery, first phase, stand, first simulator position.
void spawnLiveAc(LiveAc& ac);
// The first simulator position of a spawning aircraft, from its first sample.
void lf_setInitialPosition(LiveAc& ac);

// Withdraws the aircraft's create request while it still waits in the adding stack or the
// spawn list; false when it was already handed to the simulator link.
bool gf_withdrawCreateRequest(const StaticAc& ac);
// Takes a live or static aircraft out of the simulator, by its SimState.
void removeAircraftFromSim(StaticAc& ac);
// The removal of an aircraft whose object was identified after it was to go.
void lf_removeOnArrival(StaticAc& ac);
// Deletes the flight-plan file of the object when the aircraft has one.
void lf_deleteFlightPlanFile(std::uint32_t objectId, LiveAc& ac);
// Removes the object so that the aircraft is created again with its position kept.
void liveryRespawn(LiveAc& ac);
// The simulator removed the object: a respawning aircraft goes back to the buffer, any
// other record is erased (with its flight-plan file).
void gf_removeFlightPlan(std::uint32_t objectId);

// Forgets the chosen livery so the aircraft is matched again: the title kept for its hexid
// is dropped and it is born again.
void lf_resetLivery(LiveAc& ac);
// A callsign of three letters and a digit names its airline: the airline becomes the three
// letters in upper case and the result is true; otherwise nothing changes.
bool lf_airlineFromCallsign(AcIdent& ac);

// Callsigns of the active live aircraft that are not parked into the callsign list of the
// main window; the block controls are enabled when the list is not empty.
void gf_fillBlockCallsignList();
// Whether the aircraft is the one selected in the callsign list.
bool gf_isBlockSelection(const StaticAc& ac);
// Clears the selected callsign and disables the block controls.
void gf_resetBlockCallsign();
