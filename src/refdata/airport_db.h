// The airport database: every airport the traffic source knows, loaded once from
// "input/airports.enc", sorted by ICAO code and read-only afterwards.
#pragma once

#include "core/geo.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

struct Airport {
    std::string code;  // ICAO code, the key
    std::string iata;  // may be empty
    double lat = 0.0;  // degrees
    double lon = 0.0;  // degrees
    double alt = 0.0;  // elevation, feet
    std::int32_t stands = 0;
};

// Sorted by code (byte order).
extern std::vector<Airport> g_airports;
extern std::unordered_set<std::string> g_airportCodes;
// The table has been read in this process; later start-ups keep it.
extern bool g_airportsLoaded;

std::filesystem::path gf_airportsEncPath();
std::filesystem::path gf_airportsXmlPath();

// Loads the table once per process; true when it is not empty. An unreadable or malformed
// file raises vtx::UserErrorException code 88; a failed decryption is logged and rethrown.
bool gf_readAirports();
// Decrypts and loads the file into the table, whether or not it was loaded before; the same
// faults as gf_readAirports.
void lf_readAirportsFile();

bool gf_isKnownAirport(std::string_view code);
// The first airport with the code, in table order; nullptr when there is none.
const Airport* gf_findAirport(std::string_view code);
// "EDDF (FRA)"; the code alone without an IATA code; "?" for an empty code.
std::string gf_airportLabel(const Airport& airport);

// The airport within 5 nm closest to the position; when a farther one was displaced as
// best, the one of the two with the nearer stand. nullptr when none is within 5 nm. While the
// park files of the two are still being fetched the choice is undecided (nullptr, `undecided`
// set): ask again on a later pass.
const Airport* gf_findClosestAirport(const LatLon& position, bool& undecided);
