// Great-circle helpers. The haversine term and the arc sine's argument are
// clamped, so rounding never turns identical or antipodal points into NaN.
#include "core/geo.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoEarthRadiiNm = 6875.493541569878;
constexpr double kRadiansPerFoot = 4.787404208238998e-8;

} // namespace

double gf_distanceNm(const LatLon& a, const LatLon& b)
{
    const double lat1 = a.lat * kDegToRad;
    const double lat2 = b.lat * kDegToRad;
    const double sinHalfDlat = std::sin((b.lat - a.lat) * kDegToRad / 2);
    const double sinHalfDlon = std::sin((b.lon - a.lon) * kDegToRad / 2);
    const double h = std::clamp(
        sinHalfDlat * sinHalfDlat + std::cos(lat1) * std::cos(lat2) * sinHalfDlon * sinHalfDlon, 0.0, 1.0);
    return std::atan2(std::sqrt(h), std::sqrt(1 - h)) * kTwoEarthRadiiNm;
}

double gf_bearingRad(const LatLon& from, const LatLon& to)
{
    const double lat1 = from.lat * kDegToRad;
    const double lat2 = to.lat * kDegToRad;
    const double dlon = (to.lon - from.lon) * kDegToRad;
    double theta = std::atan2(std::sin(dlon) * std::cos(lat2),
                              std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dlon));
    if (theta < 0) {
        theta += 2 * std::numbers::pi;
    }
    // A tiny negative angle plus 2 pi can round up to 2 pi itself.
    return theta < 2 * std::numbers::pi ? theta : 0.0;
}

LatLon gf_destinationPoint(const LatLon& start, double bearingRad, double distanceFeet)
{
    const double d = distanceFeet * kRadiansPerFoot;
    const double lat1 = start.lat * kDegToRad;
    const double lon1 = start.lon * kDegToRad;
    const double sinLat2 = std::clamp(
        std::sin(lat1) * std::cos(d) + std::cos(lat1) * std::sin(d) * std::cos(bearingRad), -1.0, 1.0);
    const double lat2 = std::asin(sinLat2);
    const double lon2 = lon1 + std::atan2(std::sin(bearingRad) * std::sin(d) * std::cos(lat1),
                                          std::cos(d) - std::sin(lat1) * sinLat2);
    return {lat2 * kRadToDeg, std::remainder(lon2, 2 * std::numbers::pi) * kRadToDeg};
}
