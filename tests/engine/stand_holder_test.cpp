// A stand is held by the live aircraft that chose it until that aircraft leaves: two
// aircraft never park on one stand, and every way out frees the stand for the next one.
#include "ground_sim.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/life_cycle.h"
#include "engine/sample_checks.h"
#include "parking/static_parking.h"
#include "simlink/user_aircraft.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>

using namespace groundtest;

namespace {

constexpr double kStandsEastM = 300.0;

} // namespace

class StandHolder : public GroundSim {
protected:
    void SetUp() override
    {
        GroundSim::SetUp();
        RANDOM.value = false;
        g_rangeMeters = 40 * 1852;
        g_userAcData.latitude = kAirport.lat;
        g_userAcData.longitude = kAirport.lon;
        g_userOnGround = true;
    }

    // A taxiing aircraft of its own identity, created in the simulator.
    LiveAc taxiingAc(std::uint32_t hexid, const std::string& callsign, const std::vector<PosSample>& samples)
    {
        LiveAc ac = testsupport::makeActiveAc(Category::Large, 0, samples);
        ac.hexid = hexid;
        ac.callsign = callsign;
        ac.firstCallsign = callsign;
        ac.registration.clear();
        ac.simPosition[5] = kAirportElevationFt + airtest::kStaticCgFt;
        createInSimulator(ac);
        return ac;
    }

    // An aircraft first seen at the samples, waiting in the buffer with its livery chosen.
    static LiveAc newcomer(std::uint32_t hexid, const std::string& callsign, const std::vector<PosSample>& samples)
    {
        LiveAc ac = testsupport::makeActiveAc(Category::Large, 0, samples);
        ac.hexid = hexid;
        ac.callsign = callsign;
        ac.firstCallsign = callsign;
        ac.registration.clear();
        ac.simState = SimState::buffer;
        ac.flightPhase = FlightPhase::birth;
        ac.livery = simlinktest::kInstalledTitle;
        return ac;
    }

    // SWR2001 (or the callsign) taxis onto stand B12 and parks; then its feed stops.
    void parkAndFallSilent(const std::string& callsign = "SWR2001")
    {
        const LatLon south = at(-200, kStandsEastM);
        const std::int32_t t1 = ticksFor(south, at(-10, kStandsEastM), 7.0);
        g_liveAcs.push_back(taxiingAc(0x4B0001, callsign,
                                      {groundSample(south, 7, 0), groundSample(at(-10, kStandsEastM), 0, t1)}));
        g_engineTick = 0;
        runTicks(t1 + 3000);
        ASSERT_TRUE(m_log.contains(fmt::format("B12     : {:8} arrived at stand", callsign)));
        ASSERT_EQ(live(0x4B0001)->flightPhase, FlightPhase::parked);
    }

    // EDW2002 taxis from the north to stand B12, where SWR2001 went silent: SWR2001 makes
    // way and EDW2002 is the only aircraft on the stand. With the simulator's frames
    // stopped, SWR2001's removal waits while EDW2002 parks and falls silent in turn.
    void taxiToTheSilentStand(bool removalWaits = false)
    {
        const LatLon north = at(200, kStandsEastM);
        const std::int32_t start = g_engineTick;
        const std::int32_t t1 = start + ticksFor(north, at(10, kStandsEastM), 7.0);
        g_liveAcs.push_back(taxiingAc(0x3C0002, "EDW2002",
                                      {groundSample(north, 7, start), groundSample(at(10, kStandsEastM), 0, t1)}));
        world().setFramesStopped(removalWaits);
        runTicks(t1 - start + 3000);

        EXPECT_TRUE(m_log.contains("B12     : SWR2001  removed, EDW2002 wants to park there"));
        EXPECT_TRUE(m_log.contains("B12     : EDW2002  arrived at stand"));
        if (removalWaits) {
            ASSERT_EQ(live(0x4B0001)->simState, SimState::removingfromsim);
            ASSERT_EQ(g_stands[0].holder, 0u);
            return;
        }
        EXPECT_EQ(live(0x4B0001), nullptr);
        EXPECT_EQ(objectsOnStand(g_stands[0]), 1u);
    }

