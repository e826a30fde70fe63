#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/tick_state.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/xml_meta.h"
#include "core/stop_flags.h"
#include "engine/ac_containers.h"
#include "engine/life_cycle.h"
#include "engine/stand_learning.h"
#include "parking/park_airport.h"
#include "parking/static_parking.h"
#include "refdata/airport_db.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_tables.h"
#include "refdata/aircraft_db.h"
#include "simlink/flight_plans.h"
#include "support/livery_fixtures.h"
#include "support/reference_xml.h"
#include "support/log_capture.h"
#include "support/park_file_builder.h"
#include "support/parking_fixture.h"
#include "support/program_state.h"
#include "support/realtraffic_client.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

// A run about to close down: a working folder, an app-data tree with "parameters.xml" and
// a flight-plan folder holding a plan.
class ClosingDown : public ::testing::Test {
protected:
    ClosingDown() : work(true)
    {
        testsupport::useAppDataRoot(root.path());
        gf_writeParameters(true);
        g_flightPlanFolder = g_appFolder.get() / "orig_dest";
        fs::create_directories(g_flightPlanFolder);
        writeFile(g_flightPlanFolder / "12.pln", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    }

    std::string parameters() const { return readFile(g_parametersPath.get()); }

    TempFolder root;
    TempFolder work;
    LogCapture log;
};

// The park airport EDDF loaded from its generated park file; a KLM aircraft then stays on
// its stand A1 for two half hours, which is learned.
void lf_learnAtParkAirport()
{
    testsupport::writeSmallReferenceData(".");
    ASSERT_TRUE(gf_readDbase());
    ASSERT_TRUE(gf_readAirports());
    writeFile("airports/my_thirdparty/EDDF.xml",
              testsupport::parkFileXml({{"A1", 50.03, 8.57, 0.0, 20.0, {}, ""}},
                                       "    <parameter name=\"airport_name\" value=\"Frankfurt\" />\n"
                                       "    <parameter name=\"publisher\" value=\"Pub\" />\n"
                                       "    <parameter name=\"altitude\" value=\"364\" />\n"));
    ASSERT_TRUE(lf_setParkAirport("EDDF"));
    ASSERT_EQ(lf_readParkedFile(), "");
    LiveAc ac;
    ac.callsign = "KLM1";
    ac.registration = "PH-BFA";
    testsupport::assignStand(ac, g_stands.front());
    g_weekTime = 3u | (std::uint64_t{20} << 32);
    lf_addRealStandOption(ac, 1);
    g_weekTime = 3u | (std::uint64_t{22} << 32);
    lf_addRealStandOption(ac, 2);
}

void lf_expectLearnedUseSaved()
{
    const fs::path learnedFile = "airports/learned/thirdparty/Pub/EDDF.xml";
    ASSERT_TRUE(fs::exists(learnedFile));
    const std::string learned = readFile(learnedFile);
    EXPECT_NE(learned.find("reg=\"PH-BFA\""), std::string::npos) << learned;
    EXPECT_NE(learned.find("hh=\"20:22\""), std::string::npos) << learned;
    EXPECT_TRUE(g_parkAirport.empty());
}

} // namespace

TEST_F(ClosingDown, UserCloseSavesWhatWasLearnedAtTheParkAirport)
{
    lf_learnAtParkAirport();
    gf_requestUserExit();

    lf_closingDown();

    lf_expectLearnedUseSaved();
}

TEST_F(ClosingDown, RestartSavesWhatWasLearnedAtTheParkAirport)
{
    lf_learnAtParkAirport();
    gf_requestStop(ExitReason::ReaderError, 0);

    lf_closingDown();

    EXPECT_TRUE(g_isRestart.load());
    lf_expectLearnedUseSaved();
}

// Picking the other simulator flips the choice before it asks for the restart whose close saves.
TEST_F(ClosingDown, SimulatorSwitchSavesTheLearnedFileForTheSimulatorItWasLoadedFor)
{
    gf_applySimChoice("MSFS 2020");
    lf_learnAtParkAirport();
    gf_applySimChoice("MSFS 2024");
    gf_requestStop(ExitReason::NewSettings, 0);

    lf_closingDown();

    lf_expectLearnedUseSaved();
    pugi::xml_document learned;
    ASSERT_TRUE(learned.load_file("airports/learned/thirdparty/Pub/EDDF.xml"));
    const auto meta = gf_readXmlMeta(learned, true);
    ASSERT_TRUE(meta.has_value());
    EXPECT_EQ(meta->sim, 1);
    gf_applySimChoice("MSFS 2020");
}

