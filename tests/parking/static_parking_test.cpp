#include "core/program_folders.h"
#include "core/settings.h"
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/learned_updates.h"
#include "simlink/sim_queues.h"
#include "engine/adding_stack.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "liveries/livery_processing.h"
#include "core/clock.h"
#include "core/stop_flags.h"
#include "parking/apf.h"
#include "parking/apf_sources.h"
#include "parking/park_file_fetch.h"
#include "parking/park_load_backoff.h"
#include "refdata/download.h"
#include "parking/park_airport.h"
#include "parking/park_airports.h"
#include "parking/park_file_load.h"
#include "parking/static_park_plan.h"
#include "parking/static_parking.h"
#include "refdata/aircraft_db.h"
#include "simlink/user_aircraft.h"
#include "ui/busy_state.h"
#include "ui/main_window.h"
#include "ui/sim_panel_state.h"

#include "support/http_server.h"
#include "support/livery_fixtures.h"
#include "support/park_file_builder.h"
#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/program_state.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace testsupport;

namespace {

class StaticParking : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useAppDataRoot(folder.path());
        writeSmallReferenceData(folder.path());
        ASSERT_TRUE(gf_readDbase());
        writeLiveriesScanned(folder.path(), fixtureLiveries());
        RANDOM.value = false;
        gf_processScannedLiveries();
        MAX_PARK_SEL.value = 100;
        CUSTOM_PARKING_PERCENTAGE.value = -1;
        parking_percentage.value = 100;
        INITIAL_LOAD_ONLY.value = false;
        addAirport("EDDF", 50.0, 8.0);
        g_parkAirport = "EDDF";
        addStand("A1", 0.0);
        addStand("A2", 30.0);   // overlaps A1
        addStand("B1", 300.0);
        addStand("B2", 600.0);
        numberStands();
        freezeWeekTime(3, 20);
    }

    static StaticParkEntry entry(std::uint32_t stand, const std::string& cs, const std::string& cs2 = {},
                                 bool stays = true, std::uint32_t tolerance = 0)
    {
        return {stand, tolerance, "DLH", "A320", cs, cs2, "D-AIPA", stays};
    }

    static StaticAc& staticAt(std::int32_t stand, SimState state, std::uint32_t weekday, std::uint32_t slot)
    {
        AcIdent ident;
        ident.callsign = "ST" + std::to_string(stand) + "*";
        AircraftData data = gf_makeAcData(ident);
        data.hexid = 9000 + static_cast<std::uint32_t>(stand);  // static aircraft have ids up to 10000
        StaticAc ac = gf_makeStaticAc(data);
        assignStand(ac, g_stands[static_cast<std::size_t>(stand - 1)]);
        ac.objectId = 200 + static_cast<std::uint32_t>(stand);
        ac.simState = state;
        ac.parkedSlot = weekday | (static_cast<std::uint64_t>(slot) << 32);
        g_staticAcs.push_back(ac);
        return g_staticAcs.back();
    }

    static LiveAc& liveAt(std::int32_t stand, FlightPhase phase, std::int64_t parkedSince = 0)
    {
        return addLiveOnStand(stand, phase, parkedSince);
    }

    bool logged(const std::string& part) const
    {
        for (const std::string& line : log.lines()) {
            if (line.find(part) != std::string::npos)
                return true;
        }
        return false;
    }

    TempFolder folder{true};
    LogCapture log;
};

} // namespace

TEST_F(StaticParking, StaticCallsigns)
{
    struct Row {
        StaticParkEntry planned;
        const char* callsign;
    };
    const Row rows[] = {
        {entry(3, ""), "DLH1*"},  // airline and the static id
        {entry(3, "DLH4_"), "DLH4*"},
        {entry(3, "DLH4*"), "DLH4*"},
        {entry(3, "DLH4", "DLH4B", false), "DLH4B*"},
        {entry(3, "DLH4", "", false), "DLH4*"},
    };
    for (const Row& row : rows) {
        g_staticAcs.clear();
        g_addingStack = {};
        g_staticParkEntries = {row.planned};
        lf_detcs();
        ASSERT_EQ(g_addingStack.statics.size(), 1u) << row.callsign;
        EXPECT_EQ(g_addingStack.statics.back().callsign, row.callsign);
    }
}

