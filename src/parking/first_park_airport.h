// The first entry of the park airports list, published by the main loop for the threads that
// must not touch the list itself (the automatic range of the main window).
#pragma once

#include "core/geo.h"

#include <optional>

// Main loop thread, after the list changed: publishes its first entry's position.
void gf_publishFirstParkAirport();
// Any thread: the published position; none while the list is empty.
std::optional<LatLon> gf_firstParkAirportPosition();
