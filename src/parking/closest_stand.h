// The nearest stand of an airport, from its park file.
#pragma once

#include "core/geo.h"

#include <optional>
#include <string>

// Distance in nautical miles from the position to the nearest stand of the airport's park
// file, with that stand's id in `standId`; 100.0 when the airport has no park file or its
// file could not be had. An archived file is fetched off the main loop thread: nothing while it
// is on its way (ask again on a later pass). Its stands are kept for later asks; a failed fetch
// is tried again after 10 minutes. A restart forgets both.
std::optional<double> gf_readDestApfForClosestStand(const std::string& icao, const LatLon& position,
                                                    std::string& standId);
