#include "parking/apf.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kDegreesPerMeterLatitude = 1.0 / 1852.0 / 60.0;

Stand standAt(const char* id, double northMeters, double radiusMeters)
{
    return Stand(id, {}, {50.0 + northMeters * kDegreesPerMeterLatitude, 8.0, 0.0}, radiusMeters, false, false, false);
}

ParkOpt option(std::uint32_t day, std::uint32_t real, std::uint64_t hours, std::uint32_t seq = 1)
{
    ParkOpt o;
    o.day = day;
    o.real = real;
    o.hh = HalfHourBitset(hours);
    o.seq = seq;
    return o;
}

} // namespace

TEST(Stands, OverlappingCirclesBecomeNeighbours)
{
    std::vector<Stand> stands;
    stands.push_back(standAt("A", 0, 20));
    stands.push_back(standAt("B", 30, 20));  // 40 > 1.1 * 30: neighbours of A
    stands.push_back(standAt("C", 70, 20));  // 40 m from B: 40 < 44, not neighbours
    stands.push_back(standAt("D", -10, 0));  // no radius, but inside A's circle
    gf_numberStandsAndFindNeighbours(stands);
    EXPECT_EQ(stands[0].number, 1);
    EXPECT_EQ(stands[3].number, 4);
    EXPECT_EQ(stands[0].neighbours, (std::vector<std::uint32_t>{2, 4}));
    EXPECT_EQ(stands[1].neighbours, (std::vector<std::uint32_t>{1}));
    EXPECT_TRUE(stands[2].neighbours.empty());
    EXPECT_EQ(stands[3].neighbours, (std::vector<std::uint32_t>{1}));
}

TEST(Stands, NeighboursFoundAcrossALargeApron)
{
    // Stands on a line 25 m apart with radii of 20 m: each overlaps the next one only,
    // whatever order the file lists them in.
    std::vector<Stand> stands;
    for (int k : {5, 0, 3, 1, 4, 2}) {
        stands.push_back(standAt("S", 25.0 * k, 20));
    }
    gf_numberStandsAndFindNeighbours(stands);
    EXPECT_EQ(stands[1].neighbours, (std::vector<std::uint32_t>{4}));          // 0 m: next is 25 m (#4)
    EXPECT_EQ(stands[3].neighbours, (std::vector<std::uint32_t>{2, 6}));       // 25 m: 0 m and 50 m
    EXPECT_EQ(stands[0].neighbours, (std::vector<std::uint32_t>{5}));          // 125 m: 100 m
}

TEST(Stands, NeighboursSideBySideAtAnyLatitudeAndAcrossTheDateLine)
{
    // Two stands with radii of 20 m overlap up to 40 / 1.1 = 36.4 m apart.
    struct Case {
        double latitude;
        double longitude;
        double eastMeters;
        bool neighbours;
    };
    const Case cases[] = {
        {0.0, 8.0, 36.0, true},          {0.0, 8.0, 37.0, false},          {60.0, 8.0, 36.0, true},
        {60.0, 8.0, 37.0, false},        {-75.0, 8.0, 36.0, true},         {-75.0, 8.0, 37.0, false},
        {0.0, 179.9999, 22.0, true},     {50.0, -179.9999, -30.0, true},   {89.9999, 0.0, 36.0, true},
    };
    for (const Case& c : cases) {
        const double degreesEast = c.eastMeters / 1852.0 / 60.0 / std::cos(c.latitude * kDegToRad);
        const double east = std::remainder(c.longitude + degreesEast, 360.0);
        std::vector<Stand> stands;
        stands.emplace_back("W", std::vector<ParkOpt>{}, StandPlace{c.latitude, c.longitude, 0.0}, 20.0, false, false,
                            false);
        stands.emplace_back("E", std::vector<ParkOpt>{}, StandPlace{c.latitude, east, 0.0}, 20.0, false, false, false);
        gf_numberStandsAndFindNeighbours(stands);
        EXPECT_EQ(stands[0].neighbours, c.neighbours ? std::vector<std::uint32_t>{2} : std::vector<std::uint32_t>{})
            << c.latitude << " " << c.longitude << " " << c.eastMeters;
    }
}

TEST(Stands, SameUseNeedsSharedHalfHour)
{
    ParkOpt a = option(3, 1, 0b0110);
    a.reg = "D-AIBA";
    ParkOpt b = a;
    b.hh = HalfHourBitset(0b1100);
    EXPECT_TRUE(gf_sameUse(a, b));
    b.hh = HalfHourBitset(0b1000);
    EXPECT_FALSE(gf_sameUse(a, b));
    b = a;
    b.real = 0;
    EXPECT_FALSE(gf_sameUse(a, b));
    b = a;
    b.day = 4;
    EXPECT_FALSE(gf_sameUse(a, b));
}

TEST(QualityFactors, NoOptionsGiveMinusOne)
{
    EXPECT_EQ(gf_computeQualityFactors(), (std::pair<std::int32_t, std::int32_t>{-1, -1}));
    g_stands.push_back(standAt("A", 0, 20));
    EXPECT_EQ(gf_computeQualityFactors(), (std::pair<std::int32_t, std::int32_t>{-1, -1}));
}

TEST(QualityFactors, WeighObservedAndSoftUses)
{
    // One stand with 3 real uses on 2 days covering 10 half hours, one soft use of 1 half hour,
    // one numbered 0 (not counted); a second stand without uses halves the average.
    g_stands.push_back(standAt("A", 0, 20));
    g_stands.push_back(standAt("B", 100, 20));
    auto& options = g_stands[0].options;
    options = {option(1, 1, 0b1111), option(1, 1, 0b11), option(2, 1, 0b1111), option(2, 0, 0b1),
               option(5, 0, 0xFF, 0)};
    // real: 0.3 * (60 + 10000 + 200 + 20) / 0.6 * 0.00625 = 32.1 -> 32
    // soft: 0.3 * (20 + 10000 + 100 + 2) / 0.6 * 0.00625 = 31.6 -> 32
    EXPECT_EQ(gf_computeQualityFactors(), (std::pair<std::int32_t, std::int32_t>{32, 32}));
}

TEST(QualityFactors, Text)
{
    struct Case {
        std::int32_t real, soft;
        const char* text;
    };
    const Case cases[] = {{-1, -1, "  "}, {30, 5, "30/ 5"}, {0, 0, " 0/ 0"}, {44, 100, "44/100"}, {45, 3, "45"},
                          {60, 0, "60"}};
    for (const Case& c : cases) {
        EXPECT_EQ(gf_qualityText(c.real, c.soft), c.text) << c.real << " " << c.soft;
    }
}
