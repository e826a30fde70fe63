// One accepted traffic line, and the queue that carries it from the Traffic Reader
// to the engine's intake.
#pragma once

#include "engine/aircraft_records.h"

#include <cstddef>
#include <cstdint>
#include <deque>

// The parser fills type, origin, destination, callsign and registration of the identity;
// the engine fills the airline.
struct TrafficRecord : AcIdent {
    PosSample sample;
    double time = 0.0;         // the line's timestamp, epoch seconds
    std::uint32_t hexid = 0;   // transponder address; above 10000
};

// Records the queue holds at most: the intake takes 200 a second, so a real feed never
// comes near it, and a flood of valid lines costs a few megabytes.
inline constexpr std::size_t kTrafficQueueBound = 20000;

// Guarded by g_trafficMutex (traffic/traffic_mutex.h): the parser appends at the back while
// the loop runs, the engine handles the front record in place and removes it.
extern std::deque<TrafficRecord> g_trafficQueue;
