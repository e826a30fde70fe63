// The main loop's tick with a full sky at the program's limits: 500 live aircraft (60 %
// airborne, 30 % on the ground taxiing, a third of these starting at a stand and leaving it
// backwards, 10 % parked), 500 static aircraft on stands and 1,500 records waiting in the
// buffer, fed recorded-style lines through the traffic queue, with
// the SimClient thread draining every frame of the simulated simulator on its stepped clock
// (30 frames and one user-data second per 100 ticks, so the per-second jobs run as they do
// in the program). Figures: thread CPU time per lf_tick in microseconds, median, p99 and
// maximum (goal: median under 200 us, maximum under 2 ms). 2,000 live aircraft, with the
// live limit lifted here only, show the headroom. The counters tell the population at the
// end, as the engine kept it, and pushing_back_max the most aircraft pushing back at once.
#include "app/app_steps.h"
#include "app/tick_state.h"
#include "core/run_state.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "engine/traffic_intake.h"
#include "parking/stand.h"
#include "platform/standin/simworld.h"
#include "simlink/sim_queues.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"
#include "support/air_traffic.h"
#include "support/engine_fixture.h"
#include "support/tick_timing.h"
#include "support/temp_folder.h"
#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/stepped_sim.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kFeetPerMetre = 1.0 / 0.3048;
const LatLon kAirport{47.4581, 8.5555};
constexpr double kElevationFt = 1416.0;
constexpr const char* kTitle = "Airbus A320 Skyweaver Air";
constexpr int kStaticCount = 500;
constexpr int kBufferCount = 1500;
// A pushback as the feed reports it: 45 m straight back at 3 kt, the nose swinging 5 deg a
// sample, then taxiing off at 15 kt.
constexpr double kPushbackM = 45.0;
constexpr double kPushbackKt = 3.0;
constexpr double kPushbackSwingDeg = 5.0;
constexpr double kTaxiKt = 15.0;
// The engine takes two lines per tick (200 a second): 500 aircraft send a line every 4 s,
// 2,000 one every 12 s.
std::int32_t lf_sampleTicks(std::size_t liveCount)
{
    return liveCount <= 500 ? 400 : 1200;
}

LatLon lf_at(double northM, double eastM)
{
    const LatLon north = gf_destinationPoint(kAirport, 0.0, northM * kFeetPerMetre);
    return gf_destinationPoint(north, 90.0 * kDeg, eastM * kFeetPerMetre);
}

// Stands in rows of 40, 60 m apart, heading north: room for every static and parked aircraft.
void lf_makeStands(int count)
{
    testsupport::fillStandRows(kAirport, count);
    testsupport::setParkAirport("LSZH", kAirport, kElevationFt);
}

PosSample lf_groundSample(const LatLon& p, double speedKt, double trackDeg, std::int32_t dueTick)
{
    PosSample s = testsupport::makeSample(
        {.position = p, .groundSpeedKt = speedKt, .trackDeg = trackDeg, .dueTick = dueTick, .airborne = false});
    s.stationary = speedKt == 0.0 ? 1 : 0;
    return s;
}

// The aircraft stands parked on the stand.
void lf_parkOnStand(LiveAc& ac, const Stand& stand)
{
    ac.flightPhase = FlightPhase::parked;
    testsupport::assignStand(ac, stand);
}

// The feed of an aircraft parked on a stand that leaves it backwards.
struct PushbackFeed {
    LatLon stand;
    double standHeadingDeg = 0.0;
    int fed = 0;
};
std::unordered_map<std::uint32_t, PushbackFeed> lf_pushbacks;

// The next sample of a feed: airborne ones fly on (turning their climb or descent round at
// 2,000 and 39,000 ft), ground ones taxi round a circle of a minute, standing ones stay.
PosSample lf_nextSample(PosSample last, std::int32_t ticks)
{
    const double seconds = ticks / 100.0;
    PosSample next = last;
    if (last.groundSpeed > 0.0 && !last.airborne)
        next.track = std::fmod(last.track + 6.0 * seconds, 360.0);
    const LatLon to = gf_destinationPoint({last.latitude, last.longitude}, next.track * kDeg,
                                          last.groundSpeed * kFeetPerNm * seconds / 3600.0);
    next.latitude = to.lat;
    next.longitude = to.lon;
    next.dueTick = last.dueTick + ticks;
    if (!last.airborne)
        return next;
    next.altitude += next.verticalSpeed * seconds / 60.0;
    if (next.altitude < 2000.0 || next.altitude > 39000.0) {
        next.verticalSpeed = -next.verticalSpeed;
        next.altitude = std::clamp(next.altitude, 2000.0, 39000.0);
    }
    next.track = std::fmod(next.track + 1.0, 360.0);
    return next;
}

