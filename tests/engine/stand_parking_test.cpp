// Parking live aircraft: the stand search, the drive onto the stand and the arrival, asserted
// on the simulator's positions and events, the log and the stands.
#include "ground_sim.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "engine/ground_path.h"
#include "engine/learned_updates.h"
#include "engine/traffic_intake.h"
#include "parking/park_airports.h"
#include "simlink/sim_ids.h"
#include "simlink/user_aircraft.h"
#include "app/tick_state.h"

#include <algorithm>

using namespace groundtest;

namespace {

// The stands lie east of the user aircraft, which stands at the airport reference.
constexpr double kStandsEastM = 300.0;

bool lf_queued(std::uint32_t event, std::uint32_t value)
{
    return std::any_of(g_eventQueue.begin(), g_eventQueue.end(),
                       [&](const EventItem& e) { return e.event == event && e.value == value; });
}

} // namespace

class StandParking : public GroundSim {
protected:
    void SetUp() override
    {
        GroundSim::SetUp();
        RANDOM.value = false;
        g_userAcData.latitude = kAirport.lat;
        g_userAcData.longitude = kAirport.lon;
    }

    // An active Large aircraft standing at the point, without a simulator object.
    static LiveAc standingAc(const LatLon& p)
    {
        LiveAc ac = testsupport::makeActiveAc(Category::Large, 77, {groundSample(p, 0, 0)});
        ac.simPosition[5] = kAirportElevationFt + airtest::kStaticCgFt;
        return ac;
    }

    static void takeStand(LiveAc& ac, const Stand& stand)
    {
        testsupport::assignStand(ac, stand);
        ac.flightPhase = FlightPhase::parking;
    }
};

TEST_F(StandParking, TaxiingAircraftThatStopsNearAFreeStandDrivesOntoItAndParks)
{
    const Stand& stand = addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    const LatLon s0 = at(-300, kStandsEastM), s1 = at(-40, kStandsEastM), stop = at(-10, kStandsEastM);
    const std::int32_t t1 = ticksFor(s0, s1, 7.0);
    LiveAc ac = groundAc({groundSample(s0, 10, 0), groundSample(s1, 4, t1), groundSample(stop, 0, t1 + 1500)}, 0.0);
    fly(ac, t1 + 6000, [](const LiveAc& a) { return a.flightPhase == FlightPhase::parked; });
    ASSERT_EQ(ac.standId, stand.number);
    frames(2);

    EXPECT_EQ(ac.flightPhase, FlightPhase::parked);
    EXPECT_TRUE(m_log.contains("B12     : SWR123   arrived at stand"));
    expectSanePositions(ac.objectId);
    EXPECT_LT(metres(simAt(ac), {stand.latitude, stand.longitude}), 2.0);
    EXPECT_NEAR(std::remainder(simHeadingDeg(ac), 360.0), 0.0, 1.0);
    const auto list = events(ac.objectId);
    EXPECT_TRUE(hasEvent(list, "ENGINE_AUTO_SHUTDOWN", 0));
    EXPECT_TRUE(hasEvent(list, "LOGO_LIGHTS_SET", 1));
    EXPECT_TRUE(hasEvent(list, "CABIN_LIGHTS_SET", 1));
    EXPECT_NE(std::find(g_standArrivals.begin(), g_standArrivals.end(), ac.hexid), g_standArrivals.end());
}

TEST_F(StandParking, AircraftThatParksWhileHoldingInPlaceNoLongerHoldsOnItsStand)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    // Its lines stop 10 m short of the stand: it holds in place there, then parks at once.
    const LatLon s0 = at(-300, kStandsEastM), s1 = at(-10, kStandsEastM);
    const std::int32_t t1 = ticksFor(s0, s1, 10.0);
    LiveAc ac = groundAc({groundSample(s0, 10, 0), groundSample(s1, 10, t1)}, 0.0);
    bool held = false;
    fly(ac, t1 + 12000, [&held](const LiveAc& a) {
        held |= a.holding != 0;
        return a.flightPhase == FlightPhase::parked;
    });
    ASSERT_TRUE(held);
    ASSERT_EQ(ac.flightPhase, FlightPhase::parked);
    EXPECT_EQ(ac.holding, 0);

    // Its next line, after a while, comes from the taxiway 180 m away, beyond the holding
    // threshold: it leaves the stand.
    HOLDING_THRESHOLD_METERS.value = 100;
    decodeExisting(ac, groundSample(at(-180, kStandsEastM), 10, g_engineTick.load() + 3000));
    EXPECT_EQ(ac.simState, SimState::active);
    EXPECT_TRUE(ac.leaveStand);
}

