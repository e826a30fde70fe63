// Taxiing, pulling out and pushing back through the simulated simulator, asserted on the
// positions and events it received; the landing roll's commands and the ground path itself.
#include "ground_sim.h"

#include "core/settings.h"
#include "engine/engine_tick.h"
#include "engine/ground_path.h"
#include "engine/ground_plan.h"
#include "simlink/sim_ids.h"
#include "simlink/user_aircraft.h"
#include "support/engine_fixture.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <cmath>
#include <limits>

using namespace groundtest;

namespace {

// Heading difference in degrees, -180..180.
double lf_offDeg(double a, double b)
{
    return std::remainder(a - b, 360.0);
}

} // namespace

TEST_F(GroundSim, RollingAircraftActiveBeforeItsFirstSampleIsDueFollowsNoPath)
{
    testsupport::fillSmallAircraftTables();
    connect();
    g_userOnGround = true;
    g_rangeMeters = 40 * 1852;
    const std::uint32_t hexid = 0x4B0301;
    {
        const std::lock_guard lock(g_trafficMutex);
        for (int i = 0; i < 6; ++i) {
            TrafficRecord rec = testsupport::trafficRecord(hexid, 1765100000.0 + 5 * i, "SWR301", "A320");
            const PosSample s = groundSample(at(-600 + 40 * i, 400), 15, 700 + 500 * i);
            rec.sample = s;
            rec.sample.track = 0.0;
            g_trafficQueue.push_back(rec);
        }
    }
    g_engineTick = 0;
    runTicks(3);
    ASSERT_EQ(g_liveAcs.size(), 1u);
    g_liveAcs[0].livery = simlinktest::kInstalledTitle;
    runTicks(900);

    ASSERT_EQ(g_liveAcs.size(), 1u);
    EXPECT_EQ(g_liveAcs[0].simState, SimState::active);
    EXPECT_EQ(m_log.text().find("error in curve"), std::string::npos);
}

TEST_F(GroundSim, TaxiCornerIsRoundedByACurve)
{
    const LatLon a = at(0, 0), corner = at(300, 0), c = at(300, 300), d = at(300, 600);
    const std::int32_t leg = ticksFor(a, corner, 15.0);
    LiveAc ac = groundAc({groundSample(a, 15, 0), groundSample(corner, 15, leg), groundSample(c, 15, 2 * leg),
                          groundSample(d, 15, 3 * leg)},
                         0.0);
    fly(ac, 4 * leg);

    expectSanePositions(ac.objectId);
    const auto object = world().object(ac.objectId);
    const auto& positions = object->positions;
    double closest = 1e9;
    double biggestTurn = 0.0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        closest = std::min(closest, metres({positions[i].latitude, positions[i].longitude}, corner));
        if (i > 0) {
            biggestTurn = std::max(biggestTurn, std::abs(lf_offDeg(positions[i].headingRad / kDeg,
                                                                   positions[i - 1].headingRad / kDeg)));
        }
    }
    EXPECT_GT(closest, 3.0);      // the corner is cut, not driven through
    EXPECT_LT(biggestTurn, 2.0);  // and the heading turns smoothly, frame by frame
    EXPECT_LT(metres(simAt(ac), d), 15.0);
    EXPECT_NEAR(lf_offDeg(simHeadingDeg(ac), 90.0), 0.0, 5.0);
}

TEST_F(GroundSim, PullsOutForwardWhenItsNextSampleLiesAhead)
{
    const Stand& stand = addStand("B12", at(0, 0), 0.0);
    numberStands();
    LiveAc ac = parkedAc(stand);
    ac.stream.push_back(groundSample(at(60, 0), 5, 3000));
    ac.leaveStand = 1;
    fly(ac, 3000);

    EXPECT_TRUE(m_log.contains("B12     : SWR123   pulling out"));
    expectSanePositions(ac.objectId);
    // Two half spans straight ahead of the stand, nose still along the stand heading.
    EXPECT_NEAR(metres(simAt(ac), at(2 * ac.halfSpan * 1852.0, 0)), 0.0, 2.0);
    EXPECT_NEAR(lf_offDeg(simHeadingDeg(ac), 0.0), 0.0, 1.0);
    EXPECT_TRUE(hasEvent(events(ac.objectId), "ENGINE_AUTO_START", 0));
    EXPECT_TRUE(hasEvent(events(ac.objectId), "TAXI_LIGHTS_SET", 1));
}

