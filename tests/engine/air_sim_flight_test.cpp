// Recorded-style flights through the simulated simulator: cruise, approach and landing
// with the flare, go-around and lift-off, asserted on what the simulator received.
#include "air_sim_flight.h"

#include "core/geo.h"
#include "traffic/reader_lights.h"

using namespace airtest;
using testsupport::makeActiveAc;
using testsupport::makeTrack;
using testsupport::TrackSpec;

namespace {

constexpr double kPi = 3.141592653589793;

// Samples toward the airport from the south that descend at vs and touch down at it.
TrackSpec lf_approachTrack(double distanceNm, double heightFt, double vsFpm)
{
    TrackSpec track{
        .start = gf_destinationPoint(kAirport, kPi, distanceNm * kFeetPerNm), .trackDeg = 0.0, .groundSpeedKt = 140.0,
        .startAltitudeFt = kAirportElevationFt + heightFt, .verticalSpeedFpm = vsFpm, .intervalSeconds = 4,
        .count = static_cast<int>(heightFt / -vsFpm * 60.0 / 4.0) + 8, .firstDueTick = 0, .groundBelowFloor = true,
        .floorFt = kAirportElevationFt
    };
    return track;
}

double lf_heightAt(const standin::SimObjectRecord& object, std::uint64_t frame)
{
    double height = 0.0;
    for (const auto& p : object.positions) {
        if (p.frame > frame) {
            break;
        }
        height = p.altitudeFt - kAirportElevationFt;
    }
    return height;
}

// A take-off roll: ground samples that speed up, then airborne ones climbing at 2000 ft/min.
constexpr double kTakeOffSpeeds[] = {60, 90, 120, 150, 160, 165, 170, 175, 180, 180, 180, 180, 180, 180};

std::vector<PosSample> lf_takeOffSamples()
{
    std::vector<PosSample> samples;
    double feet = 0.0;
    for (std::size_t i = 0; i < std::size(kTakeOffSpeeds); ++i) {
        testsupport::SampleSpec shape;
        shape.position = gf_destinationPoint(kAirport, 0.0, feet);
        shape.groundSpeedKt = kTakeOffSpeeds[i];
        shape.trackDeg = 0.0;
        shape.airborne = i >= 5;
        shape.altitudeFt = kAirportElevationFt + (i >= 5 ? 130.0 * static_cast<double>(i - 4) : 0.0);
        shape.verticalSpeedFpm = i >= 5 ? 2000.0 : 0.0;
        shape.dueTick = static_cast<std::int32_t>(i) * 400;
        samples.push_back(testsupport::makeSample(shape));
        feet += kTakeOffSpeeds[i] * kFeetPerNm * 4.0 / 3600.0;
    }
    return samples;
}

} // namespace

TEST_F(AirSimFlight, CruisingAircraftPassesItsSamplesInOrder)
{
    TrackSpec track{
        .start = kAirport, .trackDeg = 60.0, .groundSpeedKt = 420.0, .startAltitudeFt = 35000.0, .count = 10
    };
    const auto samples = makeTrack(track);
    LiveAc& ac = adopt(makeActiveAc(Category::Large, 0, samples));
    createInSimulator(ac);
    fly(ac, 10 * 400 + 8 * 800 + 400);
    // The stream ran dry after the last sample; eight dead-reckoned samples later it is gone.
    EXPECT_EQ(ac.simState, SimState::removingfromsim);

    const auto object = world().object(ac.objectId);
    expectSanePositions(ac.objectId);
    // The simulator saw the aircraft at each sample when it was due, in order.
    std::size_t passed = 0;
    for (const auto& s : samples) {
        double best = 1e9;
        for (const TickState& t : ticks) {
            if (std::abs(t.tick - s.dueTick) <= 30) {
                best = std::min(best, gf_distanceNm({t.simPosition[0], t.simPosition[1]}, {s.latitude, s.longitude}));
            }
        }
        if (s.dueTick <= ticks.back().tick) {
            EXPECT_LT(best, 420.0 / 3600.0 * 0.3) << "sample due at " << s.dueTick;
            ++passed;
        }
    }
    EXPECT_GE(passed, samples.size() - 1);
    const auto& last = object->positions.back();
    EXPECT_NEAR(last.altitudeFt, 35000.0, 1.0);
    EXPECT_NEAR(last.headingRad, 60.0 * kDeg, 0.5 * kDeg);
    const auto list = events(ac.objectId);
    EXPECT_TRUE(hasEvent(list, "GEAR_SET", 0));
    EXPECT_TRUE(hasEvent(list, "THROTTLE_SET", 11468));
}

