// The engine tick with 100, 500 and 2,000 aircraft waiting in the buffer as a feed keeps it
// filled, on the tick when a whole buffer of 500 or 2,000 comes due at once, and with 500 and
// 2,000 active airborne aircraft moving along their samples, all with an empty simulator link:
// the main loop thread's CPU time per tick in microseconds, median, 99th percentile and
// maximum. The goal is the full sky's budget, of which each of these is a part: median under
// 0.2 ms and maximum under 2 ms, at every buffer size and at 500 active aircraft; 2,000 active
// aircraft show the headroom.
#include "core/geo.h"
#include "core/run_state.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/engine_tick.h"
#include "engine/traffic_intake.h"
#include "liveries/livery_processing.h"
#include "refdata/aircraft_db.h"
#include "simlink/sim_queues.h"
#include "support/air_traffic.h"
#include "support/engine_fixture.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/tick_timing.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

namespace {

const LatLon kCentre{52.3, 4.76};
// The feed's lines become due 30 s after they arrive; an aircraft sends one every 4 s, so
// its first sample comes due with eight in its stream.
constexpr std::int32_t kFeedDelayTicks = 3000;
constexpr int kSampleSeconds = 4;
constexpr int kSamplesWhenDue = 8;
constexpr double kFeedStartTime = 1765100000.0;

// The feed of a buffer of `count` aircraft, as the Traffic Reader queues their lines: each
// new aircraft's recorded samples go through the engine's intake and wait in the buffer
// until their first comes due. Between ticks, untimed, every aircraft that left the buffer
// (spawned or refused) is replaced by a newcomer, so each tick starts with `count` waiting.
class BufferedFeed {
public:
    // The first samples come due one after another over spreadTicks from the next tick on.
    BufferedFeed(std::size_t count, std::int32_t spreadTicks) : m_count(count)
    {
        gf_resetRunState();
        lf_loadLiveryTables();
        MAX_LIVE_SEL.value = 500;
        const std::int32_t tick = g_engineTick.load();
        for (std::size_t i = 0; i < count; ++i) {
            lf_arrive(tick + 1 + spreadTicks * static_cast<std::int32_t>(i) / static_cast<std::int32_t>(count));
        }
    }
    ~BufferedFeed() { gf_resetRunState(); }
    BufferedFeed(const BufferedFeed&) = delete;
    BufferedFeed& operator=(const BufferedFeed&) = delete;

    // Untimed: the simulator link takes the create requests that the engine handed over,
    // and newcomers fill the buffer up to its size again. Returns the number waiting.
    std::size_t between()
    {
        lf_handOverCreates();
        std::size_t waiting = lf_buffered();
        for (; waiting < m_count; ++waiting) {
            lf_arrive(g_engineTick.load() + kFeedDelayTicks);
        }
        return waiting;
    }

    std::size_t created() const { return m_created; }
    std::size_t arrived() const { return m_arrived; }

private:
    // The small aircraft database and the fixture liveries, so that a due aircraft finds
    // its livery as in the program.
    void lf_loadLiveryTables()
    {
        testsupport::writeSmallReferenceData(m_folder.path());
        gf_readDbase();
        testsupport::writeLiveriesScanned(m_folder.path(), testsupport::fixtureLiveries());
        gf_processScannedLiveries();
    }

    // One new aircraft's lines, oldest first, through the intake: airborne along a straight
    // track, spread round the centre by its number.
    void lf_arrive(std::int32_t firstDueTick)
    {
        const std::uint32_t hexid = m_nextHexid++;
        const double n = static_cast<double>(hexid);
        testsupport::TrackSpec track;
        track.start = gf_destinationPoint(kCentre, n * 2.39996, static_cast<double>(hexid % 97) * kFeetPerNm);
        track.trackDeg = static_cast<double>((hexid * 37) % 360);
        track.groundSpeedKt = 180.0 + static_cast<double>(hexid % 9) * 40.0;
        track.startAltitudeFt = 3000.0 + static_cast<double>((hexid * 1373) % 36000);
        track.intervalSeconds = kSampleSeconds;
        track.count = kSamplesWhenDue;
        track.firstDueTick = firstDueTick;
        const double firstTime = kFeedStartTime + firstDueTick / static_cast<double>(kTicksPerSecond);
        TrafficRecord rec = testsupport::trafficRecord(hexid, firstTime, fmt::format("KLM{}", hexid % 100000));
        for (const PosSample& sample : testsupport::makeTrack(track)) {
            rec.sample = sample;
            rec.time = firstTime + (sample.dueTick - firstDueTick) / static_cast<double>(kTicksPerSecond);
            handleTrafficRecord(rec);
        }
        ++m_arrived;
    }

