// The simulator's part of the status panel header: the connected and running
// flags, the simulator text, the user aircraft's title and stand, written by
// the simulator link and the main loop and painted by the main window.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

extern std::atomic<bool> g_panelSimConnected;
extern std::atomic<bool> g_panelSimRunning;
// The user aircraft's type is known: its title is drawn in the simulator light's
// colour, else in yellow. Initially set.
extern std::atomic<bool> g_panelUserTypeKnown;

// "MSFS 2020 (11.0.282174.999)" and the like; empty until connected.
void gf_setPanelSimText(std::string_view text);
std::string gf_panelSimText();

// The user aircraft's title, or "Unknown (encrypted?) aircraft".
void gf_setPanelUserTitle(std::string_view text);
std::string gf_panelUserTitle();

// The name of the stand under the user aircraft, empty when none.
void gf_setPanelUserStand(std::string_view text);
std::string gf_panelUserStand();
