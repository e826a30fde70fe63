// The plan of static parked aircraft at the park airport, and its creation one by one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One planned static aircraft.
struct StaticParkEntry {
    std::int32_t stand = 0;
    std::int32_t tolerance = 0;     // half hours
    std::string airline;
    std::string type;
    std::string callsign;
    std::string callsign2;
    std::string registration;
    bool staysIntoNextHalfHour = false;
};
extern std::vector<StaticParkEntry> g_staticParkEntries;

// Turns the next planned entry into a static aircraft.
void lf_detcs();
// Keeps the number of parked aircraft within the limit, counting extra aircraft about to park.
void gf_checkMaxPark(std::int32_t extra);