TEST_F(StaticParking, PlannedEntryBecomesACreateRequestAtItsStand)
{
    g_stands[2].heading = 1.5707963267948966;
    g_staticParkEntries = {entry(4, "DLH9", "", true, 0), entry(3, "DLH7", "", true, 3)};

    lf_detcs();  // the back of the plan first

    ASSERT_EQ(g_staticAcs.size(), 1u);
    const StaticAc& ac = g_staticAcs[0];
    EXPECT_EQ(ac.standId, 3);
    EXPECT_EQ(ac.simState, SimState::adding2sim);
    EXPECT_EQ(ac.parkedSlot, 3u | (17ull << 32));  // Wednesday, three half hours back
    EXPECT_EQ(ac.firstCallsign, "DLH7");
    ASSERT_EQ(g_addingStack.statics.size(), 1u);
    const CreateRequest& request = g_addingStack.statics.front();
    EXPECT_EQ(request.aircraftId, ac.hexid);
    EXPECT_LE(request.aircraftId, 10000u);
    EXPECT_EQ(request.title, ac.livery);
    EXPECT_FALSE(request.title.empty());
    EXPECT_DOUBLE_EQ(request.initPosition.Longitude, g_stands[2].longitude);
    EXPECT_NEAR(request.initPosition.Heading, 90.0, 1e-9);
    EXPECT_EQ(request.initPosition.OnGround, 1u);
    EXPECT_EQ(g_staticParkEntries.size(), 1u);
}

TEST_F(StaticParking, OccupiedOrAdjacentStandRefusesTheEntry)
{
    liveAt(1, FlightPhase::parked);
    staticAt(4, SimState::active, 3, 20);
    g_staticParkEntries = {entry(4, "DLH3"), entry(2, "DLH2"), entry(1, "DLH1"), entry(9, "DLH9")};

    for (int k = 0; k < 4; ++k)
        lf_detcs();

    EXPECT_EQ(g_staticAcs.size(), 1u);
    EXPECT_TRUE(g_addingStack.statics.empty());
    EXPECT_TRUE(log.contains("==> stand with id 9 not found"));
    EXPECT_TRUE(log.contains("A1      : no static parking for DLH1, live aircraft LIVE1 standing here"));
    EXPECT_TRUE(log.contains("A2      : no static parking for DLH2, live aircraft LIVE1 is adjacent at A1, possibly colliding"));
    EXPECT_TRUE(log.contains("B2      : no static parking for DLH3, static aircraft ST4* is adjacent at B2, possibly colliding"));
}

// A static aircraft keeps its stand until the simulator has removed it: the entry that replaces
// it waits for that, and is dropped once it has waited a minute of running frames.
TEST_F(StaticParking, EntryForTheStandOfALeavingStaticWaitsUntilItHasLeft)
{
    for (const bool removalConfirmed : {true, false}) {
        g_staticAcs.clear();
        g_addingStack = {};
        removeAircraftFromSim(staticAt(4, SimState::active, 3, 20));
        ASSERT_EQ(g_staticAcs[0].simState, SimState::removingfromsim);
        g_staticParkEntries = {entry(4, "DLH3")};

        lf_detcs();
        for (int tick = 0; tick < 100; ++tick) {
            ++g_engineTick;
            ++g_simFramesDrained;
            gf_tickStaticCreations();
        }
        EXPECT_TRUE(g_addingStack.statics.empty());
        EXPECT_FALSE(logged("no static parking for DLH3"));

        if (removalConfirmed)
            gf_pushSimResult({204, 0, 0, SimResultKind::ObjectRemoved, 0.0, 0.0});
        gf_handleSimResults();
        for (int tick = 0; tick < kStaticEntryWaitTicks && g_addingStack.statics.empty(); ++tick) {
            ++g_engineTick;
            ++g_simFramesDrained;
            gf_tickStaticCreations();
        }

        EXPECT_EQ(g_addingStack.statics.size(), removalConfirmed ? 1u : 0u);
        EXPECT_EQ(logged("B2      : no static parking for DLH3, static aircraft ST4* is adjacent at B2, possibly colliding"),
                  !removalConfirmed);
        EXPECT_FALSE(gf_staticEntriesWaiting());
    }
}

