// New samples of live aircraft past birth, and what an aircraft does when its stream runs
// dry: leaving a stand, holding after a pushback, landing, holding in place, dead reckoning.
#include "engine/sample_checks.h"

#include "core/geo.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/air_movement.h"
#include "engine/engine_tick.h"
#include "engine/stream_extension.h"
#include "engine/traffic_intake.h"
#include "simlink/user_aircraft.h"
#include "support/air_traffic.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <numbers>
#include <vector>

using namespace testsupport;

namespace {

constexpr LatLon kStand{47.4500, 8.5600};
constexpr std::uint32_t kObject = 21;
constexpr double kMeterDeg = 1.0 / 111120.0; // one metre of latitude

class SampleChecksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_engineTick = 100000;
        AIRBORNE_ONLY.value = false;
        MAX_HOLDING_MINUTES.value = 20;
        RANGE.value = 50;
    }

    // An active aircraft standing on the ground at the position, one stationary sample.
    static LiveAc ground(FlightPhase phase, const LatLon& at = kStand)
    {
        PosSample s = makeSample({at, 0.0, 0.0, 0.0, 0.0, g_engineTick.load(), false});
        s.stationary = 1;
        LiveAc ac = makeActiveAc(Category::Large, kObject, {s});
        ac.onGround = 1;
        ac.flightPhase = phase;
        ac.standLat = kStand.lat;
        ac.standLon = kStand.lon;
        ac.standId = 4;
        ac.halfSpan = 0.0092; // 17 m
        return ac;
    }

    static PosSample north(double metres, double speedKt = 3.0)
    {
        return makeSample({{kStand.lat + metres * kMeterDeg, kStand.lon}, 0.0, speedKt, 0.0, 0.0,
                           g_engineTick.load() + 3000, false});
    }

    static std::deque<std::uint32_t> removals() { return g_removalQueue; }

    TempFolder m_folder{true};
    LogCapture m_log;
};

} // namespace

TEST_F(SampleChecksTest, ParkedAircraftLeavesItsStandOnTheThirdCreepStepHalfASpanAway)
{
    LiveAc ac = ground(FlightPhase::parked);
    for (double metres : {2.0, 6.0, 10.0}) {
        PosSample s = north(metres);
        EXPECT_FALSE(checkExtendingSituations(ac, s)) << metres;
        EXPECT_EQ(ac.leaveStand, 0) << metres;
    }
    PosSample fourth = north(14.0); // third step, 12 m = more than half of the 17 m span
    EXPECT_TRUE(checkExtendingSituations(ac, fourth));
    EXPECT_EQ(ac.leaveStand, 1);
    EXPECT_EQ(fourth.stationary, 0);
    EXPECT_EQ(ac.protectedStand, 1);
}

TEST_F(SampleChecksTest, ParkedAircraftLeavesAtOnceWhenMoreThanASpanAway)
{
    LiveAc ac = ground(FlightPhase::parked);
    PosSample first = north(2.0);
    EXPECT_FALSE(checkExtendingSituations(ac, first));
    PosSample jump = north(22.0);
    EXPECT_TRUE(checkExtendingSituations(ac, jump));
    EXPECT_EQ(ac.leaveStand, 1);
}

TEST_F(SampleChecksTest, CreepBackTowardsTheStandStartsTheCountAgain)
{
    LiveAc ac = ground(FlightPhase::parked);
    for (double metres : {2.0, 6.0, 10.0, 5.0, 13.0, 16.0}) {
        PosSample s = north(metres);
        EXPECT_FALSE(checkExtendingSituations(ac, s)) << metres;
    }
    PosSample s = north(19.5); // third step since the count returned to 0
    EXPECT_TRUE(checkExtendingSituations(ac, s));
}

TEST_F(SampleChecksTest, ParkedAircraftSeenFarFromItsStandIsRemoved)
{
    LiveAc ac = ground(FlightPhase::parked);
    PosSample far = north(250.0, 15.0);
    EXPECT_FALSE(checkExtendingSituations(ac, far));
    EXPECT_EQ(ac.simState, SimState::removingfromsim);
    EXPECT_EQ(removals(), std::deque<std::uint32_t>{kObject});
}

TEST_F(SampleChecksTest, ParkingAircraftBeyondItsStandTaxisOn)
{
    LiveAc ac = ground(FlightPhase::parking);
    PosSample s = north(120.0, 10.0);
    EXPECT_TRUE(checkExtendingSituations(ac, s));
    EXPECT_EQ(ac.flightPhase, FlightPhase::taxi);
    EXPECT_EQ(ac.previousPhase, FlightPhase::parking);
}

TEST_F(SampleChecksTest, AircraftBeingCreatedIgnoresSamplesOnItsStand)
{
    LiveAc ac = ground(FlightPhase::parked);
    ac.simState = SimState::adding2sim;
    PosSample s = north(40.0);
    EXPECT_FALSE(checkExtendingSituations(ac, s));
    EXPECT_EQ(ac.protectedStand, 0);
}

TEST_F(SampleChecksTest, PushedBackAircraftHoldsUntilItsStreamMovesAway)
{
    LiveAc ac = ground(FlightPhase::pushed_back);
    ac.simPosition[0] = kStand.lat;
    ac.simPosition[1] = kStand.lon;
    PosSample close = north(40.0); // within 6 spans (102 m), not beyond 2.75 spans
    EXPECT_FALSE(checkExtendingSituations(ac, close));
    EXPECT_EQ(ac.holding, 1);
    EXPECT_EQ(ac.holdStart, g_engineTick.load());
    PosSample away = north(60.0); // beyond 2.75 spans and farther than before
    EXPECT_TRUE(checkExtendingSituations(ac, away));
    EXPECT_EQ(ac.flightPhase, FlightPhase::taxi);
    EXPECT_EQ(ac.standId, 0);
    EXPECT_EQ(ac.standLat, 0.0);
    EXPECT_EQ(ac.holding, 0);
}

TEST_F(SampleChecksTest, PushbackLearnsTheSideOfItsTurnOnTheFirstLeg)
{
    STRAIGHT_PBS_ONLY.value = false;
    LiveAc ac = ground(FlightPhase::pushing_back);
    ac.simPosition[4] = 1.0;
    ac.pushbackCount = 2;
    PosSample s = north(10.0);
    s.track = 90.0; // right of a heading of 57 deg
    EXPECT_FALSE(checkExtendingSituations(ac, s));
    EXPECT_EQ(ac.pushbackTurnLearned, 1);
    EXPECT_EQ(ac.pushbackTurnSide, 1);
}

TEST_F(SampleChecksTest, SamplesOfANewAircraftAreTestedForPlausibility)
{
    struct Case {
        const char* rule;
        double metres;        // from the newest sample, north
        double speedKt;
        bool airborne;
        bool takeOffStarted;
        double newestSpeedKt;
        bool accepted;
        bool stationary;
    };
    const Case cases[] = {
        {"standing in the air", 0.0, 0.0, true, false, 0.0, false, false},
        {"standing on the ground", 0.0, 5.0, false, false, 0.0, true, true},
        {"standing during a fast take-off roll", 0.0, 5.0, false, true, 40.0, false, true},
        {"jitter on the ground", 5.0, 2.0, false, false, 0.0, true, true},
        {"jitter during a take-off roll at 60 kt", 5.0, 2.0, false, true, 60.0, false, false},
        {"moving", 50.0, 10.0, false, false, 0.0, true, false},
        {"no speed after a take-off roll at 60 kt", 50.0, 0.0, false, true, 60.0, false, false},
        {"no speed after a take-off roll at 40 kt", 50.0, 0.0, false, true, 40.0, true, false},
    };
    for (const Case& c : cases) {
        LiveAc ac = ground(FlightPhase::birth);
        ac.simState = SimState::buffer;
        ac.takeOffStarted = c.takeOffStarted;
        ac.stream.front().groundSpeed = c.newestSpeedKt;
        PosSample s = north(c.metres, c.speedKt);
        s.airborne = c.airborne;
        s.dueTick = 4242;
        EXPECT_EQ(lf_checkSample(ac, s), c.accepted) << c.rule;
        if (c.accepted) {
            EXPECT_EQ(s.stationary, c.stationary) << c.rule;
            EXPECT_EQ(s.dueTick, 4242) << c.rule;
            if (c.stationary) {
                EXPECT_EQ(s.groundSpeed, 0.0) << c.rule;
            }
        }
    }
}

