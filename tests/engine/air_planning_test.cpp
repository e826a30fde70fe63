#include "engine/air_movement.h"
#include "engine/air_planning.h"

#include "app/tick_state.h"
#include "engine/ac_containers.h"
#include "engine/air_angles.h"
#include "engine/engine_tick.h"
#include "parking/park_airport.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "support/air_traffic.h"
#include "traffic/reader_lights.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

using namespace testsupport;

namespace {

constexpr std::uint32_t kObject = 9;
const LatLon kZurich{47.4581, 8.5555};


std::size_t lf_count(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& events, std::uint32_t event,
                     std::uint32_t value)
{
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), std::make_pair(event, value)));
}

// Ticks the engine as the update of an active aircraft does: the due sample is planned,
// then the aircraft moves one tick.
void lf_runTicks(LiveAc& ac, int ticks)
{
    for (int i = 0; i < ticks && ac.stream.size() >= 1 && !ac.remove; ++i) {
        if (g_engineTick.load() >= ac.stream.front().dueTick) {
            nextPosMain(ac);
            if (ac.remove) {
                return;
            }
        }
        if (!ac.stream.front().stationary) {
            lf_flyCurve(ac);
        }
        g_engineTick.fetch_add(1);
    }
}

void lf_setParkAirport(const LatLon& position, double elevationFt)
{
    g_parkAirport = "LSZH";
    g_parkAirportLat = position.lat;
    g_parkAirportLon = position.lon;
    g_parkAirportElevation = elevationFt;
    g_parkAirportSet = true;
}

LiveAc lf_twoSampleAc(double frontVs, double nextVs, double agl)
{
    TrackSpec track{.start = kZurich, .count = 3};
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.stream[0].verticalSpeed = frontVs;
    ac.stream[1].verticalSpeed = nextVs;
    ac.agl = agl;
    return ac;
}

} // namespace

TEST(AirPlanning, DescentRateFollowsSamplesAndQnh)
{
    struct Case {
        int qnh;
        double frontVs, nextVs, agl, expected;
    };
    const Case cases[] = {
        {1020, -800, -800, 2000, -840.5}, // the QNH correction deepens the descent
        {1020, -800, -800, 90, -600},     // close to the ground a fixed rate
        {1013, -300, -300, 2000, -601},   // never shallower than 601 ft/min
        {1000, -1000, -600, 500, -800 + 13.25 * 6.0},
    };
    for (const Case& c : cases) {
        g_currentQnh = c.qnh;
        const LiveAc ac = lf_twoSampleAc(c.frontVs, c.nextVs, c.agl);
        EXPECT_DOUBLE_EQ(lf_descentRate(ac), c.expected) << "qnh " << c.qnh << " agl " << c.agl;
    }
}

TEST(AirPlanning, SampleDueSoonIsFlownOverTwentyFiveTicks)
{
    g_engineTick = 1000;
    TrackSpec track{.start = kZurich, .intervalSeconds = 1, .count = 3, .firstDueTick = 1000};
    auto samples = makeTrack(track);
    // The next sample lies three ticks ahead at the aircraft's speed.
    samples[1].latitude = samples[0].latitude + (samples[1].latitude - samples[0].latitude) * 0.03;
    samples[1].longitude = samples[0].longitude + (samples[1].longitude - samples[0].longitude) * 0.03;
    samples[1].dueTick = 1003;
    LiveAc ac = makeActiveAc(Category::Large, kObject, samples);
    const PosSample next = samples[1];
    nextPosMain(ac);
    EXPECT_EQ(ac.stream.front().dueTick, 1025);
    for (int i = 0; i < 25; ++i) {
        lf_flyCurve(ac);
    }
    EXPECT_NEAR(ac.simPosition[0], next.latitude, 1e-9);
    EXPECT_NEAR(ac.simPosition[1], next.longitude, 1e-9);
}

TEST(AirPlanning, DueTickStaysWithinTheTimersOfItsOldDueTick)
{
    g_engineTick = 0;
    TrackSpec track{.start = kZurich, .count = 3};
    auto samples = makeTrack(track);
    samples[0].groundSpeed = samples[1].groundSpeed = 20.0; // far too slow for the 4 s between them
    LiveAc ac = makeActiveAc(Category::Large, kObject, samples);
    ac.timers = {1000, 1500};
    lf_airPlan(ac);
    EXPECT_EQ(ac.stream[1].dueTick, 400 + 1500);
}

