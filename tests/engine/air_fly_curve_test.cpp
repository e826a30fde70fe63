#include "engine/air_movement.h"

#include "app/tick_state.h"
#include "engine/engine_tick.h"
#include "parking/park_airport.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "support/air_traffic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace testsupport;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
const LatLon kZurich{47.4581, 8.5555};


LiveAc lf_finalApproach()
{
    TrackSpec track{
        .start = kZurich, .groundSpeedKt = 140.0, .startAltitudeFt = 1500.0, .verticalSpeedFpm = -700.0, .count = 3
    };
    LiveAc ac = makeActiveAc(Category::Large, 5, makeTrack(track));
    ac.landingArmed = 1;
    ac.throttleIndex = 1;
    return ac;
}

} // namespace

TEST(AirFlyCurve, FlareStagesFollowTheHeightAboveGround)
{
    struct Stage {
        double agl;
        int stage;
        double altRate;
        double frontVs;
    };
    // Static CG 7 ft: the stages begin at 37, 27, 17 and 10 ft.
    const Stage stages[] = {
        {38.0, 0, 0.0, -700.0}, {37.0, 1, -0.1, -601.0}, {28.0, 1, -0.1, -601.0}, {27.0, 2, -0.075, -450.0},
        {17.0, 3, -0.05, -300.0}, {10.0, 4, -0.025, -150.0}, {8.0, 4, -0.025, -150.0},
    };
    LiveAc ac = lf_finalApproach();
    ac.simPosition[2] = -2.0 * kDeg;
    for (const Stage& s : stages) {
        ac.agl = s.agl;
        lf_flyCurve(ac);
        EXPECT_EQ(ac.flareStage, s.stage) << "agl " << s.agl;
        if (s.stage > 0) {
            EXPECT_DOUBLE_EQ(ac.altRate, s.altRate) << "agl " << s.agl;
            EXPECT_DOUBLE_EQ(ac.stream.front().verticalSpeed, s.frontVs) << "agl " << s.agl;
        }
    }
    EXPECT_GE(ac.simPosition[2], -4.0 * kDeg - 1e-12);
    // The third stage takes the power off.
    const auto events = takeQueuedEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), std::make_pair(std::uint32_t{kEventThrottleSet}, 0u)), 1);
}

TEST(AirFlyCurve, AtMostOneFlareStageChangesPerTick)
{
    LiveAc ac = lf_finalApproach();
    ac.agl = 2.0;
    lf_flyCurve(ac);
    EXPECT_EQ(ac.flareStage, 1);
    lf_flyCurve(ac);
    EXPECT_EQ(ac.flareStage, 2);
}

TEST(AirFlyCurve, FlareBeginsByTheParkAirportElevationWhenTheHeightReportLags)
{
    g_parkAirport = "LSZH";
    g_parkAirportElevation = 1416.0;
    g_parkAirportSet = true;
    LiveAc ac = lf_finalApproach();
    ac.agl = 300.0; // the last report, older than the descent since
    ac.simPosition[5] = 1416.0 + 30.0;
    lf_flyCurve(ac);
    EXPECT_EQ(ac.flareStage, 1);
    EXPECT_EQ(ac.flareRef, std::optional<double>(1416.0));
}

TEST(AirFlyCurve, NoFlareWithoutAnArmedApproach)
{
    LiveAc ac = lf_finalApproach();
    ac.landingArmed = 0;
    ac.agl = 20.0;
    lf_flyCurve(ac);
    EXPECT_EQ(ac.flareStage, 0);
}

TEST(AirFlyCurve, TouchDownDeployesSpoilersAndDerotatesToTheStaticPitch)
{
    LiveAc ac = lf_finalApproach();
    ac.flareStage = 4;
    ac.simPosition[2] = -4.0 * kDeg;
    ac.simPosition[3] = 2.0 * kDeg;
    ac.simPosition[4] = 1.0;
    takeQueuedEvents();
    gf_touchDown(ac);
    EXPECT_TRUE(ac.onGround);
    EXPECT_TRUE(ac.landed);
    EXPECT_TRUE(ac.landingRoll);
    EXPECT_FALSE(ac.landingArmed);
    EXPECT_EQ(ac.runwayHeading, 1.0);
    EXPECT_EQ(ac.climbCount, 1);
    EXPECT_EQ(g_standArrivals, (std::deque<std::uint32_t>{ac.hexid}));
    EXPECT_EQ(takeQueuedEvents(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{kEventSpoilersSet, 16383}}));
    for (std::uint32_t i = 0; i < ac.ticksB + 1; ++i) {
        lf_flyCurve(ac);
    }
    EXPECT_DOUBLE_EQ(ac.simPosition[2], ac.staticPitch);
    EXPECT_EQ(ac.simPosition[3], 0.0);
    EXPECT_EQ(ac.flareStage, 0);
    EXPECT_FALSE(ac.derotating);
}

