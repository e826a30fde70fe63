#include "app/tick_state.h"
#include "core/run_state.h"

#include "traffic/traffic_mutex.h"

#include <mutex>

std::jthread g_simClientThread;
std::atomic<bool> g_newSecond{false};
std::atomic<std::int32_t> g_secondsCounter{0};
std::atomic<std::uint64_t> g_weekTime{0};
std::atomic<bool> g_flightNotRunning{false};
std::int32_t g_notRunningTicks{100};
std::atomic<std::int32_t> g_staticParkingCountdown{20};
std::atomic<bool> g_renewalRequested{false};
std::atomic<bool> g_renewalInProgress{false};
std::atomic<bool> g_rtStarting{true};
std::deque<std::uint32_t> g_standArrivals;
bool g_loopRunning{false};

void gf_setLoopRunning(bool running)
{
    std::lock_guard lock(g_trafficMutex);
    g_loopRunning = running;
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::RunFlags, g_newSecond, g_secondsCounter, g_flightNotRunning, g_notRunningTicks),
    RUN_STATE(RunStateArea::Engine, g_weekTime, g_staticParkingCountdown, g_renewalRequested, g_renewalInProgress,
              g_standArrivals),
    RUN_STATE(RunStateArea::Traffic, g_rtStarting),
    RUN_STATE_LOCKED(RunStateArea::RunFlags, g_trafficMutex, g_loopRunning),
};

} // namespace
