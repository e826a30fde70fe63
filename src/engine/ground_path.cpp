// Ground paths: quadratic Bezier curves with the start at the origin and offsets in metres,
// and midpoint samples inserted into the stream.
#include "engine/ground_path.h"

#include "engine/air_angles.h"

#include <cmath>

namespace {

enum PathIndex : std::size_t { kOriginLat, kOriginLon, kT0, kEndNorth, kEndEast, kT1, kControlEast, kControlNorth };

constexpr double kMetersPerNm = 1852.0;

double lf_cosLatitude(double latitudeDeg)
{
    return std::cos((latitudeDeg > 180.0 ? latitudeDeg - 360.0 : latitudeDeg) * kDegToRad);
}

LatLon lf_position(const PosSample& s)
{
    return {s.latitude, s.longitude};
}

} // namespace

bool gf_groundPathSet(const LiveAc& ac)
{
    return !std::isnan(ac.groundPath[kControlEast]) && !std::isnan(ac.groundPath[kControlNorth]);
}

bool lf_evalBezier(const LiveAc& ac, double t, LatLon& position, double& heading)
{
    const auto& p = ac.groundPath;
    if (!gf_groundPathSet(ac) || !(t >= p[kT0] && t <= p[kT1])) {
        return false;
    }
    const double u = (t - p[kT0]) / (p[kT1] - p[kT0]);
    if (!(u >= 0.0 && u <= 1.0)) {
        return false;
    }
    const double north = 2.0 * (1.0 - u) * u * p[kControlNorth] + u * u * p[kEndNorth];
    const double east = 2.0 * (1.0 - u) * u * p[kControlEast] + u * u * p[kEndEast];
    const double dNorth = 2.0 * (1.0 - u) * p[kControlNorth] + 2.0 * u * (p[kEndNorth] - p[kControlNorth]);
    const double dEast = 2.0 * (1.0 - u) * p[kControlEast] + 2.0 * u * (p[kEndEast] - p[kControlEast]);
    heading = gf_wrapHeading(std::atan2(dEast, dNorth));
    position.lat = north / kMetersPerDegree + p[kOriginLat];
    position.lon = gf_wrapLongitude(east / (lf_cosLatitude(p[kOriginLat]) * kMetersPerDegree) + p[kOriginLon]);
    return true;
}

void lf_setBezierPath(LiveAc& ac)
{
    const PosSample& control = ac.stream.at(1);
    PosSample& end = ac.stream.at(2);
    if (end.groundSpeed == 0.0) {
        end.groundSpeed = (ac.stream[0].groundSpeed + control.groundSpeed) / 2.0;
    }
    auto& p = ac.groundPath;
    p[kOriginLat] = ac.simPosition[0];
    p[kOriginLon] = ac.simPosition[1];
    p[kT0] = 0.0;
    p[kT1] = 1.0;
    const double eastScale = kMetersPerDegree * lf_cosLatitude(p[kOriginLat]);
    p[kControlNorth] = (control.latitude - p[kOriginLat]) * kMetersPerDegree;
    p[kControlEast] = gf_longitudeDelta(p[kOriginLon], control.longitude) * eastScale;
    p[kEndNorth] = (end.latitude - p[kOriginLat]) * kMetersPerDegree;
    p[kEndEast] = gf_longitudeDelta(p[kOriginLon], end.longitude) * eastScale;
    ac.curveT = 0.0;
    // The path replaces the corner.
    ac.stream.erase(ac.stream.begin() + 1);
}

void lf_insertMidpoint(LiveAc& ac)
{
    const PosSample& front = ac.stream.at(0);
    const PosSample& next = ac.stream.at(1);
    PosSample mid = front;
    mid.latitude = (front.latitude + next.latitude) / 2.0;
    mid.longitude = gf_wrapLongitude(front.longitude + gf_longitudeDelta(front.longitude, next.longitude) / 2.0);
    mid.groundSpeed = (front.groundSpeed + next.groundSpeed) / 2.0;
    mid.dueTick = static_cast<std::int32_t>(
        std::lround((static_cast<double>(front.dueTick) + static_cast<double>(next.dueTick)) / 2.0));
    const double altitude = (front.altitude + next.altitude) / 2.0;
    mid.altitude = altitude > 0.0 ? altitude : 0.0;
    mid.airborne = altitude > 0.0 ? 1 : 0;
    mid.stationary = 0;
    ac.stream.insert(ac.stream.begin() + 1, mid);
}

void lf_maybeInsertMidpoint(LiveAc& ac)
{
    const PosSample& front = ac.stream.at(0);
    const PosSample& next = ac.stream.at(1);
    if (!(front.groundSpeed > 0.0 || next.groundSpeed > 0.0) || std::abs(front.groundSpeed - next.groundSpeed) <= 5.0) {
        return;
    }
    if (gf_distanceNm(lf_position(front), lf_position(next)) * kMetersPerNm >= 100.0) {
        lf_insertMidpoint(ac);
    }
}