// The next sample of an aircraft leaving its stand: two standing samples, then pushed
// straight back with its nose swinging to one side, then taxiing off as the other feeds do.
PosSample lf_nextPushbackSample(PushbackFeed& feed, const PosSample& last, std::int32_t ticks)
{
    const int n = ++feed.fed;
    const std::int32_t due = last.dueTick + ticks;
    if (n <= 2)
        return lf_groundSample(feed.stand, 0.0, 0.0, due);
    const double stepM = kPushbackKt * 1852.0 * ticks / 100.0 / 3600.0;
    if ((n - 3) * stepM < kPushbackM) {
        const double backM = std::min((n - 2) * stepM, kPushbackM);
        const double back = std::fmod(feed.standHeadingDeg + 180.0, 360.0);
        const LatLon at = gf_destinationPoint(feed.stand, back * kDeg, backM * kFeetPerMetre);
        PosSample s = lf_groundSample(at, kPushbackKt, back, due);
        s.trueHeading = (feed.standHeadingDeg + kPushbackSwingDeg * (n - 2)) * kDeg;
        s.trueHeadingValid = 1;
        return s;
    }
    PosSample taxi = last;
    if (taxi.trueHeadingValid) {
        taxi.groundSpeed = kTaxiKt;
        taxi.track = std::fmod(feed.standHeadingDeg + 90.0, 360.0);
        taxi.trueHeadingValid = 0;
    }
    return lf_nextSample(taxi, ticks);
}

// A Large aircraft on the ground, active as the simulator's object.
LiveAc lf_groundAc(std::uint32_t index, DWORD objectId, const std::vector<PosSample>& samples)
{
    LiveAc ac = testsupport::makeActiveAc(Category::Large, objectId, samples);
    ac.hexid = 0x500000 + index;
    ac.callsign = fmt::format("GND{}", index);
    ac.firstCallsign = ac.callsign;
    ac.simPosition[5] = kElevationFt + 7.0;
    return ac;
}

LiveAc lf_parkedAc(std::uint32_t index, DWORD objectId, const Stand& stand, std::int32_t tick)
{
    LiveAc ac = lf_groundAc(index, objectId, {lf_groundSample({stand.latitude, stand.longitude}, 0.0, 0.0, tick)});
    lf_parkOnStand(ac, stand);
    return ac;
}

// Taxiing aircraft on lanes south of the stands, 60 m apart so that none stands in
// another's way; every third one stands parked at a stand of the last rows, as its birth
// leaves it, and its feed then pushes it back.
LiveAc lf_taxiOrPushback(std::uint32_t index, DWORD objectId, std::int32_t tick, const Stand& pushStand)
{
    if (index % 3 == 0) {
        LiveAc ac = lf_parkedAc(index, objectId, pushStand, tick);
        lf_pushbacks[ac.hexid] = {{pushStand.latitude, pushStand.longitude}, pushStand.heading / kDeg};
        return ac;
    }
    const LatLon lane = lf_at(-300.0 - 60.0 * (index % 20), 100.0 * (index / 20));
    return lf_groundAc(index, objectId, {lf_groundSample(lane, 15.0, 90.0, tick + static_cast<std::int32_t>(index % 400))});
}

StaticAc lf_staticAc(std::uint32_t index, DWORD objectId, const Stand& stand)
{
    StaticAc ac;
    ac.airline = "SWR";
    ac.type = "A320";
    ac.callsign = fmt::format("ST{}*", index);
    ac.registration = fmt::format("HB-J{}", index);
    ac.hexid = 1 + index;
    ac.objectId = objectId;
    ac.simState = SimState::active;
    testsupport::assignStand(ac, stand);
    return ac;
}

// The aircraft waits for its object, whose create request goes to the simulator link in the
// warm-up, 50 every 20 ticks (faster than the program's pacing, which is not measured here);
// the engine takes the object on when the link identifies it.
std::vector<CreateRequest> lf_pendingCreates;

