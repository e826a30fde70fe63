// The SimClient thread: connection, declarations, simulator identity, events,
// exceptions and the ends of a run.
#include "sim_link_fixture.h"

#include "simlink/user_aircraft.h"

using simlinktest::SimLinkTest;
using simlinktest::waitFor;

namespace {

TEST_F(SimLinkTest, DeclaresSubscriptionsDefinitionsAndEventsInOrder)
{
    connect();
    EXPECT_EQ(world().subscriptions(), (std::vector<std::pair<DWORD, std::string>>{
                                           {201, "Sim"}, {202, "ObjectAdded"}, {203, "ObjectRemoved"},
                                           {205, "FlightLoaded"}, {204, "Frame"}}));
    EXPECT_EQ(world().definitionIds(), (std::vector<DWORD>{407, 408, 409, 402, 403, 405, 406, 404, 401}));
    EXPECT_EQ(world().blockSize(402), 64u);
    EXPECT_EQ(world().blockSize(403), 96u);
    EXPECT_EQ(world().blockSize(404), 56u);
    EXPECT_EQ(world().blockSize(401), 24u);
    const auto mapped = world().mappedEvents();
    ASSERT_EQ(mapped.size(), 17u);
    EXPECT_EQ(mapped.front(), (std::pair<DWORD, std::string>{219, "GEAR_SET"}));
    EXPECT_EQ(mapped.back(), (std::pair<DWORD, std::string>{216, "FREEZE_ATTITUDE_SET"}));
    const auto group = world().groupEvents(301);
    std::vector<DWORD> groupIds;
    for (const auto& [event, maskable] : group) {
        groupIds.push_back(event);
        EXPECT_TRUE(maskable);
    }
    EXPECT_EQ(groupIds, (std::vector<DWORD>{207, 206, 210, 208, 209, 212, 211, 213, 217, 218, 219, 221, 222, 214,
                                            215, 216}));
    EXPECT_EQ(world().groupPriority(301), 1u);
    EXPECT_TRUE(world().exceptionsSent().empty()) << "every variable name is known to the simulator";
}

TEST_F(SimLinkTest, ConnectsAndTellsWhichSimulatorAnswered)
{
    connect();
    EXPECT_TRUE(waitFor([] { return g_simRunning.load(); }));
    EXPECT_TRUE(m_log.contains("Waiting for MSFS 2020 ..."));
    EXPECT_TRUE(m_log.contains("MSFS 2020 (11.0.282174.999) connected"));
    EXPECT_EQ(gf_statusLineText().message, "") << "the waiting message is cleared";
    world().setFlightRunning(false);
    EXPECT_TRUE(waitFor([] { return !g_simRunning.load(); }));
}

TEST_F(SimLinkTest, RetriesOpenUntilTheSimulatorAnswersAndWaitsOnce)
{
    world().setSimulatorRunning(false);
    startClient();
    ASSERT_TRUE(waitFor([] { return gf_statusLineText().message == "Waiting for MSFS 2020 ..."; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    world().setSimulatorRunning(true);
    ASSERT_TRUE(waitFor([] { return world().connected(); }));
    const auto lines = m_log.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Waiting for MSFS 2020 ..."), 1);
}

TEST_F(SimLinkTest, WrongSimulatorIsShownAsErrorWithoutStoppingTheRun)
{
    world().configure(simlinktest::steppedWorld(2024));
    startClient();
    ASSERT_TRUE(waitFor([] { return !gf_statusLineText().error.empty(); }));
    EXPECT_EQ(gf_statusLineText().error,
              "71: MSFS 2024 is running ..., switch Simulator, or select the right sim in the drop down list above");
    EXPECT_TRUE(threadEnded()) << "the connection is closed";
    EXPECT_FALSE(g_stopRequested.load());
}

TEST_F(SimLinkTest, SimulatorOtherThanTheTwoIsNamed)
{
    auto config = simlinktest::steppedWorld();
    config.applicationName = "Flight-Sim X!";
    world().configure(config);
    startClient();
    ASSERT_TRUE(waitFor([] { return !gf_statusLineText().error.empty(); }));
    EXPECT_EQ(gf_statusLineText().error, "77: 'FlightSim X' not being MSFS 2020 or MSFS 2024 connects ... ?");
}

TEST_F(SimLinkTest, PunctuationAroundTheNameStillIdentifiesTheSimulator)
{
    auto config = simlinktest::steppedWorld(2024);
    config.applicationName = "[SunRise]";
    world().configure(config);
    g_msfs2020.store(false);
    connect();
    EXPECT_TRUE(waitFor([this] { return m_log.contains("MSFS 2024 (12.1.282174.999) connected"); }));
}

TEST_F(SimLinkTest, QuitEndsTheRunAsSimWasClosed)
{
    connect();
    world().quit();
    EXPECT_TRUE(waitFor([] { return g_stopRequested.load(); }));
    EXPECT_EQ(gf_exitReason(), ExitReason::SimWasClosed);
    EXPECT_FALSE(g_simRunning.load());
    m_client.join();
    EXPECT_EQ(g_hSimConnect, nullptr);
    const auto lines = m_log.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.ends_with(" Flight Simulator no longer connected, Skyweaver will stop ...");
    }));
}

TEST_F(SimLinkTest, NewFlightEndsTheRunUnlessAStopCameFirst)
{
    connect();
    world().loadNewFlight("flights\\other.FLT");
    ASSERT_TRUE(waitFor([] { return g_stopRequested.load(); }));
    EXPECT_EQ(gf_exitReason(), ExitReason::NewFlight);
    EXPECT_TRUE(m_log.contains("SimConnect: New file event"));
}

TEST_F(SimLinkTest, ExceptionsAreReportedByTheirCode)
{
    struct Case {
        DWORD code;
        const char* logLine;
    };
    const Case cases[] = {
        {11, "SimConnect: too many objects (max 1000)"},
        {19, "SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE"},
        {23, "==> SimConnect exception: load flight plan failed"},
        {24, "SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE"},
        {3, "==> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"},
        {31, "==> SIMCONNECT_EXCEPTION #31"},
    };
    connect();
    gf_requestUserAcData();
    frames(1); // the user position is known: unrecognized ids are worth a line now
    for (const auto& [code, logLine] : cases) {
        world().raiseException(code, 0, 0);
        ASSERT_TRUE(world().waitUntilDelivered());
        EXPECT_TRUE(m_log.contains(logLine)) << code;
    }
    EXPECT_FALSE(g_stopRequested.load());
}

TEST_F(SimLinkTest, VersionMismatchEndsTheThreadWithItsError)
{
    connect();
    world().raiseException(SIMCONNECT_EXCEPTION_VERSION_MISMATCH, 0, 2);
    ASSERT_TRUE(threadEnded());
    EXPECT_EQ(gf_statusLineText().error, "95: SimConnect Version Mismatch, dwIndex: 2");
    EXPECT_FALSE(g_stopRequested.load());
    EXPECT_TRUE(m_log.contains("SimConnect closed ok"));
}

TEST_F(SimLinkTest, FailedRequestEndsTheRunWithSimConnectError)
{
    connect();
    world().failCall("SimConnect_RequestDataOnSimObjectType", E_FAIL);
    {
        std::lock_guard lock(g_simQueueMutex);
        if (SimConnect_RequestDataOnSimObjectType(g_hSimConnect, 101, 404, 1000, SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT) <
            0) {
            gf_simRequestError();
        }
    }
    EXPECT_TRUE(g_simLinkFailed.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::SimConnectError);
    EXPECT_EQ(g_restartDelaySeconds.load(), 9);
    EXPECT_EQ(gf_statusLineText().message, "SimConnect request error");
    EXPECT_TRUE(m_log.contains("SimConnect request error"));
}

} // namespace
