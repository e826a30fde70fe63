// The simulator's part of the status panel header: the connected and running
// flags and the simulator text, written by the simulator link and painted by
// the main window.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

extern std::atomic<bool> g_panelSimConnected;
extern std::atomic<bool> g_panelSimRunning;

// "MSFS 2020 (11.0.282174.999)" and the like; empty until connected.
void gf_setPanelSimText(std::string_view text);
std::string gf_panelSimText();
