// Live aircraft from the buffer to the simulator and out again: spawn, removal by state,
// respawn, and the simulator's results with the activation wait.
#include "app/tick_state.h"
#include "core/geo.h"
#include "core/settings.h"
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "engine/stand_search.h"
#include "parking/static_park_plan.h"
#include "simlink/flight_plans.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "support/air_traffic.h"
#include "support/engine_fixture.h"
#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

using namespace testsupport;

namespace {

constexpr LatLon kZurich{47.4647, 8.5492};
constexpr std::uint32_t kObject = 37;
constexpr const char* kTitle = "Airbus A320 Swiss HB-JLT";

class LifeCycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_engineTick = 0;
        MAX_LIVE_SEL.value = 500;
    }

    // A buffered aircraft with an airborne track whose first sample is due at firstDue.
    static LiveAc& buffered(std::int32_t firstDue, int count = 4)
    {
        TrackSpec track{.start = kZurich, .trackDeg = 90.0, .count = count, .firstDueTick = firstDue};
        LiveAc ac = makeActiveAc(Category::Large, 0, makeTrack(track));
        ac.simState = SimState::buffer;
        ac.flightPhase = FlightPhase::birth;
        g_liveAcs.push_back(std::move(ac));
        return g_liveAcs.back();
    }

    static LiveAc& active(std::uint32_t objectId)
    {
        TrackSpec track{.start = kZurich};
        g_liveAcs.push_back(makeActiveAc(Category::Large, objectId, makeTrack(track)));
        return g_liveAcs.back();
    }

    static std::vector<EventItem> eventsOf(std::uint32_t event)
    {
        std::vector<EventItem> found;
        std::copy_if(g_eventQueue.begin(), g_eventQueue.end(), std::back_inserter(found),
                     [event](const EventItem& item) { return item.event == event; });
        return found;
    }

    static void drain(const SimResult& result)
    {
        gf_pushSimResult(result);
        gf_handleSimResults();
    }

    TempFolder m_folder{true};
    LogCapture m_log;
};

TEST_F(LifeCycleTest, BufferedAircraftWaitsUntilTheLeadTimeBeforeItsFirstSample)
{
    g_liveryTitleCache[0x4B1234] = kTitle;
    LiveAc& ac = buffered(1000);
    g_engineTick = 899;
    EXPECT_FALSE(updateLiveAc(ac));
    EXPECT_EQ(ac.simState, SimState::buffer);
    g_engineTick = 900;
    EXPECT_FALSE(updateLiveAc(ac));
    EXPECT_EQ(ac.simState, SimState::adding2sim);
    EXPECT_EQ(ac.flightPhase, FlightPhase::flying);
    EXPECT_EQ(ac.livery, kTitle);
    EXPECT_EQ(g_spawnList, std::vector<std::uint32_t>{0x4B1234});
}

TEST_F(LifeCycleTest, BufferedAircraftThatCannotSpawnIsRemoved)
{
    struct Case {
        const char* name;
        int samples;
        std::int32_t maxLive;
        const char* blocked;
    };
    const Case cases[] = {
        {"single sample", 1, 500, ""},
        {"no live aircraft allowed", 4, 0, ""},
        {"blocked callsign", 4, 500, "SWR123"},
    };
    for (const Case& c : cases) {
        g_liveAcs.clear();
        g_liveryTitleCache[0x4B1234] = kTitle;
        MAX_LIVE_SEL.value = c.maxLive;
        BLOCK_CALLSIGN.value = c.blocked;
        LiveAc& ac = buffered(0, c.samples);
        EXPECT_TRUE(updateLiveAc(ac)) << c.name;
        EXPECT_EQ(ac.simState, SimState::buffer) << c.name;
        EXPECT_TRUE(g_spawnList.empty()) << c.name;
    }
}

