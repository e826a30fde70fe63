// Live aircraft in flight for movement tests and benchmarks: an active aircraft of a
// category, and recorded-style position samples along a straight track.
#pragma once

#include "core/geo.h"
#include "engine/aircraft_records.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace testsupport {

// One recorded-style sample: position, altitude, speeds, track and its due tick.
struct SampleSpec {
    LatLon position;
    double altitudeFt = 0.0;
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;
    double verticalSpeedFpm = 0.0;
    std::int32_t dueTick = 0;
    bool airborne = true;
};
PosSample makeSample(const SampleSpec& shape);

// Samples every intervalSeconds along a great circle from start: altitude changes by the
// vertical speed and stays at or above floorFt, where the samples turn to ground samples
// (altitude 0) when groundFt is given.
struct TrackSpec {
    LatLon start;
    double trackDeg = 0.0;
    double groundSpeedKt = 250.0;
    double startAltitudeFt = 10000.0;
    double verticalSpeedFpm = 0.0;
    int intervalSeconds = 4;
    int count = 10;
    std::int32_t firstDueTick = 0;
    bool groundBelowFloor = false;
    double floorFt = 0.0;
};
std::vector<PosSample> makeTrack(const TrackSpec& shape);

// An active live aircraft of a category, with the category's timings and attitudes, built by
// the record builder and standing in the simulator as object objectId at its first sample.
LiveAc makeActiveAc(Category category, std::uint32_t objectId, const std::vector<PosSample>& stream);

// The events queued for the simulator as (event, value), taken off the queue; with an
// object id given, each event is expected to be for that object.
using QueuedEvents = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
QueuedEvents takeQueuedEvents(std::uint32_t objectId = 0);

} // namespace testsupport

namespace testsupport {

// Airborne aircraft spread over 100 nm around a point, at altitudes from 2000 to 39000 ft,
// cruising, climbing and descending, each with a few samples 4 s apart from startTick on.
std::vector<LiveAc> makeAirborneFleet(std::size_t count, const LatLon& centre, std::int32_t startTick);
// Appends the sample 4 s after the newest one along its track, turning a climb or descent
// round at 2000 and 39000 ft, as a feed would keep sending.
void appendNextSample(LiveAc& ac);

} // namespace testsupport
