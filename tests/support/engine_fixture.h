// A small aircraft database, traffic records and live aircraft for engine tests and benchmarks.
#pragma once

#include "engine/aircraft_records.h"
#include "traffic/traffic_record.h"

#include <cstdint>
#include <string>

namespace testsupport {

// Known types: B738 and A320 (Large), B744 (Heavy), C172 (Light), H145 (Rotorcraft);
// registrations PH-BXA (KLM B738), D-AIBA (DLH A320, operator CLH).
void fillSmallAircraftTables();

// An airborne KLM B738 record at 52.3, 4.76, 12000 ft, 280 kt, track 90, at the given time.
TrafficRecord trafficRecord(std::uint32_t hexid, double time, const std::string& callsign = "KLM1234",
                            const std::string& type = "B738");

} // namespace testsupport