TEST(AirPlanning, LowAircraftWithoutApproachNeverDescends)
{
    g_engineTick = 0;
    TrackSpec track{.start = kZurich, .startAltitudeFt = 1800.0, .verticalSpeedFpm = -900.0, .count = 3};
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.agl = 900.0;
    nextPosMain(ac);
    EXPECT_DOUBLE_EQ(ac.altRate, 0.2);
    ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.agl = 1200.0;
    nextPosMain(ac);
    EXPECT_LT(ac.altRate, 0.0);
}

TEST(AirPlanning, ClimbIsBoundedByTheCategoryLimit)
{
    g_engineTick = 0;
    TrackSpec track{.start = kZurich, .startAltitudeFt = 5000.0, .verticalSpeedFpm = 4000.0, .count = 3};
    LiveAc ac = makeActiveAc(Category::Heavy, kObject, makeTrack(track));
    nextPosMain(ac);
    EXPECT_DOUBLE_EQ(ac.altRate, 0.5);
}

TEST(AirPlanning, CruiseAndAllLightsAreSentOncePerCrossingOfTenThousandFeet)
{
    g_engineTick = 0;
    const double altitudes[] = {9000, 9500, 10500, 11000, 9800, 9600, 10200, 10800, 11000};
    std::vector<PosSample> samples;
    for (std::size_t i = 0; i < std::size(altitudes); ++i) {
        SampleSpec shape;
        shape.position = gf_destinationPoint(kZurich, 0.0, 4000.0 * static_cast<double>(i));
        shape.altitudeFt = altitudes[i];
        shape.groundSpeedKt = 250.0;
        shape.dueTick = static_cast<std::int32_t>(i) * 400;
        samples.push_back(makeSample(shape));
    }
    LiveAc ac = makeActiveAc(Category::Large, kObject, samples);
    ac.agl = 9000.0;
    std::vector<int> lightStates; // 7: all lights on, 4: cruise state
    takeQueuedEvents();
    while (ac.stream.size() >= 2) {
        nextPosMain(ac);
        const auto events = takeQueuedEvents();
        if (lf_count(events, kEventLandingLightsSet, 1) == 1) {
            lightStates.push_back(7);
        }
        if (lf_count(events, kEventLandingLightsSet, 0) == 1) {
            lightStates.push_back(4);
        }
    }
    EXPECT_EQ(lightStates, (std::vector<int>{7, 4, 7, 4}));
}

TEST(AirPlanning, ApproachWithinTenMilesArmsTheLanding)
{
    g_engineTick = 0;
    lf_setParkAirport(kZurich, 1416.0);
    TrackSpec track{
        .start = gf_destinationPoint(kZurich, std::numbers::pi, 8.0 * kFeetPerNm), .groundSpeedKt = 150.0,
        .startAltitudeFt = 3400.0, .verticalSpeedFpm = -700.0, .count = 4
    };
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.agl = 2000.0;
    nextPosMain(ac);
    const auto events = takeQueuedEvents();
    EXPECT_TRUE(ac.landingArmed);
    EXPECT_EQ(lf_count(events, kEventThrottleSet, 4914), 1u);
    EXPECT_EQ(lf_count(events, kEventFlapsSet, 16383), 1u);
    EXPECT_EQ(lf_count(events, kEventGearSet, 1), 1u);
    EXPECT_EQ(g_standArrivals, (std::deque<std::uint32_t>{ac.hexid}));
    EXPECT_EQ(ac.timers, (std::array<std::int32_t, 2>{3000, 3000}));
}

TEST(AirPlanning, ApproachFarFromTheParkAirportIsNotArmed)
{
    g_engineTick = 0;
    lf_setParkAirport(kZurich, 1416.0);
    TrackSpec track{
        .start = gf_destinationPoint(kZurich, std::numbers::pi, 12.0 * kFeetPerNm), .startAltitudeFt = 3400.0,
        .verticalSpeedFpm = -700.0, .count = 4
    };
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.agl = 2000.0;
    nextPosMain(ac);
    EXPECT_FALSE(ac.landingArmed);
}

TEST(AirPlanning, ArmedApproachLeavingTheFieldGoesAroundOnce)
{
    g_engineTick = 0;
    lf_setParkAirport(kZurich, 1416.0);
    TrackSpec track{
        .start = gf_destinationPoint(kZurich, 0.0, 11.0 * kFeetPerNm), .startAltitudeFt = 2400.0,
        .verticalSpeedFpm = -100.0, .count = 4
    };
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.agl = 1000.0;
    ac.landingArmed = 1;
    ac.flapsIndex = 3;
    ac.throttleIndex = 1;
    nextPosMain(ac);
    auto events = takeQueuedEvents();
    EXPECT_FALSE(ac.landingArmed);
    EXPECT_TRUE(ac.goAroundDone);
    EXPECT_EQ(lf_count(events, kEventThrottleSet, 16383), 1u);
    EXPECT_EQ(lf_count(events, kEventGearSet, 0), 1u);
    EXPECT_EQ(lf_count(events, kEventFlapsSet, 0), 1u);
    ac.landingArmed = 1;
    nextPosMain(ac);
    events = takeQueuedEvents();
    EXPECT_EQ(lf_count(events, kEventGearSet, 0), 0u);
}