TEST_F(SampleChecksTest, LandingAircraftDropsSamplesBehindIt)
{
    TrackSpec track{.start = kStand, .trackDeg = 90.0, .count = 3};
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.landingArmed = 1;
    ac.simPosition[4] = std::numbers::pi / 2.0;
    const LatLon behindLast = gf_destinationPoint({ac.stream[1].latitude, ac.stream[1].longitude},
                                                  std::numbers::pi / 2.0, 100.0);
    PosSample s = makeSample({behindLast, 9000.0, 250.0, 90.0, 0.0, 9000, true});
    EXPECT_TRUE(checkExtendingSituations(ac, s));
    EXPECT_EQ(ac.stream.size(), 2u); // the newest lay beyond s on the landing track
    EXPECT_EQ(s.stationary, 0);
}

TEST_F(SampleChecksTest, TaxiingAircraftHoldsInPlaceUntilMaxHoldingMinutesAreExceeded)
{
    LiveAc ac = ground(FlightPhase::taxi);
    const std::int32_t start = g_engineTick.load();
    ASSERT_TRUE(lf_extendStream(ac));
    ASSERT_EQ(ac.stream.size(), 2u);
    EXPECT_EQ(ac.stream.back().dueTick, ac.stream.front().dueTick + 300);
    EXPECT_EQ(ac.stream.back().stationary, 1);
    EXPECT_EQ(ac.holdCount, 1);
    ac.stream.pop_front();
    g_engineTick = start + 20 * 6000 + 5999; // 20 whole minutes
    EXPECT_TRUE(lf_extendStream(ac));
    ac.stream.pop_front();
    g_engineTick = start + 21 * 6000;
    EXPECT_FALSE(lf_extendStream(ac));
}

TEST_F(SampleChecksTest, TaxiingAircraftInOtherTaxiTrafficIsNotHeld)
{
    LiveAc other = ground(FlightPhase::taxi);
    other.objectId = kObject + 1;
    other.simPosition[0] = kStand.lat;
    other.simPosition[1] = kStand.lon;
    g_liveAcs.push_back(other);
    LiveAc ac = ground(FlightPhase::taxi);
    ac.simPosition[0] = kStand.lat + 20.0 * kMeterDeg; // within 1.2 x both half spans
    ac.simPosition[1] = kStand.lon;
    EXPECT_FALSE(lf_extendStream(ac));
    EXPECT_EQ(ac.holding, 0);
}

TEST_F(SampleChecksTest, ParkedAircraftWithADryStreamStaysAWeekAndFreesItsStand)
{
    LiveAc ac = ground(FlightPhase::parked);
    ac.protectedStand = 1;
    ASSERT_TRUE(lf_extendStream(ac));
    ASSERT_EQ(ac.stream.size(), 2u);
    EXPECT_EQ(ac.stream.back().dueTick, ac.stream.front().dueTick + 60480000);
    EXPECT_EQ(ac.stream.back().stationary, 1);
    EXPECT_EQ(ac.holdCount, 1);
    EXPECT_EQ(ac.protectedStand, 0);
}