TEST_F(LifeCycleTest, LiveLimitCountsAddingAndActiveAircraftAndTakesOutOnlyAFartherOne)
{
    struct Case {
        const char* name;
        std::int32_t maxLive;
        std::size_t adding;  // on the spawn list, waiting with a request, or created and not yet active
        std::size_t nearby;  // active beside the user
        std::size_t faraway; // active about 50 nm from the user
        bool spawns;
    };
    const Case cases[] = {
        {"room left", 4, 2, 1, 0, true},
        {"one below the limit", 3, 0, 2, 0, true},
        {"adding ones fill the limit", 2, 2, 0, 0, false},
        {"active ones fill the limit", 2, 0, 2, 0, false},
        {"adding and active fill the limit", 4, 2, 2, 0, false},
        {"a farther active one makes room", 4, 2, 1, 1, true},
    };
    g_userAcData.latitude = kZurich.lat;
    g_userAcData.longitude = kZurich.lon;
    for (const Case& c : cases) {
        g_liveAcs.clear();
        g_spawnList.clear();
        g_removalQueue.clear();
        g_liveryTitleCache[0x4B1234] = kTitle;
        MAX_LIVE_SEL.value = c.maxLive;
        for (std::size_t i = 0; i < c.adding; ++i)
            active(0).simState = SimState::adding2sim;
        for (std::size_t i = 0; i < c.nearby + c.faraway; ++i) {
            LiveAc& other = active(kObject + static_cast<std::uint32_t>(i));
            other.simPosition[0] += i < c.nearby ? 0.0 : 0.8;
        }
        LiveAc& ac = buffered(0);
        EXPECT_EQ(updateLiveAc(ac), !c.spawns) << c.name;
        EXPECT_EQ(g_spawnList.size(), c.spawns ? 1u : 0u) << c.name;
        const auto takenOut = c.faraway ? std::deque<std::uint32_t>{kObject + static_cast<std::uint32_t>(c.nearby)}
                                        : std::deque<std::uint32_t>{};
        EXPECT_EQ(g_removalQueue, takenOut) << c.name;
    }
}

TEST_F(LifeCycleTest, AircraftWithOnlyARegistrationIsNotBlockedByTheEmptySetting)
{
    fillSmallAircraftTables();
    g_liveryTitleCache[0x4B1234] = kTitle;
    BLOCK_CALLSIGN.value = "";
    LiveAc& ac = buffered(0);
    ac.callsign.clear();
    ac.registration = "PH-BXA";
    EXPECT_FALSE(updateLiveAc(ac));
    EXPECT_EQ(ac.simState, SimState::adding2sim);
    EXPECT_EQ(ac.callsign, "PH-BXA");
}

TEST_F(LifeCycleTest, AircraftWithoutLiveryIsRememberedByItsKeyAndRemoved)
{
    LiveAc& ac = buffered(0);
    EXPECT_TRUE(updateLiveAc(ac));
    EXPECT_EQ(g_noLiverySet, std::unordered_set<std::string>{"SWR A320HB-JLT"});
    EXPECT_TRUE(g_spawnList.empty());
}

TEST_F(LifeCycleTest, FirstPositionHeadsFromTheFirstToTheSecondSampleWithClimbPitch)
{
    g_liveryTitleCache[0x4B1234] = kTitle;
    LiveAc& ac = buffered(0);
    ac.stream[0].verticalSpeed = 1200.0;
    updateLiveAc(ac);
    const PosSample& first = ac.stream[0];
    EXPECT_DOUBLE_EQ(ac.simPosition[0], first.latitude);
    EXPECT_DOUBLE_EQ(ac.simPosition[1], first.longitude);
    EXPECT_NEAR(ac.simPosition[2], (-3.0 - 2.0 * 2.2) * kDegToRad, 1e-12);
    EXPECT_NEAR(ac.simPosition[4], 90.0 * kDegToRad, 0.01);
    EXPECT_DOUBLE_EQ(ac.simPosition[6], 20.0); // feet per second
    EXPECT_EQ(g_standArrivals.back(), 0x4B1234u);
}

