// The per-airport back-off after a failed park file load.
#include "parking/park_load_backoff.h"

#include "core/clock.h"
#include "core/run_state.h"

#include <chrono>
#include <map>
#include <mutex>

namespace {

constexpr auto kRetryAfter = std::chrono::minutes(10);

// When each airport's load last failed; cleared from the GUI thread too.
std::mutex g_parkBackOffMutex;
std::map<std::string, clk::SteadyTime> g_parkLoadFailures;

const RunStateRegistration lf_runState{
    RUN_STATE_LOCKED(RunStateArea::Engine, g_parkBackOffMutex, g_parkLoadFailures),
};

} // namespace

bool gf_parkLoadBackedOff(const std::string& icao)
{
    const std::lock_guard lock(g_parkBackOffMutex);
    const auto failure = g_parkLoadFailures.find(icao);
    return failure != g_parkLoadFailures.end() && clk::steadyNow() - failure->second < kRetryAfter;
}

bool gf_noteParkLoadFailure(const std::string& icao)
{
    const std::lock_guard lock(g_parkBackOffMutex);
    const bool first = !g_parkLoadFailures.contains(icao);
    g_parkLoadFailures[icao] = clk::steadyNow();
    return first;
}

void gf_clearParkLoadBackOff()
{
    const std::lock_guard lock(g_parkBackOffMutex);
    g_parkLoadFailures.clear();
}
