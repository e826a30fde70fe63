#include "app/start_up_state.h"
#include "core/run_state.h"

std::atomic<bool> g_dataFilesRead{false};
std::atomic<bool> g_realTrafficOnThisPC{false};
AddonFolderCounts g_addonFolderCounts;

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Traffic, g_realTrafficOnThisPC),
    RUN_STATE(RunStateArea::Status, g_addonFolderCounts.simAddon, g_addonFolderCounts.thirdParty),
};

} // namespace
