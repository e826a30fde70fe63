// Live traffic around the user aircraft, ghosts, static copies and stand conflicts: which
// aircraft leaves the simulator, which is held back, and what the log says.
#include "engine/proximity_rules.h"

#include "core/geo.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/ghost_rules.h"
#include "parking/stand.h"
#include "refdata/aircraft_db.h"
#include "simlink/user_aircraft.h"
#include "support/air_traffic.h"
#include "support/engine_fixture.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include "simlink/sim_queues.h"

#include <gtest/gtest.h>

#include <deque>
#include <numbers>

using namespace testsupport;

namespace {

constexpr LatLon kUser{47.4500, 8.5600};
constexpr double kEast = std::numbers::pi / 2.0;

class ProximityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fillSmallAircraftTables();
        g_halfWingspans["B738"] = 0.0092; // 17 m
        g_userAcData.latitude = kUser.lat;
        g_userAcData.longitude = kUser.lon;
        g_userAcData.altitude = 5000.0;
        g_userAcData.altitudeAboveGround = 3000.0;
        g_userAcData.heading = kEast;
        g_userHalfSpan = 0.009;
        COLLISION_USER_GND.value = true;
        COLLISION_USER_AIR.value = true;
    }

    // An active live aircraft seen by the simulator at the position.
    static LiveAc& live(std::uint32_t objectId, const LatLon& at, double altitude = 0.0, double heading = kEast,
                        const std::string& callsign = "SWR100")
    {
        LiveAc ac = makeActiveAc(Category::Large, objectId, {makeSample({at, altitude, 200.0, 90.0, 0.0, 0, altitude > 0})});
        ac.simPosition[4] = heading;
        ac.onGround = altitude > 0 ? 0 : 1;
        ac.callsign = callsign;
        ac.type = "B738";
        ac.halfSpan = 0.009;
        g_liveAcs.push_back(std::move(ac));
        return g_liveAcs.back();
    }

    static StaticAc& parkedStatic(std::uint32_t objectId, const LatLon& at, const std::string& callsign,
                                  const std::string& registration = "")
    {
        StaticAc st;
        st.objectId = objectId;
        st.hexid = objectId;
        st.simState = SimState::active;
        st.standLat = at.lat;
        st.standLon = at.lon;
        st.callsign = callsign;
        st.registration = registration;
        st.halfSpan = 0.009;
        g_staticAcs.push_back(st);
        return g_staticAcs.back();
    }

    static LatLon east(double nm, double northFeet = 0.0)
    {
        return gf_destinationPoint(gf_destinationPoint(kUser, kEast, nm * kFeetPerNm), 0.0, northFeet);
    }

    TempFolder m_folder{true};
    LogCapture m_log;
};

} // namespace

TEST_F(ProximityTest, AirlinerFlyingAwayAheadOfTheUserIsRemovedOneHeadingTowardsItIsNot)
{
    live(31, east(3.9, 500.0), 4300.0, 3 * kEast);
    live(32, east(3.9, 500.0), 4300.0, kEast);
    // Taken after both are added: adding the second may move the first.
    const LiveAc& towards = g_liveAcs[0];
    const LiveAc& away = g_liveAcs[1];
    gf_removeAheadOfUser();
    EXPECT_EQ(towards.simState, SimState::active);
    EXPECT_EQ(away.simState, SimState::removingfromsim);
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{32});
}

TEST_F(ProximityTest, AircraftOnTheRunwayAheadOfALowUserIsRemoved)
{
    g_userAcData.altitudeAboveGround = 300.0;
    live(31, east(0.8, 30.0));
    live(32, east(0.5, 20.0));
    gf_removeAheadOfUser();
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{31}); // one per call
}

TEST_F(ProximityTest, AircraftOnTheGroundTouchingTheUserIsRemovedFirstThenAStaticOnTheUsersStand)
{
    live(31, east(0.03));
    live(32, east(0.02));
    parkedStatic(7, kUser, "DLH1*");
    gf_removeNearUser();
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{32});
    g_liveAcs.clear();
    gf_removeNearUser();
    EXPECT_EQ(g_removalQueue, (std::deque<std::uint32_t>{32, 7}));
}

