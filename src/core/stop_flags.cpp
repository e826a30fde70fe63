#include "core/stop_flags.h"
#include "core/run_state.h"

std::atomic<bool> g_stopRequested{false};
std::atomic<bool> g_exitRequested{false};
std::atomic<bool> g_productionMode{false};

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::RunFlags, g_stopRequested, g_exitRequested),
};

} // namespace
