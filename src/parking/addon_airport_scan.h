// The scan of add-on airport scenery for park files, run at start-up when SCAN_AIRPORTS is on:
// each airport is linked to an archived park file of its publisher or gets a generated one;
// generated files of unknown add-ons are zipped in "tblo" for off-line learning.
#pragma once

#include "parking/apf.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

void gf_scanAddonAirports();

// "tblo" holds files for off-line learning after the scan; enables the "tblo" button.
extern std::atomic<bool> g_tbloFlag;

// "AirportsScanLog.txt" in "output/info".
std::filesystem::path gf_airportsScanLogPath();

void lf_runAirportScan(const std::vector<std::filesystem::path>& scanFolders);
// True when "my_thirdparty" has entries afterwards.
bool lf_scanAirportFolders(const std::vector<std::filesystem::path>& scanFolders);
void lf_scanFolderChecked(const std::vector<std::filesystem::path>& scanFolders);
void lf_scanFolderForBGLs(const std::filesystem::path& folder);
// Folders of the simulator's own content and of aircraft are not walked; `path` is the
// folder below the scan folder, `fullPath` its whole path.
bool lf_isSkippedFolder(const std::filesystem::path& path, const std::filesystem::path& fullPath);

// The link or generate decision per airport.
bool lf_linkArchivedApf(Apf& apf, std::int32_t& archivedCount, const std::filesystem::path& bglPath);
std::optional<std::string> lf_simaddonExists(const Apf& apf);
std::optional<std::string> lf_thirdpartyExists(const std::string& publisher, const Apf& apf,
                                               std::int32_t& archivedCount);
void lf_generateApf(Apf& apf, std::int32_t helipadCount);

// Off-line learning over the ".XML" stems of "my_thirdparty".
void lf_afterAirportScan(const std::vector<std::string>& fileNames);
bool gf_zipFolder(const std::filesystem::path& source, const std::filesystem::path& target);
