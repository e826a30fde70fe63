// The controls' handlers as the user meets them: clicks, picks and typing in the main
// window, answered in the status line, in the controls and in "parameters.xml".
#include "app/exit_reason.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "platform/standin/desktop.h"
#include "liveries/livery_tables.h"
#include "refdata/airport_db.h"
#include "simlink/user_aircraft.h"
#include "support/temp_folder.h"
#include "traffic/rt_link.h"
#include "ui/control_requests.h"
#include "ui/control_window.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/range_control.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::ControlHandlersTest;
using testsupport::writeFile;

namespace {

struct BoxCase {
    BoolGuiParameter* box;
    const char* storedAfterClick;
    const char* shown; // "earlier": the message shown before stays
};

class CheckBoxClick : public ControlHandlersTest, public ::testing::WithParamInterface<BoxCase> {};

INSTANTIATE_TEST_SUITE_P(
    Boxes, CheckBoxClick,
    ::testing::Values(
        BoxCase{&COLLISION_USER_AIR, "false",
                "Be aware, user aircraft may collide with (run through) live aircraft in the air"},
        BoxCase{&LIG_PRIORITIZE, "false", ""},
        BoxCase{&AIRBORNE_ONLY, "true", "Be aware, airborne live traffic only!  (greater than 300 ft above ground ...)"},
        BoxCase{&AEROWINX, "true", "Note: This mode is for Aerowinx PSX users only, please re-start Skyweaver"},
        BoxCase{&ALWAYS_ON_TOP, "true", "Skyweaver's window will remain visible"},
        BoxCase{&INITIAL_LOAD_ONLY, "true",
                "Initial Load Only: static parked aircraft are generated once, no renewal every 20 minutes"},
        BoxCase{&HELICOPTERS, "false", "earlier"}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return info.param.box->name; });

} // namespace

TEST_P(CheckBoxClick, FlipsTheBoxSavesTheSettingAndAnswersInTheStatusLine)
{
    const BoxCase c = GetParam();
    gf_showMessage("earlier", false);

    ASSERT_TRUE(desktop.click(c.box->controlId));

    EXPECT_EQ(desktop.state(c.box->controlId).checked, std::string(c.storedAfterClick) == "true");
    EXPECT_EQ(stored(c.box->name), c.storedAfterClick);
    EXPECT_EQ(message(), c.shown);
}