void lf_create(StaticAc& ac, double lat, double lon, double altitudeFt, double headingDeg)
{
    ac.simState = SimState::adding2sim;
    ac.objectId = 0;
    CreateRequest request;
    request.initPosition = {lat, lon, altitudeFt, 0.0, 0.0, headingDeg, 0u, 0u};
    request.callsign = ac.callsign;
    request.title = kTitle;
    request.aircraftId = ac.hexid;
    lf_pendingCreates.push_back(request);
}

class FullSky {
public:
    explicit FullSky(std::size_t liveCount)
        : m_sampleTicks(lf_sampleTicks(liveCount)), m_link(lf_prepare(liveCount))
    {
        // Every object is created and identified; ten simulated seconds settle the link.
        for (int i = 0; i < 1000 || !lf_pendingCreates.empty(); ++i) {
            between();
            lf_tick();
            for (int n = 0; i % 20 == 0 && n < 50 && !lf_pendingCreates.empty(); ++n) {
                gf_queueCreateAc(lf_pendingCreates.back());
                lf_pendingCreates.pop_back();
            }
        }
    }
    ~FullSky()
    {
        m_link.close();
        gf_resetRunState();
    }
    FullSky(const FullSky&) = delete;
    FullSky& operator=(const FullSky&) = delete;

    // Untimed work between ticks: the feed's lines as the Traffic Reader queues them, one
    // every 4 s (12 s at 2,000) per aircraft in the simulator, and a frame whenever one is due.
    void between()
    {
        const std::int32_t tick = g_engineTick.load();
        {
            std::lock_guard lock(g_trafficMutex);
            for (const LiveAc& ac : g_liveAcs) {
                if (ac.simState != SimState::active)
                    continue;
                PosSample& fed = m_fed[ac.hexid];
                const auto pushback = lf_pushbacks.find(ac.hexid);
                if (fed.dueTick == 0) {
                    fed = ac.stream.back();
                    // A parked aircraft's stream ends in a long wait; its feed starts now.
                    if (pushback != lf_pushbacks.end())
                        fed.dueTick = tick;
                }
                if (fed.dueTick > tick + 2 * m_sampleTicks)
                    continue;
                fed = pushback == lf_pushbacks.end() ? lf_nextSample(fed, m_sampleTicks)
                                                     : lf_nextPushbackSample(pushback->second, fed, m_sampleTicks);
                g_trafficQueue.push_back(lf_record(ac, fed));
            }
        }
        testsupport::SteppedSimLink::frameAtTick(tick);
    }

private:
    // The aircraft, stands and settings, then the simulator link.
    static testsupport::SteppedSimSetup lf_prepare(std::size_t liveCount)
    {
        testsupport::fillSmallAircraftTables();
        lf_pushbacks.clear();
        lf_settings(liveCount);
        lf_makeStands(kStaticCount + static_cast<int>(liveCount / 10) + static_cast<int>(liveCount / 10) + 40);
        lf_fill(liveCount);
        return {.user = lf_at(-3000.0, -3000.0), .terrainElevationFt = kElevationFt, .installedTitles = {kTitle}};
    }

    static void lf_settings(std::size_t liveCount)
    {
        AUTO_RANGE.value = false;
        RANGE.value = 100;
        g_rangeNm = 100.0;
        g_rangeMeters = 100 * 1852;
        MAX_LIVE_SEL.value = static_cast<std::int32_t>(liveCount);
        MAX_PARK_SEL.value = kStaticCount;
        INITIAL_LOAD_ONLY.value = true;
    }

    static void lf_fill(std::size_t liveCount)
    {
        const std::int32_t tick = g_engineTick.load();
        const std::size_t airborne = liveCount * 6 / 10;
        const std::size_t ground = liveCount * 3 / 10;
        g_liveAcs = testsupport::makeAirborneFleet(airborne, kAirport, tick);
        for (LiveAc& ac : g_liveAcs) {
            ac.callsign = fmt::format("SWR{}", ac.hexid % 100000);
            lf_create(ac, ac.simPosition[0], ac.simPosition[1], ac.simPosition[5], ac.simPosition[4] / kDeg);
        }
        std::size_t stand = 0;
        for (std::uint32_t i = 0; i < ground; ++i) {
            const Stand& pushStand = g_stands[g_stands.size() - 1 - i / 3];
            LiveAc& ac = g_liveAcs.emplace_back(lf_taxiOrPushback(i, 0, tick, pushStand));
            lf_create(ac, ac.stream.front().latitude, ac.stream.front().longitude, kElevationFt, ac.stream.front().track);
        }
        for (std::uint32_t i = 0; i < liveCount - airborne - ground; ++i, ++stand) {
            const Stand& s = g_stands[stand];
            LiveAc& ac = g_liveAcs.emplace_back(lf_parkedAc(1000 + i, 0, s, tick));
            lf_create(ac, s.latitude, s.longitude, kElevationFt, 0.0);
            g_stands[stand].holder = ac.hexid;
        }
        for (std::uint32_t i = 0; i < kStaticCount; ++i, ++stand) {
            const Stand& s = g_stands[stand];
            StaticAc& ac = g_staticAcs.emplace_back(lf_staticAc(i, 0, s));
            lf_create(ac, s.latitude, s.longitude, kElevationFt, 0.0);
        }
        lf_fillBuffer();
    }