TEST_F(ProximityTest, BufferedAircraftNearTheParkedUserIsHeldBackWhileTheUserMoves)
{
    g_userOnGround = true;
    LiveAc& ac = live(0, east(140.0 / 1852.0));
    ac.simState = SimState::buffer;
    ac.stream.push_back(ac.stream.front());
    ac.stream.push_back(ac.stream.front());
    for (PosSample& s : ac.stream) {
        s.groundSpeed = 0.0;
    }
    EXPECT_TRUE(lf_holdBackNearUser(ac));
    EXPECT_EQ(ac.stream.size(), 2u); // its front sample is dropped, it stays in the buffer
    EXPECT_EQ(ac.simState, SimState::buffer);
    COLLISION_USER_GND.value = false;
    g_userAcData.groundSpeed = 12.0;
    EXPECT_TRUE(lf_holdBackNearUser(ac));
    g_userAcData.groundSpeed = 0.0;
    EXPECT_FALSE(lf_holdBackNearUser(ac));
    EXPECT_EQ(ac.stream.size(), 1u);
}

TEST_F(ProximityTest, BufferedAircraftAppearingAheadOfTheFlyingUserIsHeldNotRemoved)
{
    g_userOnGround = false;
    LiveAc& ac = live(0, east(5.5, 2000.0), 7000.0);
    ac.simState = SimState::buffer;
    ac.stream.push_back(ac.stream.front());
    EXPECT_TRUE(lf_holdBackNearUser(ac));
    EXPECT_EQ(ac.heldBack, 1);
    EXPECT_EQ(ac.simState, SimState::buffer);
    EXPECT_TRUE(g_removalQueue.empty());
}

TEST_F(ProximityTest, FarthestAircraftMakesRoomOnlyWhenClearlyFarther)
{
    live(31, east(10.00), 9000.0);
    live(32, east(10.05), 9000.0);
    live(33, east(3.0), 9000.0);
    EXPECT_TRUE(gf_removeFarthestActive(12.0));
    EXPECT_FALSE(gf_removeFarthestActive(5.0));
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{31});
}

TEST_F(ProximityTest, GhostOfASpawningCallsignIsRemovedListedAndLogged)
{
    live(31, east(2.0), 9000.0, kEast, "EZY12_");
    LiveAc& parkedGhost = live(32, east(3.0), 0.0, kEast, "BAW9_");
    parkedGhost.flightPhase = FlightPhase::parked;
    lf_removeGhosts("EZY12");
    lf_removeGhosts("BAW9");
    lf_removeGhosts("DLH4");
    EXPECT_EQ(g_ghostList, (std::vector<std::string>{"EZY12_", "BAW9_"}));
    EXPECT_EQ(g_removalQueue, (std::deque<std::uint32_t>{31, 32}));
    EXPECT_TRUE(m_log.contains("          EZY12_   is a ghost and will be removed, continue with EZY12"));
    EXPECT_TRUE(m_log.contains("sid==0? : BAW9_    is a ghost and will be removed, continue with BAW9"));
    EXPECT_FALSE(lf_ghostHasOriginal("EZY12_"));
}

// One copy leaves per call: the copies of the first live aircraft in the list go first, in
// the static list's order; an airborne aircraft's copy stays, and an empty registration
// matches nothing.
TEST_F(ProximityTest, StaticCopiesOfALiveAircraftOnTheGroundLeaveOneByOne)
{
    live(31, east(2.0), 0.0, kEast, "KLM11").registration = "PH-BXA";
    live(32, east(2.1), 0.0, kEast, "DLH5").registration = "";
    live(33, east(2.2), 9000.0, kEast, "EZY7");
    parkedStatic(4, east(1.0), "DLH5*");
    parkedStatic(5, east(1.0), "AFR2*", "F-GKXA");
    parkedStatic(6, east(1.1), "KLM11*");
    parkedStatic(9, east(1.1), "EZY7*");
    parkedStatic(8, east(1.1), "DLH5");
    parkedStatic(7, east(1.2), "DLH5*", "PH-BXA");
    for (int call = 0; call < 4; ++call)
        gf_removeStaticDuplicates();
    EXPECT_EQ(g_removalQueue, (std::deque<std::uint32_t>{6, 7, 4}));
}