TEST(AirPlanning, ClimbingFromGroundSamplesJumpsToTheFirstAirborneOne)
{
    g_engineTick = 0;
    TrackSpec track{.start = kZurich, .groundSpeedKt = 160.0, .startAltitudeFt = 0.0, .count = 6};
    auto samples = makeTrack(track);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i].airborne = i >= 3 ? 1 : 0;
        samples[i].altitude = i >= 3 ? 200.0 * static_cast<double>(i - 2) : 0.0;
        samples[i].verticalSpeed = 1500.0;
    }
    LiveAc ac = makeActiveAc(Category::Large, kObject, samples);
    ac.onGround = 0; // rotated: the aircraft flies over the last ground samples
    ac.flightPhase = FlightPhase::take_off;
    const PosSample firstAirborne = samples[3];
    nextPosMain(ac);
    EXPECT_EQ(ac.stream.front().latitude, firstAirborne.latitude);
    EXPECT_EQ(ac.stream.size(), 3u);
    EXPECT_GT(ac.altRate, 0.0);
}

TEST(AirPlanning, AntimeridianIsCrossedTheShortWay)
{
    g_engineTick = 0;
    TrackSpec track{.start = {10.0, 179.995}, .trackDeg = 90.0, .count = 4};
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    const auto samples = std::vector<PosSample>(ac.stream.begin(), ac.stream.end());
    ASSERT_LT(samples[3].longitude, 0.0);
    lf_runTicks(ac, 1200);
    EXPECT_NEAR(ac.simPosition[0], samples[3].latitude, 1e-6);
    EXPECT_NEAR(ac.simPosition[1], samples[3].longitude, 1e-6);
    EXPECT_GE(ac.simPosition[1], -180.0);
    EXPECT_LT(ac.simPosition[1], 180.0);
}

TEST(AirPlanning, DryStreamRemovesTheAircraftOnceExtrapolationIsUsedUp)
{
    g_engineTick = 0;
    TrackSpec track{.start = kZurich, .count = 1};
    LiveAc ac = makeActiveAc(Category::Large, kObject, makeTrack(track));
    ac.holdCount = 1;
    nextPosMain(ac);
    EXPECT_EQ(ac.simState, SimState::removingfromsim);
    EXPECT_EQ(g_removalQueue, std::deque<std::uint32_t>{kObject});
}

TEST(AirPlanning, StandingSamplesAreDroppedInTheAir)
{
    g_engineTick = 0;
    TrackSpec track{.start = kZurich, .count = 4};
    auto samples = makeTrack(track);
    samples[1].stationary = 1;
    LiveAc ac = makeActiveAc(Category::Large, kObject, samples);
    nextPosMain(ac);
    EXPECT_EQ(ac.stream.front().dueTick, samples[2].dueTick);
    EXPECT_EQ(ac.stream.size(), 2u);
}

TEST(AirAngles, HeadingsAndLongitudesStayInRange)
{
    constexpr double twoPi = 2.0 * std::numbers::pi;
    EXPECT_DOUBLE_EQ(gf_wrapHeading(-0.5), twoPi - 0.5);
    EXPECT_EQ(gf_wrapHeading(twoPi - 1e-13), 0.0);
    EXPECT_DOUBLE_EQ(gf_wrapHeading(twoPi + 1.0), 1.0);
    EXPECT_DOUBLE_EQ(gf_wrapPi(1.5 * std::numbers::pi), -0.5 * std::numbers::pi);
    EXPECT_DOUBLE_EQ(gf_wrapLongitude(180.0), -180.0);
    EXPECT_DOUBLE_EQ(gf_wrapLongitude(190.0), -170.0);
    EXPECT_DOUBLE_EQ(gf_wrapLongitude(-190.0), 170.0);
    EXPECT_NEAR(gf_longitudeDelta(179.9, -179.9), 0.2, 1e-9);
    EXPECT_NEAR(gf_longitudeDelta(-179.9, 179.9), -0.2, 1e-9);
}
