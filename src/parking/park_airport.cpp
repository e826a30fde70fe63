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
    gf_stateEntry("g_parkAirport", RunStateArea::Engine, g_parkAirport),
    gf_stateEntry("g_parkAirportIata", RunStateArea::Engine, g_parkAirportIata),
    gf_stateEntry("g_parkAirportSet", RunStateArea::Engine, g_parkAirportSet),
    gf_stateEntry("g_parkAirportLat", RunStateArea::Engine, g_parkAirportLat),
    gf_stateEntry("g_parkAirportLon", RunStateArea::Engine, g_parkAirportLon),
    gf_stateEntry("g_parkAirportElevation", RunStateArea::Engine, g_parkAirportElevation),
};

} // namespace
