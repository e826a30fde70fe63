// The simulated simulator's scenario file and trace CSV.
#include "simworld_test_client.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

using simworldtest::TestClient;
using standin::SimWorld;
using standin::SimWorldConfig;

namespace {

TEST(SimWorldScenario, ReadsEverySettingOfARun)
{
    testsupport::TempFolder folder;
    testsupport::writeFile(folder / "scenario.txt",
                           "# user parked at the gate\n"
                           "simulator = 2024\n"
                           "clock = stepped\n"
                           "installed_title = Airbus A320 Skyweaver Air\n"
                           "installed_title = Boeing 737-800 Demo\n"
                           "terrain_elevation_ft = 1416\n"
                           "create_delay_frames = 4   # a slow simulator\n"
                           "utc_start = 2024-07-01T06:30:00Z\n"
                           "user_lat = 47.4581\n"
                           "user_lon = 8.5555\n"
                           "user_heading_deg = 280\n"
                           "user_on_ground = 1\n"
                           "user_title = Simulated Airliner Swiss\n"
                           "user_atc_model = $$:A20N\n");
    SimWorldConfig config;
    std::string error;
    ASSERT_TRUE(SimWorld::loadScenario(folder / "scenario.txt", config, error)) << error;
    EXPECT_EQ(config.applicationName, "SunRise");
    EXPECT_EQ(config.versionMajor, 12u);
    EXPECT_EQ(config.clock, standin::SimClock::Stepped);
    EXPECT_EQ(config.installedTitles.size(), 2u);
    EXPECT_EQ(config.terrainElevationFt, 1416.0);
    EXPECT_EQ(config.createDelayFrames, 4);
    EXPECT_EQ(config.startUtcSeconds, 1719815400);
    EXPECT_EQ(config.user.headingDeg, 280.0);
    EXPECT_EQ(config.user.atcModel, "$$:A20N");
}

TEST(SimWorldScenario, NamesTheLineOfABadSetting)
{
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"user_lat = north", "line 2: not a number: 'north'"},
        {"simulator = 2004", "line 2: simulator is 2020 or 2024"},
        {"wind = 270/15", "line 2: unknown setting 'wind'"},
        {"utc_start = 2024-02-30T12:00:00", "line 2: no such UTC time"},
        {"application = KittyHawk", "line 2: not a name and four version numbers"},
    };
    testsupport::TempFolder folder;
    for (const auto& [line, message] : cases) {
        testsupport::writeFile(folder / "bad.txt", std::string("clock = stepped\n") + line + "\n");
        SimWorldConfig config;
        config.terrainElevationFt = 12.0;
        std::string error;
        EXPECT_FALSE(SimWorld::loadScenario(folder / "bad.txt", config, error)) << line;
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(config.terrainElevationFt, 12.0) << "a bad file leaves the configuration alone";
    }
}

TEST(SimWorldScenario, MissingScenarioIsReported)
{
    SimWorldConfig config;
    std::string error;
    EXPECT_FALSE(SimWorld::loadScenario("/nonexistent/scenario.txt", config, error));
    EXPECT_NE(error.find("cannot read scenario"), std::string::npos);
}

TEST(SimWorldTrace, WritesOneRowPerObjectPerSimulatedSecond)
{
    testsupport::TempFolder folder;
    SimWorld::instance().configure(simworldtest::steppedWorld());
    SimWorld::instance().setTracePath(folder / "trace.csv");
    TestClient client;
    client.open();
    SIMCONNECT_DATA_INITPOSITION position{47.001, 8.001, 0.0, 0.0, 0.0, 90.0, 1, 0};
    SimConnect_AICreateNonATCAircraft(client.handle, "Airbus A320 Skyweaver Air", "SWR12", position, 104);
    SimWorld::instance().stepSeconds(2);
    SimWorld::instance().setTracePath({});
    EXPECT_EQ(testsupport::readFile(folder / "trace.csv"),
              "time,id,title,tail,lat,lon,alt,heading,on_ground\n"
              "1,1,Simulated Airliner,USER,47.000000,8.000000,405.0,0.0,1\n"
              "1,3,Airbus A320 Skyweaver Air,SWR12,47.001000,8.001000,407.0,90.0,1\n"
              "2,1,Simulated Airliner,USER,47.000000,8.000000,405.0,0.0,1\n"
              "2,3,Airbus A320 Skyweaver Air,SWR12,47.001000,8.001000,407.0,90.0,1\n");
}

} // namespace
