// Repaint requests from other threads for the status panel's header (simulator and
// RealTraffic lights, QNH, live counts).
#pragma once

// Invalidates the header area (0,28)-(880,112) of the main window; does nothing
// while the window does not exist.
void gf_repaintPanelHeader();
