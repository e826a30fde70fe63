// The selected simulator, set from the SIM_CHOICE setting ("MSFS 2020" or "MSFS 2024").
#pragma once

#include <atomic>

// Set while MSFS 2020 is selected; clear for MSFS 2024. The setting's default is "MSFS 2020".
extern std::atomic<bool> g_msfs2020;
