#include "parking/park_airport.h"
#include "core/run_state.h"

std::string g_parkAirport;
std::string g_parkAirportIata;
std::atomic<bool> g_parkAirportSet{false};
std::atomic<double> g_parkAirportLat{0.0};
std::atomic<double> g_parkAirportLon{0.0};
std::atomic<double> g_parkAirportElevation{0.0};

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_parkAirport, g_parkAirportIata, g_parkAirportSet, g_parkAirportLat,
              g_parkAirportLon, g_parkAirportElevation),
};

} // namespace
