#include "ui/control_requests.h"

std::atomic<bool> g_rereadRequested{false};
std::atomic<bool> g_flushStaticRequested{false};
std::atomic<bool> g_callsignLookupRequested{false};
std::atomic<bool> g_blockListRefreshRequested{false};
std::atomic<bool> g_blockCallsignRequested{false};
std::atomic<bool> g_clearNoMatchRequested{false};
std::atomic<std::uint32_t> g_callsignObjectId{0};
