#include "engine/engine_tick.h"
#include "core/run_state.h"

#include "core/clock.h"

#include <chrono>

std::atomic<std::int32_t> g_engineTick{0};

std::int64_t gf_steadyTicks100ns()
{
    using Ticks100ns = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    return std::chrono::duration_cast<Ticks100ns>(clk::steadyNow().time_since_epoch()).count();
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_engineTick),
};

} // namespace
