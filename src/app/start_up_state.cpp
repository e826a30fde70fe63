#include "app/start_up_state.h"

std::atomic<bool> g_productionMode{false};
std::atomic<bool> g_dataFilesRead{false};
std::atomic<std::int32_t> g_workerCount{2};
std::atomic<std::int32_t> g_runningTasks{0};
std::atomic<bool> g_realTrafficOnThisPC{false};
AddonFolderCounts g_addonFolderCounts;
