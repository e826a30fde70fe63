#include "core/stop_flags.h"
#include "core/run_state.h"

std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_exitRequested{false};

namespace {

const RunStateRegistration lf_runState{
    gf_stateEntry("g_stopRequested", RunStateArea::RunFlags, g_stopRequested),
    gf_stateEntry("g_exitRequested", RunStateArea::RunFlags, g_exitRequested),
};

} // namespace
