// The engine's aircraft containers, all owned by the main loop thread.
#pragma once

#include "engine/aircraft_records.h"
#include "simlink/sim_queues.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

// Live aircraft; records are appended by the intake and erased at the end of a tick when
// `remove` or `withdrawn` is set, the order of the others kept.
extern std::vector<LiveAc> g_liveAcs;
// Static parked aircraft.
extern std::vector<StaticAc> g_staticAcs;
// Hexids of live aircraft waiting for their create request.
extern std::vector<std::uint32_t> g_spawnList;
// Create requests waiting to be handed to the simulator link, live aircraft before static ones.
struct AddingStack {
    std::deque<CreateRequest> live;
    std::deque<CreateRequest> statics;
};
extern AddingStack g_addingStack;
// Object ids waiting to be handed to the simulator link's remove queue.
extern std::deque<std::uint32_t> g_removalQueue;
// Callsigns of removed ghost copies.
extern std::vector<std::string> g_ghostList;
// Keys (gf_makeAcKey) of aircraft for which no livery was found; not tried again.
extern std::unordered_set<std::string> g_noLiverySet;

// Room for 512 live and 256 static aircraft, before the worker threads start.
void gf_reserveAcContainers();
// Puts the engine's state back to that of a fresh start (restart reset, after the worker
// threads stopped); the reservations stay.
void gf_clearAcContainers();
