#include "ui/control_requests.h"
#include "core/run_state.h"

std::atomic<bool> g_rereadRequested{false};
std::atomic<bool> g_flushStaticRequested{false};
std::atomic<bool> g_callsignLookupRequested{false};
std::atomic<bool> g_blockListRefreshRequested{false};
std::atomic<bool> g_blockCallsignRequested{false};
std::atomic<bool> g_clearNoMatchRequested{false};
std::atomic<std::uint32_t> g_callsignObjectId{0};

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Status, g_rereadRequested, g_flushStaticRequested, g_callsignLookupRequested,
              g_blockListRefreshRequested, g_blockCallsignRequested, g_clearNoMatchRequested, g_callsignObjectId),
};

} // namespace