    // Once the simulator runs again, the newcomer is the one aircraft on stand B12.
    void newcomerAloneOnTheStand(std::uint32_t hexid)
    {
        world().setFramesStopped(false);
        runTicks(1500);
        EXPECT_EQ(live(0x4B0001), nullptr);
        EXPECT_EQ(live(0x3C0002), nullptr);
        ASSERT_NE(live(hexid), nullptr);
        EXPECT_EQ(live(hexid)->standId, g_stands[0].number);
        EXPECT_EQ(objectsOnStand(g_stands[0]), 1u);
    }

    // Simulator objects standing within 10 m of the stand.
    std::size_t objectsOnStand(const Stand& stand) const
    {
        const auto alive = world().aliveAiObjects();
        return static_cast<std::size_t>(std::count_if(alive.begin(), alive.end(), [&](DWORD id) {
            const auto object = world().object(id);
            return metres({object->latitude, object->longitude}, {stand.latitude, stand.longitude}) < 10.0;
        }));
    }

    // A newcomer first seen eastM east of stand B12, moving at speedKt, after the holder
    // parked there and went silent (or kept sending lines while parked); B14 lies 52 m
    // further east. The stand the newcomer is born on.
    std::string bornNearParkedHolder(const std::string& holder, const std::string& callsign, double eastM,
                                     double speedKt, bool feedAlive = false)
    {
        addStand("B12", at(0, kStandsEastM), 0.0);
        addStand("B14", at(0, kStandsEastM + 52), 0.0);
        numberStands();
        parkAndFallSilent(holder);
        if (feedAlive) {
            PosSample line = groundSample(at(0, kStandsEastM), 0, g_engineTick + 5000);
            checkExtendingSituations(*live(0x4B0001), line);
        }
        const std::int32_t due = g_engineTick + 200;
        const LatLon first = at(0, kStandsEastM + eastM);
        const LatLon next = speedKt > 0.0 ? at(0, kStandsEastM + eastM + 5) : first;
        g_liveAcs.push_back(
            newcomer(0x3C0003, callsign, {groundSample(first, speedKt, due), groundSample(next, speedKt, due + 500)}));
        runTicks(600);
        const LiveAc* born = live(0x3C0003);
        return born == nullptr ? "" : gf_standName(born->standId);
    }

    // The newcomer is born on B12 where SWR2001 went silent, and SWR2001 is gone.
    void bornOnSilentStand(const std::string& callsign, double eastM, double speedKt)
    {
        EXPECT_EQ(bornNearParkedHolder("SWR2001", callsign, eastM, speedKt), "B12");
        EXPECT_TRUE(m_log.contains(fmt::format("B12     : {:8} parks", callsign)));
        EXPECT_EQ(live(0x4B0001), nullptr);
        EXPECT_EQ(objectsOnStand(g_stands[0]), 1u);
    }

    LiveAc* live(std::uint32_t hexid)
    {
        const auto found = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                        [hexid](const LiveAc& ac) { return ac.hexid == hexid; });
        return found == g_liveAcs.end() ? nullptr : &*found;
    }
};

TEST_F(StandHolder, TwoTaxiingAircraftStoppingAtOneFreeStandNeverBothParkOnIt)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    const LatLon south = at(-300, kStandsEastM), north = at(300, kStandsEastM);
    const std::int32_t t1 = ticksFor(south, at(-40, kStandsEastM), 7.0);
    g_liveAcs.push_back(taxiingAc(0x4B0001, "SWR101",
                                  {groundSample(south, 10, 0), groundSample(at(-40, kStandsEastM), 4, t1),
                                   groundSample(at(-10, kStandsEastM), 0, t1 + 1500)}));
    g_liveAcs.push_back(taxiingAc(0x4B0002, "SWR202",
                                  {groundSample(north, 10, 0), groundSample(at(40, kStandsEastM), 4, t1),
                                   groundSample(at(12, kStandsEastM), 0, t1 + 1500)}));
    g_engineTick = 0;
    runTicks(t1 + 8000);

    const auto parked = std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return ac.flightPhase == FlightPhase::parked && ac.standId == 1;
    });
    EXPECT_EQ(parked, 1);
    ASSERT_EQ(g_liveAcs.size(), 2u);
    EXPECT_FALSE(m_log.contains("wants to park there"));
    const LiveAc& holder = g_liveAcs[0].flightPhase == FlightPhase::parked ? g_liveAcs[0] : g_liveAcs[1];
    const LiveAc& other = &holder == &g_liveAcs[0] ? g_liveAcs[1] : g_liveAcs[0];
    EXPECT_EQ(other.standId, 0);
    EXPECT_NE(other.flightPhase, FlightPhase::parked);
    EXPECT_TRUE(m_log.contains(fmt::format("B12     : {:8} arrived at stand", holder.callsign)));
    EXPECT_FALSE(m_log.contains(fmt::format("B12     : {:8} arrived at stand", other.callsign)));
}

