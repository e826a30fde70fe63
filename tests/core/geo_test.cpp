#include "core/geo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr LatLon kEddf{50.0333, 8.5706};
constexpr LatLon kKjfk{40.6398, -73.7789};

} // namespace

TEST(Geo, KnownDistancesAndBearings)
{
    // Great-circle figures worked out independently on the same sphere.
    EXPECT_NEAR(gf_distanceNm(kEddf, kKjfk), 3339.78, 0.01);
    EXPECT_NEAR(gf_bearingRad(kEddf, kKjfk) * kRadToDeg, 294.386, 0.001);
    EXPECT_NEAR(gf_distanceNm({0, 0}, {0, 1}), 60.0, 1e-9);
    EXPECT_NEAR(gf_distanceNm({0, 0}, {1, 0}), 60.0, 1e-9);
    EXPECT_NEAR(gf_bearingRad({0, 0}, {1, 0}), 0.0, 1e-12);
    EXPECT_NEAR(gf_bearingRad({0, 0}, {0, -1}), 3 * std::numbers::pi / 2, 1e-12);
    EXPECT_NEAR(gf_bearingRad({0, 0}, {0, 1}), std::numbers::pi / 2, 1e-12);
}

TEST(Geo, IdenticalAndAntipodalPointsGiveNumbers)
{
    EXPECT_EQ(gf_distanceNm(kEddf, kEddf), 0.0);
    const double halfWayRound = gf_distanceNm({45, 10}, {-45, -170});
    EXPECT_FALSE(std::isnan(halfWayRound));
    EXPECT_NEAR(halfWayRound, 10800.0, 1e-6);
    const double bearing = gf_bearingRad(kEddf, kEddf);
    EXPECT_GE(bearing, 0.0);
    EXPECT_LT(bearing, 2 * std::numbers::pi);
}

TEST(Geo, DestinationPointTravelsTheDistanceAlongTheBearing)
{
    const double bearing = gf_bearingRad(kEddf, kKjfk);
    const double feet = 100.0 * kFeetPerNm;
    const LatLon end = gf_destinationPoint(kEddf, bearing, feet);
    EXPECT_NEAR(gf_distanceNm(kEddf, end), 100.0, 1e-6);
    EXPECT_NEAR(gf_bearingRad(kEddf, end), bearing, 1e-9);
    // One nautical mile north is one minute of latitude.
    const LatLon north = gf_destinationPoint({10, 20}, 0, kFeetPerNm);
    EXPECT_NEAR(north.lat, 10 + 1.0 / 60, 1e-9);
    EXPECT_NEAR(north.lon, 20, 1e-9);
}

TEST(Geo, DestinationLongitudeWrapsAcrossTheDateLine)
{
    const LatLon end = gf_destinationPoint({0, 179.9}, std::numbers::pi / 2, 12 * kFeetPerNm);
    EXPECT_NEAR(end.lon, -179.9, 1e-9);
    const LatLon pole = gf_destinationPoint({89.99, 0}, 0, 5000 * kFeetPerNm);
    EXPECT_FALSE(std::isnan(pole.lat));
    EXPECT_FALSE(std::isnan(pole.lon));
}
