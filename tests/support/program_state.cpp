// The process-lifetime entries and the reset of test fixtures.
#include "support/program_state.h"

#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/main_loop_thread.h"
#include "core/program_folders.h"
#include "core/run_state.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "liveries/livery_data.h"
#include "platform/standin/standin_reset.h"
#include "liveries/livery_tables.h"
#include "liveries/regcodes.h"
#include "liveries/scan_report.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "simlink/flight_plans.h"
#include "simlink/sim_client.h"
#include "traffic/reader_threads.h"
#include "ui/status_panel_counts.h"

#include <cstdlib>
#include <type_traits>

namespace testsupport {

namespace {

// A control belonged to the window of an earlier test.
void lf_forgetControl(GuiControl& control)
{
    control.hwnd = nullptr;
    control.previousProc = nullptr;
}

// A setting back to its default; one with a control also forgets the control.
template <class P>
void lf_toDefault(P& parameter)
{
    parameter.value = parameter.defaultValue;
    if constexpr (std::is_base_of_v<GuiControl, P>)
        lf_forgetControl(parameter);
}

template <class P>
void lf_toDefaults(const std::vector<P*>& parameters)
{
    for (P* parameter : parameters) {
        lf_toDefault(*parameter);
    }
}

void lf_settingsToDefaults()
{
    lf_toDefaults(boolParameters);
    lf_toDefaults(boolGuiParameters);
    lf_toDefaults(intParameters);
    lf_toDefaults(intGuiParameters);
    lf_toDefaults(stringParameters);
    lf_toDefaults(stringGuiParameters);
    lf_toDefaults(std::vector<StringGuiParameter*>{&ALL_INSTALL_PATH, &BLOCK_CALLSIGN, &DESTINATION,
                                                   &AI_PACKAGE_SELECTOR, &CALLSIGN_2_OBJECTID});
    lf_toDefault(parking_percentage);
    lf_toDefault(MAX_FIT_FL);
    // Writing the defaults stamps the running version into this default.
    PROGRAM_VERSION.defaultValue.clear();
    gf_applySimChoice(SIM_CHOICE.value.load());
    *CALLSIGN_2_OBJECTID.sharedEntries = {std::string()};
    for (GuiButton* button : {&BUTTON_TBLO, &BUTTON_UNBLOCK, &BUTTON_CALLSIGN_2_OBJECTID, &BUTTON_BLOCK,
                              &BUTTON_REREAD, &BUTTON_NOW, &BUTTON_FLUSH_STATIC})
        lf_forgetControl(*button);
}

void lf_clearDatabases()
{
    gf_clearAircraftTables();
    g_airports.clear();
    g_airportCodes.clear();
    g_airportsLoaded = false;
    g_dataFilesRead = false;
}

void lf_clearLiveries()
{
    gf_clearLiveryTables();
    g_liveryRebuildRequested = false;
    g_liveriesProcessed = false;
    g_scannedLiveries.clear();
    g_scannedLiveryCount = 0;
    g_failedLiveries.clear();
    lf_resetScanResults();
    g_regcodeReport.clear();
}

// A log left open by a test would keep writing into that test's folder.
void lf_closeLog()
{
    std::lock_guard lock(g_logMutex);
    g_logFile.close();
    g_logFile.clear();
}

} // namespace

const std::vector<ProcessLifetimeEntry>& processLifetimeEntries()
{
    static const std::vector<ProcessLifetimeEntry> entries{
        // Settings: stored in "parameters.xml", changed only by the user or on purpose.
        {"core/settings.cpp", "*", "settings and push buttons"},
        {"core/sim_choice.cpp", "g_msfs2020", "follows the SIM_CHOICE setting"},
        // Reference data: read once (or at every start-up, unchanged) from the data files.
        {"refdata/aircraft_db_query.cpp", "*", "aircraft database"},
        {"refdata/airport_db_read.cpp", "*", "airport database"},
        {"refdata/download.cpp", "*", "the download host"},
        {"app/start_up_state.cpp", "g_dataFilesRead", "the aircraft database is read once per process"},
        // Liveries: the scanned liveries and the tables built from them, rebuilt only by a
        // scan or a simulator switch; the titles the simulator refused go with them.
        {"liveries/livery_data.cpp", "*", "scanned liveries and scan reports"},
        {"liveries/livery_tables.cpp", "*", "livery tables"},
        {"refdata/similar_models.cpp", "*", "similar models, built and cleared with the livery tables"},
        {"liveries/regcode_processing.cpp", "*", "regcode tables"},
        {"simlink/flight_plans.cpp", "g_failedLiveries", "refused titles, kept with the livery tables"},
        {"ui/status_panel_counts.h", "g_scannedLiveryCount", "count of the livery tables"},
        // The process and its window.
        {"app/exit_reason.cpp", "g_isRestart", "tells the next start-up that it is a restart"},
        {"simlink/sim_client.cpp", "g_userObjectId", "the user aircraft's object id, kept across runs"},
        {"app/exit_reason.cpp", "gf_exitReasonText::unknownMutex", "texts of unknown reasons, made once"},
        {"app/exit_reason.cpp", "gf_exitReasonText::unknown", "texts of unknown reasons, made once"},
        {"core/stop_flags.cpp", "g_productionMode", "from the command line"},
        {"core/scan_pool.cpp", "g_workerCount", "the machine's hardware threads"},
        {"app/tick_state.cpp", "g_simClientThread", "thread object, joined at every shut-down"},
        {"ui/main_window.cpp", "g_startUpThread", "thread object of the start-up thread"},
        {"ui/main_window_handle.cpp", "g_mainWindow", "the main window, kept across restarts"},
        {"core/log.cpp", "*", "Log.txt"},
        {"core/clock.cpp", "*", "the clock that tests set"},
        {"core/scan_pool.cpp", "g_scanTaskHook", "a hook that tests set"},
        {"core/random_choice.cpp", "g_rng", "random generator per thread"},
        {"parking/scan_messages.cpp", "lv_taskMessages", "per thread, set only while a scan task runs"},
        {"core/scan_pool.cpp", "lv_taskGivenUp", "per thread, set only while a scan task runs"},
        {"core/scan_pool.cpp", "lv_taskPool", "per thread, set only while a scan task runs"},
        {"core/run_state.cpp", "lf_registry::entries", "the run-state registry itself"},
        {"core/fault_log.cpp", "lf_faultLogs::list", "the list of fault logs, each reset with its own entry"},
        {"traffic/udp_reader.cpp", "lv_wsaCleanedUp", "WSACleanup once per process"},
        {"core/main_loop_thread.cpp", "lv_mainLoopThread", "the thread of the running main loop"},
        {"traffic/reader_threads.cpp", "lv_runningReaders", "reader threads not yet ended, waited for at process exit"},
        {"core/scan_pool.cpp", "lv_liveWorkers", "scan workers not yet ended, waited for at process exit"},
        // Mutexes hold no value.
        {"core/parameters_xml.cpp", "g_parametersMutex", "mutex"},
        {"traffic/traffic_mutex.cpp", "g_trafficMutex", "mutex"},
        {"simlink/sim_queues.cpp", "g_simQueueMutex", "mutex"},
        {"simlink/sim_queues.cpp", "g_simResultMutex", "mutex"},
        {"simlink/user_aircraft.cpp", "g_userAcMutex", "mutex"},
        {"ui/status_line.cpp", "g_statusMutex", "mutex"},
        {"ui/sim_panel_state.cpp", "lf_simTextMutex", "mutex"},
        {"parking/park_airports.cpp", "g_requestMutex", "mutex"},
        {"parking/first_park_airport.cpp", "g_firstParkAirportMutex", "mutex"},
        {"parking/scan_messages.cpp", "g_scanMessageMutex", "mutex"},
        {"parking/closest_stand.cpp", "g_closestStandsMutex", "mutex"},
        {"parking/park_load_backoff.cpp", "g_parkBackOffMutex", "mutex"},
    };
    return entries;
}

void resetProgramState()
{
    // A program run of an earlier test leaves its readers on their ports, as a process
    // does until it exits: they end before their state is reset.
    gf_waitForReadersToEnd();
    gf_resetRunState();
    lf_settingsToDefaults();
    lf_clearDatabases();
    lf_clearLiveries();
    g_isRestart = false;
    g_userObjectId = 2;
    g_productionMode = false;
    clk::unfreeze();
    gf_forgetMainLoopThread();
    // Tests give each run an app-data folder of its own.
    g_appFolder.forget();
    g_parametersPath.forget();
}

void useAppDataRoot(const std::filesystem::path& root)
{
    ::setenv("SKYWEAVER_STANDIN_ROOT", root.c_str(), 1);
    g_appFolder.forget();
    g_parametersPath.forget();
    std::filesystem::create_directories(g_appFolder.get());
}

void resetBeforeEachTest()
{
    lf_closeLog();
    resetProgramState();
    standin::resetStandIns();
}

} // namespace testsupport
