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
// True when "my_thirdparty" has entries afterwards; walkedWhole false when a scan folder
// could not be walked.
bool lf_scanAirportFolders(const std::vector<std::filesystem::path>& scanFolders, bool& walkedWhole);
// False when a scan folder could not be walked (opening it or its own listing failed); an
// entry below it that cannot be read costs only itself, with a line in the scan log.
bool lf_scanFolderChecked(const std::vector<std::filesystem::path>& scanFolders);
bool lf_scanFolderForBGLs(const std::filesystem::path& folder);
// Folders of the simulator's own content and of aircraft are not walked; `path` is the
// folder below the scan folder, `fullPath` its whole path.
bool lf_isSkippedFolder(const std::filesystem::path& path, const std::filesystem::path& fullPath);

// One file a scan task would write: an airport's link file with its reference, or its
// generated park file. The tasks only collect them; the scan writes each file once, the
// last one of each name in walk order, as a walk on one thread would leave it.
struct ScanOutput {
    std::filesystem::path path;
    std::string reference;         // link file
    std::optional<Apf> generated;  // generated park file
    std::int32_t helipads = 0;
};
using ScanOutputs = std::vector<ScanOutput>;

// What the task of one ".bgl" file gives: the files it would write and its scan log lines.
struct ScanFileResult {
    ScanOutputs outputs;
    std::vector<std::string> messages;
};

// Writes the collected files of one scan folder; `files` holds each task's result in walk order.
// Each file is written by a task of the scan pool; their scan log lines follow in walk order.
void lf_writeScanOutputs(std::vector<std::optional<ScanFileResult>> files);

// The link or generate decision per airport; the link file goes to `outputs`.
bool lf_linkArchivedApf(Apf& apf, std::int32_t& archivedCount, const std::filesystem::path& bglPath,
                        ScanOutputs& outputs);
std::optional<std::string> lf_simaddonExists(const Apf& apf);
std::optional<std::string> lf_thirdpartyExists(const std::string& publisher, const Apf& apf,
                                               std::int32_t& archivedCount);
// The generated park file of an airport with stands goes to `outputs`.
void lf_generateApf(Apf& apf, std::int32_t helipadCount, ScanOutputs& outputs);

// Off-line learning over the ".XML" stems of "my_thirdparty".
void lf_afterAirportScan(const std::vector<std::string>& fileNames);
bool gf_zipFolder(const std::filesystem::path& source, const std::filesystem::path& target);
