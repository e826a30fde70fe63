// An in-process restart leaves nothing of the run before it: the program's run state and
// the window's picture when the restarted run reaches its main loop equal those of the
// process's first start at the same point.
#include "core/program_folders.h"
#include "core/run_state.h"
#include "core/traffic_time.h"
#include "core/settings.h"
#include "platform/standin/desktop.h"
#include "platform/standin/simworld.h"
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

namespace {

// What the program shows and holds at the moment a run reaches its main loop.
struct MainLoopPicture {
    std::string state;
    standin::Surface window;
};

std::vector<MainLoopPicture> g_pictures;
WNDPROC g_buttonProc = nullptr;

// Entries that the simulated simulator and the feed keep changing while a run starts: the
// simulator's clock and the user block it carries, its frame and handle, the feed's
// datagram counts. They come from the run itself, not from the run before it.
const std::vector<std::string> kMovedByTheLink = {
    "g_simUserAcData", "g_userAcData", "g_simEpochTime", "lf_sendSequence", "g_hSimConnect",
    "g_qnhReader",     "g_trafficReader", "g_trafficTime", "g_newSecond",
};

std::string lf_comparableState()
{
    std::istringstream lines(gf_runStateSnapshot());
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        const std::string name = line.substr(0, line.find(" = "));
        if (std::find(kMovedByTheLink.begin(), kMovedByTheLink.end(), name) == kMovedByTheLink.end()) {
            kept += line + "\n";
        }
    }
    return kept;
}

// The main loop enables "cs->oid:" as it starts; its WM_ENABLE comes to the GUI thread while
// the main loop thread waits for it, so the state and the picture are taken before the
// loop's first tick.
LRESULT CALLBACK lf_callsignButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENABLE && wParam == TRUE) {
        const HWND main = g_mainWindow.load();
        InvalidateRect(main, nullptr, FALSE);
        UpdateWindow(main);
        g_pictures.push_back({lf_comparableState(), standin::composeWindow(main)});
    }
    return CallWindowProcW(g_buttonProc, window, message, wParam, lParam);
}

void lf_watchMainLoopStart()
{
    g_buttonProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        BUTTON_CALLSIGN_2_OBJECTID.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&lf_callsignButtonProc)));
}

// The lines of two snapshots that differ, for the failure message.
std::string lf_differences(const std::string& fresh, const std::string& restarted)
{
    std::istringstream a(fresh);
    std::istringstream b(restarted);
    std::string text;
    for (std::string left, right; std::getline(a, left) && std::getline(b, right);) {
        if (left != right) {
            text += fmt::format("fresh:     {}\nrestarted: {}\n", left, right);
        }
    }
    return text;
}

// The feed's far-away line, as the first run got it, until the restarted run has started.
void lf_feedTraffic(const std::stop_token& stop)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET sender = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(49005);
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string line = testsupport::TrafficLine().text();
    while (!stop.stop_requested()) {
        sendto(sender, line.data(), static_cast<int>(line.size()), 0, reinterpret_cast<const sockaddr*>(&target),
               sizeof target);
        std::this_thread::sleep_for(100ms);
    }
    closesocket(sender);
    WSACleanup();
}

} // namespace

TEST(RestartEqualsFreshStart, SimConnectErrorRestartStartsLikeTheProcessDid)
{
    ProgramWindow program(ProgramSetup{{{"AUTO_RANGE", "false"}}});
    program.onWindowCreated(lf_watchMainLoopStart);
    // The user's park airports, read by every start-up.
    testsupport::writeFile(program.work.path() / folders::myParkAirportsTxt(), "EDDF\n");
    standin::SimWorld& world = standin::SimWorld::instance();
    ASSERT_TRUE(program.start());
    ASSERT_EQ(g_pictures.size(), 1u);

    // A full run: statics at the park airport, a destination, a blocked callsign, a refused
    // title, counters and texts in the panel.
    ASSERT_TRUE(program.pumpUntil([] { return g_mainWindowState.staticParked.load() > 0; }, 60s));
    ASSERT_TRUE(program.desktop.typeAndEnter(DESTINATION.controlId, "EDDM"));
    ASSERT_TRUE(program.desktop.typeAndEnter(BLOCK_CALLSIGN.controlId, "DLH4AB"));
    program.runFlightSeconds(20);

    // The simulator link fails: the run ends with SIMCONNECT ERROR and restarts in 9 s.
    world.failCall("SimConnect_RequestDataOnSimObjectType", E_FAIL);
    ASSERT_TRUE(program.pumpUntil([&] { return program.log.contains("Exiting: SIMCONNECT ERROR"); }, 30s));
    world.clearCallFailures();
    // A restart keeps the window's controls as they are; with "cs->oid:" disabled again, the
    // restarted main loop's start is seen as the first was.
    EnableWindow(BUTTON_CALLSIGN_2_OBJECTID.hwnd, FALSE);
    std::jthread feed(lf_feedTraffic);
    ASSERT_TRUE(program.pumpUntil([] { return g_pictures.size() == 2; }, 90s)) << [&] {
        std::string text;
        for (const std::string& line : program.log.lines()) {
            text += line + "\n";
        }
        return text;
    }();

    EXPECT_EQ(g_pictures[0].state, g_pictures[1].state)
        << lf_differences(g_pictures[0].state, g_pictures[1].state);
    const bool samePicture = g_pictures[0].window.pixels == g_pictures[1].window.pixels;
    EXPECT_TRUE(samePicture);
    if (!samePicture) {
        standin::writePng(g_pictures[0].window, testing::TempDir() + "fresh-start.png");
        standin::writePng(g_pictures[1].window, testing::TempDir() + "restarted.png");
    }
}
