// Changes in the main window that the engine applies on the main loop thread. The GUI
// thread sets them; the main loop takes them with an exchange.
#pragma once

#include <atomic>

// NAV_LIGHTS_WHILE_PARKED changed: the parked aircraft's nav lights follow it.
extern std::atomic<bool> g_parkedNavLightsChanged;
// MATCHING_DEPTH was raised: the aircraft are matched again.
extern std::atomic<bool> g_rematchRequested;
// MAX_LIVE_SEL was lowered below the live aircraft count: the least wanted ones go, the
// farthest from the user aircraft first.
extern std::atomic<bool> g_liveLimitLowered;

// Main loop thread, once per tick: applies the changes the main window asked for.
void gf_serveHandlerRequests();
// Main loop thread: sets the nav lights of every active static aircraft and of every
// active parked live aircraft to NAV_LIGHTS_WHILE_PARKED, when it changed.
void gf_applyParkedNavLights();
