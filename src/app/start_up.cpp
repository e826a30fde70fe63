// The start-up thread: checks the program folder, initialises the data, runs the scans the
// settings ask for, then starts the worker threads and becomes the main loop.
#include "app/start_up_thread.h"

#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "core/scan_pool.h"
#include "app/start_up_state.h"

#include "core/log.h"
#include "core/main_loop_thread.h"
#include "core/program_folders.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "core/stop_flags.h"
#include "core/folders.h"
#include "core/user_error.h"
#include "liveries/livery_scan.h"
#include "liveries/livery_processing.h"
#include "parking/addon_airport_scan.h"
#include "parking/park_airports.h"
#include "platform/win32.h"
#include "refdata/airport_db.h"
#include "simlink/flight_plans.h"
#include "ui/busy_state.h"
#include "ui/control_actions.h"
#include "ui/control_requests.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/window_messages.h"
#include "ui/status_line.h"

#include <filesystem>
#include <initializer_list>
#include <fmt/format.h>
#include <mutex>
#include <new>
#include <string>
#include <thread>

namespace {

bool lf_stopFlagSet()
{
    return g_stopRequested.load() || g_exitRequested.load();
}

void lf_checkProgramFolder()
{
    std::error_code ec;
    if (!std::filesystem::is_directory(folders::docs(), ec)) {
        throw vtx::UserErrorException(41, fmt::format("{} must be run from the {} folder!", kProductName,
                                                      kProductName));
    }
}

void lf_setWorkerCount()
{
    const unsigned hardware = std::thread::hardware_concurrency();
    g_workerCount.store(hardware == 0 ? 2 : static_cast<std::int32_t>(hardware));
    g_runningTasks.store(0);
}

// The counts, as the status panel shows them.
void lf_setAddonFolderCounts(std::int32_t simAddon, std::int32_t thirdParty)
{
    g_addonFolderCounts.simAddon.store(simAddon);
    g_addonFolderCounts.thirdParty.store(thirdParty);
    gf_repaintPanelHeader();
}

void lf_scanAddonAirports()
{
    if (lf_stopFlagSet() || !SCAN_AIRPORTS.value) {
        return;
    }
    lf_setAddonFolderCounts(0, 0);
    gf_scanAddonAirports();
}

void lf_countAddonFolders()
{
    lf_setAddonFolderCounts(gf_dirHasEntries(folders::mySimaddon()) ? 1 : 0,
                            gf_dirHasEntries(folders::myThirdparty()) ? 1 : 0);
}

void lf_applySavedDestination()
{
    const std::string code = DESTINATION.value;
    if (code.empty()) {
        return;
    }
    if (const auto airport = gf_findAirport(code)) {
        gf_setDestination(code, *airport);
    }
}

void lf_placeMainWindow()
{
    SetWindowPos(g_mainWindow.load(), ALWAYS_ON_TOP.value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE);
}

// Ends the run as the user's close would, unless a component already ended it with a reason
// of its own: a restart asked for is no close, and the restart countdown would take it for one.
void lf_endAsUserClose()
{
    if (gf_exitReason() == ExitReason::NotYetSet) {
        gf_requestUserExit();
    }
}

// A run that ends before the worker threads start: the user or production mode asked for it.
void lf_endEarly()
{
    lf_endAsUserClose();
    gf_flushLog();
    lf_closingDown();
}

// The run has ended before the scans: the update check found a new version, or a stop other
// than production mode's own came.
bool lf_endedBeforeScans()
{
    return gf_scanStopRequested() || gf_exitReason() == ExitReason::NewVersion;
}

// The livery scan and the processing of its result. A production run does both after its own
// stop, which is what it is for; a stop during the scan leaves the result unprocessed and
// ends the start-up early.
void lf_scanAndProcessLiveries()
{
    if (lf_endedBeforeScans()) {
        return;
    }
    if (SCAN_LIVERIES.value) {
        gf_scanLiveries();
    }
    if (gf_scanStopRequested()) {
        return;
    }
    gf_processScannedLiveries();
}

void lf_runStartUp()
{
    if (!lf_prepareRun()) {
        return;
    }
    if (lf_startThreads()) {
        lf_runTickLoop();
    } else {
        lf_endAsUserClose();
    }
    gf_flushLog();
    lf_closingDown();
}

// A fault of the start-up or the main loop. After a stop it is only logged: the stop took
// away what the failing step worked on, and the stop's reason stands. Otherwise the texts go
// to the status line and the run ends with SYSTEM ERROR; a production run, whose own stop
// came first, reports the fault through its exit code.
void lf_handleFault(std::initializer_list<std::string> texts)
{
    if (gf_scanStopRequested()) {
        for (const std::string& text : texts) {
            gf_log(fmt::format("{} exception: {}", "lf_startUpSKWV", text));
        }
        return;
    }
    for (const std::string& text : texts) {
        gf_showError(text);
    }
    if (g_productionMode.load()) {
        g_exitCode.store(kSystemErrorExitCode);
    }
    gf_requestStop(ExitReason::SystemError, 0);
}

} // namespace

bool lf_prepareRun()
{
    lf_checkProgramFolder();
    lf_initApplication();
    lf_setWorkerCount();
    lf_scanAndProcessLiveries();
    lf_scanAddonAirports();
    if (lf_stopFlagSet()) {
        lf_endEarly();
        return false;
    }
    lf_countAddonFolders();
    if (lf_stopFlagSet()) {
        lf_endEarly();
        return false;
    }
    gf_createFlightPlanFolder();
    lf_readMyParkAirports();
    EnableWindow(BUTTON_REREAD.hwnd, TRUE);
    lf_applySavedDestination();
    lf_placeMainWindow();
    return true;
}

void lf_startUpSKWV()
{
    // This thread becomes the main loop: the state that belongs to the loop is its own.
    const MainLoopClaim claim;
    try {
        lf_runStartUp();
        return;
    } catch (const vtx::UserErrorException& e) {
        lf_handleFault({e.what()});
    } catch (const fmt::format_error& e) {
        lf_handleFault({std::string("std::format error: ") + e.what(), e.what()});
    } catch (const std::bad_alloc& e) {
        lf_handleFault({e.what()});
    } catch (const std::exception& e) {
        lf_handleFault({e.what()});
    } catch (...) {
        lf_handleFault({"Unknown exception"});
    }
    lf_flushLogAndCloseDown();
}
