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
    gf_stateEntry("g_newSecond", RunStateArea::RunFlags, g_newSecond),
    gf_stateEntry("g_secondsCounter", RunStateArea::RunFlags, g_secondsCounter),
    gf_stateEntry("g_weekTime", RunStateArea::Engine, g_weekTime),
    gf_stateEntry("g_flightNotRunning", RunStateArea::RunFlags, g_flightNotRunning),
    gf_stateEntry("g_notRunningTicks", RunStateArea::RunFlags, g_notRunningTicks),
    gf_stateEntry("g_staticParkingCountdown", RunStateArea::Engine, g_staticParkingCountdown),
    gf_stateEntry("g_renewalRequested", RunStateArea::Engine, g_renewalRequested),
    gf_stateEntry("g_renewalInProgress", RunStateArea::Engine, g_renewalInProgress),
    gf_stateEntry("g_rtStarting", RunStateArea::Traffic, g_rtStarting),
    gf_stateEntry("g_standArrivals", RunStateArea::Engine, g_standArrivals),
    gf_lockedStateEntry("g_loopRunning", RunStateArea::RunFlags, g_loopRunning, g_trafficMutex),
};

} // namespace
