// The stands of the current park airport and the observed uses of each stand.
#pragma once

#include "core/geo.h"
#include "core/half_hours.h"

#include <cstdint>
#include <string>
#include <vector>

// One observed use of a stand (a park file's "opt" element).
struct ParkOpt {
    std::string airl;
    std::string type;
    std::string reg;
    std::string cs;
    std::string cs2;
    HalfHourBitset hh;
    std::uint32_t seq = 0;      // 1-based within its stand; 0: neither written nor counted
    std::uint32_t day = 0;      // 1..7, Sunday 7
    std::uint32_t archived = 0; // 1: from the reference file, 0: learned here
    std::uint32_t real = 1;     // 1: observed, 0: soft
    bool cpl = false;           // a completed stay: never extended again
};

// Two options record the same use when they match in day, kind, aircraft and share a half hour.
bool gf_sameUse(const ParkOpt& a, const ParkOpt& b);

// Latitude, longitude and heading (radians, true) of a stand as the constructor takes them.
struct StandPlace {
    double latitude;
    double longitude;
    double heading;
};

// One stand (a park file's "parkpos" element). Radius is held in nautical miles.
struct Stand {
    Stand(std::string&& standId, std::vector<ParkOpt>&& standOptions, const StandPlace& place, double radiusMeters,
          bool isCargo, bool isRamp, bool isHeli);

    std::vector<ParkOpt> options;
    std::string id;
    std::vector<std::uint32_t> neighbours;
    double latitude;
    double longitude;
    double heading;
    double radius;
    std::int32_t number = 0;
    bool manual = false;
    bool radius_change = false;
    bool cargo_change = false;
    bool selected = false;
    // The live aircraft (its hexid) that chose the stand and has not left it; 0 when free.
    std::uint32_t holder = 0;
    bool keepFree = false;
    bool neighbourTaken = false;
    bool cargo;
    bool ramp;
    bool heli;
};

inline constexpr double kNmPerMeter = 0.0005399568034557236;
inline constexpr double kMetersPerNm = 1852.0;

// The stands of the current park airport, sorted by stand number; main loop thread only.
extern std::vector<Stand> g_stands;

void gf_clearParkPositions();

// Numbers the options of every stand 1, 2, ... in order, which also ends a planning's refusals.
void gf_renumberStandOptions();

// Numbers the stands 1..n in vector order and lists, for each stand, the stands whose circle
// overlaps its own (sum of radii above 1.1 times their distance).
void gf_numberStandsAndFindNeighbours(std::vector<Stand>& stands);
