// The start-up thread: checks the program folder, initialises the data, runs the scans the
// settings ask for, then starts the worker threads and becomes the main loop.
#include "app/start_up_thread.h"

#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/start_up_state.h"

#include "core/log.h"
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
#include <fmt/format.h>
#include <mutex>
#include <new>
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

// A run that ends before the worker threads start: the user or production mode asked for it.
void lf_endEarly()
{
    gf_requestUserExit();
    gf_flushLog();
    lf_closingDown();
}

void lf_runStartUp()
{
    lf_checkProgramFolder();
    lf_initApplication();
    lf_setWorkerCount();
    // The scanned liveries are processed also when the run already ends (production mode,
    // a new version found): that is what a production run is for.
    if (SCAN_LIVERIES.value) {
        gf_scanLiveries();
    }
    gf_processScannedLiveries();
    lf_scanAddonAirports();
    if (lf_stopFlagSet()) {
        return lf_endEarly();
    }
    lf_countAddonFolders();
    if (lf_stopFlagSet()) {
        return lf_endEarly();
    }
    gf_createFlightPlanFolder();
    lf_readMyParkAirports();
    EnableWindow(BUTTON_REREAD.hwnd, TRUE);
    lf_applySavedDestination();
    lf_placeMainWindow();
    if (lf_startThreads()) {
        lf_runTickLoop();
    } else {
        gf_requestUserExit();
    }
    gf_flushLog();
    lf_closingDown();
}

} // namespace

void lf_startUpSKWV()
{
    try {
        lf_runStartUp();
        return;
    } catch (const vtx::UserErrorException& e) {
        gf_showError(e.what());
        gf_forceStop(ExitReason::SystemError, 0);
    } catch (const fmt::format_error& e) {
        gf_showError(std::string("std::format error: ") + e.what());
        gf_showError(e.what());
        gf_requestStop(ExitReason::SystemError, 0);
    } catch (const std::bad_alloc& e) {
        gf_showError(e.what());
        gf_requestStop(ExitReason::SystemError, 0);
    } catch (const std::exception& e) {
        gf_showError(e.what());
        gf_requestStop(ExitReason::SystemError, 0);
    } catch (...) {
        gf_showError("Unknown exception");
        gf_forceStop(ExitReason::SystemError, 0);
    }
    lf_flushLogAndCloseDown();
}
