// The livery scan: finds the livery folders (the AI traffic packages of the "Community"
// folder, or the user's lfolder settings), parses every aircraft.cfg in them and writes
// "LiveriesScanned.xml" with the reports.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Runs the scan; throws vtx::UserErrorException when nothing can be scanned. Clears
// SCAN_LIVERIES when liveries were found (or a stop was requested during the walk).
void gf_scanLiveries();
