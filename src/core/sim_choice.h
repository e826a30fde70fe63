// The selected simulator, set from the SIM_CHOICE setting ("MSFS 2020" or "MSFS 2024").
#pragma once

#include <atomic>
#include <string_view>

// Set while MSFS 2020 is selected; clear for MSFS 2024. The setting's default is "MSFS 2020".
extern std::atomic<bool> g_msfs2020;

// Sets g_msfs2020 from the SIM_CHOICE text: only "MSFS 2020" selects the older simulator.
void gf_applySimChoice(std::string_view choice);

// The number the selected simulator is written as in file headers: 1 for 2020, 2 for 2024.
int gf_simNumber();
