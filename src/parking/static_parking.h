// Static parked aircraft at the park airport: following the user aircraft to an airport,
// loading its stands, creating the planned aircraft, keeping their number within the wanted
// count, the periodic adjustment, and leaving the airport with what was learned saved.
#pragma once

#include "core/geo.h"

struct StaticAc;

#include <atomic>
#include <cstdint>
#include <string>

// The park airport's stands are to be loaded on the next pass.
extern std::atomic<bool> g_parkReloadPending;

// Every tick pass of the main loop (firstCall at loop start).
void gf_updateStaticParking(bool firstCall);
// The periodic adjustment of the static aircraft to the traffic seen.
void gf_adjustParking();
// Leaves the park airport: everything on its ground goes, its settings are restored and, when
// its park file was read, its learned file is saved. The airport going out of sight, the
// program closing and an in-process restart all take this road.
void gf_leaveParkAirport();
// Drops the plan and the static aircraft and takes the live aircraft on the ground out.
void gf_removeGroundAircraft();
// Every engine tick: static creations the simulator never confirms while it runs are given up
// (the record goes, a late object is removed), and entries waiting for the aircraft they
// replace are created once the stand is free, or dropped.
void gf_tickStaticCreations();
// The static aircraft's create request went to the simulator link (framesAtHandOver is what
// gf_queueCreateAc returned): its wait for its object starts.
void gf_noteStaticCreationSent(std::uint32_t hexid, std::uint64_t framesAtHandOver);
// Entries wait for the aircraft they replace / they are dropped (a new plan, leaving the airport).
bool gf_staticEntriesWaiting();
void gf_dropWaitingStaticEntries();
// A static aircraft still on its way in goes at once, its stand freed: its create request is
// withdrawn, or given up on the simulator link so that a late object is removed. The caller
// erases the withdrawn record.
void gf_dropStaticOnItsWay(StaticAc& ac);
// Static aircraft in the simulator (active or being removed); the count the panel shows.
// With the flag the panel's counters and mean parked time are refreshed too.
std::int32_t gf_countStaticParked(bool withMean);
// The park airport's park file was read (leaving the airport then restores its settings and
// saves its learned file) / it has stands.
bool gf_parkFileLoaded();
// Marks the park file read or not; the renewal countdown beside the controls follows it.
void gf_setParkFileLoaded(bool loaded);
bool gf_parkAirportHasStands();

void lf_userAcAirportInSight(const LatLon& user);
void lf_checkParkAirportInSight(const LatLon& user);
bool lf_setParkAirport(const std::string& icao);
// Loads the park airport's stands; the status text, empty when fine.
std::string lf_readParkedFile();
void lf_resetParkAirport();
void lf_saveLearnedApf();
// The callsign a static aircraft carries: a trailing "_" dropped, "*" appended.
std::string lf_staticCallsign(const std::string& callsign);