TEST_F(LifeCycleTest, RemovalFollowsTheState)
{
    LiveAc& waiting = buffered(0);
    waiting.simState = SimState::adding2sim;
    g_addingStack.live.push_back(CreateRequest{{}, "SWR123", kTitle, 0x4B1234});
    removeAircraftFromSim(waiting);
    EXPECT_TRUE(waiting.withdrawn);
    EXPECT_TRUE(g_addingStack.live.empty());

    waiting.withdrawn = 0;
    removeAircraftFromSim(waiting); // its request went to the simulator already
    EXPECT_TRUE(waiting.removeOnArrival);
    EXPECT_FALSE(waiting.withdrawn);

    LiveAc& flying = active(kObject);
    removeAircraftFromSim(flying);
    removeAircraftFromSim(flying);
    EXPECT_EQ(flying.simState, SimState::removingfromsim);
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{kObject}); // queued once only
}

TEST_F(LifeCycleTest, RespawningAircraftThatMustGoIsNotCreatedAgain)
{
    LiveAc& ac = active(kObject);
    liveryRespawn(ac);
    EXPECT_EQ(ac.simState, SimState::liveryrespawn);
    removeAircraftFromSim(ac);
    EXPECT_EQ(ac.simState, SimState::removingfromsim);
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{kObject});
    drain({kObject, 0, 0, SimResultKind::ObjectRemoved});
    EXPECT_TRUE(g_liveAcs.empty());
}

TEST_F(LifeCycleTest, ObjectRemovedBySimulatorWhileItWaitsForActivationEndsItsRecord)
{
    // A live and a static aircraft are identified; the simulator takes both objects away on
    // its own before their activation.
    LiveAc& live = buffered(0);
    live.simState = SimState::adding2sim;
    StaticAc fixed;
    fixed.hexid = 67;
    fixed.callsign = "DLH67*";
    fixed.simState = SimState::adding2sim;
    g_staticAcs.push_back(fixed);
    drain({kObject, live.hexid, 0, SimResultKind::LiveIdentified});
    drain({kObject + 1, 67, 0, SimResultKind::StaticIdentified});
    drain({kObject, 0, 0, SimResultKind::ObjectRemoved});
    drain({kObject + 1, 0, 0, SimResultKind::ObjectRemoved});
    for (std::uint32_t tick = 0; tick <= kActivationWaitTicks; ++tick) {
        gf_handleSimResults();
    }
    EXPECT_TRUE(g_liveAcs.empty());
    EXPECT_TRUE(g_staticAcs.empty());  // not active with an object that is gone
    EXPECT_TRUE(g_keptResults.empty());
    EXPECT_TRUE(g_removalQueue.empty());  // nothing left to remove
}

TEST_F(LifeCycleTest, ActiveAircraftWithoutObjectIdIsErasedAtOnce)
{
    LiveAc& ac = active(0);
    EXPECT_TRUE(updateLiveAc(ac));
    EXPECT_TRUE(g_removalQueue.empty());
    EXPECT_TRUE(m_log.contains("removeAircraftFromSim removing act SWR123 SWR A320, with objectid=0 ?"));
}

TEST_F(LifeCycleTest, ActiveAircraftSendsItsPositionEveryTick)
{
    LiveAc& ac = active(kObject);
    ac.stream.front().dueTick = 1000;
    ac.simPosition = {47.0, 8.0, 0.0, 0.0, 1.0, 5000.0, 0.0, 250.0};
    g_positionFill->clear();
    EXPECT_FALSE(updateLiveAc(ac));
    ASSERT_EQ(g_positionFill->size(), 1u);
    EXPECT_EQ(g_positionFill->front().objectId, kObject);
}

