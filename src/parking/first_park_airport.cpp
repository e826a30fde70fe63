// The published copy of the first park airport's position, under its own mutex.
#include "parking/first_park_airport.h"

#include "core/run_state.h"
#include "parking/park_airports.h"

#include <mutex>

namespace {

std::mutex g_firstParkAirportMutex;
std::optional<LatLon> g_firstParkAirport;

const RunStateRegistration lf_runState{
    RUN_STATE_LOCKED(RunStateArea::Engine, g_firstParkAirportMutex, g_firstParkAirport),
};

} // namespace

void gf_publishFirstParkAirport()
{
    std::optional<LatLon> first;
    if (!g_parkAirports.empty()) {
        first = LatLon{g_parkAirports.front().lat, g_parkAirports.front().lon};
    }
    const std::lock_guard lock(g_firstParkAirportMutex);
    g_firstParkAirport = first;
}

std::optional<LatLon> gf_firstParkAirportPosition()
{
    const std::lock_guard lock(g_firstParkAirportMutex);
    return g_firstParkAirport;
}