TEST_F(SampleChecksTest, AirborneAircraftFliesEightDeadReckonedSamplesThenGoes)
{
    TrackSpec track{.start = kStand, .trackDeg = 90.0, .groundSpeedKt = 300.0, .count = 2};
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.simPosition[4] = std::numbers::pi / 2.0;
    std::vector<std::int32_t> allowed;
    for (int step = 0; step < 40 && ac.simState == SimState::active; ++step) {
        g_engineTick = ac.stream.back().dueTick;
        nextPosMain(ac);
        if (allowed.empty() || allowed.back() != ac.holdCount)
            allowed.push_back(ac.holdCount);
        while (ac.stream.size() > 1)
            ac.stream.pop_front();
    }
    EXPECT_EQ(allowed, (std::vector<std::int32_t>{0, 8, 7, 6, 5, 4, 3, 2, 1, -1}));
    EXPECT_EQ(ac.simState, SimState::removingfromsim);
}

TEST_F(SampleChecksTest, DeadReckoningSlowsAndMovesAlongTheHeading)
{
    LiveAc ac = makeActiveAc(Category::Large, kObject,
                             {makeSample({kStand, 8000.0, 200.0, 90.0, 0.0, 1000, true})});
    ac.simPosition[4] = std::numbers::pi / 2.0;
    lf_extrapolate(ac, 5);
    const PosSample& s = ac.stream.back();
    EXPECT_EQ(ac.holdCount, 5);
    EXPECT_DOUBLE_EQ(s.groundSpeed, 190.0);
    EXPECT_EQ(s.dueTick, 1800);
    EXPECT_NEAR(gf_distanceNm(kStand, {s.latitude, s.longitude}), 190.0 * 8 / 3600, 1e-6);
    EXPECT_GT(s.longitude, kStand.lon);
    EXPECT_EQ(s.altitude, 8000.0);
}

TEST_F(SampleChecksTest, LandingRollSlowsDownInSteps)
{
    const double speeds[][2] = {{150, 100}, {120, 80}, {90, 60}, {70, 30}, {40, 20}};
    for (const auto& [from, to] : speeds) {
        LiveAc ac = makeActiveAc(Category::Large, kObject, {makeSample({kStand, 0.0, from, 90.0, -100.0, 0, false})});
        ac.landingRoll = 1;
        lf_extrapolate(ac, 9);
        EXPECT_EQ(ac.stream.back().groundSpeed, to) << from;
        EXPECT_EQ(ac.stream.back().verticalSpeed, 0.0) << from;
        EXPECT_EQ(ac.stream.back().dueTick, 300) << from;
    }
}

TEST_F(SampleChecksTest, AirborneAircraftAtTheEdgeOfTheRangeIsNotExtrapolated)
{
    g_userAcData.latitude = kStand.lat;
    g_userAcData.longitude = kStand.lon;
    const LatLon far = gf_destinationPoint(kStand, 0.0, 49.6 * kFeetPerNm);
    LiveAc ac = makeActiveAc(Category::Large, kObject, {makeSample({far, 8000.0, 200.0, 0.0, 0.0, 0, true})});
    EXPECT_FALSE(lf_extendStream(ac));
}

TEST_F(SampleChecksTest, StreamThatCannotBeExtendedInTheAirEndsTheFlight)
{
    PosSample standing = makeSample({kStand, 3000.0, 0.0, 0.0, 0.0, g_engineTick.load(), true});
    standing.stationary = 1;
    LiveAc ac = makeActiveAc(Category::Large, kObject, {standing});
    ac.onGround = 0;
    nextPosMain(ac);
    EXPECT_EQ(ac.simState, SimState::removingfromsim);
    EXPECT_EQ(m_log.lines().size(), 1u);
    EXPECT_NE(m_log.lines().front().find("stream not extended after 3 tries, removed"), std::string::npos);
}

