// One simulator frame's drain of 500 positions and 200 events to the simulated
// simulator, against the same number of calls to a function that does nothing.
// The drain holds the queue mutex for its whole run, so its time is the hold time.
#include "platform/standin/simworld.h"
#include "simlink/sim_client.h"
#include "simlink/sim_dispatch.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr int kPositions = 500;
constexpr int kEvents = 200;

DWORD lf_connectWithOneObject()
{
    auto& world = standin::SimWorld::instance();
    auto config = standin::SimWorldConfig::forSimulator(2020);
    config.clock = standin::SimClock::Stepped;
    config.installedTitles = {"Bench Title"};
    world.configure(config);
    world.setRecording(false);
    SimConnect_Open(&g_hSimConnect, "Skyweaver", nullptr, 0, nullptr, 0);
    for (const char* name : {"Plane Latitude", "Plane Longitude", "Plane Pitch degrees", "Plane Bank degrees",
                             "Plane Heading degrees true", "Plane Altitude", "Vertical Speed", "Airspeed True"}) {
        SimConnect_AddToDataDefinition(g_hSimConnect, kDefinitionAiPosition, name, "feet");
    }
    SimConnect_MapClientEventToSimEvent(g_hSimConnect, kEventNavLightsSet, "NAV_LIGHTS_SET");
    SimConnect_AICreateNonATCAircraft(g_hSimConnect, "Bench Title", "BENCH1",
                                      SIMCONNECT_DATA_INITPOSITION{47, 8, 1000, 0, 0, 0, 0, 0}, kRequestCreateAc);
    world.stepFrames(5);
    return world.objectByTail("BENCH1")->id;
}

void lf_fillQueues(DWORD objectId)
{
    for (int i = 0; i < kPositions; ++i) {
        g_positionSend->push_back({{47.0 + i * 1e-5, 8.0, 0, 0, 0, 1000.0}, 0, 150.0, objectId});
    }
    for (int i = 0; i < kEvents; ++i) {
        g_eventQueue.push_back({objectId, kEventNavLightsSet, static_cast<std::uint32_t>(i & 1)});
    }
}

void BM_frameDrain(benchmark::State& state)
{
    const DWORD objectId = lf_connectWithOneObject();
    gf_resetSimQueues();
    double heldSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        lf_fillQueues(objectId);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        lf_onSimFrame();
        heldSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["us_per_frame_and_mutex_hold"] =
        benchmark::Counter(heldSeconds * 1e6 / static_cast<double>(state.iterations()));
    gf_closeSimConnect(g_hSimConnect);
}
BENCHMARK(BM_frameDrain)->Unit(benchmark::kMicrosecond);

void lf_doNothing(DWORD, const void*) {}

// The floor: the same 700 calls to a function that does nothing.
void BM_noOpCallsFloor(benchmark::State& state)
{
    void (*volatile call)(DWORD, const void*) = lf_doNothing;
    PositionItem item{};
    for (auto _ : state) {
        for (int i = 0; i < kPositions + kEvents; ++i) {
            call(static_cast<DWORD>(i), &item);
        }
    }
}
BENCHMARK(BM_noOpCallsFloor)->Unit(benchmark::kMicrosecond);

} // namespace
