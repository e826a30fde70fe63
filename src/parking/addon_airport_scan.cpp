// The add-on airport scan: the output folders, the walk of the scan folders for ".bgl"
// files, and one worker task per file at most g_workerCount at a time, each collecting its
// results in its own slot.
#include "parking/addon_airport_scan.h"
#include "core/run_state.h"

#include "core/scan_pool.h"
#include "core/folders.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/text_lines.h"
#include "core/text_strings.h"
#include "parking/bgl_reader.h"
#include "parking/scan_messages.h"
#include "ui/control_text.h"
#include "ui/panel_repaint.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <array>
#include <set>
#include <string_view>

namespace fs = std::filesystem;

std::atomic<bool> g_tbloFlag{false};

namespace {

const RunStateRegistration lf_runState{RUN_STATE(RunStateArea::Engine, g_tbloFlag)};

} // namespace

namespace {

constexpr const char* kKind = "addon ";
constexpr std::size_t kMaxFolderPathLength = 250;

bool lf_notFound(const std::error_code& error)
{
    return error == std::errc::no_such_file_or_directory;
}

void lf_prepareTblo()
{
    std::error_code error;
    const bool exists = fs::exists(folders::tblo(), error);
    if (error && !lf_notFound(error))
        throw fs::filesystem_error("exists", folders::tblo(), error);
    if (exists) {
        gf_removeFilesFromDirectory(folders::tblo());
        return;
    }
    fs::create_directory(folders::tblo(), error);
    if (error)
        throw fs::filesystem_error("create_directory", folders::tblo(), error);
}

std::vector<fs::path> lf_scanFolders()
{
    std::vector<fs::path> result;
    const std::string install = ALL_INSTALL_PATH.value;
    if (install.empty())
        return result;
    const fs::path root = gf_utf8ToPath(install);
    if (g_msfs2020.load())
        result.push_back(root / "Official");
    result.push_back(root / "Community");
    return result;
}

void lf_repaintMainWindow()
{
    gf_repaintPanelHeader();
    gf_repaintControlArea();
}

bool lf_skippedName(const fs::path& path)
{
    const std::string text = path_to_utf8(path);
    for (const char* part : {"statics", "afcad updates", "_heliports"})
        if (text.find(part) != std::string::npos)
            return true;
    return false;
}

// The ".bgl" files of a folder in walk order. An entry that cannot be looked at is skipped
// with a line in the scan log, so one bad entry (a symbolic link loop, a package folder that
// cannot be read) does not cost the other packages their airports.
struct BglListing {
    std::vector<fs::path> files;
    std::vector<fs::directory_iterator> open;  // the folders being listed, innermost last
    bool walkedWhole = true;                   // false when the scan folder's own listing failed
};

// The paths are shown lossily: a name that does not convert to UTF-8 may be the cause, and
// its report must not throw again.
void lf_skipEntry(const fs::path& folder, const fs::path& entry, std::string_view cause)
{
    lf_addScanMessage(fmt::format("{} airports search in folder {} skipped {}, cause: {}", kKind,
                                  gf_pathTextLossy(folder), gf_pathTextLossy(entry), cause));
}

bool lf_isBglFile(const fs::directory_entry& entry, std::error_code& error)
{
    return entry.is_regular_file(error) && gf_equalsNoCase(path_to_utf8(entry.path().extension()), ".bgl") &&
           !lf_skippedName(entry.path());
}

// A folder is descended into (unless skipped; a link to a folder is not followed), a ".bgl"
// file is listed.
void lf_listEntryChecked(const fs::path& folder, const fs::directory_entry& entry, BglListing& listing)
{
    std::error_code error;
    const bool directory = entry.is_directory(error);
    if (!error && directory) {
        if (entry.is_symlink(error) || error ||
            lf_isSkippedFolder(entry.path().lexically_relative(folder), entry.path()))
            return;
        fs::directory_iterator inner(entry.path(), error);
        if (!error)
            listing.open.push_back(std::move(inner));
    } else if (!error && lf_isBglFile(entry, error)) {
        listing.files.push_back(entry.path());
    }
    if (error)
        lf_skipEntry(folder, entry.path(), error.message());
}

// An entry whose name cannot be converted costs that entry only.
void lf_listEntry(const fs::path& folder, const fs::directory_entry& entry, BglListing& listing)
{
    try {
        lf_listEntryChecked(folder, entry, listing);
    } catch (const std::exception& e) {
        lf_skipEntry(folder, entry.path(), e.what());
    }
}

// Depth first, in the order a recursive walk gives; ends early on a stop. Reading a file is
// left to its task, so a blocked read holds no walk. Throws when the folder itself cannot be
// opened.
BglListing lf_listBglFiles(const fs::path& folder)
{
    BglListing listing;
    listing.open.emplace_back(folder);
    while (!listing.open.empty() && !gf_scanStopRequested()) {
        fs::directory_iterator& it = listing.open.back();
        if (it == fs::directory_iterator()) {
            listing.open.pop_back();
            continue;
        }
        const fs::directory_entry entry = *it;
        std::error_code error;
        it.increment(error);
        if (error) {
            // The rest of this folder cannot be listed.
            lf_skipEntry(folder, entry.path().parent_path(), error.message());
            it = fs::directory_iterator();
            listing.walkedWhole = listing.walkedWhole && listing.open.size() > 1;
        }
        lf_listEntry(folder, entry, listing);
    }
    return listing;
}

// The files one ".bgl" would give its airports, and its lines for the scan log; written
// later by the scan, never here.
ScanFileResult lf_processFile(const fs::path& path)
{
    ScanFileResult result;
    const ScanMessageCapture capture(result.messages);
    if (!lf_bglHasAirportSection(path))
        return result;
    ScanOutputs& outputs = result.outputs;
    // The scan pool counts the running tasks.
    const BglScanContext context{
        lf_addScanMessage,
        [&outputs](Apf& apf, std::int32_t& archivedCount, const fs::path& bglPath) {
            return lf_linkArchivedApf(apf, archivedCount, bglPath, outputs);
        },
        [&outputs](Apf& apf, std::int32_t helipadCount) { lf_generateApf(apf, helipadCount, outputs); }, nullptr, {}};
    lf_processBGLfile(path, context);
    return result;
}

// The tasks' lines go to the scan log file by file in listing order, whatever the timing; a
// task given up for its time leaves the time-out line in its place.
void lf_mergeScanMessages(const std::vector<fs::path>& listed, ScanResults<ScanFileResult>& results,
                          const std::set<fs::path>& timedOut, const std::string& folderText)
{
    for (std::size_t i = 0; i < results.slots.size(); ++i) {
        if (results.slots[i])
            gf_appendScanMessages(std::move(results.slots[i]->messages));
        else if (timedOut.contains(listed[i]))
            lf_addScanMessage(fmt::format("{} airports search in {} aborted, futs outer error: {}", kKind, folderText,
                                          "Future wait timed out after 10 seconds"));
    }
}

} // namespace