struct PushbackCase {
    bool sideLearned;
    bool straightOnly;
    bool turns;
};

class PushbackTest : public GroundSim, public testing::WithParamInterface<PushbackCase> {};

TEST_P(PushbackTest, PushesBackAlongTheStandAxisAndTurnsOnlyToALearnedSide)
{
    const PushbackCase c = GetParam();
    STRAIGHT_PBS_ONLY.value = c.straightOnly;
    const Stand& stand = addStand("B12", at(0, 0), 0.0, 20.0);
    numberStands();
    LiveAc ac = parkedAc(stand);
    ac.stream.push_back(groundSample(at(-60, 0), 3, 3000));  // the aircraft was seen behind its stand
    ac.leaveStand = 1;
    fly(ac, 100, [](const LiveAc& a) { return a.flightPhase == FlightPhase::pushing_back; });
    ASSERT_EQ(ac.flightPhase, FlightPhase::pushing_back);
    ac.pushbackTurnLearned = c.sideLearned ? 1 : 0;
    fly(ac, 20000, [](const LiveAc& a) { return a.pushbackCount == 1; });
    // The feed reports the aircraft standing where the pushback ends.
    const PosSample& last = ac.stream.back();
    ac.stream.push_back(groundSample({last.latitude, last.longitude}, 0, last.dueTick + 500));
    fly(ac, 20000, [](const LiveAc& a) { return a.flightPhase == FlightPhase::pushed_back; });

    ASSERT_EQ(ac.flightPhase, FlightPhase::pushed_back);
    expectSanePositions(ac.objectId);
    const auto object = world().object(ac.objectId);
    const auto& positions = object->positions;
    EXPECT_TRUE(std::any_of(positions.begin(), positions.end(),
                            [](const auto& p) { return p.trueAirspeedKt < 0.0; }));  // moving backwards
    const LatLon pushEnd = at(-50, 0);  // 2.5 stand radii behind the stand
    if (c.turns) {
        EXPECT_NEAR(metres(simAt(ac), at(-50, ac.halfSpan * 1852.0)), 0.0, 3.0);
        EXPECT_NEAR(lf_offDeg(simHeadingDeg(ac), 270.0), 0.0, 15.0);
    } else {
        EXPECT_NEAR(metres(simAt(ac), pushEnd), 0.0, 2.0);
        EXPECT_NEAR(lf_offDeg(simHeadingDeg(ac), 0.0), 0.0, 1.0);
    }
    EXPECT_TRUE(hasEvent(events(ac.objectId), "ENGINE_AUTO_START", 0));
    EXPECT_EQ(ac.pullBackNm, 900.0);
}

INSTANTIATE_TEST_SUITE_P(Sides, PushbackTest,
                         testing::Values(PushbackCase{false, false, false}, PushbackCase{true, true, false},
                                         PushbackCase{true, false, true}));

struct RollCase {
    double frontKt;
    double offRunwayDeg;
    bool spoilersRetracted;
    bool flaps1;
    bool rollEnds;
};

class LandingRollTest : public testing::TestWithParam<RollCase> {};