// A live aircraft taxiing past static aircraft pushes one out of its way each time it has
// moved: the first active static of another callsign whose stand lies within both half
// spans x 1.1 (here 0.0198 nm).
TEST_F(ProximityTest, StaticInTheWayOfATaxiingAircraftLeavesOnePerMove)
{
    struct Case {
        FlightPhase phase;
        bool rolling;
        std::deque<std::uint32_t> removed;
    };
    const Case cases[] = {{FlightPhase::taxi, false, {5, 8}},
                          {FlightPhase::parking, false, {5, 8}},
                          {FlightPhase::parked, false, {}},
                          {FlightPhase::pushed_back, false, {}},
                          {FlightPhase::taxi, true, {}}};
    for (const Case& c : cases) {
        g_liveAcs.clear();
        g_staticAcs.clear();
        g_removalQueue.clear();
        LiveAc& ac = live(31, east(1.0));
        ac.flightPhase = c.phase;
        ac.takeOffStarted = c.rolling ? 1 : 0;
        parkedStatic(6, east(1.0205), "KLM3*");  // just beyond reach
        parkedStatic(7, east(1.010), "SWR100");   // its own static copy is left to the duplicate rule
        parkedStatic(5, east(1.015), "KLM1*");
        parkedStatic(8, east(0.990), "KLM2*");
        parkedStatic(9, east(0.985), "KLM4*");
        gf_clearStaticFromTaxiPaths();
        gf_clearStaticFromTaxiPaths();  // not moved since: nothing more
        g_liveAcs.back().simPosition[1] += 1e-7;
        gf_clearStaticFromTaxiPaths();
        EXPECT_EQ(g_removalQueue, c.removed) << static_cast<int>(c.phase) << " " << c.rolling;
    }
}

TEST_F(ProximityTest, StaticCarryingTheArrivingAircraftsNamesIsRemoved)
{
    LiveAc& ac = live(31, east(2.0), 0.0, kEast, "KLM11_");
    ac.registration = "PH-BXA";
    parkedStatic(5, east(1.0), "X*").firstCallsign = "KLM11";
    parkedStatic(6, east(1.1), "Y*").altIdent = "PH-BXA";
    parkedStatic(7, east(1.2), "Z*").firstCallsign = "";
    gf_removeStaticSameAc(ac, false);
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{5});
    gf_removeStaticSameAc(ac, true);
    EXPECT_EQ(g_removalQueue, (std::deque<std::uint32_t>{5, 6}));
}

TEST_F(ProximityTest, StandClaimsFollowTheCallsignRules)
{
    struct Case {
        const char* occupant;
        FlightPhase phase;
        bool protectedStand;
        const char* newcomer;
        bool free;
        bool removed;
        const char* line;
    };
    const Case cases[] = {
        {"SWR1", FlightPhase::taxi, false, "DLH2", true, false, ""},
        {"SWR1", FlightPhase::parked, false, "SWR1", true, true,
         "A12     : SWR1     ac with same callsign SWR1 wants it, remove existing ... "},
        {"SWR1", FlightPhase::parked, false, "SWR1_", false, false, ""},
        {"SWR1_", FlightPhase::parked, false, "SWR1", true, true, "A12     : SWR1_    ghost, replace by SWR1"},
        {"SWR1_", FlightPhase::parked, false, "DLH2", true, true, "A12     : SWR1_    ghost, replace by DLH2"},
        {"SWR1", FlightPhase::parked, false, "DLH2_", false, false, ""},
        {"SWR1", FlightPhase::parked, true, "DLH2", false, false, ""},
        {"SWR1", FlightPhase::pushed_back, false, "DLH2", true, true,
         "A12     : SWR1     removed because another live DLH2 wants the stand ..."},
    };
    g_stands.emplace_back("A12", std::vector<ParkOpt>{}, StandPlace{kUser.lat, kUser.lon, 0.0}, 20.0, false, false,
                          false);
    gf_numberStandsAndFindNeighbours(g_stands);
    for (const Case& c : cases) {
        g_liveAcs.clear();
        g_removalQueue.clear();
        LiveAc& occupant = live(31, kUser, 0.0, kEast, c.occupant);
        occupant.standId = 1;
        occupant.flightPhase = c.phase;
        occupant.protectedStand = c.protectedStand;
        EXPECT_EQ(lf_freeStandFor(1, c.newcomer), c.free) << c.occupant << " " << c.newcomer;
        EXPECT_EQ(g_removalQueue.size(), c.removed ? 1u : 0u) << c.occupant << " " << c.newcomer;
        if (*c.line) {
            EXPECT_TRUE(m_log.contains(c.line)) << c.line;
        }
    }
}