TEST_F(SampleChecksTest, TakeOffRollSpeedsUpByBandsAndLiftsTheNoseInTheFastest)
{
    struct Band {
        double from, to, verticalSpeed;
    };
    const Band bands[] = {{0, 40, 0},      {30, 40, 0},       {31, 80, 0},       {60, 80, 0},
                          {100, 110, 0},   {140, 150, 600},   {160, 170, 1200},  {161, 180, 2400}};
    for (const auto& [from, to, verticalSpeed] : bands) {
        LiveAc ac = makeActiveAc(Category::Large, kObject, {makeSample({kStand, 0.0, from, 90.0, 0.0, 0, false})});
        ac.simPosition[4] = std::numbers::pi / 2.0;
        ac.takeOffStarted = 1;
        lf_extrapolate(ac, 9);
        const PosSample& s = ac.stream.back();
        EXPECT_EQ(s.groundSpeed, to) << from;
        EXPECT_EQ(s.verticalSpeed, verticalSpeed) << from;
        EXPECT_EQ(s.dueTick, 300) << from;  // 3 s on the ground
        EXPECT_NEAR(gf_distanceNm(kStand, {s.latitude, s.longitude}), to * 3 / 3600, 1e-6) << from;
    }
}

// An aircraft that landed and leaves its stand again soon is being towed; how soon depends
// on its category.
TEST_F(SampleChecksTest, LeavingTheStandSoonAfterLandingIsATow)
{
    struct Case {
        Category category;
        std::int32_t parkedTicks;
        bool landed;
        bool towed;
    };
    const Case cases[] = {
        {Category::Heavy, 360000, true, true},   {Category::Heavy, 360001, true, false},
        {Category::Large, 150000, true, true},   {Category::Large, 150001, true, false},
        {Category::Buzjet, 90000, true, true},   {Category::Buzjet, 90001, true, false},
        {Category::Light, 1000, true, false},    {Category::Large, 1000, false, false},
    };
    for (const Case& c : cases) {
        LiveAc ac = ground(FlightPhase::parked);
        ac.category = c.category;
        ac.previousPhase = FlightPhase::taxi;
        ac.landed = c.landed ? 1 : 0;
        ac.holdCount = 1;  // on its week-long stationary sample
        ac.stream.front().dueTick = g_engineTick.load() - c.parkedTicks + 60480000;
        PosSample s = north(120.0);
        EXPECT_TRUE(checkExtendingSituations(ac, s));
        EXPECT_EQ(ac.leaveStand, 1);
        EXPECT_EQ(ac.towed, c.towed ? 1 : 0) << static_cast<int>(c.category) << " " << c.parkedTicks;
        EXPECT_EQ(ac.landed, 0);
        EXPECT_EQ(ac.stream.front().dueTick, g_engineTick.load() + 1);
    }
}

// On the landing roll with one sample left, a sample 150 degrees or more behind the
// aircraft puts the stream where the aircraft is, unless it is dead reckoning.
TEST_F(SampleChecksTest, LandingRollRestartsItsStreamAtTheAircraftForASampleFarBehind)
{
    struct Case {
        double bearingDeg;
        std::int32_t holdCount;
        bool accepted;
        bool moved;
    };
    const Case cases[] = {{149.0, 0, true, false}, {151.0, 0, true, true}, {151.0, 3, false, false}};
    const LatLon here = gf_destinationPoint(kStand, 0.5 * std::numbers::pi, 400.0);
    for (const Case& c : cases) {
        LiveAc ac = makeActiveAc(Category::Large, kObject, {makeSample({kStand, 0.0, 100.0, 90.0, 0.0, 100, false})});
        ac.landingRoll = 1;
        ac.holdCount = c.holdCount;
        ac.simPosition[0] = here.lat;
        ac.simPosition[1] = here.lon;
        ac.simPosition[4] = 0.5 * std::numbers::pi;
        PosSample s = makeSample({gf_destinationPoint(kStand, c.bearingDeg * kDegToRad + 0.5 * std::numbers::pi, 300.0),
                                  0.0, 60.0, 90.0, 0.0, 400, false});
        EXPECT_EQ(checkExtendingSituations(ac, s), c.accepted) << c.bearingDeg;
        ASSERT_EQ(ac.stream.size(), 1u);
        const PosSample& front = ac.stream.front();
        EXPECT_EQ(gf_distanceNm(here, {front.latitude, front.longitude}) < 1e-9, c.moved) << c.bearingDeg;
        EXPECT_EQ(front.dueTick, c.moved ? g_engineTick.load() + 1 : 100) << c.bearingDeg;
    }
}
