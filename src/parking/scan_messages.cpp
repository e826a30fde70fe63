#include "parking/scan_messages.h"
#include "core/run_state.h"

std::mutex g_scanMessageMutex;
std::vector<std::string> g_scanMessages;

void lf_addScanMessage(std::string line)
{
    const std::lock_guard lock(g_scanMessageMutex);
    g_scanMessages.push_back(std::move(line));
}

std::vector<std::string> gf_takeScanMessages()
{
    const std::lock_guard lock(g_scanMessageMutex);
    std::vector<std::string> lines;
    lines.swap(g_scanMessages);
    return lines;
}

namespace {

const RunStateRegistration lf_runState{
    gf_lockedStateEntry("g_scanMessages", RunStateArea::Engine, g_scanMessages, g_scanMessageMutex),
};

} // namespace
