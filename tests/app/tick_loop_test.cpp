// The main loop's work per flight second, driven tick by tick as the loop drives it: the
// not-running state, the user's requests, the re-read and the static-parking renewal.
#include "app/app_steps.h"
#include "app/tick_state.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_tables.h"
#include "refdata/aircraft_db.h"
#include "parking/park_airports.h"
#include "simlink/flight_plans.h"
#include "simlink/sim_client.h"
#include "simlink/sim_queues.h"
#include "support/air_traffic.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_reader.h"
#include "ui/busy_state.h"
#include "ui/control_requests.h"
#include "ui/engine_requests.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

using testsupport::LogCapture;
using testsupport::TempFolder;

namespace {

class TickLoop : public ::testing::Test {
protected:
    TickLoop()
    {
        g_simRunning = true;
        gf_setLoopRunning(true);
    }

    // One flight second: the simulator's signal, then the tick that takes it.
    static void flightSecond()
    {
        g_newSecond = true;
        ASSERT_TRUE(lf_tick());
    }
    static void flightSecondsUntil(std::int32_t n)
    {
        while (g_secondsCounter.load() < n) {
            flightSecond();
        }
    }
    static bool loopRunning()
    {
        std::lock_guard lock(g_trafficMutex);
        return g_loopRunning;
    }
    bool logged(const std::string& end) const
    {
        const auto lines = log.lines();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.ends_with(end); });
    }
    static std::string objectIdText()
    {
        std::lock_guard lock(g_mainWindowState.parkTextMutex);
        return g_mainWindowState.callsignObjectIdText;
    }

    TempFolder work{true};
    LogCapture log;
};

} // namespace

TEST_F(TickLoop, FlightNotRunningStopsTheClockAndTheFeedUntilTheFlightResumes)
{
    g_rereadRequested = true;
    g_simRunning = false;
    for (int tick = 1; tick <= 99; ++tick) {
        g_newSecond = true;
        ASSERT_TRUE(lf_tick());
    }
    EXPECT_TRUE(logged(" Flight not running"));
    EXPECT_FALSE(loopRunning());  // traffic lines are not queued
    EXPECT_EQ(g_secondsCounter.load(), 0);
    EXPECT_TRUE(g_rereadRequested.load());
    // Every 100 ticks the re-read request is served while the flight does not run.
    ASSERT_TRUE(lf_tick());
    EXPECT_FALSE(g_rereadRequested.load());
    EXPECT_EQ(gf_statusLineText().message, "park airports and stands are okay");

    g_simRunning = true;
    flightSecond();
    EXPECT_TRUE(logged(" Flight resumed"));
    EXPECT_TRUE(loopRunning());
    EXPECT_EQ(g_secondsCounter.load(), 1);
}

TEST_F(TickLoop, UserRequestsAreServedInTheNextFlightSecond)
{
    LiveAc ac = testsupport::makeActiveAc(Category::Large, 4711, {PosSample{}});
    ac.callsign = "DLH4AB";
    g_liveAcs.push_back(ac);
    g_msfs2020 = true;
    CALLSIGN_2_OBJECTID.value = "DLH4AB";
    g_callsignLookupRequested = true;
    g_flushStaticRequested = true;
    INITIAL_LOAD_ONLY.value = false;
    flightSecond();
    EXPECT_EQ(objectIdText(), "= 4711");
    EXPECT_FALSE(g_callsignLookupRequested.load());
    EXPECT_TRUE(INITIAL_LOAD_ONLY.value);  // after removing all static aircraft

    // A refreshed block list asks for the lookup again, which no longer finds the aircraft.
    BLOCK_CALLSIGN.value = "DLH4AB";
    g_blockCallsignRequested = true;
    g_blockListRefreshRequested = true;
    flightSecond();
    EXPECT_EQ(g_liveAcs.front().simState, SimState::removingfromsim);
    EXPECT_FALSE(g_blockCallsignRequested.load());
    EXPECT_TRUE(g_callsignLookupRequested.load());
    flightSecond();
    EXPECT_EQ(objectIdText(), "has left");

    // The re-read waits for the next multiple of 5 seconds.
    g_rereadRequested = true;
    flightSecondsUntil(4);
    EXPECT_TRUE(g_rereadRequested.load());
    flightSecond();
    EXPECT_FALSE(g_rereadRequested.load());
}