    // Waiting records: seen by the feed within range, their first sample not yet due.
    static void lf_fillBuffer()
    {
        for (int i = 0; i < kBufferCount; ++i) {
            auto rec = testsupport::trafficRecord(6000000 + static_cast<std::uint32_t>(i), 1765100000.0,
                                                  fmt::format("BUF{}", i));
            const LatLon p = gf_destinationPoint(kAirport, i * 0.7, (5.0 + i % 60) * kFeetPerNm);
            rec.sample.latitude = p.lat;
            rec.sample.longitude = p.lon;
            filterNewTraffic(rec);
            // Due after the run: the record waits in the buffer all along, as a delayed feed's do.
            g_liveAcs.back().stream.front().dueTick = g_engineTick.load() + 10000000;
        }
    }

    static TrafficRecord lf_record(const LiveAc& ac, const PosSample& sample)
    {
        TrafficRecord rec;
        static_cast<AcIdent&>(rec) = ac;
        rec.hexid = ac.hexid;
        rec.sample = sample;
        rec.time = 1765100000.0 + sample.dueTick / 100.0;
        return rec;
    }

    std::int32_t m_sampleTicks;
    std::unordered_map<std::uint32_t, PosSample> m_fed;
    testsupport::SteppedSimLink m_link;
};

std::size_t lf_count(auto predicate)
{
    return static_cast<std::size_t>(std::count_if(g_liveAcs.begin(), g_liveAcs.end(), predicate));
}

void BM_FullSkyTick(benchmark::State& state)
{
    testsupport::TempFolder folder{true};
    testsupport::LogCapture log; // the engine's log lines go to the temporary folder
    FullSky sky(static_cast<std::size_t>(state.range(0)));
    std::vector<double> micros;
    micros.reserve(1 << 20);
    const std::int32_t firstSecond = g_secondsCounter.load();
    std::size_t pushingBack = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sky.between();
        state.ResumeTiming();
        const double start = testsupport::threadCpuMicros();
        lf_tick();
        micros.push_back(testsupport::threadCpuMicros() - start);
        state.PauseTiming();
        pushingBack = std::max(pushingBack, lf_count([](const LiveAc& ac) { return ac.flightPhase == FlightPhase::pushing_back; }));
        state.ResumeTiming();
    }
    state.counters["seconds"] = static_cast<double>(g_secondsCounter.load() - firstSecond);
    state.counters["pushing_back_max"] = static_cast<double>(pushingBack);
    testsupport::reportTickTimes(state, micros);
    state.counters["active"] = static_cast<double>(lf_count([](const LiveAc& ac) { return ac.simState == SimState::active; }));
    state.counters["ground"] = static_cast<double>(
        lf_count([](const LiveAc& ac) { return ac.simState == SimState::active && ac.onGround != 0; }));
    state.counters["airborne"] = static_cast<double>(
        lf_count([](const LiveAc& ac) { return ac.simState == SimState::active && ac.onGround == 0; }));
    state.counters["parked"] = static_cast<double>(
        lf_count([](const LiveAc& ac) { return ac.flightPhase == FlightPhase::parked; }));
    state.counters["buffer"] = static_cast<double>(
        lf_count([](const LiveAc& ac) { return ac.simState == SimState::buffer; }));
    state.counters["static"] = static_cast<double>(std::count_if(
        g_staticAcs.begin(), g_staticAcs.end(), [](const StaticAc& ac) { return ac.simState == SimState::active; }));
}
// 100 simulated seconds: every per-second job but the 1200 s and daily ones comes round.
BENCHMARK(BM_FullSkyTick)->Arg(500)->Arg(2000)->Iterations(10000)->Unit(benchmark::kMicrosecond);

} // namespace