TEST_F(AirSimFlight, ApproachFlaresTouchesDownAndSettlesOnItsStaticPitch)
{
    setParkAirport();
    g_currentQnh = 1013;
    LiveAc& ac = adopt(makeActiveAc(Category::Large, 0, makeTrack(lf_approachTrack(6.5, 2000.0, -700.0))));
    ac.simPosition[2] = -1.0 * kDeg;
    createInSimulator(ac);
    fly(ac, 60000);

    expectSanePositions(ac.objectId);
    const auto list = events(ac.objectId);
    // Armed on the approach: power back, flaps 3, gear down.
    EXPECT_TRUE(hasEvent(list, "THROTTLE_SET", 4914));
    EXPECT_TRUE(hasEvent(list, "FLAPS_SET", 16383));
    EXPECT_TRUE(hasEvent(list, "GEAR_SET", 1));
    // Power off in the flare, spoilers out at touch-down.
    EXPECT_TRUE(hasEvent(list, "THROTTLE_SET", 0));
    EXPECT_TRUE(hasEvent(list, "SPOILERS_SET", 16383));
    EXPECT_FALSE(hasEvent(list, "GEAR_SET", 0));

    // The four flare stages began at their heights above the ground (static CG 7 ft:
    // 37, 27, 17 and 10 ft), each measured from what the simulator last received.
    const double stageHeights[] = {37.0, 27.0, 17.0, 10.0};
    const auto object = world().object(ac.objectId);
    int stage = 0;
    for (const TickState& t : ticks) {
        if (t.flareStage > stage && t.flareStage <= 4 && !t.onGround) {
            const double height = t.simPosition[5] - kAirportElevationFt;
            EXPECT_EQ(t.flareStage, stage + 1);
            EXPECT_LE(height, stageHeights[stage] + 0.5) << "stage " << t.flareStage;
            EXPECT_GE(height, stageHeights[stage] - 6.0) << "stage " << t.flareStage;
            stage = t.flareStage;
        }
    }
    EXPECT_EQ(stage, 4);

    // Spoilers and both throttles straight onto the object at touch-down.
    ASSERT_FALSE(object->dataSets.empty());
    EXPECT_EQ(object->dataSets.front().defineId, 401u);
    EXPECT_EQ(object->dataSets.front().values, (std::vector<double>{100.0, 100.0, 100.0}));

    // On the ground at the end, level on its static pitch.
    const auto& last = object->positions.back();
    EXPECT_NEAR(last.altitudeFt, kAirportElevationFt + kStaticCgFt, 0.01);
    EXPECT_NEAR(last.pitchRad, kStaticPitchRad, 1e-9);
    EXPECT_EQ(last.bankRad, 0.0);
    EXPECT_TRUE(ac.landed);
    EXPECT_GT(lf_heightAt(*object, object->positions.front().frame), 1900.0);
}

TEST_F(AirSimFlight, ClimbNearTheFieldGoesAround)
{
    setParkAirport();
    g_currentQnh = 1013;
    // Descending on the approach, then climbing away at 1500 ft/min.
    auto samples = makeTrack(lf_approachTrack(5.0, 1500.0, -700.0));
    samples.resize(20);
    const double bottom = samples.back().altitude;
    for (std::size_t i = 12; i < samples.size(); ++i) {
        samples[i].verticalSpeed = 1500.0;
        samples[i].altitude = bottom - 700.0 * 8 * 4 / 60.0 + 1500.0 * static_cast<double>(i - 11) * 4 / 60.0;
    }
    LiveAc& ac = adopt(makeActiveAc(Category::Large, 0, samples));
    createInSimulator(ac);
    fly(ac, 20 * 400);

    expectSanePositions(ac.objectId);
    auto list = events(ac.objectId);
    const auto armed = std::find(list.begin(), list.end(), std::make_pair(std::string("FLAPS_SET"), DWORD{16383}));
    ASSERT_NE(armed, list.end());
    const std::vector<std::pair<std::string, DWORD>> after(armed, list.end());
    EXPECT_TRUE(hasEvent(after, "THROTTLE_SET", 16383));
    EXPECT_TRUE(hasEvent(after, "GEAR_SET", 0));
    EXPECT_TRUE(hasEvent(after, "FLAPS_SET", 0));
    EXPECT_TRUE(ac.goAroundDone);
    EXPECT_FALSE(ac.landed);
}

TEST_F(AirSimFlight, AirborneSampleAfterGroundSamplesLiftsOffAndClimbsWithGearUp)
{
    LiveAc& ac = adopt(makeActiveAc(Category::Large, 0, lf_takeOffSamples()));
    ac.simPosition[5] = kAirportElevationFt + kStaticCgFt;
    ac.simPosition[2] = kStaticPitchRad;
    createInSimulator(ac);
    lf_armTakeOff(ac);
    fly(ac, static_cast<int>(std::size(kTakeOffSpeeds)) * 400);

    expectSanePositions(ac.objectId);
    const auto list = events(ac.objectId);
    EXPECT_TRUE(hasEvent(list, "GEAR_SET", 0));
    bool tookOff = false;
    for (const TickState& t : ticks) {
        tookOff = tookOff || t.phase == FlightPhase::take_off;
    }
    EXPECT_TRUE(tookOff);
    const auto object = world().object(ac.objectId);
    const auto& last = object->positions.back();
    EXPECT_GT(last.altitudeFt - kAirportElevationFt, 300.0);
    EXPECT_LT(last.pitchRad, -5.0 * kDeg); // nose up
    EXPECT_FALSE(ac.onGround);
}

TEST_F(AirSimFlight, TouchAndGoRetractsTheSpoilersAsItLiftsOff)
{
    LiveAc& ac = adopt(makeActiveAc(Category::Large, 0, lf_takeOffSamples()));
    ac.simPosition[5] = kAirportElevationFt + kStaticCgFt;
    ac.simPosition[2] = kStaticPitchRad;
    createInSimulator(ac);
    // Rolling out after a touch-down when the samples speed up and climb again.
    ac.landed = 1;
    ac.landingRoll = 1;
    gf_beginTakeOffRoll(ac, 3, true);
    fly(ac, static_cast<int>(std::size(kTakeOffSpeeds)) * 400);

    const auto list = events(ac.objectId);
    std::vector<DWORD> spoilers;
    for (const auto& [name, value] : list) {
        if (name == "SPOILERS_SET") {
            spoilers.push_back(value);
        }
    }
    EXPECT_EQ(spoilers, (std::vector<DWORD>{16383, 0}));
    EXPECT_TRUE(hasEvent(list, "THROTTLE_SET", 16383));
    EXPECT_FALSE(ac.landingRoll);
    EXPECT_FALSE(ac.onGround);
}