TEST(AirFlyCurve, GroundContactWithoutApproachOnlyStandsTheAircraftDown)
{
    LiveAc ac = lf_finalApproach();
    ac.landingArmed = 0;
    ac.altRate = -3.0;
    takeQueuedEvents();
    gf_touchDown(ac);
    EXPECT_TRUE(ac.onGround);
    EXPECT_EQ(ac.altRate, 0.0);
    EXPECT_FALSE(ac.landed);
    EXPECT_TRUE(takeQueuedEvents().empty());
}

TEST(AirFlyCurve, TakeOffRotatesThenClimbsOutWithGearUp)
{
    g_engineTick = 0;
    TrackSpec track{.start = kZurich, .groundSpeedKt = 150.0, .startAltitudeFt = 0.0, .count = 3};
    auto samples = makeTrack(track);
    for (auto& s : samples) {
        s.airborne = 0;
    }
    LiveAc ac = makeActiveAc(Category::Large, 5, samples);
    ac.simPosition[2] = ac.staticPitch;
    ac.simPosition[5] = 1423.0;
    ac.velocity = {1e-6, 0.0};
    ac.agl = 0.0;
    lf_armTakeOff(ac);
    takeQueuedEvents();
    lf_startTakeOff(ac);
    ac.altRate = ac.climbLimit;
    EXPECT_EQ(ac.flightPhase, FlightPhase::take_off);
    EXPECT_EQ(ac.climbCount, static_cast<std::int32_t>(ac.ticksC));
    const double rotationStep = std::abs(ac.pitchRate);
    // The rotation, then one tick at count 0 without a climb.
    for (std::uint32_t i = 0; i < ac.ticksC; ++i) {
        lf_flyCurve(ac);
    }
    EXPECT_FALSE(ac.onGround);
    EXPECT_NEAR(ac.simPosition[2], ac.rotationPitch, 2.0 * rotationStep);
    EXPECT_DOUBLE_EQ(ac.simPosition[5], 1423.0);
    // The climb-out: a tenth of the rate first, gear up at -300.
    lf_flyCurve(ac);
    EXPECT_DOUBLE_EQ(ac.simPosition[5], 1423.0 + 0.1 * ac.climbLimit);
    for (int i = 0; i < 299; ++i) {
        lf_flyCurve(ac);
    }
    EXPECT_EQ(ac.climbCount, -300);
    EXPECT_EQ(takeQueuedEvents(), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{kEventGearSet, 0}}));
    EXPECT_NEAR(ac.simPosition[2], ac.climbPitch, 1e-9);
    ac.agl = 800.0;
    lf_flyCurve(ac);
    EXPECT_EQ(ac.flightPhase, FlightPhase::flying);
    EXPECT_EQ(ac.climbCount, 1);
    EXPECT_EQ(ac.throttleIndex, 3u);
}

TEST(AirFlyCurve, TakeOffRollArmsPowerFlapsAndLights)
{
    LiveAc ac = lf_finalApproach();
    ac.towed = 1;
    ac.landed = 1;
    ac.throttleIndex = 4;
    ac.flapsIndex = 0;
    takeQueuedEvents();
    lf_armTakeOff(ac);
    const auto events = takeQueuedEvents();
    EXPECT_TRUE(ac.takeOffStarted);
    EXPECT_FALSE(ac.landed);
    EXPECT_EQ(ac.timers, (std::array<std::int32_t, 2>{3000, 5000}));
    ASSERT_EQ(events.size(), 10u);
    EXPECT_EQ(events[0], std::make_pair(std::uint32_t{kEventThrottleSet}, 0u));
    EXPECT_EQ(events[1], std::make_pair(std::uint32_t{kEventSpoilersSet}, 0u));
    EXPECT_EQ(events[2], std::make_pair(std::uint32_t{kEventFlapsSet}, 3072u));
    EXPECT_EQ(events[9], std::make_pair(std::uint32_t{kEventCabinLightsSet}, 0u));
}

TEST(AirFlyCurve, PositionIsKeptOnTheGlobe)
{
    LiveAc ac = lf_finalApproach();
    ac.landingArmed = 0;
    ac.simPosition[0] = 89.99999;
    ac.simPosition[1] = 179.99999;
    ac.velocity = {0.0001, 0.0001};
    lf_flyCurve(ac);
    EXPECT_LE(ac.simPosition[0], 90.0);
    EXPECT_GE(ac.simPosition[1], -180.0);
    EXPECT_LT(ac.simPosition[1], 180.0);
    EXPECT_NEAR(ac.simPosition[1], 179.99999 + 0.0001 + 180.0 - 360.0, 1e-9);
}
