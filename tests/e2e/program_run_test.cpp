// The skyweaver executable itself, in a working folder and app-data tree of its own, against
// the simulated simulator.
#include "support/aircraft_cfg_tree.h"
#include "support/livery_fixtures.h"
#include "support/program_process.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;
using testsupport::ProgramProcess;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace fs = std::filesystem;

namespace {

// A program folder with "docs" and the reference data, an app-data tree with a
// "parameters.xml" that names the simulator's packages folder and switches the scans off.
class ProgramRun : public ::testing::Test {
protected:
    ProgramRun()
    {
        fs::create_directories(work.path() / "docs");
        testsupport::writeSmallReferenceData(work.path());
        testsupport::writeLiveriesScanned(work.path(), testsupport::fixtureLiveries());
        fs::create_directories(root.path() / "MSFS" / "Community");
        fs::create_directories(appFolder());
        writeFile(appFolder() / "parameters.xml",
                  "<?xml version=\"1.0\"?>\n<root><parameters>" + parameter("PROGRAM_VERSION", "11.10.8") +
                      parameter("SCAN_LIVERIES", "false") + parameter("SCAN_AIRPORTS", "false") +
                      parameter("MSFS_INSTALL_PATH", (root.path() / "MSFS").string()) +
                      parameter("DESTINATION", "EDDF") + parameter("BLOCK_CALLSIGN", "DLH4AB") +
                      "</parameters></root>\n");
    }

    static std::string parameter(const std::string& name, const std::string& value)
    {
        return "<parameter name=\"" + name + "\" value=\"" + value + "\"/>";
    }

    fs::path appFolder() const { return root.path() / "AppData" / "Roaming" / "Skyweaver"; }
    std::string parameters() const { return readFile(appFolder() / "parameters.xml"); }

    std::map<std::string, std::string> environment() const
    {
        return {{"SKYWEAVER_STANDIN_ROOT", root.path().string()}, {"SKYWEAVER_SIM_SCENARIO", ""}};
    }

    std::unique_ptr<ProgramProcess> start(const std::vector<std::string>& arguments = {})
    {
        return std::make_unique<ProgramProcess>(work.path(), arguments, environment());
    }

