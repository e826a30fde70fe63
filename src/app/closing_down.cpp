// The end of every run: stop the worker threads, close the RealTraffic link, take out what
// the program created, then restart in the same process or hand the end to the GUI thread.
#include "app/closing_down.h"

#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "app/tick_state.h"

#include "core/fault_log.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "core/stop_flags.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/life_cycle.h"
#include "engine/proximity_rules.h"
#include "engine/stand_learning.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_processing.h"
#include "parking/park_airport.h"
#include "parking/park_airports.h"
#include "parking/static_parking.h"
#include "platform/win32.h"
#include "simlink/flight_plans.h"
#include "traffic/rt_link.h"
#include "traffic/qnh_reader.h"
#include "traffic/reader_lights.h"
#include "traffic/traffic_reader.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/window_messages.h"
#include "ui/status_line.h"

#include <chrono>
#include <filesystem>
#include <fmt/format.h>
#include <string>
#include <system_error>
#include <thread>

namespace {

using namespace std::chrono_literals;

void lf_stopWorkerThreads()
{
    gf_setLoopRunning(false);
    if (g_simClientThread.joinable()) {
        g_simClientThread.request_stop();
    }
    g_qnhReader.requestStop();
    g_trafficReader.requestStop();
    std::this_thread::sleep_for(500ms);
    // The SimClient thread owns the SimConnect handle and the queues it drains: it must have
    // ended before anything of it is reset.
    if (g_simClientThread.joinable()) {
        g_simClientThread.join();
    }
}

void lf_closeRealTrafficLink()
{
    if (g_rtClientConnected.load()) {
        sendDataPacket("exit\r\n");
    }
    gf_closeRealTrafficSockets();
}

bool lf_systemErrorStands() { return gf_exitReason() == ExitReason::SystemError; }

// A system error keeps the window open with the error until the user closes it, or until the
// user mends it with a setting that restarts the run (the missing Community path). A
// production run has nobody to close it and ends at once.
void lf_waitForUserAfterSystemError()
{
    if (g_productionMode.load()) {
        g_exitCode.store(kSystemErrorExitCode);
        return;
    }
    gf_flushLog();
    while (!g_exitRequested.load() && lf_systemErrorStands()) {
        std::this_thread::sleep_for(500ms);
    }
    if (!lf_systemErrorStands()) {
        return;
    }
    g_exitCode.store(kSystemErrorExitCode);
    // The error still stands, and the status line drops messages while it does: the
    // line goes to the log directly so that the log tells how the run ended.
    const std::string closed = fmt::format("User closed {}", kProductName);
    gf_log(closed);
    gf_showMessage(closed, false);
}

// Removes the folder of the AI flight plans; a folder that is not empty goes with its contents.
void lf_removeFlightPlanFolder()
{
    if (g_flightPlanFolder.empty()) {
        return;
    }
    std::error_code ec;
    if (!std::filesystem::remove(g_flightPlanFolder, ec) && !ec) {
        return;
    }
    // Which error a folder that is not empty gives depends on the library: "directory not
    // empty", ERROR_DIR_NOT_EMPTY, or (libstdc++ on Windows) access denied. A folder still
    // there is removed with its contents.
    if (ec && std::filesystem::is_directory(g_flightPlanFolder)) {
        ec.clear();
        std::filesystem::remove_all(g_flightPlanFolder, ec);
    }
    if (ec) {
        gf_log(fmt::format("gf_removeFlightPlanFolder: {}", ec.message()));
    }
}

void lf_clearRunSettings()
{
    gf_setStringParameter(DESTINATION, "");
    gf_setStringParameter(BLOCK_CALLSIGN, "");
}

// False when the user closed the window during the countdown: the program then ends.
bool lf_prepareRestart()
{
    g_isRestart.store(true);
    gf_clearStatusError();
    gf_clearMessage();
    gf_showMessage("Prepare for a restart ...", true);
    // Read now: a simulator switch picked during the closing has taken an error's place.
    if (gf_exitReason() != ExitReason::NewSettings) {
        // An error restart does not scan again.
        SCAN_LIVERIES.value = false;
        gf_saveBoolParameter(SCAN_LIVERIES);
        SCAN_AIRPORTS.value = false;
        gf_saveBoolParameter(SCAN_AIRPORTS);
    }
    if (!lf_restartCountdown()) {
        g_isRestart.store(false);
        return false;
    }
    lf_resetForRestart();
    // The aircraft are gone and the worker threads stopped: nothing holds a title now.
    gf_dropLiveryTablesIfAsked();
    return true;
}

void lf_prepareQuit(ExitReason reason)
{
    g_isRestart.store(false);
    if (reason == ExitReason::NewFlight) {
        gf_showMessage(fmt::format("New flight detected, {} will close, please restart manually ...", kProductName),
                       true);
        std::this_thread::sleep_for(10s);
    }
}

void lf_postToMainWindow(UINT message)
{
    if (g_mainWindow.load() != nullptr) {
        PostMessageW(g_mainWindow.load(), message, 0, 0);
    }
}

void lf_closeDownSteps()
{
    gf_log(fmt::format("Exiting: {}", gf_exitReasonText(g_exitReason.load())));
    gf_flushLog();
    lf_stopWorkerThreads();
    lf_closeRealTrafficLink();
    // The readers have stopped: what they held back is summarised now, not at some later fault.
    gf_writeFaultSummaries();
    if (lf_systemErrorStands()) {
        lf_waitForUserAfterSystemError();
    }
    // Decided by the reason in force after the wait, which a restart may have replaced.
    const ExitReason reason = gf_exitReason();
    // A new flight or the simulator's disconnect asked for the user's stand to be noted.
    gf_handleReservedStandRequest();
    // What was learned at the park airport is saved as when the airport is left.
    if (g_parkAirportSet.load()) {
        gf_leaveParkAirport();
    }
    // The summary lists the failed creations, so it is written before their record is cleared.
    gf_writeLiveryMatchingSummary();
    gf_logNoMatchList();
    g_failedLiveryList.clear();
    g_liveryTitleCache.clear();
    lf_removeFlightPlanFolder();
    lf_clearRunSettings();
    g_ghostList.clear();
    bool restart = gf_isRestartReason(reason);
    if (restart) {
        restart = lf_prepareRestart();
    } else {
        lf_prepareQuit(reason);
    }
    // The log is flushed before the post: once the window has the message, the process
    // may end at any moment.
    gf_flushLog();
    lf_postToMainWindow(restart ? WM_APP_START_UP : WM_APP_CLOSE_DOWN);
}

} // namespace

void lf_closingDown()
{
    try {
        lf_closeDownSteps();
    } catch (const std::exception& e) {
        gf_showMessage(fmt::format("{} exception {}", "lf_closingDown", e.what()), true);
        // The remaining steps are skipped; the program still ends, with a failure code.
        g_exitCode.store(kSystemErrorExitCode);
        g_isRestart.store(false);
        gf_flushLog();
        lf_postToMainWindow(WM_APP_CLOSE_DOWN);
    }
}

void lf_flushLogAndCloseDown() noexcept
{
    try {
        gf_flushLog();
        lf_closingDown();
    } catch (...) {
        lf_postToMainWindow(WM_APP_CLOSE_DOWN);
    }
}

void gf_reportReaderStopped(std::string_view readerName, std::string_view errorText)
{
    gf_showMessage(fmt::format("The {} has stopped with error: {}", readerName, errorText), true);
    gf_requestStop(ExitReason::ReaderError, 15);
}
