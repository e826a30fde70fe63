#include "app/tick_state.h"
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/category_tables.h"
#include "parking/park_airport.h"
#include "parking/stand.h"
#include "traffic/reader_lights.h"
#include "traffic/traffic_record.h"
#include "refdata/aircraft_db.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace testsupport;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

struct SmallDatabase : ::testing::Test {
    void SetUp() override
    {
        writeEncryptedInput(folder.path(), "dbase.enc", smallDbase().text());
        ASSERT_TRUE(gf_readDbase());
    }
    TempFolder folder{true};
    LogCapture log;
};

AcIdent lf_ident(const std::string& type)
{
    AcIdent id;
    id.airline = "DLH";
    id.type = type;
    id.origin = "EDDF";
    id.destination = "LOWW";
    id.callsign = "DLH4AB";
    id.registration = "D-AIPA";
    return id;
}

bool lf_isEither(double value, double base, double percent)
{
    const double delta = base * percent / 100.0;
    return std::abs(value - (base + delta)) < 1e-12 || std::abs(value - (base - delta)) < 1e-12;
}

} // namespace

TEST_F(SmallDatabase, AcDataTakesTypeDataFromTheDatabase)
{
    const AircraftData heavy = gf_makeAcData(lf_ident("B744"));
    EXPECT_EQ(heavy.callsign, "DLH4AB");
    EXPECT_EQ(heavy.registration, "D-AIPA");
    EXPECT_EQ(heavy.destination, "LOWW");
    EXPECT_EQ(heavy.category, Category::Heavy);
    EXPECT_DOUBLE_EQ(heavy.halfSpan, 64.44 / 2 / 1852);
    EXPECT_EQ(heavy.ticksA, 450u);
    EXPECT_EQ(heavy.ticksC, 250u);
    EXPECT_DOUBLE_EQ(heavy.turnRateBase, 0.05 * kDeg);
    EXPECT_TRUE(lf_isEither(heavy.rotationPitch, -5.0 * kDeg, 2.5)) << heavy.rotationPitch;
    EXPECT_TRUE(lf_isEither(heavy.climbPitch, -12.5 * kDeg, 5.0)) << heavy.climbPitch;
    EXPECT_EQ(heavy.hexid, 0u);
    EXPECT_EQ(heavy.staticCg, 0.0);
    EXPECT_TRUE(heavy.livery.empty());
}

TEST_F(SmallDatabase, UnknownTypeIsLightWithTheLightAverageSpan)
{
    const AircraftData unknown = gf_makeAcData(lf_ident("ZZZZ"));
    EXPECT_EQ(unknown.category, Category::Light);
    EXPECT_DOUBLE_EQ(unknown.halfSpan, 11.0 / 2 / 1852);
    EXPECT_EQ(unknown.ticksA, 250u);
}

TEST_F(SmallDatabase, EveryCategoryBuildsWithoutThrowing)
{
    for (const char* type : {"C172", "H25B", "A320", "B744", "F16", "EC35"}) {
        EXPECT_NO_THROW(gf_makeAcData(lf_ident(type))) << type;
    }
}

TEST_F(SmallDatabase, LiveAcIsBornWithItsFirstSample)
{
    AircraftData data = gf_makeAcData(lf_ident("A320"));
    data.hexid = 4012345;
    PosSample first;
    first.latitude = 50.03;
    first.altitude = 3000;
    first.dueTick = 3100;
    const LiveAc ac = lf_makeLiveAc(data, first, 1765000000.5);
    EXPECT_EQ(ac.hexid, 4012345u);
    EXPECT_EQ(ac.category, Category::Large);
    ASSERT_EQ(ac.stream.size(), 1u);
    EXPECT_EQ(ac.stream.front().dueTick, 3100);
    EXPECT_EQ(ac.lastSampleTime, 1765000000.5);
    EXPECT_EQ(ac.flightPhase, FlightPhase::birth);
    EXPECT_EQ(ac.previousPhase, FlightPhase::birth);
    EXPECT_EQ(ac.simState, SimState::buffer);
    EXPECT_EQ(ac.throttleIndex, 5u);
    EXPECT_EQ(ac.flapsIndex, 4u);
    EXPECT_EQ(ac.timers, (std::array<std::int32_t, 2>{1000, 1000}));
    EXPECT_EQ(ac.agl, 2500.0);
    EXPECT_EQ(ac.objectId, 0u);
    EXPECT_EQ(ac.simPosition, (std::array<double, 8>{}));
    EXPECT_FALSE(ac.savedHeading);
}

TEST_F(SmallDatabase, StaticAcWaitsInTheBuffer)
{
    AircraftData data = gf_makeAcData(lf_ident("B738"));
    data.hexid = 17;
    const StaticAc ac = gf_makeStaticAc(data);
    EXPECT_EQ(ac.hexid, 17u);
    EXPECT_EQ(ac.type, "B738");
    EXPECT_EQ(ac.simState, SimState::buffer);
    EXPECT_EQ(ac.throttleIndex, 5u);
    EXPECT_EQ(ac.flapsIndex, 4u);
    EXPECT_EQ(ac.standId, 0);
}

TEST(AcContainers, ClearEmptiesEverythingAndKeepsTheReservations)
{
    gf_reserveAcContainers();
    EXPECT_GE(g_liveAcs.capacity(), 512u);
    EXPECT_GE(g_staticAcs.capacity(), 256u);
    EXPECT_GE(g_stands.capacity(), 512u);
    g_parkAirport = "EDDF";
    g_parkAirportIata = "FRA";
    g_parkAirportLat = 50.03;
    g_parkAirportElevation = 364.0;
    g_parkAirportSet = true;
    g_liveAcs.emplace_back();
    g_staticAcs.emplace_back();
    g_spawnList.push_back(4711);
    g_removalQueue.push_back(12);
    g_ghostList.push_back("DLH4AB_");
    g_addingStack.live.push_back(CreateRequest{{}, "DLH4AB", "Airbus A320 Lufthansa", 4012345});
    g_addingStack.statics.push_back(CreateRequest{{}, "AUA1*", "Airbus A320 Austrian", 12});
    g_simResults.push_back(SimResult{});
    g_trafficQueue.emplace_back();
    g_currentQnh = 998;
    g_weekTime = (std::uint64_t{21} << 32) | 3;
    gf_clearAcContainers();
    EXPECT_TRUE(g_liveAcs.empty());
    EXPECT_TRUE(g_staticAcs.empty());
    EXPECT_TRUE(g_spawnList.empty());
    EXPECT_TRUE(g_removalQueue.empty());
    EXPECT_TRUE(g_ghostList.empty());
    EXPECT_TRUE(g_addingStack.live.empty());
    EXPECT_TRUE(g_addingStack.statics.empty());
    EXPECT_TRUE(g_simResults.empty());
    EXPECT_TRUE(g_trafficQueue.empty());
    EXPECT_EQ(g_currentQnh.load(), 1013);
    EXPECT_EQ(g_weekTime.load(), 0u);
    EXPECT_TRUE(g_parkAirport.empty());
    EXPECT_TRUE(g_parkAirportIata.empty());
    EXPECT_FALSE(g_parkAirportSet.load());
    EXPECT_EQ(g_parkAirportLat.load(), 0.0);
    EXPECT_EQ(g_parkAirportElevation.load(), 0.0);
    EXPECT_GE(g_liveAcs.capacity(), 512u);
    EXPECT_GE(g_staticAcs.capacity(), 256u);
    EXPECT_GE(g_stands.capacity(), 512u);
}
