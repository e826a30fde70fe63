// Great-circle distance, bearing and destination on a spherical Earth of
// radius 10800/pi nautical miles (one minute of arc is one nautical mile).
#pragma once

// A position in degrees, north and east positive.
struct LatLon {
    double lat = 0;
    double lon = 0;
};

inline constexpr double kFeetPerNm = 6076.11549;
inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kRadToDeg = 57.29577951308232;

// Haversine distance in nautical miles.
double gf_distanceNm(const LatLon& a, const LatLon& b);
// Initial great-circle bearing in radians, 0 to less than 2 pi, clockwise from true north.
double gf_bearingRad(const LatLon& from, const LatLon& to);
// The point reached from start along the bearing (radians) after the distance in feet.
LatLon gf_destinationPoint(const LatLon& start, double bearingRad, double distanceFeet);
