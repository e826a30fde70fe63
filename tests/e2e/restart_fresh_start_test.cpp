// An in-process restart leaves nothing of the run before it: the program's run state and
// the window's picture when the restarted run reaches its main loop equal those of the
// process's first start at the same point.
#include "core/program_folders.h"
#include "core/run_state.h"
#include "core/traffic_time.h"
#include "core/settings.h"
#include "platform/standin/desktop.h"
#include "platform/standin/simworld.h"
#include "support/main_loop_pictures.h"
#include "support/program_window.h"
#include "support/temp_folder.h"
#include "support/traffic_lines.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using testsupport::ProgramSetup;
using testsupport::ProgramWindow;

TEST(RestartEqualsFreshStart, SimConnectErrorRestartStartsLikeTheProcessDid)
{
    ProgramWindow program(ProgramSetup{{{"AUTO_RANGE", "false"}}});
    program.onWindowCreated(testsupport::watchMainLoopStarts);
    // The user's park airports, read by every start-up. The destination typed below is one of
    // them, so whether the run took it in before the error leaves the file, and with it the
    // restarted run's list, the same.
    testsupport::writeFile(program.work.path() / folders::myParkAirportsTxt(), "EDDF\nEDDM\n");
    standin::SimWorld& world = standin::SimWorld::instance();
    ASSERT_TRUE(program.start());
    const auto& pictures = testsupport::mainLoopPictures();
    ASSERT_EQ(pictures.size(), 1u);

    // A full run: statics at the park airport, a destination, a blocked callsign, a refused
    // title, counters and texts in the panel.
    ASSERT_TRUE(program.pumpUntil([] { return g_mainWindowState.staticParked.load() > 0; }, 60s));
    ASSERT_TRUE(program.desktop.typeAndEnter(DESTINATION.controlId, "EDDM"));
    ASSERT_TRUE(program.desktop.typeAndEnter(BLOCK_CALLSIGN.controlId, "DLH4AB"));
    // Long enough for the 16-second job to take the destination in.
    program.runFlightSeconds(40);

    // The simulator link fails: the run ends with SIMCONNECT ERROR and restarts in 9 s.
    world.failCall("SimConnect_RequestDataOnSimObjectType", E_FAIL);
    ASSERT_TRUE(program.pumpUntil([&] { return program.log.contains("Exiting: SIMCONNECT ERROR"); }, 30s));
    world.clearCallFailures();
    // A restart keeps the window's controls as they are; with "cs->oid:" disabled again, the
    // restarted main loop's start is seen as the first was.
    EnableWindow(BUTTON_CALLSIGN_2_OBJECTID.hwnd, FALSE);
    program.keepFeedingTraffic();
    ASSERT_TRUE(program.pumpUntil([&] { return pictures.size() == 2; }, 90s)) << [&] {
        std::string text;
        for (const std::string& line : program.log.lines()) {
            text += line + "\n";
        }
        return text;
    }();

    // The same process started its run again after a countdown of 9 seconds.
    EXPECT_TRUE(program.log.contains("Restarting after 9 seconds"));
    EXPECT_TRUE(program.log.contains("Restart countdown finished"));
    EXPECT_EQ(pictures[0].state, pictures[1].state) << testsupport::stateDifferences(pictures[0].state, pictures[1].state);
    const bool samePicture = pictures[0].window.pixels == pictures[1].window.pixels;
    EXPECT_TRUE(samePicture);
    if (!samePicture) {
        standin::writePng(pictures[0].window, testing::TempDir() + "fresh-start.png");
        standin::writePng(pictures[1].window, testing::TempDir() + "restarted.png");
    }
}