TEST_F(LifeCycleTest, LiveryRespawnKeepsThePositionAndComesBackFromTheBuffer)
{
    LiveAc& ac = active(kObject);
    ac.hasFlightPlan = 1;
    ac.simPosition = {47.5, 8.6, 0.0, 0.1, 2.0, 7000.0, 0.0, 250.0};
    g_engineTick = 500;
    const auto planFile = gf_flightPlanPath(kObject);
    writeFile(planFile, "plan");
    liveryRespawn(ac);
    ASSERT_GE(ac.stream.size(), 2u);
    EXPECT_EQ(ac.stream.front().dueTick, 501);
    EXPECT_DOUBLE_EQ(ac.stream.front().latitude, 47.5);
    EXPECT_DOUBLE_EQ(ac.stream.front().altitude, 7000.0);
    EXPECT_TRUE(ac.stream.front().bankValid);

    drain({kObject, 0, 0, SimResultKind::ObjectRemoved});
    ASSERT_EQ(g_liveAcs.size(), 1u);
    EXPECT_EQ(ac.simState, SimState::buffer);
    EXPECT_EQ(ac.objectId, 0u);
    EXPECT_FALSE(std::filesystem::exists(planFile));

    lf_setInitialPosition(ac);
    EXPECT_DOUBLE_EQ(ac.simPosition[4], 2.0); // the heading saved by the respawn
}

TEST_F(LifeCycleTest, IdentifiedObjectBecomesActiveAfter200TicksWithTwoLightToggles)
{
    LiveAc& ac = buffered(0);
    ac.simState = SimState::adding2sim;
    ac.flightPhase = FlightPhase::flying;
    ac.simPosition[5] = 9000.0;
    drain({kObject, 0x4B1234, 0, SimResultKind::LiveIdentified, 0, 1500.0});
    EXPECT_EQ(ac.objectId, kObject);
    EXPECT_DOUBLE_EQ(ac.agl, 1500.0);
    for (int tick = 1; tick < 200; ++tick)
        gf_handleSimResults();
    EXPECT_EQ(ac.simState, SimState::adding2sim);
    EXPECT_EQ(eventsOf(kEventAllLightsToggle).size(), 2u);
    gf_handleSimResults();
    gf_handleSimResults();
    EXPECT_EQ(ac.simState, SimState::active);
    EXPECT_TRUE(g_keptResults.empty());
    EXPECT_EQ(eventsOf(kEventEngineAutoStart).size(), 1u);
    const auto landing = eventsOf(kEventLandingLightsSet);
    ASSERT_EQ(landing.size(), 1u);
    EXPECT_EQ(landing.front().value, 1u);
    EXPECT_EQ(eventsOf(kEventCabinLightsSet).front().value, 0u);
}

// An aircraft identified on its stand parks there: the stand's planned static is dropped and a
// static still standing there leaves the simulator.
TEST_F(LifeCycleTest, ParkedAircraftIdentifiedOnItsStandParksOverAStatic)
{
    for (const bool staticThere : {false, true}) {
        gf_clearParkPositions();
        gf_clearAcContainers();
        g_removalQueue.clear();
        Stand& stand = addStand("B12", 0.0);
        numberStands();
        g_staticParkEntries = {StaticParkEntry{1, 0, "DLH", "A320", "DLH4", "", "D-AIBA", true}};
        if (staticThere) {
            AcIdent ident;
            ident.callsign = "DLH4*";
            ident.registration = "D-AIBA";
            AircraftData data = gf_makeAcData(ident);
            data.hexid = 12;
            StaticAc fixed = gf_makeStaticAc(data);
            assignStand(fixed, stand);
            fixed.objectId = 5000;
            fixed.simState = SimState::active;
            g_staticAcs.push_back(fixed);
        }
        LiveAc ac = makeActiveAc(Category::Large, 0, {makeSample({.position = {stand.latitude, stand.longitude},
                                                                   .airborne = false})});
        assignStand(ac, stand);
        lf_holdStand(ac, stand);
        ac.simState = SimState::adding2sim;
        ac.flightPhase = FlightPhase::parked;
        g_liveAcs.push_back(ac);
        drain({kObject, 0x4B1234, 0, SimResultKind::LiveIdentified});
        EXPECT_TRUE(m_log.contains("B12     : SWR123   parks")) << staticThere;
        EXPECT_TRUE(g_staticParkEntries.empty()) << staticThere;
        EXPECT_EQ(m_log.contains("B12     : SWR123   parks over static DLH4*          "), staticThere);
        EXPECT_EQ(g_removalQueue, staticThere ? std::deque<std::uint32_t>{5000} : std::deque<std::uint32_t>{});
    }
}

