// The engine tick with 100, 500 and 2,000 live aircraft in the buffer, and with 500 and
// 2,000 active airborne aircraft moving along their samples, with an empty simulator link:
// microseconds per tick, median and 99th percentile (goal: 0.5 ms at 500, 2 ms at 2,000).
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/engine_tick.h"
#include "engine/traffic_intake.h"
#include "simlink/sim_queues.h"
#include "support/air_traffic.h"
#include "support/engine_fixture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

namespace {

void lf_fillLiveAircraft(std::size_t count)
{
    testsupport::fillSmallAircraftTables();
    g_liveAcs.clear();
    g_liveAcs.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto rec = testsupport::trafficRecord(5000000 + static_cast<std::uint32_t>(i), 1765100000.0,
                                              "KLM" + std::to_string(i));
        rec.sample.latitude += static_cast<double>(i) * 0.001;
        filterNewTraffic(rec);
    }
}

double lf_percentile(std::vector<double>& values, double fraction)
{
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

// Runs one engine tick and adds its time in microseconds to the list.
void lf_timedTick(std::vector<double>& micros)
{
    const auto start = std::chrono::steady_clock::now();
    lf_handleAddingStack();
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
}

// The ticks' median and 99th percentile, and the number of live aircraft.
void lf_reportTicks(benchmark::State& state, std::vector<double>& micros)
{
    state.counters["median_us"] = lf_percentile(micros, 0.5);
    state.counters["p99_us"] = lf_percentile(micros, 0.99);
    state.counters["aircraft"] = static_cast<double>(g_liveAcs.size());
}

void BM_EngineTick(benchmark::State& state)
{
    lf_fillLiveAircraft(static_cast<std::size_t>(state.range(0)));
    std::vector<double> micros;
    micros.reserve(1 << 20);
    for (auto _ : state) {
        lf_timedTick(micros);
    }
    lf_reportTicks(state, micros);
}
BENCHMARK(BM_EngineTick)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

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
    lf_reportTicks(state, micros);
}
BENCHMARK(BM_EngineTickAirborne)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace
