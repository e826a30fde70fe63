// The quadratic Bezier path that rounds corners on the ground, and the midpoint samples
// that smooth speed changes between two samples.
#pragma once

#include "core/geo.h"
#include "engine/aircraft_records.h"

// Metres per degree of latitude, as the ground path measures its offsets.
inline constexpr double kMetersPerDegree = 111132.95;

// A ground path is set while its control point is a number.
bool gf_groundPathSet(const LiveAc& ac);
// The point and heading (radians, [0, 2 pi)) of the aircraft's ground path at parameter t;
// false when no path is set or t lies outside it.
bool lf_evalBezier(const LiveAc& ac, double t, LatLon& position, double& heading);
// Rounds the corner at the next sample: a path from the simulator position with the next
// sample as control point to the sample after it, which then becomes next.
void lf_setBezierPath(LiveAc& ac);
// Inserts a sample halfway between the front and the next sample.
void lf_insertMidpoint(LiveAc& ac);
// Inserts the midpoint when speeds change by more than 5 kt over 100 m or more.
void lf_maybeInsertMidpoint(LiveAc& ac);
