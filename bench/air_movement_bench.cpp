// Engine ticks of 500 and 2,000 airborne aircraft moving along their samples: the due
// segments planned, every aircraft moved one tick and its position queued, the buffers
// swapped. The floor is the same tick that only queues each aircraft's position.
// The time per iteration is the time per tick; goal: 0.5 ms at 500 aircraft, 2 ms at 2,000.
#include "engine/air_movement.h"
#include "engine/engine_tick.h"
#include "simlink/sim_queues.h"
#include "support/air_traffic.h"

#include <benchmark/benchmark.h>

#include <mutex>

namespace {

const LatLon kCentre{47.4581, 8.5555};

void lf_queuePosition(const LiveAc& ac)
{
    const auto& p = ac.simPosition;
    g_positionFill->push_back({{p[0], p[1], p[2], p[3], p[4], p[5]}, p[6], p[7], ac.objectId});
}

// What the frame drain does with the events between ticks: sends and empties them.
void lf_drainEvents()
{
    std::lock_guard lock(g_simQueueMutex);
    g_eventQueue.clear();
}

void lf_moveOneTick(std::vector<LiveAc>& fleet)
{
    const std::int32_t tick = g_engineTick.load();
    for (LiveAc& ac : fleet) {
        if (ac.stream.size() < 4) {
            testsupport::appendNextSample(ac); // the feed keeps sending
        }
        if (tick >= ac.stream.front().dueTick) {
            nextPosMain(ac);
            ac.simPosition[6] = ac.verticalSpeed / 60.0;
            ac.simPosition[7] = ac.trueAirspeed;
        }
        lf_flyCurve(ac);
        lf_queuePosition(ac);
    }
}

void BM_airborneTick(benchmark::State& state)
{
    gf_resetSimQueues();
    g_engineTick = 0;
    auto fleet = testsupport::makeAirborneFleet(static_cast<std::size_t>(state.range(0)), kCentre, 0);
    for (auto _ : state) {
        lf_moveOneTick(fleet);
        gf_swapPositionQueues();
        lf_drainEvents();
        g_engineTick.fetch_add(1);
    }
    // The goal per tick in microseconds: 1 us per aircraft.
    state.counters["goal_us"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_airborneTick)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_positionOnlyFloor(benchmark::State& state)
{
    gf_resetSimQueues();
    auto fleet = testsupport::makeAirborneFleet(static_cast<std::size_t>(state.range(0)), kCentre, 0);
    for (auto _ : state) {
        for (const LiveAc& ac : fleet) {
            lf_queuePosition(ac);
        }
        gf_swapPositionQueues();
        lf_drainEvents();
    }
}
BENCHMARK(BM_positionOnlyFloor)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace
