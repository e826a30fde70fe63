// The user aircraft: its block and the simulator second, the teleport rule,
// the simulator's UTC time, and the type, span and title the user flies.
#include "sim_link_fixture.h"

#include "app/app_steps.h"
#include "app/tick_state.h"
#include "core/geo.h"
#include "core/traffic_time.h"
#include "refdata/aircraft_db.h"
#include "simlink/sim_dispatch.h"
#include "simlink/user_aircraft.h"
#include "ui/sim_panel_state.h"

using simlinktest::SimLinkTest;
using simlinktest::steppedWorld;
using simlinktest::waitFor;

namespace {

constexpr double kNm = 1852.0;

class UserAircraftTest : public SimLinkTest {
protected:
    void SetUp() override
    {
        SimLinkTest::SetUp();
        g_largeTypes = {"A319", "A320", "B738", "CRJ7", "E190", "B38M"};
        g_heavyTypes = {"A388", "B744"};
        g_halfWingspans = {{"A319", 17.9 / kNm}, {"A320", 17.95 / kNm}, {"B738", 17.9 / kNm},
                           {"B38M", 17.95 / kNm}, {"CRJ7", 11.6 / kNm}, {"E190", 14.3 / kNm},
                           {"A388", 39.9 / kNm}, {"B744", 32.2 / kNm}};
        g_largestHalfWingspan = 39.9 / kNm;
    }

    // What the start-up wait asks for: the on-ground flag every second and one user block.
    void requestUserData()
    {
        {
            std::lock_guard lock(g_simQueueMutex);
            SimConnect_RequestDataOnSimObject(g_hSimConnect, kRequestUserOnGround, kDefinitionUserOnGround,
                                              SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND);
        }
        g_userAcData = gf_requestUserAcData();
    }
};

TEST_F(UserAircraftTest, UserObjectIdIsKeptAcrossAnInProcessRestart)
{
    connect();
    requestUserData();
    frames(1);
    ASSERT_EQ(g_userObjectId.load(), standin::kUserObjectId);
    // The restart ends the link's thread first, then resets the run.
    m_client.request_stop();
    m_client.join();
    lf_resetForRestart();
    EXPECT_EQ(g_userObjectId.load(), standin::kUserObjectId);
}

TEST_F(UserAircraftTest, UserBlockArrivesAndEverySimulatedSecondIsSignalled)
{
    connect();
    requestUserData();
    frames(1);
    EXPECT_EQ(g_userObjectId.load(), standin::kUserObjectId);
    EXPECT_FALSE(g_newSecond.load());
    int seconds = 0;
    for (int i = 0; i < 3 * standin::kFramesPerSecond; ++i) {
        frames(1);
        seconds += g_newSecond.exchange(false) ? 1 : 0;
    }
    EXPECT_EQ(seconds, 3);
    EXPECT_TRUE(g_userDataReceived.load());
    EXPECT_TRUE(g_userOnGround.load());
    const UserAcData user = gf_requestUserAcData();
    EXPECT_DOUBLE_EQ(user.latitude, 47.0);
    EXPECT_DOUBLE_EQ(user.altitude, 405.0);
    EXPECT_EQ(user.zuluYear, 2024);
    EXPECT_EQ(user.zuluDayOfYear, 60);
}

// Every field of the user block is the simulator's value of that field, none swapped.
TEST_F(UserAircraftTest, UserBlockFieldsCarryTheirOwnValues)
{
    standin::UserAircraftSetup user;
    user.latitude = 47.25;
    user.longitude = 8.75;
    user.onGround = false;
    user.altitudeFt = 3000.0;
    user.headingDeg = 90.0;
    user.pitchDeg = 5.0;
    user.bankDeg = -20.0;
    user.groundSpeedKt = 180.0;
    user.lightStates = 0x25;
    connect();
    world().moveUser(user);
    requestUserData();
    frames(2);
    const UserAcData data = gf_requestUserAcData();
    constexpr double kDeg = 3.14159265358979323846 / 180.0;
    EXPECT_NEAR(data.latitude, 47.25, 1e-3);
    EXPECT_NEAR(data.longitude, 8.75, 1e-2);
    EXPECT_NEAR(data.heading, 90.0 * kDeg, 1e-6);
    EXPECT_NEAR(data.pitch, 5.0 * kDeg, 1e-6);
    EXPECT_NEAR(data.bank, -20.0 * kDeg, 1e-6);
    EXPECT_NEAR(data.altitude, 3000.0, 1.0);
    EXPECT_NEAR(data.altitudeAboveGround, 3000.0 - steppedWorld().terrainElevationFt, 1.0);
    EXPECT_NEAR(data.groundSpeed, 180.0, 1e-6);
    EXPECT_EQ(data.lightStates, 0x25);
}

TEST_F(UserAircraftTest, SecondsBeforeThePositionIsKnownDoNotCountAsDataReceived)
{
    connect();
    {
        std::lock_guard lock(g_simQueueMutex);
        SimConnect_RequestDataOnSimObject(g_hSimConnect, kRequestUserOnGround, kDefinitionUserOnGround,
                                          SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND);
    }
    frames(standin::kFramesPerSecond);
    EXPECT_TRUE(g_newSecond.load());
    EXPECT_FALSE(g_userDataReceived.load());
}

TEST_F(UserAircraftTest, NegativeAltitudeIsStoredAsZero)
{
    auto config = simlinktest::steppedWorld();
    config.terrainElevationFt = -17.0; // a field below sea level: 12 ft below with the static CG
    world().configure(config);
    connect();
    gf_requestUserAcData();
    frames(1);
    EXPECT_DOUBLE_EQ(gf_requestUserAcData().altitude, 0.0);
}

TEST_F(UserAircraftTest, JumpOfMoreThanTenMilesIsATeleport)
{
    connect();
    gf_requestUserAcData();
    frames(1);
    world().teleportUser(47.0 + 9.0 / 60.0, 8.0); // 9 nm
    gf_requestUserAcData();
    frames(1);
    EXPECT_FALSE(g_stopRequested.load());
    world().teleportUser(47.0 + 19.5 / 60.0, 8.0); // 10.5 nm further
    gf_requestUserAcData();
    frames(1);
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::NewFlight);
    EXPECT_TRUE(m_log.contains("Teleport"));
}

// A reply at 0/0 (no position yet, as while a flight loads) is no jump, neither to it nor back.
TEST_F(UserAircraftTest, ReplyWithoutAPositionIsNoTeleport)
{
    connect();
    gf_requestUserAcData();
    frames(1);
    for (const LatLon place : {LatLon{0.0, 0.0}, LatLon{47.0, 8.0}}) {
        world().teleportUser(place.lat, place.lon);
        gf_requestUserAcData();
        frames(1);
    }
    EXPECT_FALSE(g_stopRequested.load());
    EXPECT_FALSE(m_log.contains("Teleport"));
}

TEST_F(UserAircraftTest, SimulatorTimeBecomesEpochSecondsForTheProfessionalEdition)
{
    struct Case {
        std::int64_t day, year, second, epoch;
    };
    for (const auto& [day, year, second, epoch] :
         {Case{1, 1970, 0, 0}, Case{60, 2024, 43200, 1709208000}, Case{366, 2024, 86399, 1735689599}}) {
        EXPECT_EQ(gf_zuluEpochSeconds(day, year, second), epoch) << year << "/" << day;
    }
    g_rtEditionProf.store(true);
    connect();
    gf_requestUserAcData();
    frames(1);
    EXPECT_EQ(g_simEpochTime.load(), 1709208000);
}

TEST_F(UserAircraftTest, TitleAndModelArriveFromTheSimulator)
{
    auto config = simlinktest::steppedWorld();
    config.user.title = "Airbus A320 Neo Skyweaver Airways with a very long livery name";
    config.user.atcModel = "$$:A320";
    world().configure(config);
    connect();
    gf_requestUserAcTitleModel();
    frames(1);
    EXPECT_EQ(gf_panelUserTitle(), "Airbus A320 Neo Skyweaver Airways with a very lo");
    EXPECT_TRUE(m_log.contains("          SimConnect: User aircraft title: Airbus A320 Neo Skyweaver Airways with a very lo"));
    EXPECT_TRUE(m_log.contains("          model raw: $$:A320"));
    EXPECT_TRUE(m_log.contains(
        "          SimConnect: User aircraft model: A320, half wing span: 17.9 meter, category: Large"));
    EXPECT_DOUBLE_EQ(g_userHalfSpan.load(), 17.95 / kNm);
}

TEST_F(UserAircraftTest, ModelRulesGiveTypeAndSpan)
{
    struct Case {
        const char* title;
        const char* model;
        const char* logLine;
        double halfSpanMeters;
        bool typeKnown;
    };
    const Case cases[] = {
        {"Boeing 737-800 DG 737-800 KLM", "737",
         "SimConnect: User aircraft model: B738, half wing span: 17.9 meter, category: Large", 17.9, true},
        // A type without a span of its own or of its category takes the largest.
        {"PMDG", "A350-900", "SimConnect: User aircraft model: A359", 39.9, false},
        {"iFly", "ATCCOM.AC_MODEL_B38M.0.text",
         "SimConnect: User aircraft model: B38M, half wing span: 17.9 meter, category: Large", 17.95, true},
        // A deduced type leaves the type flag as it was.
        {"Aerosoft A319 CFM", "A319-100X", "SimConnect: User aircraft model deduced from title: A319", 17.9, false},
        {"Some Glider", "GLIDER", "SimConnect: User aircraft model: GLIDER", 39.9, false},
        {"Drone", "camerapod", "SimConnect: User aircraft model: camerapod", 14.3, true},
        {"Queen of the skies", "B744",
         "SimConnect: User aircraft model: B744, half wing span: 32.2 meter, category: Heavy", 32.2, true},
    };
    for (const auto& [title, model, logLine, halfSpanMeters, typeKnown] : cases) {
        lf_onUserAcTitle(title);
        g_panelUserTypeKnown.store(false);
        lf_onUserAcModel(model);
        EXPECT_TRUE(m_log.contains(std::string(10, ' ') + logLine)) << model;
        EXPECT_NEAR(g_userHalfSpan.load() * kNm, halfSpanMeters, 1e-9) << model;
        EXPECT_EQ(g_panelUserTypeKnown.load(), typeKnown) << model;
    }
    EXPECT_TRUE(m_log.contains("User aircraft wing span unknown, max is taken instead, please report in my Forum!"));
}

TEST_F(UserAircraftTest, MissingModelTakesTheCrj7)
{
    lf_onUserAcModel("");
    EXPECT_EQ(gf_panelUserTitle(), "Unknown (encrypted?) aircraft");
    EXPECT_EQ(gf_statusLineText().message,
              "171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead");
    EXPECT_DOUBLE_EQ(g_userHalfSpan.load(), 11.6 / kNm);
}

TEST_F(UserAircraftTest, TitleIsCutBetweenCharacters)
{
    const std::string title = std::string(46, 'A') + "\xC3\xA9\xC3\xA9\xC3\xA9"; // 46 + 3 two-byte characters
    lf_onUserAcTitle(title);
    EXPECT_EQ(gf_panelUserTitle(), std::string(46, 'A') + "\xC3\xA9\xC3\xA9");
    lf_onUserAcTitle("");
    EXPECT_TRUE(m_log.contains("! Title of your aircraft is empty?"));
}

} // namespace