    TempFolder root;
    TempFolder work;
};

// Holds a UDP port on all addresses, as another program would.
class UdpPortHolder {
public:
    explicit UdpPortHolder(unsigned short port) : m_socket(::socket(AF_INET, SOCK_DGRAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        m_bound = ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~UdpPortHolder() { ::close(m_socket); }
    UdpPortHolder(const UdpPortHolder&) = delete;
    UdpPortHolder& operator=(const UdpPortHolder&) = delete;
    bool bound() const { return m_bound; }

private:
    int m_socket;
    bool m_bound = false;
};

} // namespace

TEST_F(ProgramRun, SecondCopyEndsWithMinusOneAndLeavesTheLogAlone)
{
    auto first = start();
    ASSERT_TRUE(first->waitForLogLine("RealTraffic not detected at this PC", 30s)) << first->log();
    const std::string logBefore = first->log();
    TempFolder otherWork;
    ProgramProcess second(otherWork.path(), {}, environment());
    EXPECT_EQ(second.waitForExit(10s), -1);
    EXPECT_FALSE(fs::exists(otherWork.path() / "Log.txt"));
    EXPECT_EQ(first->log().substr(0, logBefore.size()), logBefore);
    first->signal(SIGTERM);
    EXPECT_EQ(first->waitForExit(30s), 0);
}

TEST_F(ProgramRun, MissingDocsFolderIsASystemErrorUntilTheUserCloses)
{
    fs::remove_all(work.path() / "docs");
    auto program = start();
    ASSERT_TRUE(program->waitForLogLine("Error 41: Skyweaver must be run from the Skyweaver folder!", 30s))
        << program->log();
    ASSERT_TRUE(program->waitForLogLine("Exiting: SYSTEM ERROR", 10s)) << program->log();
    // The window stays with the error until the user closes it.
    EXPECT_FALSE(program->waitForExit(2s).has_value());
    program->signal(SIGTERM);
    const auto code = program->waitForExit(30s);
    ASSERT_TRUE(code.has_value());
    EXPECT_NE(*code, 0);
    EXPECT_NE(program->log().find("User closed Skyweaver"), std::string::npos) << program->log();
}

TEST_F(ProgramRun, ProductionModeInitialisesAndClosesDownWithoutThreads)
{
    auto program = start({"--production"});
    EXPECT_EQ(program->waitForExit(60s), 0) << program->log();
    const std::string log = program->log();
    EXPECT_NE(log.find("Exiting: USER CLOSED SIM"), std::string::npos) << log;
    EXPECT_EQ(log.find("Waiting for MSFS"), std::string::npos) << log;
    EXPECT_EQ(log.find("RealTraffic"), std::string::npos) << log;
    EXPECT_EQ(parameters().find("value=\"EDDF\""), std::string::npos);
    EXPECT_EQ(parameters().find("value=\"DLH4AB\""), std::string::npos);
}

TEST_F(ProgramRun, ReachesTheTickLoopAndReportsMissingTraffic)
{
    // The simulated simulator answers at once: the readers start 2 s after it is found and
    // the wait for traffic ends 15 s later.
    const auto started = std::chrono::steady_clock::now();
    auto program = start();
    ASSERT_TRUE(program->waitForLogLine("No traffic in this region?", 60s)) << program->log();
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 17s);
    EXPECT_LE(waited, 30s);
    EXPECT_NE(program->log().find("MSFS 2020 (11.0.282174.999) connected"), std::string::npos) << program->log();
    program->signal(SIGTERM);
    EXPECT_EQ(program->waitForExit(30s), 0);
}

TEST_F(ProgramRun, TermSignalEndsTheRunInOrderAndSavesTheWindowPosition)
{
    auto program = start();
    ASSERT_TRUE(program->waitForLogLine("No traffic in this region?", 60s)) << program->log();
    program->signal(SIGTERM);
    EXPECT_EQ(program->waitForExit(30s), 0) << program->log();
    const std::string log = program->log();
    EXPECT_NE(log.find("Exiting: USER CLOSED SIM"), std::string::npos) << log;
    EXPECT_NE(log.find("closing down"), std::string::npos) << log;
    // The program waits for both readers before it exits.
    EXPECT_NE(log.find("QNH Reader disconnected"), std::string::npos) << log;
    EXPECT_NE(log.find("Traffic Reader disconnected"), std::string::npos) << log;
    EXPECT_NE(parameters().find("MAIN_WINDOW_X"), std::string::npos) << parameters();
    EXPECT_EQ(parameters().find("value=\"EDDF\""), std::string::npos);
}

TEST_F(ProgramRun, ReaderErrorRestartsInTheSameProcessWithoutUpdateCheckOrScans)
{
    UdpPortHolder trafficPort(49005);
    ASSERT_TRUE(trafficPort.bound());
    auto program = start();
    ASSERT_TRUE(program->waitForLogLine("The Traffic Reader has stopped with error: bind to stream socket failed", 40s))
        << program->log();
    ASSERT_TRUE(program->waitForLogLine("Exiting: READER ERROR", 10s)) << program->log();
    ASSERT_TRUE(program->waitForLogLine("Restarting after 15 seconds", 10s)) << program->log();
    ASSERT_TRUE(program->waitForLogLine("Restart countdown finished", 25s)) << program->log();
    // The restarted run reads the settings and initialises again, without an update check
    // and without scans.
    const auto restartAt = program->log().find("Restart countdown finished");
    ASSERT_TRUE(program->waitForLogLine("Waiting for MSFS", 30s, restartAt)) << program->log();
    const std::string log = program->log();
    EXPECT_NE(log.find("RealTraffic not detected at this PC", restartAt), std::string::npos) << log;
    EXPECT_EQ(log.find("Downloading version info", restartAt), std::string::npos) << log;
    EXPECT_NE(parameters().find("name=\"SCAN_LIVERIES\" value=\"false\""), std::string::npos) << parameters();
    program->signal(SIGTERM);
    EXPECT_TRUE(program->waitForExit(60s).has_value());
}

TEST_F(ProgramRun, ScanTaskHungInAFileReadDoesNotHoldTheExit)
{
    writeFile(appFolder() / "parameters.xml",
              "<?xml version=\"1.0\"?>\n<root><parameters>" + parameter("PROGRAM_VERSION", "11.10.8") +
                  parameter("SCAN_LIVERIES", "true") + parameter("SCAN_AIRPORTS", "false") +
                  parameter("LIG_AUTOMATIC", "true") +
                  parameter("MSFS_INSTALL_PATH", (root.path() / "MSFS").string()) + "</parameters></root>\n");
    const fs::path community = root.path() / "MSFS" / "Community";
    testsupport::writeAiPackage(community, "aig-aitraffic-oci", "A320", "DLH", 3);
    testsupport::writeAiPackage(community, "aig-aitraffic-oci", "B738", "RYR", 3);
    auto variables = environment();
    variables["SKYWEAVER_STANDIN_HOLD_SCAN_FILE"] = "B738_RYR";
    ProgramProcess program(work.path(), {}, variables);
    ASSERT_TRUE(program.waitForLogLine(
        "==> liveries search aborted, futs outer, Future wait timed out after 10 seconds", 60s))
        << program.log();
    ASSERT_TRUE(program.waitForLogLine("RealTraffic not detected at this PC", 30s)) << program.log();

    // The task still hangs when the user closes the window.
    const auto closedAt = std::chrono::steady_clock::now();
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForExit(10s), 0) << program.log();
    EXPECT_LE(std::chrono::steady_clock::now() - closedAt, 5s);
    const std::string log = program.log();
    EXPECT_NE(log.find("3 liveries found in"), std::string::npos) << log;
    EXPECT_NE(log.find("Exiting: USER CLOSED SIM"), std::string::npos) << log;
    EXPECT_NE(log.find("Scan task still running at exit, ending at once"), std::string::npos) << log;
}