TEST_F(ClosingDown, CloseBeforeTheParkFileIsReadSavesNothing)
{
    testsupport::writeEncryptedInput(".", "airports.enc", testsupport::smallAirports().text());
    ASSERT_TRUE(gf_readAirports());
    ASSERT_TRUE(lf_setParkAirport("EDDF"));
    gf_requestUserExit();

    lf_closingDown();

    EXPECT_FALSE(fs::exists("airports/learned"));
    EXPECT_FALSE(log.contains("saved with"));
}

TEST_F(ClosingDown, UserCloseRemovesFlightPlansAndForgetsTheRunsSettings)
{
    DESTINATION.value = "EDDF";
    BLOCK_CALLSIGN.value = "DLH4AB";
    gf_saveStringParameter(DESTINATION);
    gf_saveStringParameter(BLOCK_CALLSIGN);
    g_failedLiveryList.insert("A320 DLH");
    g_failedLiveries.insert("Airbus A320 Lufthansa");
    g_liveryTitleCache[4012345] = "Airbus A320 Lufthansa D-AIZA";
    gf_requestUserExit();

    lf_closingDown();

    EXPECT_TRUE(log.contains("Exiting: USER CLOSED SIM"));
    EXPECT_FALSE(fs::exists(g_flightPlanFolder));
    EXPECT_NE(parameters().find("<parameter name=\"DESTINATION\" value=\"\""), std::string::npos) << parameters();
    EXPECT_NE(parameters().find("<parameter name=\"BLOCK_CALLSIGN\" value=\"\""), std::string::npos);
    EXPECT_TRUE(g_failedLiveryList.empty());
    EXPECT_TRUE(g_liveryTitleCache.empty());
    // Refused liveries stay refused for the life of the process.
    EXPECT_EQ(g_failedLiveries.size(), 1u);
    EXPECT_FALSE(g_isRestart.load());
    EXPECT_EQ(g_exitCode.load(), 0);
}

TEST_F(ClosingDown, ConnectedRealTrafficIsToldTheProgramExits)
{
    testsupport::RealTrafficClient realTraffic;
    testsupport::linkRealTraffic(realTraffic, 47420, R"({"level": 2, "version": "9.0"})");
    gf_requestUserExit();

    lf_closingDown();

    EXPECT_EQ(realTraffic.readLine(), "exit\r\n");
}

TEST_F(ClosingDown, ErrorRestartSwitchesTheScansOffAndStartsFresh)
{
    SCAN_LIVERIES.value = true;
    SCAN_AIRPORTS.value = true;
    gf_requestStop(ExitReason::ReaderError, 1);

    lf_closingDown();

    EXPECT_TRUE(log.contains("Exiting: READER ERROR"));
    EXPECT_TRUE(log.contains("Prepare for a restart ..."));
    EXPECT_TRUE(log.contains("Restarting after 1 seconds"));
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_NE(parameters().find("<parameter name=\"SCAN_LIVERIES\" value=\"false\""), std::string::npos);
    EXPECT_NE(parameters().find("<parameter name=\"SCAN_AIRPORTS\" value=\"false\""), std::string::npos);
    EXPECT_TRUE(g_isRestart.load());
    EXPECT_EQ(g_exitReason.load(), 0u);
    EXPECT_FALSE(g_stopRequested.load());
    EXPECT_FALSE(g_exitRequested.load());
}

TEST_F(ClosingDown, NewSettingsRestartKeepsTheScans)
{
    SCAN_LIVERIES.value = true;
    gf_requestStop(ExitReason::NewSettings, 0);

    lf_closingDown();

    EXPECT_TRUE(log.contains("Exiting: NEW SETTINGS"));
    EXPECT_TRUE(SCAN_LIVERIES.value);
    EXPECT_TRUE(g_isRestart.load());
}

