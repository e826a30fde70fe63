// How the simulated day's checks find the program's records: an aircraft by its transponder
// address, and whether a record stands in the simulator now.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>

namespace soak {

// Created, identified and neither leaving the simulator nor being erased.
bool gf_inTheSimulator(const StaticAc& ac);

// The live record of this address that is not being erased (of two, the one in the simulator),
// or nullptr.
const LiveAc* gf_record(std::uint32_t hexid);

// The same record when it is in the simulator, else nullptr.
const LiveAc* gf_recordInTheSimulator(std::uint32_t hexid);

} // namespace soak
