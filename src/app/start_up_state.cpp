#include "app/start_up_state.h"
#include "core/run_state.h"

std::atomic<bool> g_productionMode{false};
std::atomic<bool> g_dataFilesRead{false};
std::atomic<std::int32_t> g_workerCount{2};
std::atomic<std::int32_t> g_runningTasks{0};
std::atomic<bool> g_realTrafficOnThisPC{false};
AddonFolderCounts g_addonFolderCounts;

namespace {

const RunStateRegistration lf_runState{
    gf_stateEntry("g_runningTasks", RunStateArea::RunFlags, g_runningTasks),
    gf_stateEntry("g_realTrafficOnThisPC", RunStateArea::Traffic, g_realTrafficOnThisPC),
    gf_stateEntry("g_addonFolderCounts.simAddon", RunStateArea::Status, g_addonFolderCounts.simAddon),
    gf_stateEntry("g_addonFolderCounts.thirdParty", RunStateArea::Status, g_addonFolderCounts.thirdParty),
};

} // namespace
