// State of the start-up sequence, kept for the life of the process.
#pragma once

#include <atomic>
#include <cstdint>

// The aircraft database has been loaded in this process; a restart does not load it again.
extern std::atomic<bool> g_dataFilesRead;
// "RealTraffic.jar" is installed on this PC.
extern std::atomic<bool> g_realTrafficOnThisPC;

// Whether the user folders "my_simaddon" and "my_thirdparty" have entries; shown by the
// status panel, both 0 while the add-on airport scan runs.
struct AddonFolderCounts {
    std::atomic<std::int64_t> simAddon{0};
    std::atomic<std::int64_t> thirdParty{0};
};
extern AddonFolderCounts g_addonFolderCounts;