fs::path gf_airportsScanLogPath()
{
    return folders::outputInfo() / "AirportsScanLog.txt";
}

void gf_scanAddonAirports()
{
    gf_showMessage("Scanning for addon airports ...", false);
    gf_log(fmt::format("\n++++++++++++++++++++++++ airports scan {} starts +++++++++++++++++++++++++++++", "automatic "));
    lf_prepareTblo();
    lf_runAirportScan(lf_scanFolders());
    if (!g_tbloFlag.load()) {
        std::error_code error;
        fs::remove_all(folders::tblo(), error);
    }
    lf_repaintMainWindow();
    gf_log("-------------------------- airports scan ends    ----------------------------\n");
}

void lf_runAirportScan(const std::vector<fs::path>& scanFolders)
{
    if (g_msfs2020.load())
        gf_removeFilesFromDirectory(folders::mySimaddon());
    gf_removeFilesFromDirectory(folders::myThirdparty());
    bool walkedWhole = true;
    const bool found = lf_scanAirportFolders(scanFolders, walkedWhole);
    // A scan cut short by a stop has emptied the output folders without filling them again:
    // it stays on, so the next start scans again.
    if (gf_scanStopRequested())
        return;
    if (!found)
        gf_showMessage("Warning: Scan has not found any add-on airports", true);
    // So does a scan that could not walk a whole scan folder: its airports are missing.
    if (!walkedWhole)
        return;
    SCAN_AIRPORTS.value = false;
    gf_saveBoolParameter(SCAN_AIRPORTS);
    gf_setCheckBox(SCAN_AIRPORTS);
    lf_repaintMainWindow();
}

