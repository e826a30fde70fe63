// The periodic adjustment of static parking: a fresh plan reconciled with the static aircraft
// present, the live aircraft parked at stands and the wanted count.
#pragma once

#include "engine/aircraft_records.h"
#include "parking/static_park_plan.h"

#include <cstdint>
#include <string>
#include <vector>

struct StaticAc;

// A static aircraft to be taken out at the end of an adjustment.
struct StaticRemoval {
    std::string callsign;
    std::uint32_t stand = 0;
};

// A present static aircraft that stays, with its identity.
struct KeptStatic : AcIdent {
    std::uint64_t parkedSlot = 0;
    std::uint32_t stand = 0;
    bool switchCallsign = false;  // to be created again under its second callsign
};

// Working lists of the last adjustment (main loop thread).
extern std::vector<StaticRemoval> g_staticRemovals;
extern std::vector<KeptStatic> g_keptStatics;
void gf_clearAdjustmentLists();

void lf_keepOrReplaceStatics(const WeekTime& now);
void lf_settleStandConflict(const StaticAc& ac, std::size_t entryIndex, const WeekTime& now);
void lf_trimToWanted(std::int32_t wanted);