TEST_P(LandingRollTest, SlowsAndCleansUpOnlyBelow90KtAndEndsOffTheRunwayHeading)
{
    const RollCase c = GetParam();
    gf_resetSimQueues();
    LiveAc ac = testsupport::makeActiveAc(Category::Large, 77, {groundSample(at(0, 0), c.frontKt, 0),
                                                               groundSample(at(200, 0), c.frontKt, 1000)});
    ac.flapsIndex = 3;
    ac.landingRoll = 1;
    ac.runwayHeading = 10.0 * kDeg;
    ac.simPosition[4] = (10.0 + c.offRunwayDeg) * kDeg;
    lf_groundStep(ac);

    const auto has = [](std::uint32_t event, std::uint32_t value) {
        return std::any_of(g_eventQueue.begin(), g_eventQueue.end(),
                           [&](const EventItem& e) { return e.event == event && e.value == value; });
    };
    EXPECT_EQ(has(kEventSpoilersSet, 0), c.spoilersRetracted);
    EXPECT_EQ(has(kEventFlapsSet, 3072), c.flaps1);
    EXPECT_EQ(ac.landingRoll == 0, c.rollEnds);
    if (!c.spoilersRetracted) {
        EXPECT_TRUE(g_eventQueue.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Rolls, LandingRollTest,
                         testing::Values(RollCase{91, 0, false, false, false}, RollCase{90, 0, true, true, false},
                                         RollCase{90, 14.9, true, true, false}, RollCase{120, 15, true, false, true}));

TEST(GroundPath, RunsFromItsOriginToItsEndAndFailsWithoutAControlPoint)
{
    LiveAc ac;
    ac.simPosition = {47.0, 8.0, 0, 0, 0, 0, 0, 0};
    ac.stream = {groundSample({47.0, 8.0}, 10, 0), groundSample(gf_destinationPoint({47.0, 8.0}, 0.0, 300.0), 10, 100),
                 groundSample(gf_destinationPoint({47.001, 8.0}, 1.5707963, 300.0), 10, 200)};
    const PosSample end = ac.stream[2];
    lf_setBezierPath(ac);
    ASSERT_EQ(ac.stream.size(), 2u);  // the corner sample became the control point

    LatLon p;
    double heading = 0.0;
    ASSERT_TRUE(lf_evalBezier(ac, 0.0, p, heading));
    EXPECT_NEAR(p.lat, 47.0, 1e-9);
    EXPECT_NEAR(p.lon, 8.0, 1e-9);
    EXPECT_NEAR(heading, 0.0, 1e-6);  // leaving toward the corner, due north
    ASSERT_TRUE(lf_evalBezier(ac, 0.999999, p, heading));
    EXPECT_LT(metres(p, {end.latitude, end.longitude}), 0.01);
    EXPECT_FALSE(lf_evalBezier(ac, 1.5, p, heading));

    ac.groundPath[7] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(lf_evalBezier(ac, 0.5, p, heading));
}

namespace {

// A taxiing Large aircraft at the airport reference heading north, planning at its front
// sample, with a ground turn rate of 0.0005 rad a tick.
LiveAc lf_taxiing(const std::vector<PosSample>& samples)
{
    g_engineTick = 1000;
    LiveAc ac = testsupport::makeActiveAc(Category::Large, 0, samples);
    ac.flightPhase = FlightPhase::taxi;
    ac.onGround = 1;
    ac.simPosition[4] = 0.0;
    ac.course = 0.0;
    ac.turnRateBase = 0.0005;
    ac.timers = {1000, 1000};
    return ac;
}

} // namespace

// The turn is slowed down to fit the segment: T ticks to the next sample (distance at the
// segment's speed, 10 kt here) against round(A / rate / 100) ticks of turning.
TEST(GroundTurnRate, FitsTheTurnToTheSegment)
{
    struct Case {
        double headingErrorDeg;
        double metres;
        double rateFactor;  // of the base rate
        bool timersRaised;
    };
    const Case cases[] = {
        {2.0, 100.0, 1.0, false},             // within 3 deg: no steering, the base rate
        {20.0, 20.0, 400.0 / 389.0, false},   // r = 389 / 400 below 1.2: base / r
        {20.0, 22.5, 400.0 / 437.0, false},   // r = 437 / 400, still below 1.2
        {20.0, 100.0, 1.0 / 1.458, false},    // r = 4.86: 30 m x r / d = 1.458 is the smallest
        {5.0, 20.0, 1.0 / 3.89, false},       // r = 3.89 is the smallest
        {20.0, 40.0, 400.0 / 389.0, false},   // r = 1.945: r x 10 / A = 0.9725 is the smallest
        {60.0, 100.0, 1.62, false},           // above 45 deg: base x min(r, 60 / 30)
        {120.0, 20.0, 389.0 / 2400.0, true},  // base x r; 90 deg or more raises the timers
        {120.0, 500.0, 3.0, true},            // base x min(r, 90 / 30)
    };
    for (const Case& c : cases) {
        const LatLon a = at(0, 0);
        LiveAc ac = lf_taxiing({groundSample(a, 10, 1000), groundSample(at(c.metres, 0), 10, 1000 + 100000)});
        ac.course = c.headingErrorDeg * kDeg;
        lf_groundPlan(ac);
        EXPECT_EQ(ac.steerToCourse, c.headingErrorDeg > 3.0 ? 1 : 0) << c.headingErrorDeg;
        EXPECT_NEAR(ac.groundTurnRate / 0.0005, c.rateFactor, 1e-6) << c.headingErrorDeg << " " << c.metres;
        EXPECT_EQ(ac.timers[0], c.timersRaised ? 2000 : 1000) << c.headingErrorDeg << " " << c.metres;
        EXPECT_EQ(ac.timers[1], c.timersRaised ? 2000 : 1000) << c.headingErrorDeg << " " << c.metres;
    }
}

// Between two samples whose speeds differ by more than 5 kt and that lie 100 m or more
// apart, a midpoint with the mean position, speed and due tick is inserted; a sharp corner
// taken slowly over a long way gets one too instead of a curve.
TEST(GroundMidpoints, AreInsertedForSpeedChangesAndSlowSharpCorners)
{
    struct Case {
        const char* what;
        std::vector<PosSample> samples;
        std::int32_t holdCount;
        bool midpoint;
        bool curve;
    };
    const LatLon a = at(0, 0);
    const Case cases[] = {
        {"speed change over 150 m", {groundSample(a, 10, 1000), groundSample(at(150, 0), 30, 3000)}, 0, true, false},
        {"speed change over 90 m", {groundSample(a, 10, 1000), groundSample(at(90, 0), 30, 3000)}, 0, false, false},
        {"5 kt change", {groundSample(a, 10, 1000), groundSample(at(150, 0), 15, 3000)}, 0, false, false},
        {"holding", {groundSample(a, 10, 1000), groundSample(at(150, 0), 30, 3000)}, 1, false, false},
        {"slow corner",
         {groundSample(a, 20, 1000), groundSample(at(150, 0), 20, 1600), groundSample(at(150, 150), 20, 2200)},
         0, true, false},
        {"corner due sooner",
         {groundSample(a, 20, 1000), groundSample(at(150, 0), 20, 1599), groundSample(at(150, 150), 20, 2200)},
         0, false, true},
        {"fast corner",
         {groundSample(a, 44, 1000), groundSample(at(150, 0), 44, 1600), groundSample(at(150, 150), 44, 2200)},
         0, false, true},
        {"corner within 50 m",
         {groundSample(a, 20, 1000), groundSample(at(49, 0), 20, 1600), groundSample(at(49, 150), 20, 2200)},
         0, false, true},
    };
    for (const Case& c : cases) {
        LiveAc ac = lf_taxiing(c.samples);
        ac.holdCount = c.holdCount;
        const PosSample front = c.samples[0];
        const PosSample next = c.samples[1];
        lf_groundPlan(ac);
        EXPECT_EQ(gf_groundPathSet(ac), c.curve) << c.what;
        if (c.curve) {
            EXPECT_NEAR(ac.turnAngle, 90.0, 0.5) << c.what;
        }
        const std::size_t expectedSize = c.samples.size() + (c.midpoint ? 1 : 0) - (c.curve ? 1 : 0);
        ASSERT_EQ(ac.stream.size(), expectedSize) << c.what;
        if (c.midpoint) {
            const PosSample& mid = ac.stream[1];
            EXPECT_NEAR(metres({mid.latitude, mid.longitude}, {front.latitude, front.longitude}),
                        metres({mid.latitude, mid.longitude}, {next.latitude, next.longitude}), 0.01)
                << c.what;
            EXPECT_EQ(mid.groundSpeed, (front.groundSpeed + next.groundSpeed) / 2.0) << c.what;
            EXPECT_EQ(mid.stationary, 0) << c.what;
        }
    }
}
