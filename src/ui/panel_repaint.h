// Repaint requests from other threads for the status panel's header (simulator and
// RealTraffic lights, QNH, live counts).
#pragma once

// Invalidates the header area (0,28)-(880,112) of the main window; does nothing
// while the window does not exist.
void gf_repaintPanelHeader();
// Invalidates the settings' control area (0,112)-(880,392), erasing it.
void gf_repaintControlArea();
// Invalidates the parking band (0,392)-(880,448).
void gf_repaintParkingBand();
