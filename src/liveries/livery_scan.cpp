// The livery scan on the start-up thread: the folders to scan, the walk of each, and the
// prioritised, sorted and de-duplicated result in "LiveriesScanned.xml" with the reports.
#include "liveries/livery_scan.h"

#include "core/scan_pool.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "core/text_strings.h"
#include "core/user_error.h"
#include "liveries/liveries_scanned_xml.h"
#include "liveries/livery_data.h"
#include "liveries/regcodes.h"
#include "liveries/scan_report.h"
#include "platform/win32.h"
#include "refdata/packages_folder.h"
#include "ui/control_text.h"
#include "ui/main_window.h"
#include "ui/panel_repaint.h"
#include "ui/status_line.h"
#include "ui/status_panel_counts.h"
#include "ui/window_controls.h"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <utility>

namespace {

// False when a stop or exit was requested.
bool lf_walkFolders(const LiveryFolders& folders)
{
    std::int32_t folderIndex = 0;
    for (const std::filesystem::path& folder : folders) {
        if (folder.empty()) {
            continue;
        }
        const std::string folderText = path_to_utf8(folder);
        std::error_code error;
        if (!std::filesystem::exists(folder, error)) {
            gf_log(folderText + " does not exist, skipped!");
            continue;
        }
        if (!std::filesystem::is_directory(folder, error)) {
            gf_log(folderText + " is not a folder name, skipped!");
            continue;
        }
        folderIndex = std::min(folderIndex + 1, 10);
        if (gf_scanStopRequested()) {
            return false;
        }
        const std::size_t before = g_scannedLiveries.size();
        lf_scanLiveryFolder(folderIndex, folder);
        if (gf_scanStopRequested()) {
            return false;
        }
        const std::size_t found = g_scannedLiveries.size() - before;
        const std::string where = fmt::format("found in {}", folderText);
        gf_log(found == 0 ? "No liveries " + where : fmt::format("{} liverie{} {}", found, gf_plural(found), where));
    }
    return !gf_scanStopRequested();
}

// An airline's model found in an earlier folder hides that airline's liveries of the model
// in later folders.
void lf_prioritize()
{
    std::map<std::pair<std::string, std::string>, std::int32_t> firstFolder;
    std::erase_if(g_scannedLiveries, [&](const LiveryData& livery) {
        const auto [known, isNew] = firstFolder.try_emplace({livery.airl, livery.type}, livery.folderIndex);
        if (isNew) {
            return false;
        }
        const bool hidden = known->second < livery.folderIndex;
        known->second = std::min(known->second, livery.folderIndex);
        return hidden;
    });
}

void lf_sortAndDeduplicate()
{
    std::stable_sort(g_scannedLiveries.begin(), g_scannedLiveries.end());
    g_scannedLiveries.erase(std::unique(g_scannedLiveries.begin(), g_scannedLiveries.end(), lf_sameLivery),
                            g_scannedLiveries.end());
}

void lf_finishScan()
{
    SCAN_LIVERIES.value = false;
    gf_saveBoolParameter(SCAN_LIVERIES);
    gf_setCheckBox(SCAN_LIVERIES);
    gf_repaintPanelHeader();
    gf_enableControl(AI_PACKAGE_SELECTOR);
    gf_log("\n++++++++++++++++++++++++ liveries scan ends ++++++++++++++++++++++++++++++++\n");
    gf_flushLog();
}

} // namespace

FolderScan lf_scanLiveryFolders(const LiveryFolders& folders)
{
    g_scannedLiveries.clear();
    lf_resetScanResults();
    lf_loadDontUseTitles();
    // A stopped scan keeps the previous result: it is replaced only once this one is complete.
    if (!lf_walkFolders(folders)) {
        g_scannedLiveries.clear();
        lf_resetScanResults();
        return FolderScan::Stopped;
    }
    // A result found replaces the previous one only once it is saved whole.
    lf_removeLiveriesScannedXml(g_scannedLiveries.empty());
    if (g_scannedLiveries.empty()) {
        lf_resetScanResults();
        g_scannedLiveryCount = 0;
        gf_repaintPanelHeader();
        return FolderScan::NothingFound;
    }
    if (folders.size() > 1) {
        gf_log(fmt::format("{} in total", g_scannedLiveries.size()));
    }
    lf_writeDbaseCorrections();
    if (LIG_PRIORITIZE.value) {
        lf_prioritize();
    }
    lf_sortAndDeduplicate();
    const bool saved = lf_writeLiveriesScannedXml();
    g_scannedLiveries.clear();
    lf_writeScanReport();
    lf_resetScanResults();
    gf_clearMessage();
    return saved ? FolderScan::Saved : FolderScan::NotSaved;
}

void gf_scanLiveries()
{
    const bool automatic = LIG_AUTOMATIC.value;
    EnableWindow(AI_PACKAGE_SELECTOR.hwnd, FALSE);
    gf_showMessage(fmt::format("Scanning {}for liveries ...", LIG_PRIORITIZE.value ? "prioritized " : ""), false);
    gf_log(fmt::format("\n++++++++++++++++++++++++ liveries scan {} starts ++++++++++++++++++++++++++++++++",
                       automatic ? "automatic" : "manual"));
    LiveryFolders folders;
    folders.reserve(10);
    if (automatic) {
        const std::filesystem::path community = gf_msfsPath("Community");
        if (!community.empty()) {
            lf_findAiPackages(community, folders);
        }
    } else {
        lf_checkLfolders(folders);
    }
    if (folders.empty()) {
        if (automatic) {
            gf_enableControl(AI_PACKAGE_SELECTOR);
            throw vtx::UserErrorException(43, "Automatic scan has not found any AI packages, choose a different "
                                              "selection (or go to Manual mode, see Manual 5.2)");
        }
        gf_openManual();
        gf_openParametersFolder();
        throw vtx::UserErrorException(
            48, fmt::format("Exit {} first!   Then set one or more lfolder parameters to your liveries, see Manual 5.2",
                            kProductName));
    }
    switch (lf_scanLiveryFolders(folders)) {
    case FolderScan::NothingFound:
        if (!automatic) {
            throw vtx::UserErrorException(53, "no liveries found");
        }
        gf_enableControl(AI_PACKAGE_SELECTOR);
        throw vtx::UserErrorException(143, "Automatic scan has not found any liveries, choose a different selection, "
                                           "or switch off automatic and set lfolder parameter(-s)");
    case FolderScan::Saved:
        lf_finishScan();
        return;
    case FolderScan::NotSaved:
    case FolderScan::Stopped:
        // Nothing new is saved: SCAN_LIVERIES stays on, so the next start scans again.
        gf_enableControl(AI_PACKAGE_SELECTOR);
        return;
    }
}