// While the simulator runs, a static creation it never confirms is given up: the record goes
// and frees its stand, and its create never leaves the link's queue.
TEST_F(StaticParking, StaticCreationNeverConfirmedIsGivenUpAndFreesItsStand)
{
    g_staticParkEntries = {entry(3, "DLH7"), entry(3, "DLH5")};
    g_engineTick = 0;
    lf_moveAddingStack();  // the plan's last entry becomes a create request
    g_engineTick = 50;
    lf_moveAddingStack();  // handed to the simulator link; the next entry is refused
    ASSERT_EQ(g_staticAcs.size(), 1u);
    ASSERT_EQ(g_createQueue.size(), 1u);
    ASSERT_TRUE(logged("no static parking for DLH7, static aircraft DLH5*"));

    for (int tick = 0; tick < 3100 && !g_staticAcs.empty(); ++tick) {
        ++g_engineTick;
        ++g_simFramesDrained;
        gf_tickStaticCreations();
    }

    EXPECT_TRUE(g_staticAcs.empty());
    EXPECT_TRUE(g_createQueue.empty());
    EXPECT_TRUE(logged("DLH5* ") && logged("not identified in the simulator 30 s after its creation, given up"));
    g_staticParkEntries = {entry(3, "DLH7")};
    lf_detcs();
    EXPECT_EQ(g_staticAcs.size(), 1u);
}

TEST_F(StaticParking, MaxParkRemovesTheLongestParkedLiveAndTheEarliestStatic)
{
    parking_percentage.value = 50;  // 2 of 4 stands
    liveAt(1, FlightPhase::parked, 500);
    liveAt(3, FlightPhase::parked, 100);  // parked longest
    staticAt(4, SimState::active, 3, 10);
    staticAt(2, SimState::active, 2, 40);  // parked earliest in the week

    gf_checkMaxPark(1);

    EXPECT_TRUE(gone(g_liveAcs[1]));
    EXPECT_FALSE(gone(g_liveAcs[0]));
    EXPECT_TRUE(gone(g_staticAcs[1]));
    EXPECT_FALSE(gone(g_staticAcs[0]));
    EXPECT_TRUE(logged("B1      : LIVE3") && logged("live max park exceeded, removed"));
    EXPECT_TRUE(logged("A2      : ST2*") && logged("static max park exceeded, removed"));
}

TEST_F(StaticParking, MaxParkRemovesTheStaticParkedLongestAgoAcrossTheWeekEnd)
{
    freezeWeekTime(1, 1);  // Monday 00:30
    parking_percentage.value = 25;  // 1 of 4 stands
    staticAt(4, SimState::active, 1, 0);
    staticAt(2, SimState::active, 7, 47);

    gf_checkMaxPark(0);

    EXPECT_TRUE(gone(g_staticAcs[1]));
    EXPECT_FALSE(gone(g_staticAcs[0]));
}

TEST_F(StaticParking, InitialLoadOnlyNeverRemovesLiveAircraft)
{
    INITIAL_LOAD_ONLY.value = true;
    parking_percentage.value = 25;  // 1 of 4 stands
    liveAt(1, FlightPhase::parked, 500);
    liveAt(3, FlightPhase::parked, 100);
    gf_checkMaxPark(0);
    EXPECT_FALSE(gone(g_liveAcs[0]) || gone(g_liveAcs[1]));
}

TEST_F(StaticParking, PanelCountsTheStaticsBeingRemovedAsParkingDoesEverySecond)
{
    staticAt(2, SimState::active, 3, 20);
    staticAt(4, SimState::removingfromsim, 3, 20);

    gf_countStaticParked(true);
    const std::int32_t afterParking = g_mainWindowState.staticParked.load();
    gf_refreshCounters();  // the per-second refresh

    EXPECT_EQ(afterParking, 2);
    EXPECT_EQ(g_mainWindowState.staticParked.load(), 2);
}

