// Angles and coordinates kept in range: headings in [0, 2 pi), differences in [-pi, pi],
// longitudes in [-180, 180) so that nothing flies the long way round the antimeridian.
#pragma once

#include <cmath>
#include <numbers>

inline constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A heading in radians brought into [0, 2 pi); a value within 1e-12 of 2 pi becomes 0.
inline double gf_wrapHeading(double rad)
{
    double h = std::fmod(rad, kTwoPi);
    if (h < 0.0) {
        h += kTwoPi;
    }
    return (h >= kTwoPi - 1e-12) ? 0.0 : h;
}

// An angle difference in radians brought into [-pi, pi].
inline double gf_wrapPi(double rad)
{
    return std::remainder(rad, kTwoPi);
}

// A longitude in degrees brought into [-180, 180).
inline double gf_wrapLongitude(double deg)
{
    double lon = std::fmod(deg + 180.0, 360.0);
    if (lon < 0.0) {
        lon += 360.0;
    }
    lon -= 180.0;
    return lon < 180.0 ? lon : -180.0;
}

// The longitude change in degrees from a to b, the short way round.
inline double gf_longitudeDelta(double fromDeg, double toDeg)
{
    return std::remainder(toDeg - fromDeg, 360.0);
}
