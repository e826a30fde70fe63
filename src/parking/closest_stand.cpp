// Nearest stand of an airport. Until park files are read, no airport has one.
#include "parking/closest_stand.h"

double gf_readDestApfForClosestStand(const std::string& /*icao*/, const LatLon& /*position*/, std::string& standId)
{
    standId.clear();
    return 100.0;
}
