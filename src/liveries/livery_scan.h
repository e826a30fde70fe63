// The livery scan: finds the livery folders (the AI traffic packages of the "Community"
// folder, or the user's lfolder settings), parses every aircraft.cfg in them and writes
// "LiveriesScanned.xml" with the reports.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Runs the scan; throws vtx::UserErrorException when nothing can be scanned. Clears
// SCAN_LIVERIES once the result is saved.
void gf_scanLiveries();

// The folders to scan, in order; a folder's position + 1 is its folder index.
using LiveryFolders = std::vector<std::filesystem::path>;

// Automatic mode: at most one folder per AI package of the AI_PACKAGE_SELECTOR order, then the
// user's own package. Throws std::runtime_error when the selector holds no known order.
void lf_findAiPackages(const std::filesystem::path& community, LiveryFolders& folders);
// Manual mode: the set lfolder0 to lfolder9; throws vtx::UserErrorException 243 for a folder
// that does not exist.
void lf_checkLfolders(LiveryFolders& folders);

enum class FolderScan {
    NothingFound,
    Saved,    // liveries found and "LiveriesScanned.xml" written
    NotSaved, // liveries found but the file could not be written
    Stopped,  // a stop or exit was requested during the walk
};
// Scans the folders into "LiveriesScanned.xml" and the reports.
FolderScan lf_scanLiveryFolders(const LiveryFolders& folders);
// Walks one folder and appends the liveries of its aircraft.cfg files to g_scannedLiveries.
void lf_scanLiveryFolder(std::int32_t folderIndex, const std::filesystem::path& folder);