TEST_F(ProximityTest, ParkedNeighbourTooCloseForTheNewcomerMakesTheStandUnclearAndLeaves)
{
    const LatLon near = gf_destinationPoint(kUser, kEast, 100.0);  // 30 m apart: B738 spans overlap
    const LatLon far = gf_destinationPoint(kUser, kEast, 300.0);   // 91 m apart
    g_stands.emplace_back("A1", std::vector<ParkOpt>{}, StandPlace{kUser.lat, kUser.lon, 0.0}, 20.0, false, false,
                          false);
    g_stands.emplace_back("A2", std::vector<ParkOpt>{}, StandPlace{near.lat, near.lon, 0.0}, 20.0, false, false, false);
    g_stands.emplace_back("A3", std::vector<ParkOpt>{}, StandPlace{far.lat, far.lon, 0.0}, 20.0, false, false, false);
    gf_numberStandsAndFindNeighbours(g_stands);
    LiveAc& occupant = live(31, kUser, 0.0, kEast, "SWR1");
    occupant.standId = 1;
    occupant.flightPhase = FlightPhase::parked;
    LiveAc newcomer = g_liveAcs.front();
    newcomer.callsign = "DLH2";
    EXPECT_FALSE(lf_adjacentStandClear(1, newcomer, g_stands[1]));
    EXPECT_TRUE(lf_adjacentStandClear(1, newcomer, g_stands[2]));
    EXPECT_TRUE(lf_adjacentStandClear(9, newcomer, g_stands[1]));
    lf_removeAdjacentColliding(1, newcomer, g_stands[2]);
    EXPECT_TRUE(g_removalQueue.empty());
    lf_removeAdjacentColliding(1, newcomer, g_stands[1]);
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{31});
    EXPECT_TRUE(m_log.contains("A1      : SWR1     removed by parking DLH2 at adjacent and possibly colliding stand A2"));
}

// One on its way in goes at once and frees its stand: its create had gone to the simulator link,
// so it is given up there and a late object is removed.
TEST_F(ProximityTest, FlushingStaticsDropsThoseOnTheirWayInAndKeepsTheRestInOrder)
{
    parkedStatic(5, east(1.0), "A*");
    StaticAc& coming = parkedStatic(0, east(1.1), "B*");
    coming.simState = SimState::adding2sim;
    coming.hexid = 6;
    parkedStatic(7, east(1.2), "C*");
    gf_removeAllStatic();
    EXPECT_EQ(g_removalQueue, (std::deque<std::uint32_t>{5, 7}));
    ASSERT_EQ(g_staticAcs.size(), 2u);
    EXPECT_EQ(g_staticAcs[0].callsign, "A*");
    EXPECT_EQ(g_staticAcs[1].callsign, "C*");
    EXPECT_EQ(g_givenUpCreates, std::vector<std::uint32_t>{6});
}

TEST_F(ProximityTest, ReservedStandIsClearedOfItsStaticOrElseItsParkedLiveAircraft)
{
    g_stands.emplace_back("B7", std::vector<ParkOpt>{}, StandPlace{kUser.lat, kUser.lon, 0.0}, 20.0, false, false,
                          false);
    gf_numberStandsAndFindNeighbours(g_stands);
    LiveAc& ac = live(31, kUser);
    ac.standId = 1;
    ac.flightPhase = FlightPhase::parked;
    parkedStatic(5, kUser, "A*").standId = 1;
    gf_clearReservedStand("B7");
    gf_clearReservedStand("B7");
    EXPECT_EQ(g_removalQueue, (std::deque<std::uint32_t>{5, 31}));
}