TEST_F(StandParking, ParksOnlyWithin2mOfItsStandAndLeavesWhenItWasTakenMeanwhile)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    addStand("B13", at(0, kStandsEastM + 2.0), 0.0);
    numberStands();
    struct Case {
        double offsetM;
        bool takenMeanwhile;
        FlightPhase phase;
        SimState state;
    };
    for (const Case c : {Case{1.5, false, FlightPhase::parked, SimState::active},
                         Case{2.5, false, FlightPhase::taxi, SimState::active},
                         Case{0.0, true, FlightPhase::parking, SimState::removingfromsim}}) {
        g_stands[0].holder = 0;
        LiveAc other = standingAc(at(0, kStandsEastM));
        other.hexid = 0x4B9999;
        LiveAc ac = standingAc(at(0, kStandsEastM + c.offsetM));
        takeStand(ac, g_stands[0]);
        if (c.takenMeanwhile) {
            lf_holdStand(other, g_stands[0]);
        }
        lf_arriveAtStand(ac);
        EXPECT_EQ(ac.flightPhase, c.phase) << c.offsetM;
        EXPECT_EQ(ac.simState, c.state) << c.offsetM;
        EXPECT_EQ(g_stands[0].holder, c.takenMeanwhile ? other.hexid : c.phase == FlightPhase::parked ? ac.hexid : 0u);
    }
}

TEST_F(StandParking, DriveOfOneMetreTakesAtLeast100TicksOnTheGround)
{
    const Stand& stand = addStand("B12", at(0, kStandsEastM), 90.0);
    numberStands();
    LiveAc ac = standingAc(at(-1, kStandsEastM));
    takeStand(ac, stand);
    drive2Stand(ac);
    ASSERT_EQ(ac.stream.size(), 3u);
    EXPECT_EQ(ac.stream[1].dueTick, 100);
    EXPECT_EQ(ac.stream[2].dueTick, 150);
    EXPECT_TRUE(ac.stream[2].stationary);
    EXPECT_DOUBLE_EQ(ac.stream[1].track, 90.0);
    EXPECT_DOUBLE_EQ(ac.course, stand.heading);
    // The drive stays on the ground: also a point between the aircraft and the stand.
    lf_insertMidpoint(ac);
    for (const PosSample& s : ac.stream) {
        EXPECT_EQ(s.altitude, 0.0);
        EXPECT_FALSE(s.airborne);
    }
}

TEST_F(StandParking, UsersOwnAndReservedStandsAreNeverTaken)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    addStand("B14", at(0, kStandsEastM + 100), 0.0);
    numberStands();
    g_reservedStand = "B14";
    g_userAcData.latitude = g_stands[0].latitude;
    g_userAcData.longitude = g_stands[0].longitude;
    for (const double east : {kStandsEastM, kStandsEastM + 100}) {
        LiveAc ac = standingAc(at(-5, east));
        try2Park(ac, true);
        EXPECT_EQ(ac.flightPhase, FlightPhase::taxi) << east;
        EXPECT_EQ(ac.standId, 0) << east;
    }
}

TEST_F(StandParking, TooSmallStandWithin20mGrowsToTheHalfSpanOnlyWhenItIsGiven)
{
    struct Case {
        double distanceM;
        bool heli;
        Category category;
        bool found;
        bool grows;
    };
    for (const Case c : {Case{15, false, Category::Large, true, true}, Case{25, false, Category::Large, false, false},
                         Case{15, true, Category::Large, false, false}, Case{15, true, Category::Rotorcraft, true, true},
                         Case{80, false, Category::Large, false, false}}) {
        g_stands.clear();
        gf_clearLearnedUpdates();
        Stand& stand = addStand("H1", at(0, kStandsEastM), 0.0, 10.0);
        stand.heli = c.heli;
        numberStands();
        LiveAc ac = standingAc(at(-c.distanceM, kStandsEastM));
        ac.category = c.category;
        const Stand* found = lf_findFreeStand({ac.stream[0].latitude, ac.stream[0].longitude}, ac, kWideStandNm, true);
        EXPECT_EQ(found != nullptr, c.found) << c.distanceM;
        EXPECT_FALSE(g_stands[0].radius_change) << c.distanceM;
        try2Park(ac, true);
        EXPECT_EQ(ac.standId, c.found ? g_stands[0].number : 0) << c.distanceM;
        EXPECT_EQ(g_stands[0].radius_change, c.grows) << c.distanceM;
        EXPECT_EQ(gf_learnedUpdates(), c.grows ? 1u : 0u) << c.distanceM;
        EXPECT_NEAR(g_stands[0].radius, c.grows ? ac.halfSpan - 1.0 / 1852.0 : 10.0 / 1852.0, 1e-9);
    }
}