TEST_F(StandHolder, EveryWayOutOfAStandFreesItForTheNextAircraft)
{
    struct Case {
        const char* way;
        std::function<void(LiveAc&)> leave;
    };
    const auto respawnAndGo = [](LiveAc& ac) {
        const std::uint32_t objectId = ac.objectId;
        liveryRespawn(ac);
        removeAircraftFromSim(ac);
        gf_removeFlightPlan(objectId);
    };
    // A new line of the aircraft, northM north of the stand, while in that phase.
    const auto lineIn = [](FlightPhase phase, double northM) {
        return [phase, northM](LiveAc& ac) {
            ac.flightPhase = phase;
            PosSample s = groundSample(at(northM, kStandsEastM), 5, 3000);
            checkExtendingSituations(ac, s);
        };
    };
    const auto pullOut = lineIn(FlightPhase::parked, 100);
    const auto otherStand = [](LiveAc& ac) {
        ac.flightPhase = FlightPhase::taxi;
        ac.stream.assign(1, groundSample(at(0, kStandsEastM + 200), 0, 0));
        try2Park(ac, false);
    };
    const auto stopShort = [](LiveAc& ac) {
        ac.flightPhase = FlightPhase::parking;
        lf_arriveAtStand(ac);
    };
    const auto leaveAfterRespawn = [&pullOut](LiveAc& ac) {
        ac.previousPhase = FlightPhase::parked;
        pullOut(ac);
    };
    const auto creationRefused = [](LiveAc& ac) {
        ac.simState = SimState::adding2sim;
        gf_pushSimResult({0, ac.hexid, 0, SimResultKind::CreateFailed});
        gf_handleSimResults();
    };
    const Case cases[] = {{"removal", [](LiveAc& ac) { removeAircraftFromSim(ac); }},
                          {"removal after a livery respawn", respawnAndGo},
                          {"pull-out", pullOut},
                          {"pull-out after a livery respawn", leaveAfterRespawn},
                          {"another stand", otherStand},
                          {"ground aircraft removed", [](LiveAc&) { gf_removeGroundAircraft(); }},
                          {"turned back to taxi far from the stand", lineIn(FlightPhase::parking, -100)},
                          {"stopped short of the stand", stopShort},
                          {"take-off roll", [](LiveAc& ac) { lf_armTakeOff(ac); }},
                          {"end of the pushback", lineIn(FlightPhase::pushed_back, -150)},
                          {"creation refused", creationRefused}};
    for (const Case& c : cases) {
        g_stands.clear();
        g_liveAcs.clear();
        addStand("B12", at(0, kStandsEastM), 0.0);
        addStand("B14", at(0, kStandsEastM + 200), 0.0);
        numberStands();
        g_liveAcs.push_back(taxiingAc(0x4B0001, "SWR101", {groundSample(at(-8, kStandsEastM), 0, 0)}));
        try2Park(g_liveAcs[0], false);
        ASSERT_EQ(g_stands[0].holder, 0x4B0001u) << c.way;
        g_liveAcs[0].flightPhase = FlightPhase::parked;
        c.leave(g_liveAcs[0]);
        frames(2);
        LiveAc next = testsupport::makeActiveAc(Category::Large, 0, {groundSample(at(8, kStandsEastM), 0, 0)});
        next.hexid = 0x4B0002;
        EXPECT_EQ(g_stands[0].holder, 0u) << c.way;
        EXPECT_EQ(lf_findFreeStand({next.stream[0].latitude, next.stream[0].longitude}, next, kNearStandNm, false),
                  &g_stands[0])
            << c.way;
    }
}

TEST_F(StandHolder, NewcomerTaxiingToTheStandOfASilentParkedAircraftReplacesIt)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    parkAndFallSilent();
    taxiToTheSilentStand();
}

