// The main loop: a 10 ms tick that feeds the live-aircraft engine and runs the periodic
// jobs once per simulator second, counted in flight seconds.
#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/tick_schedule.h"
#include "app/tick_state.h"

#include "core/clock.h"
#include "core/fault_log.h"
#include "core/log.h"
#include "core/setting_lists.h"
#include "core/settings.h"
#include "core/stop_flags.h"
#include "core/half_hours.h"
#include "core/time_text.h"
#include "core/traffic_time.h"
#include "engine/ac_containers.h"
#include "engine/aircraft_records.h"
#include "engine/adding_stack.h"
#include "engine/life_cycle.h"
#include "engine/proximity_rules.h"
#include "engine/stand_learning.h"
#include "core/text_strings.h"
#include "engine/no_match_lines.h"
#include "liveries/livery_matching.h"
#include "parking/park_airport.h"
#include "parking/park_airports.h"
#include "parking/static_park_plan.h"
#include "parking/static_parking.h"
#include "platform/win32.h"
#include "simlink/sim_client.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "simlink/flight_plans.h"
#include "traffic/rt_link.h"
#include "traffic/qnh_reader.h"
#include "traffic/reader_lights.h"
#include "traffic/traffic_reader.h"
#include "ui/busy_state.h"
#include "ui/control_actions.h"
#include "ui/control_requests.h"
#include "ui/engine_requests.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/window_messages.h"
#include "ui/status_line.h"

#include <algorithm>
#include <fmt/format.h>
#include <string>
#include <thread>

namespace {

bool lf_stopFlagSet()
{
    return g_stopRequested.load() || g_exitRequested.load();
}

void lf_updateWeekTime()
{
    g_weekTime.exchange(gf_weekdayAndHalfHour());
}

void lf_copyReferencePosition()
{
    g_trafficReader.setReferencePosition(LatLon{g_userAcData.latitude, g_userAcData.longitude});
}

// Sleeps until the steady clock reaches the target; nothing when less than 1 ms remains.
void lf_sleepUntil(clk::SteadyTime target)
{
    for (auto remaining = target - clk::steadyNow(); remaining >= std::chrono::milliseconds(1);
         remaining = target - clk::steadyNow()) {
        std::this_thread::sleep_for(remaining);
    }
}

void lf_clearPositionBuffers()
{
    std::lock_guard lock(g_simQueueMutex);
    for (auto& queue : g_positionQueues) {
        queue.clear();
    }
}

LiveAc* lf_findLiveAc(std::uint32_t id)
{
    const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(), [id](const LiveAc& ac) { return ac.hexid == id; });
    return it == g_liveAcs.end() ? nullptr : &*it;
}

LiveAc* lf_findActiveLiveAc(const std::string& callsign)
{
    const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(), [&callsign](const LiveAc& ac) {
        return ac.simState == SimState::active && ac.callsign == callsign;
    });
    return it == g_liveAcs.end() ? nullptr : &*it;
}

// The text beside the callsign list: "= {}" with the object id, or "has left".
void lf_setCallsignObjectIdText(std::string text)
{
    std::lock_guard lock(g_mainWindowState.parkTextMutex);
    g_mainWindowState.callsignObjectIdText = std::move(text);
}

void lf_refreshPlannedStaticCount()
{
    {
        std::lock_guard lock(g_mainWindowState.parkTextMutex);
        g_mainWindowState.parking.plannedStatic = static_cast<std::int32_t>(g_staticParkEntries.size());
    }
    gf_repaintParkingBand();
}

void lf_handleRereadRequest()
{
    if (!g_rereadRequested.load() || g_busy.load()) {
        return;
    }
    std::string message;
    if (gf_checkParkAirports(true, message)) {
        gf_showMessage(message, true);
    }
    EnableWindow(BUTTON_REREAD.hwnd, TRUE);
    EnableWindow(DESTINATION.hwnd, TRUE);
    g_rereadRequested.store(false);
}

// Two steps 15 s apart: first the traffic feed collects the callsigns it sees, then
// static parking is adjusted to them.
void lf_renewalStep()
{
    if (!g_renewalRequested.load()) {
        return;
    }
    if (!g_renewalInProgress.load()) {
        g_renewalInProgress.store(true);
        gf_setBusy();
        g_trafficReader.clearSeenCallsigns();
        g_trafficReader.renewalFlag.store(true);
        return;
    }
    g_renewalInProgress.store(false);
    gf_clearStatusError();
    gf_clearMessage();
    if (gf_parkAirportHasStands()) {
        gf_adjustParking();
    }
    gf_flushLog();
    g_renewalRequested.store(false);
}