TEST_F(StaticParking, OutOfSightRemovesEverythingOnTheGroundAndSavesTheLearnedFile)
{
    AIRP_RANGE.value = 20;
    AIRP_HEIGHT.value = 18000;
    g_parkAirportLat = 50.0;
    g_parkAirportLon = 8.0;
    g_parkFileHeader.publisher = "stock";
    g_stands[0].options.push_back(use(3, 10, 12, "D-AIPA", "DLH1"));
    gf_addLearnedUpdate();
    g_mainWindowState.parkFileLoaded = true;
    g_staticParkEntries = {entry(3, "DLH5")};
    staticAt(4, SimState::active, 3, 10);
    staticAt(1, SimState::adding2sim, 3, 10);  // its create went to the simulator link
    liveAt(2, FlightPhase::parked);
    liveAt(0, FlightPhase::flying);
    g_userOnGround = false;

    placeUser(50.0, 8.52, 250.0, 3000.0);  // about 20.1 nm east
    gf_updateStaticParking(false);

    EXPECT_TRUE(g_staticParkEntries.empty());
    ASSERT_EQ(g_staticAcs.size(), 1u);  // the one on its way in is given up: a late object goes too
    EXPECT_TRUE(gone(g_staticAcs[0]));
    EXPECT_EQ(g_givenUpCreates, std::vector<std::uint32_t>{9001});
    EXPECT_TRUE(gone(g_liveAcs[0]));
    EXPECT_FALSE(gone(g_liveAcs[1]));
    EXPECT_TRUE(g_parkAirport.empty());
    EXPECT_TRUE(g_stands.empty());
    EXPECT_TRUE(std::filesystem::exists(folders::learnedStock() / "EDDF.xml"));
    EXPECT_FALSE(gf_parkFileLoaded());
    EXPECT_TRUE(logged(" 'airports/learned/stock/EDDF.xml' saved with 1 update"));
}

TEST_F(StaticParking, FirstParkAirportWithinRangeAndHeightIsTaken)
{
    AIRP_RANGE.value = 20;
    AIRP_HEIGHT.value = 18000;
    g_parkAirport.clear();
    g_userOnGround = false;
    g_parkAirports.push_back({"EDDF", "", 50.0, 8.0, 0.0});

    placeUser(50.0, 8.53, 250.0, 10000.0);  // about 20.4 nm
    gf_updateStaticParking(false);
    EXPECT_TRUE(g_parkAirport.empty());

    placeUser(50.0, 8.49, 250.0, 10000.0);  // about 18.9 nm
    gf_updateStaticParking(false);
    EXPECT_EQ(g_parkAirport, "EDDF");
    EXPECT_TRUE(g_parkReloadPending.load());
    EXPECT_TRUE(log.contains("EDDF in sight at 18.9 nm"));
}

TEST_F(StaticParking, LearnedFileFolderFollowsThePublisher)
{
    struct Row {
        const char* publisher;
        std::filesystem::path folder;
    };
    const Row rows[] = {
        {"stock", folders::learnedStock()},
        {"simaddon", folders::learnedSimaddon()},
        {"Fly Tampa", folders::learnedThirdparty() / "Fly Tampa"},
        {"", folders::learnedThirdparty()},
        {"../x", folders::learnedThirdparty() / ".. x"},
    };
    g_stands[1].options.push_back(use(3, 10, 12, "D-AIPA", "DLH1"));
    g_stands[2].options.push_back(use(3, 10, 12, "D-AIPB", "DLH2"));
    g_stands[2].options.back().archived = 1;
    for (int i = 0; i < 3; ++i) {
        gf_addLearnedUpdate();
    }
    for (const Row& row : rows) {
        g_parkFileHeader.publisher = row.publisher;
        lf_saveLearnedApf();
        const std::filesystem::path file = row.folder / "EDDF.xml";
        ASSERT_TRUE(std::filesystem::exists(file)) << row.publisher;
        const std::string xml = readFile(file);
        EXPECT_NE(xml.find("D-AIPA"), std::string::npos);
        EXPECT_EQ(xml.find("D-AIPB"), std::string::npos);  // archived uses are not learned
    }
    EXPECT_TRUE(logged(" 'airports/thirdparty/Fly Tampa/EDDF.xml' saved with 3 updates") ||
                logged("Fly Tampa/EDDF.xml' saved with 3 updates"));
}

namespace {

constexpr const char* kArchived = "archive/stock/EDDF.xml";

// The user aircraft stands at EDDF, whose park file lies in the archive on the download host.
class ArchivedParkFile : public StaticParking {
protected:
    void SetUp() override
    {
        StaticParking::SetUp();
        gf_setDownloadHost(server.base());
        std::filesystem::create_directories(folders::airports());
        g_parkAirport.clear();
        g_stands.clear();
        g_userOnGround = true;
        placeUser(50.0, 8.0);
    }