    // The create requests sent on to the simulator; their aircraft leave this benchmark,
    // which times the buffer (the airborne one times active aircraft).
    void lf_handOverCreates()
    {
        std::vector<CreateRequest> sent;
        {
            std::lock_guard lock(g_simQueueMutex);
            sent.swap(g_createQueue);
        }
        for (const CreateRequest& request : sent) {
            std::erase_if(g_liveAcs, [&request](const LiveAc& ac) { return ac.hexid == request.aircraftId; });
        }
        m_created += sent.size();
    }

    static std::size_t lf_buffered()
    {
        return static_cast<std::size_t>(std::count_if(g_liveAcs.begin(), g_liveAcs.end(),
                                                      [](const LiveAc& ac) { return ac.simState == SimState::buffer; }));
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log; // the engine's log lines go to the temporary folder
    std::size_t m_count;
    std::uint32_t m_nextHexid = 5000000;
    std::size_t m_created = 0;
    std::size_t m_arrived = 0;
};

// Runs one engine tick and adds its CPU time in microseconds to the list.
void lf_timedTick(std::vector<double>& micros)
{
    const double start = testsupport::threadCpuMicros();
    lf_handleAddingStack();
    micros.push_back(testsupport::threadCpuMicros() - start);
}

// 300 simulated seconds: the buffer turns over ten times.
void BM_EngineTick(benchmark::State& state)
{
    BufferedFeed feed(static_cast<std::size_t>(state.range(0)), kFeedDelayTicks);
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(state.max_iterations));
    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    for (auto _ : state) {
        state.PauseTiming();
        fewest = std::min(fewest, feed.between());
        state.ResumeTiming();
        lf_timedTick(micros);
    }
    testsupport::reportTickTimes(state, micros);
    // Every timed tick started with at least this many aircraft in the buffer.
    state.counters["buffered"] = static_cast<double>(fewest);
    state.counters["arrived"] = static_cast<double>(feed.arrived());
    state.counters["created"] = static_cast<double>(feed.created());
}
BENCHMARK(BM_EngineTick)->Arg(100)->Arg(500)->Arg(2000)->Iterations(30000)->Unit(benchmark::kMicrosecond);

// The tick on which a whole buffer comes due at once, as the lines that the feed sends on
// connecting do 30 s later: the live limit's 500 are made ready for creation, the rest refused.
void BM_EngineTickBufferDue(benchmark::State& state)
{
    std::vector<double> micros;
    for (auto _ : state) {
        state.PauseTiming();
        auto feed = std::make_unique<BufferedFeed>(static_cast<std::size_t>(state.range(0)), 0);
        state.counters["buffered"] = static_cast<double>(feed->between());
        state.ResumeTiming();
        lf_timedTick(micros);
        state.PauseTiming();
        state.counters["ready"] = static_cast<double>(g_spawnList.size() + g_addingStack.live.size());
        feed.reset();
        state.ResumeTiming();
    }
    testsupport::reportTickTimes(state, micros);
}
BENCHMARK(BM_EngineTickBufferDue)->Arg(500)->Arg(2000)->Iterations(10)->Unit(benchmark::kMicrosecond);

// Between ticks, untimed: the feed keeps every stream going and the frame drain empties
// the event queue.
void lf_feedAndDrain()
{
    for (LiveAc& ac : g_liveAcs) {
        if (ac.stream.size() < 4) {
            testsupport::appendNextSample(ac);
        }
    }
    std::lock_guard lock(g_simQueueMutex);
    g_eventQueue.clear();
}

void BM_EngineTickAirborne(benchmark::State& state)
{
    testsupport::fillSmallAircraftTables();
    gf_resetSimQueues();
    g_liveAcs = testsupport::makeAirborneFleet(static_cast<std::size_t>(state.range(0)), {47.4581, 8.5555},
                                               g_engineTick.load());
    std::vector<double> micros;
    micros.reserve(1 << 20);
    for (auto _ : state) {
        state.PauseTiming();
        lf_feedAndDrain();
        state.ResumeTiming();
        lf_timedTick(micros);
    }
    testsupport::reportTickTimes(state, micros);
    state.counters["aircraft"] = static_cast<double>(g_liveAcs.size());
}
BENCHMARK(BM_EngineTickAirborne)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace
