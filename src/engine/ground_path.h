// The quadratic Bezier path that rounds corners on the ground.
#pragma once

#include "core/geo.h"
#include "engine/aircraft_records.h"

// The point and heading (radians, [0, 2 pi)) of the aircraft's ground path at parameter t;
// false when no path is set or t lies outside it.
bool lf_evalBezier(const LiveAc& ac, double t, LatLon& position, double& heading);