TEST_F(TickLoop, AircraftCreatedInTheSameSecondAllTakeThePlaceOfTheirStaticTwins)
{
    // Three aircraft of the feed come out of the buffer on the same tick; each has a static
    // twin, parked under its callsign.
    const std::int32_t due = g_engineTick.load() + 50;
    for (std::uint32_t i = 0; i < 3; ++i) {
        LiveAc ac = testsupport::makeActiveAc(
            Category::Large, 0, testsupport::makeTrack({.start = {52.3, 4.76}, .count = 4, .firstDueTick = due}));
        ac.simState = SimState::buffer;
        ac.flightPhase = FlightPhase::birth;
        ac.hexid = 0x4B1000 + i;
        ac.callsign = "SWR" + std::to_string(100 + i);
        g_liveryTitleCache[ac.hexid] = "Airbus A320 Skyweaver Air";
        StaticAc twin;
        twin.callsign = ac.callsign + "*";
        twin.firstCallsign = ac.callsign;
        twin.hexid = 1 + i;
        twin.objectId = 900 + i;
        twin.simState = SimState::active;
        g_liveAcs.push_back(ac);
        g_staticAcs.push_back(twin);
    }
    const auto spawned = [] {
        return std::all_of(g_liveAcs.begin(), g_liveAcs.end(),
                           [](const LiveAc& ac) { return ac.simState == SimState::adding2sim; });
    };
    for (int tick = 0; tick < 100 && !spawned(); ++tick) {
        ASSERT_TRUE(lf_tick());
    }
    ASSERT_TRUE(spawned());

    flightSecond();

    for (const StaticAc& twin : g_staticAcs) {
        EXPECT_EQ(twin.simState, SimState::removingfromsim) << twin.callsign;
    }
    EXPECT_TRUE(g_standArrivals.empty());
}

TEST_F(TickLoop, AnAircraftKeepsItsRememberedLiveryThroughTheDayReset)
{
    testsupport::useAppDataRoot(work.path());
    testsupport::writeSmallReferenceData(work.path());
    ASSERT_TRUE(gf_readDbase());
    testsupport::writeLiveriesScanned(work.path(), testsupport::fixtureLiveries());
    gf_processScannedLiveries();
    // The aircraft flew before under its hexid: the title chosen then is remembered.
    const std::string_view title = g_airlineModelTitles[kPax].at("DLH").at("A320").front();
    LiveAc ac = testsupport::makeActiveAc(
        Category::Large, 0,
        testsupport::makeTrack({.start = {50.0, 8.5}, .count = 4, .firstDueTick = g_engineTick.load() + 50}));
    ac.simState = SimState::buffer;
    ac.flightPhase = FlightPhase::birth;
    ac.hexid = 0x3C6441;
    ac.callsign = "DLH4AB";
    ac.airline = "DLH";
    ac.type = "A320";
    g_liveryTitleCache[ac.hexid] = title;
    g_liveAcs.push_back(ac);
    for (int tick = 0; tick < 100 && g_liveAcs.front().simState != SimState::adding2sim; ++tick) {
        ASSERT_TRUE(lf_tick());
    }
    ASSERT_EQ(g_liveAcs.front().simState, SimState::adding2sim);

    // The day ends while the aircraft waits for its creation.
    g_secondsCounter = 86399;
    flightSecond();
    ASSERT_TRUE(g_liveryTitleCache.empty());
    for (int tick = 0; tick < 100 && g_createQueue.empty(); ++tick) {
        ASSERT_TRUE(lf_tick());
    }

    EXPECT_EQ(g_liveAcs.front().livery, title);
    ASSERT_EQ(g_createQueue.size(), 1u);
    EXPECT_EQ(g_createQueue.front().title, title);
}

TEST_F(TickLoop, StaticParkingRenewalIsAnnouncedWhenItsCountdownEndsAndRunsInTwoSteps)
{
    g_mainWindowState.parkFileLoaded = true;
    INITIAL_LOAD_ONLY.value = false;
    g_staticParkingCountdown = 2;
    g_secondsCounter = 59;
    flightSecond();  // the countdown falls by one a minute
    EXPECT_EQ(g_staticParkingCountdown.load(), 1);
    EXPECT_FALSE(g_renewalRequested.load());
    flightSecondsUntil(120);
    EXPECT_EQ(g_staticParkingCountdown.load(), 20);
    EXPECT_TRUE(g_renewalRequested.load());
    EXPECT_EQ(gf_statusLineText().message, "Skyweaver will update static parking in 15 seconds ...");

    flightSecondsUntil(135);  // first step: the feed collects the callsigns it sees
    EXPECT_TRUE(g_renewalInProgress.load());
    EXPECT_TRUE(g_busy.load());
    EXPECT_TRUE(g_trafficReader.renewalFlag.load());
    EXPECT_TRUE(g_renewalRequested.load());

    flightSecondsUntil(150);  // second step: parking is adjusted and the message cleared
    EXPECT_FALSE(g_renewalInProgress.load());
    EXPECT_FALSE(g_renewalRequested.load());
    EXPECT_EQ(gf_statusLineText().message, "");
}
