// The nearest stand of an airport, from its park file.
#pragma once

#include "core/geo.h"

#include <string>

// Distance in nautical miles from the position to the nearest stand of the airport's park
// file, with that stand's id in `standId`; 100.0 when the airport has no park file.
double gf_readDestApfForClosestStand(const std::string& icao, const LatLon& position, std::string& standId);
