#include "core/traffic_time.h"
#include "core/run_state.h"

#include "core/clock.h"

#include <cmath>

std::atomic<double> g_trafficTime{0.0};
std::atomic<bool> g_rtEditionProf{false};

std::time_t gf_feedClockSeconds()
{
    const double trafficTime = std::trunc(g_trafficTime.load());
    // Beyond what time_t holds the traffic time is not a time at all.
    if (g_rtEditionProf.load() && trafficTime != 0 && std::abs(trafficTime) < 1e15) {
        return static_cast<std::time_t>(trafficTime);
    }
    return clk::utcNowSeconds();
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Traffic, g_trafficTime, g_rtEditionProf),
};

} // namespace
