// The add-on airport scan: the output folders, the walk of the scan folders for ".bgl"
// files, and one worker task per file at most g_workerCount at a time.
#include "parking/addon_airport_scan.h"

#include "app/start_up_state.h"
#include "core/folders.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "core/text_lines.h"
#include "core/text_strings.h"
#include "parking/bgl_reader.h"
#include "parking/scan_messages.h"
#include "ui/control_text.h"
#include "ui/panel_repaint.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <array>
#include <chrono>
#include <deque>
#include <future>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

std::atomic<bool> g_tbloFlag{false};

namespace {

constexpr const char* kKind = "addon ";
constexpr auto kTaskWait = std::chrono::seconds(10);
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
    const std::string& install = ALL_INSTALL_PATH.value;
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

const BglScanContext& lf_bglContext()
{
    static const BglScanContext context{lf_addScanMessage, lf_linkArchivedApf, lf_generateApf, &g_runningTasks};
    return context;
}

bool lf_skippedFile(const fs::path& path)
{
    const std::string text = path_to_utf8(path);
    for (const char* part : {"statics", "afcad updates", "_heliports"})
        if (text.find(part) != std::string::npos)
            return true;
    return !lf_bglHasAirportSection(path);
}

// A task that did not end in time; it ends the walk of its folder.
struct TaskTimeout : std::runtime_error {
    TaskTimeout() : std::runtime_error("Future wait timed out after 10 seconds") {}
};

void lf_waitFor(std::future<void>& task)
{
    if (task.wait_for(kTaskWait) == std::future_status::timeout)
        throw TaskTimeout();
    task.get();
}

void lf_startTask(const fs::path& path, std::deque<std::future<void>>& tasks)
{
    while (g_runningTasks.load() >= g_workerCount.load())
        std::this_thread::yield();
    g_runningTasks.fetch_add(1);
    tasks.push_back(std::async(std::launch::async, [path] { lf_processBGLfile(path, lf_bglContext()); }));
    if (tasks.size() > static_cast<std::size_t>(std::max(1, g_workerCount.load()))) {
        lf_waitFor(tasks.front());
        tasks.pop_front();
    }
}

void lf_walk(const fs::path& folder, std::deque<std::future<void>>& tasks)
{
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied);
    for (; it != fs::recursive_directory_iterator(); ++it) {
        const fs::directory_entry& entry = *it;
        if (entry.is_directory()) {
            if (lf_isSkippedFolder(entry.path().lexically_relative(folder), entry.path()))
                it.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file() || !gf_equalsNoCase(path_to_utf8(entry.path().extension()), ".bgl"))
            continue;
        if (g_stopRequested.load() || g_exitRequested.load())
            return;
        if (!lf_skippedFile(entry.path()))
            lf_startTask(entry.path(), tasks);
    }
}

void lf_waitForAll(const fs::path& folder, std::deque<std::future<void>>& tasks)
{
    try {
        while (!tasks.empty()) {
            try {
                lf_waitFor(tasks.front());
            } catch (const TaskTimeout&) {
                throw;
            } catch (const std::exception& e) {
                lf_addScanMessage(fmt::format("{} airports search aborted, futs inner,\n{}\n{}\n{}", kKind,
                                              path_to_utf8(folder), "a scan task failed", e.what()));
            }
            tasks.pop_front();
        }
    } catch (const std::exception& e) {
        lf_addScanMessage(
            fmt::format("{} airports search in {} aborted, futs outer error: {}", kKind, path_to_utf8(folder), e.what()));
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
        gf_removeFilesFromDirectory(folders::airports() / folders::mySimaddon());
    gf_removeFilesFromDirectory(folders::myThirdparty());
    if (!lf_scanAirportFolders(scanFolders))
        gf_showMessage("Warning: Scan has not found any add-on airports", true);
    SCAN_AIRPORTS.value = false;
    gf_saveBoolParameter(SCAN_AIRPORTS);
    gf_setCheckBox(SCAN_AIRPORTS);
    lf_repaintMainWindow();
}

bool lf_scanAirportFolders(const std::vector<fs::path>& scanFolders)
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
    lf_scanFolderChecked(scanFolders);
    fs::create_directories(scanLog.parent_path(), error);
    if (gf_writeLines(scanLog, gf_takeScanMessages()))
        gf_log(path_to_utf8(scanLog) + " written");
    else
        gf_logMarked(fmt::format("writing {} failed", path_to_utf8(scanLog)));
    gf_clearMessage();
    lf_afterAirportScan(gf_listMyThirdpartyFiles());
    return gf_dirHasEntries(folders::myThirdparty());
}

void lf_scanFolderChecked(const std::vector<fs::path>& scanFolders)
{
    for (const fs::path& folder : scanFolders) {
        if (folder.empty())
            continue;
        std::error_code error;
        const fs::file_status status = fs::status(folder, error);
        if (error && !lf_notFound(error))
            throw fs::filesystem_error("status", folder, error);
        if (fs::is_directory(status))
            lf_scanFolderForBGLs(folder);
        else if (fs::exists(status))
            gf_showMessage(path_to_utf8(folder) + " is not a folder name, skipped!", true);
        else
            gf_showMessage(path_to_utf8(folder) + " does not exist, skipped!", true);
    }
}

void lf_scanFolderForBGLs(const fs::path& folder)
{
    gf_log(fmt::format("Scanning for {} airports in {}", kKind, path_to_utf8(folder)));
    // Declared before the walk: a task still running when the walk aborts is waited for
    // when the list goes, before the scan log is written.
    std::deque<std::future<void>> tasks;
    try {
        lf_walk(folder, tasks);
    } catch (const std::exception& e) {
        lf_addScanMessage(
            fmt::format("{} airports search in folder {} aborted, cause: {}", kKind, path_to_utf8(folder), e.what()));
        return;
    }
    lf_waitForAll(folder, tasks);
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
