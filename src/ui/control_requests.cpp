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
    gf_stateEntry("g_rereadRequested", RunStateArea::Status, g_rereadRequested),
    gf_stateEntry("g_flushStaticRequested", RunStateArea::Status, g_flushStaticRequested),
    gf_stateEntry("g_callsignLookupRequested", RunStateArea::Status, g_callsignLookupRequested),
    gf_stateEntry("g_blockListRefreshRequested", RunStateArea::Status, g_blockListRefreshRequested),
    gf_stateEntry("g_blockCallsignRequested", RunStateArea::Status, g_blockCallsignRequested),
    gf_stateEntry("g_clearNoMatchRequested", RunStateArea::Status, g_clearNoMatchRequested),
    gf_stateEntry("g_callsignObjectId", RunStateArea::Status, g_callsignObjectId),
};

} // namespace
