// One run of the start-up thread in this process against the simulated simulator: how the
// simulator ends a run.
#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/tick_state.h"
#include "core/program_folders.h"
#include "core/stop_flags.h"
#include "platform/standin/simworld.h"
#include "refdata/download.h"
#include "support/http_server.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "traffic/reader_lights.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::LogCapture;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

class RunInProcess : public ::testing::Test {
protected:
    RunInProcess() : work(true)
    {
        ::setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
        fs::create_directories(work.path() / "docs");
        testsupport::writeSmallReferenceData(work.path());
        testsupport::writeLiveriesScanned(work.path(), testsupport::fixtureLiveries());
        fs::create_directories(root.path() / "MSFS" / "Community");
        fs::create_directories(g_appFolder.get());
        writeFile(g_parametersPath.get(),
                  "<?xml version=\"1.0\"?>\n<root><parameters>"
                  "<parameter name=\"PROGRAM_VERSION\" value=\"11.10.8\"/>"
                  "<parameter name=\"SCAN_LIVERIES\" value=\"false\"/>"
                  "<parameter name=\"SCAN_AIRPORTS\" value=\"false\"/>"
                  "<parameter name=\"MSFS_INSTALL_PATH\" value=\"" +
                      (root.path() / "MSFS").string() + "\"/></parameters></root>\n");
        standin::SimWorld::instance().configure(standin::SimWorldConfig::forSimulator(2020));
    }

    // Runs the start-up thread until it has ended its run.
    std::future<void> startRun() { return std::async(std::launch::async, lf_startUpSKWV); }

    // Waits until the run has passed the wait for the first traffic and runs its main loop.
    bool waitForMainLoop() const
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (!log.contains("No traffic in this region?") && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(100ms);
        }
        return log.contains("No traffic in this region?");
    }

    TempFolder root;
    TempFolder work;
    LogCapture log;
};

} // namespace

TEST_F(RunInProcess, SimulatorQuitEndsTheRunWithSimWasClosed)
{
    auto run = startRun();
    ASSERT_TRUE(waitForMainLoop());
    standin::SimWorld::instance().quit();
    ASSERT_EQ(run.wait_for(30s), std::future_status::ready);
    EXPECT_TRUE(log.contains("Exiting: SIM WAS CLOSED"));
    EXPECT_FALSE(g_isRestart.load());
}

TEST_F(RunInProcess, NewFlightEndsTheRunAndAsksForAManualRestart)
{
    auto run = startRun();
    ASSERT_TRUE(waitForMainLoop());
    standin::SimWorld::instance().loadNewFlight("flights\\other.FLT");
    const bool ended = run.wait_for(40s) == std::future_status::ready;
    if (!ended) {
        gf_requestUserExit();  // so that the run ends and the test reports
    }
    ASSERT_TRUE(ended);
    EXPECT_TRUE(log.contains("SimConnect: New file event"));
    EXPECT_TRUE(log.contains("Exiting: NEW FLIGHT"));
    EXPECT_TRUE(log.contains("New flight detected, Skyweaver will close, please restart manually ..."));
    EXPECT_FALSE(g_isRestart.load());
}

// RealTraffic runs on another PC here: no TCP link is opened and its light shows the link
// ready as soon as the simulator is there.
TEST_F(RunInProcess, RealTrafficElsewhereIsReadyOnceTheRunStarts)
{
    auto run = startRun();
    ASSERT_TRUE(waitForMainLoop());
    EXPECT_TRUE(log.contains("RealTraffic not detected at this PC"));
    EXPECT_TRUE(g_rtLinkReady.load());
    EXPECT_FALSE(g_rtStarting.load());
    EXPECT_FALSE(g_mainWindowState.rtNotUsed.load());
    gf_requestUserExit();
    ASSERT_EQ(run.wait_for(30s), std::future_status::ready);
}

TEST_F(RunInProcess, SilentDownloadHostHoldsNeitherTheStartNorAClose)
{
    testsupport::HttpServer server;
    server.serve("/downloads/versions.json", testsupport::stalling(0));
    gf_setDownloadHost(server.base());
    gf_setDownloadLimits({2s, 1000, 2s, 2s});
    const auto start = std::chrono::steady_clock::now();
    auto run = startRun();
    while (!log.contains("==> Downloading version info from my web site failed!") &&
           std::chrono::steady_clock::now() - start < 10s) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // the limits, not the host, end the wait
    EXPECT_EQ(run.wait_for(0s), std::future_status::timeout);  // the start-up goes on

    gf_requestUserExit();
    ASSERT_EQ(run.wait_for(30s), std::future_status::ready);
    gf_setDownloadLimits({});
}

TEST_F(RunInProcess, CloseDuringASilentDownloadEndsTheRunWithinTwoSeconds)
{
    testsupport::HttpServer server;
    server.serve("/downloads/versions.json", testsupport::stalling(0));
    gf_setDownloadHost(server.base());  // default limits: the host would hold the start for 45 s
    auto run = startRun();
    while (server.requests().empty()) {
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(500ms);

    gf_requestUserExit();
    const auto closed = std::chrono::steady_clock::now();

    ASSERT_EQ(run.wait_for(5s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - closed, 2s);
    EXPECT_TRUE(log.contains("Exiting: USER CLOSED SIM"));
}