TEST_F(StandParking, StaticAircraftOnTheStandMakesWayAndAQueuedOneIsWithdrawn)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    for (const SimState state : {SimState::active, SimState::adding2sim}) {
        g_staticAcs.clear();
        g_removalQueue.clear();
        StaticAc fixed;
        fixed.callsign = "DLH4*";
        fixed.registration = "D-AIBA";
        fixed.hexid = 12;
        fixed.objectId = 5000;
        testsupport::assignStand(fixed, g_stands[0]);
        fixed.simState = state;
        g_staticAcs.push_back(fixed);
        CreateRequest request;
        request.callsign = fixed.callsign;
        request.aircraftId = fixed.hexid;
        g_addingStack.statics.push_back(request);
        LiveAc ac = standingAc(at(-5, kStandsEastM));
        try2Park(ac, false);
        ASSERT_EQ(ac.standId, g_stands[0].number);
        if (state == SimState::active) {
            EXPECT_TRUE(m_log.contains("B12     : DLH4*    D-AIBA makes way for SWR123 HB-JLT"));
            EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{5000});
        } else {
            EXPECT_TRUE(m_log.contains("queued B12     : DLH4*    D-AIBA makes way for SWR123 HB-JLT"));
            EXPECT_TRUE(g_staticAcs.empty());
            g_addingStack.statics.clear();
        }
    }
}

// A static aircraft on a neighbour stand too close to the live one leaves as well, also while
// its creation still waits: it is withdrawn and never appears beside the live aircraft.
TEST_F(StandParking, StaticOnANeighbourStandMakesWayAlsoWhileItsCreationWaits)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    addStand("B13", at(0, kStandsEastM + 30), 0.0);
    numberStands();
    StaticAc fixed;
    fixed.callsign = "DLH9*";
    fixed.hexid = 12;
    fixed.halfSpan = 17.9 / 1852.0;
    testsupport::assignStand(fixed, g_stands[1]);
    fixed.simState = SimState::adding2sim;
    g_staticAcs.push_back(fixed);
    CreateRequest request;
    request.callsign = fixed.callsign;
    request.aircraftId = fixed.hexid;
    g_addingStack.statics.push_back(request);
    LiveAc ac = standingAc(at(-5, kStandsEastM));
    try2Park(ac, false);

    ASSERT_EQ(ac.standId, g_stands[0].number);
    EXPECT_TRUE(m_log.contains("queued B13     : DLH9*    makes way for SWR123 parking at excluded stand B12"));
    EXPECT_TRUE(g_staticAcs.empty());
    EXPECT_TRUE(g_addingStack.statics.empty());
}

TEST_F(StandParking, ParkedCommandsWithRandomOffTurnCabinLightsOnUnlessTheStandIsCargo)
{
    for (const std::uint8_t cargoStand : {0, 1}) {
        gf_resetSimQueues();
        StaticAc ac;
        ac.objectId = 88;
        ac.standFlag = cargoStand;
        lf_parkedCommands(ac);
        EXPECT_TRUE(lf_queued(kEventCabinLightsSet, cargoStand ? 0 : 1));
        EXPECT_TRUE(lf_queued(kEventLogoLightsSet, 1));
        EXPECT_TRUE(lf_queued(kEventBeaconLightsSet, 0));
    }
}

TEST_F(StandParking, PassengerAircraftOnACargoStandClearsItsCargoAttribute)
{
    Stand& stand = addStand("C1", at(0, kStandsEastM), 0.0);
    stand.cargo = true;
    numberStands();
    gf_clearLearnedUpdates();
    LiveAc ac = standingAc(at(0, kStandsEastM));
    takeStand(ac, g_stands[0]);
    ac.standFlag = 1;
    lf_arriveAtStand(ac);
    EXPECT_FALSE(g_stands[0].cargo);
    EXPECT_TRUE(g_stands[0].cargo_change);
    EXPECT_EQ(gf_learnedUpdates(), 1u);
    EXPECT_TRUE(m_log.contains("LSZH stand: C1, cargo attribute set to false, SWR123 SWR A320 parked here"));
}

TEST_F(StandParking, AircraftFirstSeenStandingOnAStandIsBornThere)
{
    const Stand& stand = addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    LiveAc ac = standingAc(at(3, kStandsEastM));
    ac.stream.push_back(groundSample(at(3, kStandsEastM), 0, 1000));
    ac.stream[0].groundSpeed = 1.0;
    EXPECT_EQ(lf_findBirthStand(ac), &stand);
    EXPECT_EQ(ac.stream[0].groundSpeed, 0.0);
    EXPECT_TRUE(ac.stream[0].stationary);
}
