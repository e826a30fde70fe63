// Stands learned from live traffic: each stay of a live aircraft on a stand of the park
// airport becomes or extends a learned use (option) of that stand, by weekday and half hour.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>
#include <string>
#include <vector>

struct ParkOpt;

// A weekday 1..7 and a half hour 0..47.
struct WeekSlot {
    std::int32_t day = 0;
    std::int32_t half = 0;
    bool operator==(const WeekSlot&) const = default;
};
WeekSlot gf_weekSlot(std::uint64_t packedWeekTime);

// Records the aircraft's stay on its stand as a learned option of the given kind:
// 0 arrived (or its owner changed), 1 born there, 2 leaving, 3 seen far from it (2 and 3
// end the stay). May set the aircraft's airline and type from the registration database.
void lf_addRealStandOption(LiveAc& ac, std::int32_t kind);

struct ParkOptAdded {
    std::uint32_t seq = 0;
    bool added = false;
};
// Appends a learned option of the one half hour of now, unless one like it exists.
ParkOptAdded gf_findParkOpt(std::vector<ParkOpt>& options, const LiveAc& ac, WeekSlot now,
                            const std::string& callsign, const std::string& reg, bool completed);
// Extends option seq up to now's half hour when the gap from last is short enough; false
// when the caller must add a new option.
bool gf_isWithinParkSlots(WeekSlot now, std::vector<ParkOpt>& options, std::uint32_t seq, WeekSlot& last,
                          const LiveAc& ac, const std::string& reg, bool completed);
// Sets the half hours in option seq; false when there is none or a half hour is invalid (logged).
bool updateOptions(std::vector<ParkOpt>& options, const std::vector<std::uint32_t>& halfHours, std::uint32_t seq);

// Gives an aircraft that reached a stand the callsign pair of a learned option that matches it.
void gf_findLearnedStand(std::uint64_t weekTime, LiveAc& ac);
