// The whole program in this process, driven through its window: a close at any moment of the
// start-up ends it at once and loses nothing, a restart asked for during a scan or after the
// missing Community path (typed, or the other simulator picked) happens, and a close during
// the restart countdown ends the program.
#include "core/scan_pool.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "platform/standin/simworld.h"
#include "refdata/download.h"
#include "support/aircraft_cfg_tree.h"
#include "support/application_run.h"
#include "support/bgl_builder.h"
#include "support/http_server.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/udp_loopback.h"
#include "support/zip_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::readFile;
using testsupport::waitUntil;
using testsupport::writeFile;

namespace {

// Holds the first scan task, as a blocked file read would, until released.
class HeldTask {
public:
    HeldTask()
    {
        g_scanTaskHook = [state = m_state](const fs::path&) {
            std::unique_lock lock(state->mutex);
            if (state->taken) {
                return;
            }
            state->taken = true;
            state->changed.notify_all();
            state->changed.wait(lock, [&] { return state->released; });
        };
    }
    ~HeldTask()
    {
        {
            const std::lock_guard lock(m_state->mutex);
            m_state->released = true;
        }
        m_state->changed.notify_all();
        g_scanTaskHook = nullptr;
    }
    HeldTask(const HeldTask&) = delete;
    HeldTask& operator=(const HeldTask&) = delete;

    bool waitUntilHeld()
    {
        std::unique_lock lock(m_state->mutex);
        return m_state->changed.wait_for(lock, 60s, [&] { return m_state->taken; });
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool taken = false;
        bool released = false;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

class StopRoads : public ::testing::Test {
protected:
    StopRoads() : work(true)
    {
        ::setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
        fs::create_directories(work.path() / "docs");
        testsupport::writeSmallReferenceData(work.path());
        testsupport::writeLiveriesScanned(work.path(), testsupport::fixtureLiveries());
        previousLiveries = readFile(folders::liveriesScannedXml());
        testsupport::writeAiPackage(community(), "aig-aitraffic-oci", "A320", "DLH", 3);
        testsupport::writeAiPackage(community(), "aig-aitraffic-oci", "B738", "RYR", 3);
        fs::create_directories(g_appFolder.get());
        gf_setDownloadHost(server.base());
        const standin::SimWorldConfig simulator;
        standin::SimWorld::instance().configure(simulator);
    }

    fs::path packages() const { return root.path() / "MSFS"; }
    fs::path community() const { return packages() / "Community"; }

    void writeParameters(bool scanLiveries, bool scanAirports, bool installPath = true)
    {
        std::string text = "<?xml version=\"1.0\"?>\n<root><parameters>" + parameter("PROGRAM_VERSION", "11.10.8") +
                           parameter("SCAN_LIVERIES", scanLiveries ? "true" : "false") +
                           parameter("SCAN_AIRPORTS", scanAirports ? "true" : "false") +
                           parameter("LIG_AUTOMATIC", "true");
        if (installPath) {
            text += parameter("MSFS_INSTALL_PATH", packages().string());
        }
        writeFile(g_parametersPath.get(), text + "</parameters></root>\n");
    }

    static std::string parameter(const std::string& name, const std::string& value)
    {
        return "<parameter name=\"" + name + "\" value=\"" + value + "\"/>";
    }

    // The value "parameters.xml" holds for the setting.
    static std::string stored(const std::string& name)
    {
        const std::string text = readFile(g_parametersPath.get());
        const std::string key = "<parameter name=\"" + name + "\" value=\"";
        const std::size_t at = text.find(key);
        if (at == std::string::npos) {
            return "<none>";
        }
        const std::size_t start = at + key.size();
        return text.substr(start, text.find('"', start) - start);
    }

    // Log lines that hold the text.
    std::size_t logged(const std::string& text) const
    {
        const auto lines = log.lines();
        return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        }));
    }
    std::string logText() const
    {
        std::string text;
        for (const std::string& line : log.lines()) {
            text += line + "\n";
        }
        return text;
    }
    bool waitForLog(const std::string& text, std::size_t times = 1, std::chrono::milliseconds timeout = 60s) const
    {
        return waitUntil([&] { return logged(text) >= times; }, timeout);
    }

    // Closes the window; the exit code when the program ended within 2 s.
    std::optional<int> closeAndWait(testsupport::ApplicationRun& run)
    {
        EXPECT_TRUE(run.desktop().close());
        return run.waitForExit(2s);
    }

    // Starts the program with its first scan task held; true once the task is held.
    bool startWithTheScanHeld()
    {
        held.emplace();
        heldRun.emplace();
        return held->waitUntilHeld();
    }

    // Closes the window of that run: the program ends at once, for the user's close.
    void closeEndsAtOnce()
    {
        EXPECT_EQ(closeAndWait(*heldRun), 0);
        EXPECT_EQ(logged("Exiting: USER CLOSED SIM"), 1u);
    }

