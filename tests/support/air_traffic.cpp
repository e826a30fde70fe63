#include "support/air_traffic.h"

#include "engine/ac_builders.h"
#include "engine/category_tables.h"
#include "simlink/sim_queues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace testsupport {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

} // namespace

PosSample makeSample(const SampleSpec& shape)
{
    PosSample s;
    s.latitude = shape.position.lat;
    s.longitude = shape.position.lon;
    s.altitude = shape.airborne ? shape.altitudeFt : 0.0;
    s.groundSpeed = shape.groundSpeedKt;
    s.track = shape.trackDeg;
    s.verticalSpeed = shape.airborne ? shape.verticalSpeedFpm : 0.0;
    s.trueAirspeed = shape.groundSpeedKt;
    s.dueTick = shape.dueTick;
    s.airborne = shape.airborne ? 1 : 0;
    return s;
}

std::vector<PosSample> makeTrack(const TrackSpec& shape)
{
    std::vector<PosSample> samples;
    const double stepFeet = shape.groundSpeedKt * kFeetPerNm * shape.intervalSeconds / 3600.0;
    for (int i = 0; i < shape.count; ++i) {
        const double seconds = static_cast<double>(i) * shape.intervalSeconds;
        double altitude = shape.startAltitudeFt + shape.verticalSpeedFpm * seconds / 60.0;
        const bool ground = shape.groundBelowFloor && altitude <= shape.floorFt;
        altitude = std::max(altitude, shape.floorFt);
        SampleSpec sample;
        sample.position = gf_destinationPoint(shape.start, shape.trackDeg * kDeg, stepFeet * i);
        sample.altitudeFt = altitude;
        sample.groundSpeedKt = shape.groundSpeedKt;
        sample.trackDeg = shape.trackDeg;
        sample.verticalSpeedFpm = ground ? 0.0 : shape.verticalSpeedFpm;
        sample.dueTick = shape.firstDueTick + static_cast<std::int32_t>(seconds * 100.0);
        sample.airborne = !ground;
        samples.push_back(makeSample(sample));
    }
    return samples;
}

LiveAc makeActiveAc(Category category, std::uint32_t objectId, const std::vector<PosSample>& stream)
{
    // The identity and the category's type data as the intake hands them to the record builder
    // (the category given rather than looked up, and the pitches not varied).
    const CategoryRow& row = gf_categoryRow(category);
    AircraftData data;
    data.airline = "SWR";
    data.type = "A320";
    data.callsign = "SWR123";
    data.firstCallsign = data.callsign;
    data.registration = "HB-JLT";
    data.hexid = 0x4B1234;
    data.category = category;
    data.halfSpan = 0.0097;
    data.rotationPitch = row.rotationPitchRad;
    data.climbPitch = row.climbPitchRad;
    data.turnRateBase = row.groundTurnRateRad;
    data.groundTurnRate = row.groundTurnRateRad;
    data.climbLimit = row.climbLimitFt;
    data.standSpeed = row.standSpeedKt;
    data.ticksA = row.ticksA;
    data.ticksB = row.ticksB;
    data.ticksC = row.ticksC;
    data.ticksD = row.ticksD;
    LiveAc ac = lf_makeLiveAc(data, stream.front(), 0.0);
    ac.stream.insert(ac.stream.end(), std::next(stream.begin()), stream.end());
    // What the simulator reports once the object exists.
    ac.staticCg = 7.0;
    ac.staticPitch = 0.7 * kDeg;
    ac.objectId = objectId;
    ac.simState = SimState::active;
    const PosSample& first = stream.front();
    ac.flightPhase = first.airborne ? FlightPhase::flying : FlightPhase::taxi;
    ac.onGround = first.airborne ? 0 : 1;
    ac.simPosition = {first.latitude, first.longitude, 0.0, 0.0, first.track * kDeg, first.altitude,
                      first.verticalSpeed / 60.0, first.trueAirspeed};
    return ac;
}

} // namespace testsupport

namespace testsupport {

namespace {

constexpr int kSampleSeconds = 4;

} // namespace

void appendNextSample(LiveAc& ac)
{
    PosSample next = ac.stream.back();
    const LatLon to = gf_destinationPoint({next.latitude, next.longitude}, next.track * kDeg,
                                          next.groundSpeed * kFeetPerNm * kSampleSeconds / 3600.0);
    next.latitude = to.lat;
    next.longitude = to.lon;
    next.altitude += next.verticalSpeed * kSampleSeconds / 60.0;
    if (next.altitude < 2000.0 || next.altitude > 39000.0) {
        next.verticalSpeed = -next.verticalSpeed;
        next.altitude = std::clamp(next.altitude, 2000.0, 39000.0);
    }
    next.track = std::fmod(next.track + 1.0, 360.0);
    next.dueTick += kSampleSeconds * 100;
    ac.stream.push_back(next);
}

std::vector<LiveAc> makeAirborneFleet(std::size_t count, const LatLon& centre, std::int32_t startTick)
{
    std::vector<LiveAc> fleet;
    fleet.reserve(count);
    const double verticalSpeeds[] = {0.0, 1800.0, -1200.0, 0.0, 700.0, -2400.0};
    for (std::size_t i = 0; i < count; ++i) {
        TrackSpec track;
        track.start = gf_destinationPoint(centre, static_cast<double>(i) * 2.39996,
                                          static_cast<double>(i % 97) * kFeetPerNm);
        track.trackDeg = static_cast<double>((i * 37) % 360);
        track.groundSpeedKt = 180.0 + static_cast<double>(i % 9) * 40.0;
        track.startAltitudeFt = 2000.0 + static_cast<double>((i * 1373) % 37000);
        track.verticalSpeedFpm = verticalSpeeds[i % std::size(verticalSpeeds)];
        track.intervalSeconds = kSampleSeconds;
        track.count = 4;
        // Spread the due ticks so that the aircraft do not all plan on the same tick.
        track.firstDueTick = startTick + static_cast<std::int32_t>(i % (kSampleSeconds * 100));
        LiveAc ac = makeActiveAc(static_cast<Category>(i % 5), static_cast<std::uint32_t>(100 + i), makeTrack(track));
        ac.hexid = static_cast<std::uint32_t>(0x400000 + i);
        ac.agl = track.startAltitudeFt - 400.0;
        fleet.push_back(std::move(ac));
    }
    return fleet;
}

QueuedEvents takeQueuedEvents(std::uint32_t objectId)
{
    std::lock_guard lock(g_simQueueMutex);
    QueuedEvents events;
    for (const EventItem& item : g_eventQueue) {
        if (objectId != 0) {
            EXPECT_EQ(item.objectId, objectId);
        }
        events.emplace_back(item.event, item.value);
    }
    g_eventQueue.clear();
    return events;
}

} // namespace testsupport