    void TearDown() override
    {
        g_stopRequested = false;
        gf_resetFetches();
        gf_clearParkLoadBackOff();
        gf_setDownloadLimits({});
    }

    // One pass of the 16-second job; fails the test when it holds the main loop.
    void pass()
    {
        const auto start = std::chrono::steady_clock::now();
        gf_updateStaticParking(false);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    }

    // Waits until the fetch worker has finished with the park file.
    void awaitFetch() { ASSERT_TRUE(askUntilAnswered([] { return gf_fetchApf(kArchived); }).has_value()); }

    std::size_t loggedCount(const std::string& part) const
    {
        std::size_t count = 0;
        for (const std::string& line : log.lines())
            count += line.find(part) != std::string::npos ? 1 : 0;
        return count;
    }

    // The archive's EDDF file: one stand "V1" at the user's position.
    void serveStandV1()
    {
        server.serve("/downloads/MSFS/archive/stock/EDDF.xml",
                     parkFileXml({{"V1", 50.0, 8.0, 0.0, 20.0, {}, {}}},
                                 "    <parameter name=\"altitude\" value=\"364\" />\n"));
    }

    HttpServer server;
};

} // namespace

TEST_F(ArchivedParkFile, IsFetchedOffTheMainLoopAndReadOnALaterPass)
{
    serveStandV1();
    pass();  // the airport is chosen
    EXPECT_EQ(g_parkAirport, "EDDF");
    pass();  // the fetch is asked for; nothing is read yet
    EXPECT_TRUE(g_stands.empty());
    EXPECT_TRUE(g_busy.load());  // "Airport parking" stays yellow meanwhile
    awaitFetch();

    pass();

    EXPECT_TRUE(gf_parkFileLoaded());
    ASSERT_EQ(g_stands.size(), 1u);
    EXPECT_EQ(g_stands[0].id, "V1");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(ArchivedParkFile, UserStandingStillGetsTheStandOfTheFileLoadedUnderIt)
{
    serveStandV1();
    gf_updateUserStand();  // the per-second look-up before the airport has stands
    ASSERT_EQ(gf_panelUserStand(), "");
    pass();
    pass();
    awaitFetch();

    pass();

    ASSERT_TRUE(gf_parkFileLoaded());
    EXPECT_EQ(g_parkAirports.front().stand, "V1");
    gf_updateUserStand();
    EXPECT_EQ(gf_panelUserStand(), "V1");
}

TEST_F(ArchivedParkFile, FailedLoadRestsTheAirportForTenMinutesAndLogsOnce)
{
    gf_setDownloadLimits({std::chrono::seconds(2), 1000, std::chrono::seconds(2), std::chrono::seconds(2)});
    server.serve("/downloads/MSFS/archive/stock/EDDF.xml", stalling(0));
    const std::string failed = "failed to download: 'archive/stock/EDDF.xml'";
    for (int round = 0; round < 2; ++round) {
        pass();
        pass();
        const auto start = std::chrono::steady_clock::now();
        awaitFetch();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        pass();
        EXPECT_TRUE(g_parkAirport.empty());
        EXPECT_FALSE(g_busy.load());
        EXPECT_FALSE(gf_parkFileLoaded());

        clk::advance(std::chrono::minutes(9));
        pass();  // resting: not chosen again
        EXPECT_TRUE(g_parkAirport.empty());
        clk::advance(std::chrono::minutes(1));
    }
    EXPECT_EQ(loggedCount(failed), 1u);
    EXPECT_EQ(server.requests().size(), 2u);

    gf_updateStaticParking(false);  // the first pass after ten minutes chooses it again
    EXPECT_EQ(g_parkAirport, "EDDF");
}

TEST_F(ArchivedParkFile, StopEndsTheFetchWithinTwoSeconds)
{
    server.serve("/downloads/MSFS/archive/stock/EDDF.xml", stalling(0));
    pass();
    pass();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    g_stopRequested = true;
    const auto start = std::chrono::steady_clock::now();

    awaitFetch();

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(std::filesystem::exists("airports/park_airport.xml"));
    EXPECT_FALSE(std::filesystem::exists("airports/park_airport.xml.tmp"));
}
