// Taxiing, pulling out and pushing back through the simulated simulator, asserted on the
// positions and events it received; the landing roll's commands and the ground path itself.
#include "ground_sim.h"

#include "core/settings.h"
#include "engine/engine_tick.h"
#include "engine/ground_path.h"
#include "engine/ground_plan.h"
#include "simlink/sim_ids.h"

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