void lf_every30Seconds()
{
    if (g_clearNoMatchRequested.exchange(false)) {
        g_noMatchLines.clear();
    }
    if (AUTO_RANGE.value) {
        gf_autoRange();
    }
}

void lf_parkingCountdown()
{
    const bool counting = g_staticParkingCountdown.fetch_sub(1) - 1 >= 1;
    // The control area shows the minutes left.
    gf_repaintControlArea();
    if (counting) {
        return;
    }
    g_staticParkingCountdown.store(20);
    if (gf_parkFileLoaded() && !INITIAL_LOAD_ONLY.value && !g_busy.load() && !g_renewalRequested.load()) {
        gf_announceStaticParkingUpdate();
    }
}

void lf_dayReset()
{
    g_secondsCounter.store(0);
    gf_writeLiveryMatchingSummary();
    g_failedLiveryList.clear();
    // A returning aircraft matches its livery again once a day.
    g_liveryTitleCache.clear();
}

void lf_runJob(PeriodicJob job)
{
    switch (job) {
    case PeriodicJob::StaticParkingUpdate:
        if (!g_renewalInProgress.load()) {
            gf_updateStaticParking(false);
        }
        break;
    case PeriodicJob::ReaderLights:
        gf_updateReaderLights();
        break;
    case PeriodicJob::StaticDuplicates:
        gf_removeStaticDuplicates();
        break;
    case PeriodicJob::ReferencePosition:
        lf_copyReferencePosition();
        break;
    case PeriodicJob::Qs123:
        if (g_rtEditionProf.load()) {
            gf_sendQs123(g_simEpochTime.load());
        }
        break;
    case PeriodicJob::ReservedStand:
        if (const std::string stand = gf_reservedStandName(); !stand.empty()) {
            gf_clearReservedStand(stand);
        }
        break;
    case PeriodicJob::RereadRequest:
        lf_handleRereadRequest();
        break;
    case PeriodicJob::RenewalStep:
        lf_renewalStep();
        break;
    case PeriodicJob::StaleReaderLights:
        if (g_trafficLight.load() == kLightStale || g_qnhLight.load() == kLightStale) {
            gf_updateReaderLights();
        }
        break;
    case PeriodicJob::Every30Seconds:
        lf_every30Seconds();
        break;
    case PeriodicJob::ParkingCountdown:
        lf_parkingCountdown();
        break;
    case PeriodicJob::NoMatchLog:
        gf_logNoMatchList();
        break;
    case PeriodicJob::DayReset:
        lf_dayReset();
        break;
    }
}

// The aircraft just created, armed for an approach, touched down or arrived at a stand look
// for their learned stand once and take the place of a static twin. All that came in the last
// second are taken: creations alone bring up to two a second, so taking one a second would let
// the list grow for as long as the traffic flows and the work come ever later.
void lf_takeStandArrivals()
{
    while (!g_standArrivals.empty()) {
        const std::uint32_t id = g_standArrivals.front();
        g_standArrivals.pop_front();
        LiveAc* ac = lf_findLiveAc(id);
        if (ac == nullptr) {
            continue;
        }
        if (ac->flag == 0) {
            gf_findLearnedStand(g_weekTime.load(), *ac);
            ac->flag = 1;
        }
        gf_removeStaticSameAc(*ac, true);
    }
}

void lf_answerCallsignLookup()
{
    if (!g_callsignLookupRequested.load()) {
        return;
    }
    if (const LiveAc* ac = lf_findActiveLiveAc(CALLSIGN_2_OBJECTID.value)) {
        g_callsignObjectId.store(ac->objectId);
        lf_setCallsignObjectIdText(fmt::format("= {}", gf_objectIdText(ac->objectId)));
    } else {
        lf_setCallsignObjectIdText("has left");
    }
    gf_repaintControlArea();
    g_callsignLookupRequested.store(false);
}

void lf_serveUserRequests()
{
    if (g_flushStaticRequested.exchange(false)) {
        gf_removeAllStatic();
        if (!INITIAL_LOAD_ONLY.value) {
            gf_switchOnInitialLoadOnly();
        }
        // The flush is done: it can be asked for again unless a renewal runs.
        EnableWindow(BUTTON_FLUSH_STATIC.hwnd, g_busy.load() ? FALSE : TRUE);
    }
    if (g_blockListRefreshRequested.exchange(false)) {
        lf_setCallsignObjectIdText("");
        gf_repaintControlArea();
        gf_fillBlockCallsignList();
        g_callsignLookupRequested.store(true);
    }
    gf_serveHandlerRequests();
}

void lf_applyProximityRules()
{
    if (g_userOnGround.load()) {
        if (COLLISION_USER_GND.value) {
            gf_removeNearUser();
        }
    } else if (COLLISION_USER_AIR.value) {
        gf_removeAheadOfUser();
    }
    if (COLLISION_LIVE_PARKED_GND.value) {
        gf_clearStaticFromTaxiPaths();
    }
}

void lf_onFlightSecond()
{
    if (g_flightNotRunning.exchange(false)) {
        gf_log(fmt::format("{} Flight resumed", gf_nowTime()));
        gf_setLoopRunning(true);
    }
    gf_advanceStatusClock();
    gf_writeDueFaultSummaries();
    // The simulator link asks for the user's reserved stand; the main loop owns the list.
    gf_handleReservedStandRequest();
    gf_refreshCounters();
    lf_updateWeekTime();
    g_secondsCounter.fetch_add(1);
    lf_takeStandArrivals();
    lf_answerCallsignLookup();
    lf_serveUserRequests();
    lf_applyProximityRules();
    if (g_blockCallsignRequested.load()) {
        if (LiveAc* ac = BLOCK_CALLSIGN.value.empty() ? nullptr : lf_findActiveLiveAc(BLOCK_CALLSIGN.value)) {
            removeAircraftFromSim(*ac);
        }
        g_blockCallsignRequested.store(false);
    }
    if (g_busy.load()) {
        lf_refreshPlannedStaticCount();
    }
}

void lf_onFlightNotRunning()
{
    if (!g_flightNotRunning.load()) {
        gf_setLoopRunning(false);
        g_flightNotRunning.store(true);
        g_notRunningTicks = 100;
        lf_clearPositionBuffers();
        gf_log(fmt::format("{} Flight not running", gf_nowTime()));
    }
    gf_handleSimResults();
    g_notRunningTicks -= 1;
    if (g_notRunningTicks == 0) {
        lf_handleRereadRequest();
        gf_sendUserPosition();
    }
    if (g_notRunningTicks < 1) {
        g_notRunningTicks = 100;
        gf_writeDueFaultSummaries();
        gf_handleReservedStandRequest();
        gf_refreshCounters();
        lf_updateWeekTime();
    }
}

// Restores the system timer resolution when the loop ends, also on an exception.
class TimerPeriod {
public:
    TimerPeriod() : m_set(timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~TimerPeriod()
    {
        if (m_set) {
            timeEndPeriod(1);
        }
    }
    TimerPeriod(const TimerPeriod&) = delete;
    TimerPeriod& operator=(const TimerPeriod&) = delete;

private:
    bool m_set;
};

} // namespace

bool lf_tick()
{
    if (!g_simRunning.load() || g_simLinkFailed.load()) {
        lf_onFlightNotRunning();
        return !lf_stopFlagSet();
    }
    lf_handleAddingStack();
    if (!g_newSecond.exchange(false)) {
        return true;
    }
    lf_onFlightSecond();
    if (lf_stopFlagSet()) {
        return false;
    }
    const std::int32_t n = g_secondsCounter.load();
    for (const PeriodicJob job : gf_periodicJobs(n)) {
        lf_runJob(job);
    }
    // The 15-second jobs end with the log written out.
    if (n % 15 == 0) {
        gf_flushLog();
    }
    return true;
}

void lf_startTickLoop()
{
    gf_updateStaticParking(true);
    gf_updateReaderLights();
    g_secondsCounter.store(0);
    lf_updateWeekTime();
    gf_setLoopRunning(true);
    gf_fillCallsignCombo();
    EnableWindow(BUTTON_CALLSIGN_2_OBJECTID.hwnd, TRUE);
}

void lf_runTickLoop()
{
    lf_startTickLoop();
    TickGrid grid;
    grid.start(clk::steadyNow());
    const TimerPeriod timerPeriod;
    while (lf_tick()) {
        const clk::SteadyTime target = grid.target(clk::steadyNow());
        lf_sleepUntil(target);
        // A new simulator second restarts the tick phase.
        grid.ticked(g_newSecond.load() ? clk::steadyNow() : target);
    }
}