bool lf_scanAirportFolders(const std::vector<fs::path>& scanFolders, bool& walkedWhole)
{
    gf_log(fmt::format("The scan will search {} folder{}", scanFolders.size(), gf_plural(scanFolders.size())));
    const fs::path scanLog = gf_airportsScanLogPath();
    std::error_code error;
    fs::remove(scanLog, error);
    if (error)
        gf_log("problems with removing previous files (maybe still open?): " + error.message());
    g_tbloFlag.store(false);
    {
        const std::lock_guard lock(g_scanMessageMutex);
        g_scanMessages.clear();
        g_scanMessages.reserve(2048);
    }
    walkedWhole = lf_scanFolderChecked(scanFolders);
    fs::create_directories(scanLog.parent_path(), error);
    if (gf_writeLines(scanLog, gf_takeScanMessages()))
        gf_log(path_to_utf8(scanLog) + " written");
    else
        gf_logMarked(fmt::format("writing {} failed", path_to_utf8(scanLog)));
    gf_clearMessage();
    if (!gf_scanStopRequested())
        lf_afterAirportScan(gf_listMyThirdpartyFiles());
    return gf_dirHasEntries(folders::myThirdparty());
}

bool lf_scanFolderChecked(const std::vector<fs::path>& scanFolders)
{
    bool walkedWhole = true;
    for (const fs::path& folder : scanFolders) {
        if (folder.empty())
            continue;
        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (error && !lf_notFound(error))
            throw fs::filesystem_error("status", folder, error);
        if (fs::is_directory(status))
            walkedWhole = lf_scanFolderForBGLs(folder) && walkedWhole;
        else if (fs::exists(status))
            gf_showMessage(path_to_utf8(folder) + " is not a folder name, skipped!", true);
        else
            gf_showMessage(path_to_utf8(folder) + " does not exist, skipped!", true);
    }
    return walkedWhole;
}

bool lf_scanFolderForBGLs(const fs::path& folder)
{
    gf_log(fmt::format("Scanning for {} airports in {}", kKind, path_to_utf8(folder)));
    BglListing listing;
    try {
        listing = lf_listBglFiles(folder);
    } catch (const std::exception& e) {
        lf_addScanMessage(
            fmt::format("{} airports search in folder {} aborted, cause: {}", kKind, path_to_utf8(folder), e.what()));
        return false;
    }
    if (gf_scanStopRequested())
        return true;
    std::vector<fs::path> files = std::move(listing.files);
    const std::vector<fs::path> listed = files;
    std::set<fs::path> timedOut;
    ScanResults<ScanFileResult> results = gf_scanFiles<ScanFileResult>(
        std::move(files), lf_processFile, [&timedOut](const fs::path& file, bool) { timedOut.insert(file); });
    lf_mergeScanMessages(listed, results, timedOut, path_to_utf8(folder));
    if (!results.stopped)
        lf_writeScanOutputs(std::move(results.slots));
    return listing.walkedWhole;
}

bool lf_isSkippedFolder(const fs::path& path, const fs::path& fullPath)
{
    static constexpr std::array<const char*, 13> kSkipped = {
        "tutorials",     "aircraft",            "bushtrip", "discovery", "point-of-interest",
        "simobjects",    "vcockpits",           "aig-aitraffic", "justflight-aircraft", "fsltl",
        "gsx-pro",       "gsx-world",           "landingchallenge"};
    if (path_to_utf8(fullPath).size() >= kMaxFolderPathLength)
        return true;
    const std::string lower = gf_lowerCase(path_to_utf8(path));
    if (lower.find("fs-base") != std::string::npos)
        return true;
    for (const char* part : kSkipped)
        if (lower.find(part) != std::string::npos)
            return true;
    return false;
}