TEST_F(StandHolder, AircraftThatPulledOutOfAStandDoesNotHideItsNextOccupant)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    // SWR909 parks on B12, then its next line lies north-west: it pulls out and taxis there.
    g_liveAcs.push_back(taxiingAc(0x4B0009, "SWR909", {groundSample(at(-8, kStandsEastM), 0, 0)}));
    try2Park(g_liveAcs.back(), false);
    runTicks(1500);
    ASSERT_TRUE(m_log.contains("B12     : SWR909   arrived at stand"));
    LiveAc& first = g_liveAcs.back();
    PosSample away = groundSample(at(130, kStandsEastM - 130), 7, g_engineTick + 500);
    ASSERT_TRUE(checkExtendingSituations(first, away));
    first.stream.push_back(away);
    runTicks(3000);
    ASSERT_TRUE(m_log.contains("B12     : SWR909   pulling out"));
    ASSERT_EQ(live(0x4B0009)->standId, g_stands[0].number);

    parkAndFallSilent();
    taxiToTheSilentStand();
}

TEST_F(StandHolder, NewcomerFirstSeenStandingOnTheStandOfASilentParkedAircraftIsBornThere)
{
    bornOnSilentStand("EDW2003", 0.0, 0.0);
    EXPECT_TRUE(m_log.contains("B12     : SWR2001  removed because another live EDW2003 wants the stand ..."));
}

TEST_F(StandHolder, SameFlightRollingSlowlyOffTheStandOfItsSilentSelfReplacesIt)
{
    bornOnSilentStand("SWR2001", 15.0, 3.0);
    EXPECT_TRUE(m_log.contains("B12     : SWR2001  ac with same callsign SWR2001 wants it, remove existing ... "));
}

TEST_F(StandHolder, SilentParkedAircraftWhoseFeedReturnsHoldsItsStandAgain)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    parkAndFallSilent();
    ASSERT_EQ(g_stands[0].holder, 0u);
    LiveAc& parked = *live(0x4B0001);
    PosSample back = groundSample(at(0, kStandsEastM), 0, g_engineTick + 100);
    checkExtendingSituations(parked, back);

    EXPECT_EQ(g_stands[0].holder, 0x4B0001u);
    LiveAc next = testsupport::makeActiveAc(Category::Large, 0, {groundSample(at(8, kStandsEastM), 0, 0)});
    next.hexid = 0x3C0002;
    EXPECT_EQ(lf_findFreeStand({next.stream[0].latitude, next.stream[0].longitude}, next, kNearStandNm, false),
              nullptr);
}

// SWR2001's feed pauses, comes back for a while, then stops for good: the second silence
// gives the stand up as the first did.
TEST_F(StandHolder, ParkedAircraftWhoseFeedStopsAgainGivesItsStandUpAgain)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    parkAndFallSilent();
    for (int line = 1; line <= 3; ++line) {
        PosSample back = groundSample(at(0, kStandsEastM), 0, g_engineTick + 1000);
        checkExtendingSituations(*live(0x4B0001), back);
        runTicks(500);
    }
    ASSERT_EQ(g_stands[0].holder, 0x4B0001u);
    runTicks(3000);
    taxiToTheSilentStand();
}

TEST_F(StandHolder, AircraftDrivingToItsStandKeepsNoClaimOnTheNextParkAirportsStands)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    g_liveAcs.push_back(taxiingAc(0x4B0001, "SWR101", {groundSample(at(-8, kStandsEastM), 0, 0)}));
    try2Park(g_liveAcs[0], false);
    // The user leaves for another park airport, whose stand number 1 lies 5 km away.
    gf_removeGroundAircraft();
    g_stands.clear();
    addStand("E05", at(5000, kStandsEastM), 0.0);
    numberStands();
    runTicks(1500);

    ASSERT_EQ(g_liveAcs.size(), 1u);
    EXPECT_FALSE(m_log.contains("E05     : SWR101   arrived at stand"));
    EXPECT_EQ(g_stands[0].holder, 0u);
    EXPECT_EQ(g_liveAcs[0].standId, 0);
    EXPECT_EQ(g_liveAcs[0].flightPhase, FlightPhase::taxi);
}