    static constexpr const char* kScanStarts = "liveries scan automatic starts";
    static constexpr const char* kScanEnds = "liveries scan ends";

    testsupport::TempFolder root;
    testsupport::TempFolder work;
    testsupport::LogCapture log;
    testsupport::HttpServer server;
    std::string previousLiveries;
    // Declared last, so the run ends before its held task is let go.
    std::optional<HeldTask> held;
    std::optional<testsupport::ApplicationRun> heldRun;
};

} // namespace

TEST_F(StopRoads, CloseDuringTheLiveryScanEndsAtOnceAndKeepsThePreviousResult)
{
    writeParameters(true, false);
    ASSERT_TRUE(startWithTheScanHeld());

    closeEndsAtOnce();
    EXPECT_EQ(logged("51: File"), 0u);
    EXPECT_EQ(logged(kScanEnds), 0u);
    EXPECT_EQ(readFile(folders::liveriesScannedXml()), previousLiveries);
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
}

TEST_F(StopRoads, NewVersionFoundEndsTheRunWithoutScanning)
{
    writeParameters(true, true);
    server.serve("/downloads/versions.json", R"({"msfs": {"major": 12, "minor": 0, "patch": 0}})");
    server.serve("/downloads/release/setup_Skyweaver_d_v12.0.0.zip",
                 testsupport::zipBytes({{"setup.exe", "MZ installer"}}));
    testsupport::ApplicationRun run;

    EXPECT_EQ(run.waitForExit(60s), 0);
    EXPECT_EQ(logged("Exiting: NEW VERSION"), 1u);
    EXPECT_EQ(logged(kScanStarts), 0u);
    EXPECT_EQ(logged("airports scan"), 0u);
    EXPECT_EQ(readFile(folders::liveriesScannedXml()), previousLiveries);
    EXPECT_EQ(stored("SCAN_LIVERIES"), "true");
}

TEST_F(StopRoads, SimulatorSwitchDuringTheScanRestartsAndTheRestartedRunScans)
{
    writeParameters(true, false);
    // The newer simulator's packages, where its Steam edition keeps them.
    const fs::path packages2024 = root.path() / "AppData" / "Roaming" / "Microsoft Flight Simulator 2024" / "Packages";
    fs::create_directories(packages2024 / "Official2024");
    testsupport::writeAiPackage(packages2024 / "Community", "aig-aitraffic-oci", "A320", "DLH", 2);
    ASSERT_TRUE(startWithTheScanHeld());

    ASSERT_TRUE(heldRun->desktop().pick(SIM_CHOICE.controlId, "MSFS 2024"));
    ASSERT_TRUE(waitForLog("Restart countdown finished", 1, 10s)) << logText();
    EXPECT_EQ(logged("Exiting: NEW SETTINGS"), 1u);
    EXPECT_EQ(logged("Restarting after 3 seconds"), 1u);
    ASSERT_TRUE(waitForLog(kScanEnds)) << logText();
    EXPECT_EQ(logged(kScanStarts), 2u);
    EXPECT_EQ(stored("MSFS_2024_INSTALL_PATH"), packages2024.string());
    EXPECT_NE(readFile(folders::liveriesScannedXml()).find("aig-aitraffic-oci A320 DLH 2"), std::string::npos);

    EXPECT_EQ(closeAndWait(*heldRun), 0);
}

TEST_F(StopRoads, SimulatorSwitchPickedAfterAReaderErrorRestartsWithTheScans)
{
    writeParameters(false, false);
    const fs::path packages2024 = root.path() / "AppData" / "Roaming" / "Microsoft Flight Simulator 2024" / "Packages";
    fs::create_directories(packages2024 / "Official2024");
    testsupport::writeAiPackage(packages2024 / "Community", "aig-aitraffic-oci", "A320", "DLH", 2);
    // Another program holds the traffic port, so the Traffic Reader fails at once.
    std::optional<testsupport::UdpReceiver> trafficPort(std::in_place, 49005);
    testsupport::ApplicationRun run;
    ASSERT_TRUE(waitForLog("The Traffic Reader has stopped with error")) << logText();

    // Picked while the run closes for the error.
    ASSERT_TRUE(run.desktop().pick(SIM_CHOICE.controlId, "MSFS 2024"));
    trafficPort.reset();
    ASSERT_TRUE(waitForLog(kScanEnds)) << logText();
    EXPECT_EQ(logged("Restarting after 3 seconds"), 1u);
    EXPECT_EQ(logged("Error 51"), 0u);
    EXPECT_NE(readFile(folders::liveriesScannedXml()).find("aig-aitraffic-oci A320 DLH 2"), std::string::npos);

    EXPECT_EQ(closeAndWait(run), 0);
    EXPECT_EQ(logged("SYSTEM ERROR"), 0u);
}

