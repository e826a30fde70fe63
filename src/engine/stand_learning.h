// Stands learned from live traffic.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>

// Records the aircraft's stay on its stand as a learned option of the given kind.
void lf_addRealStandOption(LiveAc& ac, std::int32_t kind);
// The callsign pair of a learned option matching the aircraft at this week time.
void gf_findLearnedStand(std::uint64_t weekTime, LiveAc& ac);