TEST_F(ClosingDown, RestartAfterASimulatorSwitchBuildsTheLiveryTablesAgain)
{
    testsupport::writeSmallReferenceData(work.path());
    ASSERT_TRUE(gf_readDbase());
    testsupport::writeLiveriesScanned(work.path(), testsupport::fixtureLiveries());
    gf_processScannedLiveries();
    ASSERT_FALSE(g_liveryTable.empty());
    g_liveryRebuildRequested.store(true);  // as the simulator list asks for it
    gf_requestStop(ExitReason::NewSettings, 0);

    lf_closingDown();

    EXPECT_TRUE(g_liveryTable.empty());
    EXPECT_FALSE(g_liveriesProcessed);
    EXPECT_FALSE(g_liveryRebuildRequested.load());
    gf_processScannedLiveries();
    EXPECT_FALSE(g_liveryTable.empty());
}

TEST_F(ClosingDown, RestartForgetsTheCallsignsOfTheRunBefore)
{
    LiveAc flying;
    flying.callsign = "DLH4AB";
    flying.simState = SimState::active;
    flying.flightPhase = FlightPhase::taxi;
    g_liveAcs.push_back(flying);
    gf_fillBlockCallsignList();
    CALLSIGN_2_OBJECTID.value = "DLH4AB";
    ASSERT_EQ(*CALLSIGN_2_OBJECTID.sharedEntries, (std::vector<std::string>{"", "DLH4AB"}));
    gf_requestStop(ExitReason::ReaderError, 0);

    lf_closingDown();

    EXPECT_TRUE(g_isRestart.load());
    EXPECT_EQ(*CALLSIGN_2_OBJECTID.sharedEntries, std::vector<std::string>{""});
    EXPECT_EQ(CALLSIGN_2_OBJECTID.value, "");
}

TEST_F(ClosingDown, SystemErrorWaitsForTheUserAndEndsWithAFailureCode)
{
    gf_requestStop(ExitReason::SystemError, 0);
    std::jthread user([] {
        std::this_thread::sleep_for(700ms);
        gf_requestUserExit();
    });
    const auto started = std::chrono::steady_clock::now();

    lf_closingDown();

    EXPECT_GE(std::chrono::steady_clock::now() - started, 700ms);
    EXPECT_TRUE(log.contains("User closed Skyweaver"));
    EXPECT_NE(g_exitCode.load(), 0);
    EXPECT_FALSE(fs::exists(g_flightPlanFolder));
}

TEST_F(ClosingDown, ProductionRunDoesNotWaitAfterASystemError)
{
    g_productionMode.store(true);
    gf_requestStop(ExitReason::SystemError, 0);
    const auto started = std::chrono::steady_clock::now();

    lf_closingDown();

    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_FALSE(log.contains("User closed Skyweaver"));
    EXPECT_NE(g_exitCode.load(), 0);
}

TEST_F(ClosingDown, RestartAskedForDuringTheSystemErrorWaitEndsItAndRestarts)
{
    gf_requestStop(ExitReason::SystemError, 0);
    std::jthread user([] {
        std::this_thread::sleep_for(700ms);
        gf_requestMendingRestart(ExitReason::NewSettings, 1);
    });

    lf_closingDown();

    EXPECT_TRUE(log.contains("Exiting: SYSTEM ERROR"));
    EXPECT_FALSE(log.contains("User closed Skyweaver"));
    EXPECT_TRUE(log.contains("Prepare for a restart ..."));
    EXPECT_TRUE(log.contains("Restart countdown finished"));
    EXPECT_TRUE(g_isRestart.load());
    EXPECT_EQ(g_exitCode.load(), 0);
}

TEST_F(ClosingDown, CloseDuringTheRestartCountdownEndsTheProgram)
{
    gf_requestStop(ExitReason::NewSettings, 3);
    std::jthread user([] {
        std::this_thread::sleep_for(1200ms);
        gf_requestUserExit();
    });
    const auto started = std::chrono::steady_clock::now();

    lf_closingDown();

    EXPECT_LT(std::chrono::steady_clock::now() - started, 2500ms);
    EXPECT_TRUE(log.contains("Restarting after 3 seconds"));
    EXPECT_TRUE(log.contains("User closed Skyweaver"));
    EXPECT_FALSE(log.contains("Restart countdown finished"));
    EXPECT_FALSE(g_isRestart.load());
    // Nothing was reset for a restart: the close stays in force.
    EXPECT_TRUE(g_exitRequested.load());
    EXPECT_EQ(g_exitCode.load(), 0);
}