TEST_F(ControlHandlersTest, AlwaysOnTopMakesTheWindowTopmostAndBackAgain)
{
    ASSERT_TRUE(desktop.click(ALWAYS_ON_TOP.controlId));
    EXPECT_NE(GetWindowLongPtrW(g_mainWindow.load(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    ASSERT_TRUE(desktop.click(ALWAYS_ON_TOP.controlId));
    EXPECT_EQ(GetWindowLongPtrW(g_mainWindow.load(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(stored("ALWAYS_ON_TOP"), "false");
}

TEST_F(ControlHandlersTest, AutoRangeOffRestoresTheManualRangeAndFreesTheRangeList)
{
    ASSERT_TRUE(desktop.click(AUTO_RANGE.controlId)); // on -> off
    EXPECT_TRUE(desktop.state(RANGE.controlId).enabled);
    EXPECT_FALSE(desktop.state(AR_ABOVE_HEIGHT.controlId).enabled);
    ASSERT_TRUE(desktop.pick(RANGE.controlId, "25"));
    EXPECT_EQ(g_rangeNm.load(), 25.0);
    EXPECT_EQ(stored("RANGE"), "25");

    ASSERT_TRUE(desktop.click(AUTO_RANGE.controlId)); // on: on the ground the range is 10 nm
    g_userOnGround = true;
    ASSERT_TRUE(desktop.click(AUTO_RANGE.controlId)); // off again: the manual 25 nm is back
    EXPECT_EQ(g_rangeNm.load(), 25.0);
    EXPECT_EQ(desktop.state(RANGE.controlId).text, "25");
}

TEST_F(ControlHandlersTest, ScanSwitchedOnWhileWaitingForRealTrafficRestartsAtOnce)
{
    ASSERT_TRUE(desktop.click(SCAN_AIRPORTS.controlId)); // default on -> off
    g_waitingForRealTraffic = true;

    ASSERT_TRUE(desktop.click(SCAN_AIRPORTS.controlId));

    EXPECT_EQ(message(), "Your airports will be scanned");
    EXPECT_TRUE(log.contains("Your airports will be scanned"));
    EXPECT_TRUE(g_stopRequested);
    EXPECT_EQ(gf_exitReason(), ExitReason::NewSettings);
    EXPECT_EQ(g_restartDelaySeconds, 2);
}

TEST_F(ControlHandlersTest, ScanSwitchedOnOnceRealTrafficIsThereWaitsForTheNextStart)
{
    ASSERT_TRUE(desktop.click(SCAN_LIVERIES.controlId));
    g_waitingForRealTraffic = false;

    ASSERT_TRUE(desktop.click(SCAN_LIVERIES.controlId));

    EXPECT_EQ(message(), "Your liveries will be scanned at the next start of Skyweaver");
    EXPECT_FALSE(desktop.state(AI_PACKAGE_SELECTOR.controlId).enabled);
    EXPECT_FALSE(g_stopRequested);
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
}

TEST_F(ControlHandlersTest, BlockCallsignIsStoredUpperCasedAndCanBeUnblocked)
{
    enable({&BLOCK_CALLSIGN});

    ASSERT_TRUE(desktop.typeAndEnter(BLOCK_CALLSIGN.controlId, "dlh4ab"));

    EXPECT_EQ(desktop.state(BLOCK_CALLSIGN.controlId).text, "DLH4AB");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "DLH4AB");
    EXPECT_TRUE(desktop.state(BUTTON_UNBLOCK.controlId).enabled);
    EXPECT_TRUE(g_blockCallsignRequested);

    ASSERT_TRUE(desktop.click(BUTTON_UNBLOCK.controlId));

    EXPECT_EQ(desktop.state(BLOCK_CALLSIGN.controlId).text, "");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "");
    EXPECT_FALSE(desktop.state(BUTTON_UNBLOCK.controlId).enabled);
    EXPECT_EQ(message(), "no more blocking of live aircraft 'DLH4AB'");
    EXPECT_TRUE(log.contains("no more blocking of live aircraft 'DLH4AB'"));
}

TEST_F(ControlHandlersTest, CallsignOfWrongLengthIsRefusedAndTheBoxShowsTheStoredOne)
{
    enable({&BLOCK_CALLSIGN});
    ASSERT_TRUE(desktop.typeAndEnter(BLOCK_CALLSIGN.controlId, "KLM12"));

    for (const char* typed : {"AB", "ABCDEFGHI"}) {
        ASSERT_TRUE(desktop.typeAndEnter(BLOCK_CALLSIGN.controlId, typed));
        EXPECT_EQ(message(), fmt::format("callsign '{}' is not valid", typed));
        EXPECT_EQ(desktop.state(BLOCK_CALLSIGN.controlId).text, "KLM12");
    }
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "KLM12");

    ASSERT_TRUE(desktop.typeAndEnter(BLOCK_CALLSIGN.controlId, "klm12"));
    EXPECT_EQ(message(), "callsign 'KLM12' was already set ...");
}

TEST_F(ControlHandlersTest, DestinationIsCheckedAgainstTheAirportDatabase)
{
    g_airports = {Airport{"EDDF", "FRA", 50.0333, 8.5706, 364, 200}};
    enable({&DESTINATION, &BUTTON_REREAD});
    const std::pair<const char*, const char*> refused[]{{"EDD", "destination 'EDD' is not valid"},
                                                        {"zzzz", "destination 'ZZZZ' is unknown ..."}};
    for (const auto& [typed, answer] : refused) {
        ASSERT_TRUE(desktop.typeAndEnter(DESTINATION.controlId, typed));
        EXPECT_EQ(message(), answer);
        EXPECT_TRUE(log.contains(answer));
        EXPECT_EQ(desktop.state(DESTINATION.controlId).text, "");
    }

    ASSERT_TRUE(desktop.typeAndEnter(DESTINATION.controlId, "eddf"));

    EXPECT_EQ(message(), "New destination: EDDF");
    EXPECT_EQ(desktop.state(DESTINATION.controlId).text, "EDDF");
    EXPECT_EQ(stored("DESTINATION"), "EDDF");
    EXPECT_FALSE(desktop.state(BUTTON_REREAD.controlId).enabled);

    ASSERT_TRUE(desktop.typeAndEnter(DESTINATION.controlId, ""));
    EXPECT_EQ(message(), "destination set to empty");
    EXPECT_EQ(stored("DESTINATION"), "");
    EXPECT_TRUE(desktop.state(BUTTON_REREAD.controlId).enabled);
}

TEST_F(ControlHandlersTest, SwitchingTheSimulatorRescansAndRestarts)
{
    writeFile(folders::liveriesScannedXml(), "<liveries/>");
    MSFS_2024_INSTALL_PATH.value = "D:\\MSFS2024";
    gf_saveStringParameter(MSFS_2024_INSTALL_PATH);
    ASSERT_TRUE(desktop.click(SCAN_LIVERIES.controlId)); // off
    g_liveriesProcessed = true;

    ASSERT_TRUE(desktop.pick(SIM_CHOICE.controlId, "MSFS 2024"));

    // The tables stay for the aircraft and threads of this run; the restart rebuilds them.
    EXPECT_TRUE(g_liveriesProcessed);
    EXPECT_TRUE(g_liveryRebuildRequested.load());
    EXPECT_FALSE(g_msfs2020);
    EXPECT_EQ(stored("SIM_CHOICE"), "MSFS 2024");
    EXPECT_EQ(stored("MSFS_2024_INSTALL_PATH"), "");
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
    EXPECT_TRUE(desktop.state(SCAN_LIVERIES.controlId).checked);
    EXPECT_FALSE(fs::exists(folders::liveriesScannedXml()));
    EXPECT_EQ(message(), "Switching Simulator to MSFS 2024");
    EXPECT_EQ(gf_exitReason(), ExitReason::NewSettings);
    EXPECT_EQ(g_restartDelaySeconds, 3);
}

TEST_F(ControlHandlersTest, PickingTheChosenSimulatorChangesNothing)
{
    writeFile(folders::liveriesScannedXml(), "<liveries/>");

    ASSERT_TRUE(desktop.pick(SIM_CHOICE.controlId, "MSFS 2020"));

    EXPECT_TRUE(g_msfs2020);
    EXPECT_TRUE(fs::exists(folders::liveriesScannedXml()));
    EXPECT_FALSE(g_stopRequested);
}

TEST_F(ControlHandlersTest, MaxFitHoursAreStoredAsHalfHourIndex)
{
    const std::pair<const char*, const char*> rows[]{{"1.5", "2"}, {"0.5", "0"}, {"24.0", "47"}};
    for (const auto& [hours, index] : rows) {
        ASSERT_TRUE(desktop.pick(MAX_FIT_FL.controlId, hours));
        EXPECT_EQ(stored("MAX_FIT"), index) << hours;
    }
}

TEST_F(ControlHandlersTest, CommunityPathStoresTheFolderThatHoldsCommunity)
{
    const fs::path packages = work / "Packages";
    fs::create_directories(packages / "Community");
    fs::create_directories(work / "Empty");
    enable({&ALL_INSTALL_PATH});
    const std::pair<std::string, std::string> refused[]{
        {(work / "Missing").string(), "This install path does not exist: " + (work / "Missing").string()},
        {(work / "Empty").string(), "This path exists but is not a path to Community ..."}};
    for (const auto& [typed, answer] : refused) {
        ASSERT_TRUE(desktop.typeAndEnter(ALL_INSTALL_PATH.controlId, typed));
        EXPECT_EQ(message(), answer);
        EXPECT_EQ(desktop.state(ALL_INSTALL_PATH.controlId).text, "");
        EXPECT_FALSE(g_stopRequested);
    }

    ASSERT_TRUE(desktop.typeAndEnter(ALL_INSTALL_PATH.controlId, (packages / "Community").string() + "/"));

    EXPECT_EQ(stored("ALL_INSTALL_PATH"), packages.string());
    EXPECT_EQ(message(), "Community path found, Skyweaver will restart ...");
    EXPECT_EQ(gf_exitReason(), ExitReason::NewSettings);
    EXPECT_EQ(g_restartDelaySeconds, 3);
}

TEST_F(ControlHandlersTest, RereadAndFlushAskTheMainLoopAndWaitForIt)
{
    enable({&BUTTON_REREAD, &DESTINATION, &BUTTON_FLUSH_STATIC});

    ASSERT_TRUE(desktop.click(BUTTON_REREAD.controlId));
    ASSERT_TRUE(desktop.click(BUTTON_FLUSH_STATIC.controlId));

    EXPECT_TRUE(g_rereadRequested);
    EXPECT_TRUE(g_flushStaticRequested);
    EXPECT_FALSE(desktop.state(BUTTON_REREAD.controlId).enabled);
    EXPECT_FALSE(desktop.state(DESTINATION.controlId).enabled);
    EXPECT_FALSE(desktop.state(BUTTON_FLUSH_STATIC.controlId).enabled);
    EXPECT_EQ(message(), "All static parked aircraft will be removed ...");
}

struct AutoRangeRow {
    bool onGround;
    double altitude, distance;
    int range;
};

TEST(AutoRange, FollowsGroundAltitudeAndDistanceToTheParkAirport)
{
    AR_ABOVE_HEIGHT.value = 18000;
    AIRP_HEIGHT.value = 10000;
    const AutoRangeRow rows[]{{true, 20000, 50, 10}, {false, 20000, 5, 100},  {false, 12000, 5, 40},
                              {false, 3000, 7.0, 10}, {false, 3000, 37.0, 40}, {false, 3000, 32.6, 35},
                              {false, 3000, 32.4, 30}, {false, 3000, 19, 20},  {false, 3000, 16.5, 18},
                              {false, 3000, 9, 10},    {false, 3000, 8.4, 8},  {false, 3000, 10000, 40}};
    for (const AutoRangeRow& row : rows) {
        EXPECT_EQ(gf_autoRangeNm(row.onGround, row.altitude, row.distance), row.range)
            << row.onGround << " " << row.altitude << " " << row.distance;
    }
}

TEST_F(ControlHandlersTest, FaultInAHandlerIsLoggedAndTheWindowGoesOn)
{
    // A folder in place of the scanned liveries file cannot be removed.
    fs::create_directories(folders::liveriesScannedXml() / "kept");

    ASSERT_TRUE(desktop.pick(SIM_CHOICE.controlId, "MSFS 2024"));

    bool logged = false;
    for (const std::string& line : log.lines()) {
        logged = logged || (line.find("lf_HandleWMCOMMAND exception") != std::string::npos &&
                            line.find("remove") != std::string::npos);
    }
    EXPECT_TRUE(logged);
    EXPECT_FALSE(g_stopRequested);
    EXPECT_TRUE(desktop.click(AIRBORNE_ONLY.controlId));
    EXPECT_EQ(stored("AIRBORNE_ONLY"), "true");
}
