// The park airports list: the user's "my_park_airports.txt" and the airports of "my_thirdparty",
// nearest first, with the stand the user reserves at each.
#pragma once

#include "core/geo.h"

#include <atomic>
#include <list>
#include <string>

struct Airport;

struct ParkAirport {
    std::string icao;
    std::string stand;  // the user's reserved stand; empty when none
    double lat = 0.0;
    double lon = 0.0;
    double distance = 0.0;  // nm from the user aircraft at the last sort
};

// Main loop thread only. The first entry is the one static parking looks at.
extern std::list<ParkAirport> g_parkAirports;
// The user's reserved stand at the loaded park airport; static parking leaves it free.
extern std::string g_reservedStand;
// A destination airport is chosen: the list keeps its order instead of following the distance.
extern std::atomic<bool> g_destinationAirportSet;

// Rebuilds the list from the file; false when it could not be read.
bool lf_readMyParkAirports();
// Checks the list against the user aircraft (re-read: read it again first, in its order at
// once); true when the message is to be shown.
bool gf_checkParkAirports(bool reread, std::string& message);
// The user's reserved stand at the park airport; empty when none.
std::string gf_reservedStandName();

// Any thread (the main window): the airport goes to the front of the list, added to the file
// when new. Applied on the main loop by gf_applyParkAirportRequests.
void gf_addParkAirport(const std::string& icao, const Airport& airport);
void gf_applyParkAirportRequests();
// Writes the first entry as a line of the file.
void gf_addToParkAirportsFile();
// Replaces the line when it names the entry's airport; true when it did.
bool lf_updateParkStand(const ParkAirport& entry, std::string& line);
// Sorts the list by distance from the user when the user has moved.
void lf_sortParkAirports(const LatLon& user);

// Main loop thread, with each new user-aircraft record: the stand the user stands at becomes
// the reserved stand of the first park airport and is written to the file.
void gf_updateReservedStand();
// Any thread (the simulator link at a new flight or disconnect): the next main-loop pass
// updates the reserved stand.
void gf_requestReservedStandUpdate();
// Runs a requested update; main loop thread.
void gf_handleReservedStandRequest();