// EDW2002 parked on B12 in the place of SWR2001, whose removal still waits, and fell silent
// too: a newcomer first seen on B12 replaces EDW2002, not the record on its way out.
TEST_F(StandHolder, NewcomerBornWhileTheRemovalOfThePreviousOccupantWaitsReplacesTheOneParkedThere)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    parkAndFallSilent();
    taxiToTheSilentStand(true);
    const std::int32_t due = g_engineTick + 200;
    const LatLon stand = at(0, kStandsEastM);
    g_liveAcs.push_back(newcomer(0x3C0003, "AFR2003", {groundSample(stand, 0, due), groundSample(stand, 0, due + 500)}));
    runTicks(600);

    EXPECT_TRUE(m_log.contains("B12     : EDW2002  removed because another live AFR2003 wants the stand ..."));
    newcomerAloneOnTheStand(0x3C0003);
    EXPECT_TRUE(m_log.contains("B12     : AFR2003  parks"));
}

// The same with a newcomer taxiing to B12: it removes EDW2002 when it chooses the stand.
TEST_F(StandHolder, NewcomerTaxiingInWhileTheRemovalOfThePreviousOccupantWaitsReplacesTheOneParkedThere)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    parkAndFallSilent();
    // AFR2004 waits 150 m south until EDW2002 parked and fell silent, then taxis in.
    const LatLon south = at(-150, kStandsEastM);
    const std::int32_t start = g_engineTick + 12000;
    const std::int32_t t1 = start + ticksFor(south, at(-10, kStandsEastM), 7.0);
    g_liveAcs.push_back(taxiingAc(0x3C0004, "AFR2004",
                                  {groundSample(south, 0, g_engineTick), groundSample(south, 7, start),
                                   groundSample(at(-10, kStandsEastM), 0, t1)}));
    taxiToTheSilentStand(true);
    ASSERT_LT(g_engineTick.load(), start);
    runTicks(t1 - g_engineTick + 3000);

    EXPECT_TRUE(m_log.contains("B12     : EDW2002  removed, AFR2004 wants to park there"));
    EXPECT_TRUE(m_log.contains("B12     : AFR2004  arrived at stand"));
    newcomerAloneOnTheStand(0x3C0004);
}

// A parked holder whose feed is alive is still replaced by its original or by the same
// callsign, which is born on the holder's stand; any other newcomer takes the next free stand.
TEST_F(StandHolder, OriginalFirstSeenOnTheStandOfItsLiveFedGhostIsBornThere)
{
    EXPECT_EQ(bornNearParkedHolder("SWR77_", "SWR77", 0.0, 0.0, true), "B12");
    EXPECT_TRUE(m_log.contains("B12     : SWR77_   ghost, replace by SWR77"));
    EXPECT_TRUE(m_log.contains("B12     : SWR77    parks"));
    EXPECT_EQ(live(0x4B0001), nullptr);
    EXPECT_EQ(objectsOnStand(g_stands[0]), 1u);
}

TEST_F(StandHolder, SameCallsignFirstSeenOnTheStandOfItsLiveFedNamesakeIsBornThere)
{
    EXPECT_EQ(bornNearParkedHolder("SWR77", "SWR77", 0.0, 0.0, true), "B12");
    EXPECT_TRUE(m_log.contains("B12     : SWR77    ac with same callsign SWR77 wants it, remove existing ... "));
    EXPECT_EQ(live(0x4B0001), nullptr);
    EXPECT_EQ(objectsOnStand(g_stands[0]), 1u);
}

TEST_F(StandHolder, OtherNewcomersKeepOffTheStandOfALiveFedParkedHolder)
{
    parking_percentage.value = 100;  // both stands
    EXPECT_EQ(bornNearParkedHolder("SWR77", "EDW88", 0.0, 0.0, true), "B14");
    EXPECT_TRUE(m_log.contains("B14     : EDW88    parks"));
    EXPECT_NE(live(0x4B0001), nullptr);
    EXPECT_EQ(objectsOnStand(g_stands[0]), 1u);
}

TEST_F(StandHolder, GhostOfALiveFedParkedOriginalIsNotBorn)
{
    EXPECT_EQ(bornNearParkedHolder("SWR77", "SWR77_", 0.0, 0.0, true), "");
    EXPECT_NE(live(0x4B0001), nullptr);
    EXPECT_EQ(objectsOnStand(g_stands[0]), 1u);
}