TEST_F(StopRoads, HungScanTaskIsGivenUpAfterTenSecondsAndACloseStillEndsAtOnce)
{
    writeParameters(true, false);
    ASSERT_TRUE(startWithTheScanHeld());
    const auto heldAt = std::chrono::steady_clock::now();

    ASSERT_TRUE(waitForLog("==> liveries search aborted, futs outer, Future wait timed out after 10 seconds", 1, 30s));
    EXPECT_GE(std::chrono::steady_clock::now() - heldAt, 9500ms);
    ASSERT_TRUE(waitForLog(kScanEnds)) << logText();

    // The task still hangs; the close does not wait for it.
    closeEndsAtOnce();
}

TEST_F(StopRoads, CloseDuringTheAddonScanKeepsTheScanOn)
{
    writeParameters(false, true);
    testsupport::BglAirport airport;
    airport.ident = "EDDF";
    airport.parkings.push_back(testsupport::BglParking{12, 8, 1, 20.0f, 90.0f, 50.03, 8.57});
    testsupport::writeBgl(community() / "somedev-eddf" / "scenery" / "eddf.bgl", {airport});
    ASSERT_TRUE(startWithTheScanHeld());

    closeEndsAtOnce();
    EXPECT_EQ(logged("Warning: Scan has not found any add-on airports"), 0u);
    EXPECT_EQ(stored("SCAN_AIRPORTS"), "true");
}

TEST_F(StopRoads, CloseDuringTheRestartCountdownEndsTheProgram)
{
    writeParameters(true, false);
    ASSERT_TRUE(startWithTheScanHeld());
    ASSERT_TRUE(heldRun->desktop().pick(SIM_CHOICE.controlId, "MSFS 2024"));
    ASSERT_TRUE(waitForLog("Restarting after 3 seconds", 1, 10s)) << logText();

    EXPECT_EQ(closeAndWait(*heldRun), 0);
    EXPECT_EQ(logged("Restart countdown finished"), 0u);
    EXPECT_EQ(logged("Exiting:"), 1u);
}

TEST_F(StopRoads, SimulatorSwitchMendsTheMissingInstallPathAndRestarts)
{
    writeParameters(false, false, false);
    // Only the newer simulator is installed, where its Steam edition keeps its packages.
    const fs::path packages2024 = root.path() / "AppData" / "Roaming" / "Microsoft Flight Simulator 2024" / "Packages";
    fs::create_directories(packages2024 / "Official2024");
    testsupport::writeAiPackage(packages2024 / "Community", "aig-aitraffic-oci", "A320", "DLH", 2);
    testsupport::ApplicationRun run;
    ASSERT_TRUE(waitForLog("No install path detected")) << logText();
    ASSERT_TRUE(waitForLog("Exiting: SYSTEM ERROR"));
    std::this_thread::sleep_for(1500ms);

    ASSERT_TRUE(run.desktop().pick(SIM_CHOICE.controlId, "MSFS 2024"));
    ASSERT_TRUE(waitForLog("Restart countdown finished", 1, 10s)) << logText();
    EXPECT_EQ(logged("Switching Simulator to MSFS 2024"), 1u);
    EXPECT_EQ(logged("Restarting after 3 seconds"), 1u);
    // The second start finds the newer simulator's packages and scans them.
    ASSERT_TRUE(waitForLog(kScanEnds)) << logText();
    EXPECT_EQ(logged("No install path detected"), 1u);
    EXPECT_EQ(stored("MSFS_2024_INSTALL_PATH"), packages2024.string());
    EXPECT_NE(readFile(folders::liveriesScannedXml()).find("aig-aitraffic-oci A320 DLH 2"), std::string::npos);

    EXPECT_EQ(closeAndWait(run), 0);
}

TEST_F(StopRoads, TypedCommunityPathMendsTheMissingInstallPathAndRestarts)
{
    writeParameters(false, false, false);
    testsupport::ApplicationRun run;
    ASSERT_TRUE(waitForLog("No install path detected")) << logText();
    ASSERT_TRUE(waitForLog("Exiting: SYSTEM ERROR"));
    // The user reads the error first; the shut-down waits for the user meanwhile.
    std::this_thread::sleep_for(1500ms);

    ASSERT_TRUE(run.desktop().typeAndEnter(ALL_INSTALL_PATH.controlId, community().string()));
    ASSERT_TRUE(waitForLog("Restart countdown finished", 1, 10s));
    EXPECT_EQ(logged("Community path found, Skyweaver will restart ..."), 1u);
    EXPECT_EQ(logged("Restarting after 3 seconds"), 1u);
    // The second start finds the path where the start-up reads it.
    ASSERT_TRUE(waitForLog("RealTraffic not detected at this PC")) << logText();
    EXPECT_EQ(logged("No install path detected"), 1u);
    EXPECT_EQ(stored("MSFS_INSTALL_PATH"), packages().string());
    EXPECT_EQ(logged("User closed Skyweaver"), 0u);

    EXPECT_EQ(closeAndWait(run), 0);
}
