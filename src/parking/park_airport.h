// The park airport: the airport whose stands are loaded, as other threads see it.
#pragma once

#include <atomic>
#include <string>

// ICAO and IATA codes of the park airport; empty while none is set (main loop thread only).
extern std::string g_parkAirport;
extern std::string g_parkAirportIata;

// Its position in degrees, published for the Traffic Reader: valid while g_parkAirportSet
// is set, which is raised after the position is written and cleared before it changes.
extern std::atomic<bool> g_parkAirportSet;
extern std::atomic<double> g_parkAirportLat;
extern std::atomic<double> g_parkAirportLon;
// Its elevation in feet (0.0 while none is set): the ground of an approach and the flare.
extern std::atomic<double> g_parkAirportElevation;
