// Start of the worker threads of a run: the SimConnect client, the wait for the user
// aircraft, the RealTraffic link and the two UDP readers, then the wait for first traffic.
#include "app/app_steps.h"
#include "app/start_up_state.h"
#include "app/tick_state.h"

#include "core/clock.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/stop_flags.h"
#include "core/half_hours.h"
#include "core/traffic_time.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/life_cycle.h"
#include "engine/proximity_rules.h"
#include "engine/stand_learning.h"
#include "liveries/livery_tables.h"
#include "platform/simconnect.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/rt_link.h"
#include "traffic/qnh_reader.h"
#include "traffic/reader_lights.h"
#include "traffic/reader_threads.h"
#include "traffic/traffic_reader.h"
#include "ui/busy_state.h"
#include "ui/control_actions.h"
#include "ui/range_control.h"
#include "ui/control_requests.h"
#include "ui/main_window.h"
#include "ui/sim_panel_state.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/window_messages.h"

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr unsigned short kQnhReaderPort = 49004;
constexpr unsigned short kTrafficReaderPort = 49005;

bool lf_stopFlagSet()
{
    return g_stopRequested.load() || g_exitRequested.load();
}

// Sleeps until the deadline in steps of at most 100 ms; false when a stop came meanwhile.
bool lf_waitUntil(clk::SteadyTime deadline)
{
    while (true) {
        if (lf_stopFlagSet()) {
            return false;
        }
        const auto remaining = deadline - clk::steadyNow();
        if (remaining <= 0ms) {
            return true;
        }
        std::this_thread::sleep_for(std::min<clk::SteadyTime::duration>(remaining, 100ms));
    }
}

bool lf_userPositionUnknown()
{
    return std::abs(g_userAcData.latitude) <= 0.0001 && std::abs(g_userAcData.longitude) <= 0.0001;
}

// Asks for the user aircraft's data in passes of the given length until its position is known.
bool lf_pollUserPosition(std::chrono::milliseconds pass, bool untilReceived)
{
    while ((untilReceived && !g_userDataReceived.load()) || lf_userPositionUnknown()) {
        const clk::SteadyTime passStart = clk::steadyNow();
        g_userAcData = gf_requestUserAcData();
        if (lf_stopFlagSet() || !lf_waitUntil(passStart + pass)) {
            return false;
        }
    }
    return true;
}

void lf_requestUserOnGround()
{
    std::lock_guard lock(g_simQueueMutex);
    if (g_hSimConnect == nullptr) {
        return;
    }
    const HRESULT result = SimConnect_RequestDataOnSimObject(
        g_hSimConnect, kRequestUserOnGround, kDefinitionUserOnGround, SIMCONNECT_OBJECT_ID_USER,
        SIMCONNECT_PERIOD_SECOND, 0, 0, 0, 0);
    if (result < 0) {
        gf_logMarked("SimConnect request ac gnd/air fails");
        gf_simRequestError();
    }
}

bool lf_waitForUserAircraft()
{
    while (!g_simRunning.load() || g_simLinkFailed.load()) {
        if (lf_stopFlagSet()) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    if (lf_stopFlagSet()) {
        return false;
    }
    lf_requestUserOnGround();
    if (!lf_pollUserPosition(500ms, true)) {
        return false;
    }
    gf_requestUserAcTitleModel();
    return lf_pollUserPosition(200ms, false);
}

void lf_startSimClientThread()
{
    if (g_simClientThread.joinable()) {
        g_simClientThread.request_stop();
        g_simClientThread.join();
    }
    g_simClientThread = std::jthread([](std::stop_token token) { gf_simClientThread(token); });
}

// The RealTraffic side: the TCP link when RealTraffic runs on this PC and the user does not
// fly the Aerowinx simulator, else ready at once.
void lf_openRealTrafficServer()
{
    if (g_realTrafficOnThisPC.load() && !AEROWINX.value) {
        gf_openServer(PORT_NUMBER.value.load());
        return;
    }
    g_rtLinkReady.store(true);
    gf_repaintPanelHeader();
}

void lf_connectRealTraffic()
{
    // The RealTraffic light stays black while the Aerowinx mode does without RealTraffic.
    g_mainWindowState.rtNotUsed.store(AEROWINX.value);
    gf_repaintPanelHeader();
    if (AEROWINX.value) {
        g_rtEditionProf.store(false);
        return;
    }
    gf_connectRealTraffic();
    if (g_rtEditionProf.load()) {
        gf_sendQs123(g_simEpochTime.load());
    }
}

// Whether the time of the latest traffic line has a whole-second part; it is 0 until
// traffic arrives. Compared as a double: a time beyond 64 bits has no integer value.
bool lf_trafficArrived()
{
    return std::abs(g_trafficTime.load()) >= 1.0;
}

void lf_waitForFirstTraffic()
{
    for (int i = 0; i < 150 && !lf_trafficArrived(); ++i) {
        if (!lf_waitUntil(clk::steadyNow() + 100ms)) {
            return;
        }
    }
    if (!lf_trafficArrived()) {
        gf_log("No traffic in this region?");
    }
}

} // namespace

bool lf_startThreads()
{
    g_rtLinkReady.store(false);
    gf_repaintPanelHeader();
    g_panelSimConnected.store(false);
    gf_repaintPanelHeader();
    gf_reserveAcContainers();
    gf_reserveLiveryLists();
    gf_resetSimQueues();
    gf_repaintPanelHeader();
    lf_startSimClientThread();
    if (!lf_waitForUserAircraft()) {
        return false;
    }
    // The stored RANGE, or the automatic range once the user aircraft is known.
    gf_applyRange();
    lf_openRealTrafficServer();
    if (lf_stopFlagSet()) {
        return false;
    }
    g_rtStarting.store(false);
    gf_repaintPanelHeader();
    lf_connectRealTraffic();
    if (lf_stopFlagSet()) {
        return false;
    }
    gf_setLoopRunning(false);
    const clk::SteadyTime qnhStarted = clk::steadyNow();
    gf_startReaderThread([] { gf_qnhReaderThread(kQnhReaderPort); });
    if (!lf_waitUntil(qnhStarted + 2s)) {
        return false;
    }
    gf_startReaderThread(
        [localOnly = g_realTrafficOnThisPC.load()] { gf_trafficReaderThread(kTrafficReaderPort, localOnly); });
    gf_sendUserPosition();
    g_trafficReader.setReferencePosition(LatLon{g_userAcData.latitude, g_userAcData.longitude});
    lf_waitForFirstTraffic();
    g_weekTime.exchange(gf_weekdayAndHalfHour());
    gf_flushLog();
    return true;
}