TEST_F(LifeCycleTest, AircraftToGoIsRemovedAsSoonAsItIsActive)
{
    LiveAc& ac = buffered(0);
    ac.simState = SimState::adding2sim;
    ac.removeOnArrival = 1;
    drain({kObject, 0x4B1234, 0, SimResultKind::LiveIdentified});
    for (int tick = 0; tick <= 200; ++tick)
        gf_handleSimResults();
    EXPECT_EQ(ac.simState, SimState::removingfromsim);
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{kObject});
}

TEST_F(LifeCycleTest, KeptObjectWithoutItsAircraftIsRemovedFromTheSimulator)
{
    LiveAc& ac = buffered(0);
    ac.simState = SimState::adding2sim;
    drain({kObject, 0x4B1234, 0, SimResultKind::LiveIdentified});
    g_liveAcs.clear();
    for (int tick = 0; tick <= 200; ++tick)
        gf_handleSimResults();
    EXPECT_TRUE(g_keptResults.empty());
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{kObject});
}

TEST_F(LifeCycleTest, StaticCgAndPitchAreTakenOnlyWhenPlausible)
{
    struct Case {
        double cg, pitchDeg, expectedCg, expectedPitchDeg;
    };
    const Case cases[] = {
        {8.0, 2.0, 8.0, 2.0},
        {40.0, 3.0, 7.0, 0.7},
        {0.5, -1.0, 7.0, 0.7},
        {35.0, -0.5, 35.0, -0.5},
    };
    for (const Case& c : cases) {
        g_liveAcs.clear();
        LiveAc& ac = active(kObject);
        drain({kObject, 0, 0, SimResultKind::StaticCg, c.cg, c.pitchDeg * kDegToRad});
        EXPECT_DOUBLE_EQ(ac.staticCg, c.expectedCg) << c.cg;
        EXPECT_NEAR(ac.staticPitch, c.expectedPitchDeg * kDegToRad, 1e-12) << c.pitchDeg;
    }
}

TEST_F(LifeCycleTest, OnGroundReportPutsTheAircraftDownAtGroundPlusStaticCg)
{
    LiveAc& ac = active(kObject);
    ac.onGround = 0;
    ac.climbCount = 0;
    drain({kObject, 1, 0, SimResultKind::OnGroundData, 1416.0, 0.0});
    EXPECT_TRUE(ac.onGround);
    EXPECT_EQ(ac.climbCount, 1);
    EXPECT_DOUBLE_EQ(ac.simPosition[5], 1416.0 + 7.0);
}

TEST_F(LifeCycleTest, RefusedCreationErasesTheAircraftAndRemembersTheTitle)
{
    LiveAc& ac = buffered(0);
    ac.simState = SimState::adding2sim;
    ac.livery = kTitle;
    drain({0, 0x4B1234, 0, SimResultKind::CreateFailed});
    EXPECT_TRUE(g_liveAcs.empty());
    EXPECT_TRUE(g_failedLiveries.contains(kTitle));
}

TEST(AirlineFromCallsign, ThreeLettersAndADigitNameTheAirline)
{
    struct Case {
        const char* callsign;
        bool named;
        const char* airline;
    };
    const Case cases[] = {
        {"swr123", true, "SWR"}, {"SWR1", true, "SWR"}, {"SWR", false, "XXX"},
        {"HBJLT", false, "XXX"}, {"S2R123", false, "XXX"}, {"N123AB", false, "XXX"},
    };
    for (const Case& c : cases) {
        AcIdent ac;
        ac.airline = "XXX";
        ac.callsign = c.callsign;
        EXPECT_EQ(lf_airlineFromCallsign(ac), c.named) << c.callsign;
        EXPECT_EQ(ac.airline, c.airline) << c.callsign;
    }
}

} // namespace
