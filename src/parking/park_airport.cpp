#include "parking/park_airport.h"

std::string g_parkAirport;
std::string g_parkAirportIata;
std::atomic<bool> g_parkAirportSet{false};
std::atomic<double> g_parkAirportLat{0.0};
std::atomic<double> g_parkAirportLon{0.0};
std::atomic<double> g_parkAirportElevation{0.0};
