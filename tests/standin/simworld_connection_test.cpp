// The simulated simulator's connection: open, the OPEN record, system events,
// QUIT, faults on demand and the stepped clock.
#include "simworld_test_client.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using simworldtest::Received;
using simworldtest::TestClient;
using standin::SimWorld;

namespace {

struct SimulatorCase {
    int year;
    const char* name;
    DWORD major;
};

class OpenRecordTest : public testing::TestWithParam<SimulatorCase> {};

TEST_P(OpenRecordTest, FirstDispatchNamesTheSimulatorAndItsVersion)
{
    SimWorld::instance().configure(simworldtest::steppedWorld(GetParam().year));
    TestClient client;
    ASSERT_EQ(client.open(), S_OK);
    const auto records = client.dispatch();
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].id(), DWORD(SIMCONNECT_RECV_ID_OPEN));
    const auto open = records[0].as<SIMCONNECT_RECV_OPEN>();
    EXPECT_STREQ(open.szApplicationName, GetParam().name);
    EXPECT_EQ(open.dwApplicationVersionMajor, GetParam().major);
    EXPECT_EQ(records[0].bytes.size(), sizeof(SIMCONNECT_RECV_OPEN));
    EXPECT_TRUE(client.dispatch().empty());
}

INSTANTIATE_TEST_SUITE_P(Simulators, OpenRecordTest,
                         testing::Values(SimulatorCase{2020, "KittyHawk", 11}, SimulatorCase{2024, "SunRise", 12}));

TEST(SimWorldConnection, RefusesOpenAsOftenAsToldThenOpens)
{
    auto config = simworldtest::steppedWorld();
    config.refuseOpenCount = 2;
    SimWorld::instance().configure(config);
    TestClient client;
    EXPECT_LT(client.open(), 0);
    EXPECT_EQ(client.handle, nullptr);
    EXPECT_LT(client.open(), 0);
    EXPECT_EQ(client.open(), S_OK);
    EXPECT_NE(client.handle, nullptr);
    EXPECT_TRUE(SimWorld::instance().connected());
}

TEST(SimWorldConnection, RefusesOpenWhileTheSimulatorDoesNotRun)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    SimWorld::instance().setSimulatorRunning(false);
    TestClient client;
    EXPECT_LT(client.open(), 0);
    SimWorld::instance().setSimulatorRunning(true);
    EXPECT_EQ(client.open(), S_OK);
}

TEST(SimWorldConnection, SimEventFollowsSubscriptionWhileTheFlightRuns)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    TestClient client;
    client.open();
    client.dispatch();
    SimConnect_SubscribeToSystemEvent(client.handle, 201, "Sim");
    auto events = client.dispatchOf(SIMCONNECT_RECV_ID_EVENT);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].as<SIMCONNECT_RECV_EVENT>().uEventID, 201u);
    EXPECT_EQ(events[0].as<SIMCONNECT_RECV_EVENT>().dwData, 1u);

    SimWorld::instance().setFlightRunning(false);
    events = client.dispatchOf(SIMCONNECT_RECV_ID_EVENT);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].as<SIMCONNECT_RECV_EVENT>().dwData, 0u);
}

TEST(SimWorldConnection, NewFlightArrivesAsFileNameEvent)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    TestClient client;
    client.open();
    SimConnect_SubscribeToSystemEvent(client.handle, 205, "FlightLoaded");
    client.dispatch();
    SimWorld::instance().loadNewFlight("flights\\LSZH.FLT");
    const auto events = client.dispatchOf(SIMCONNECT_RECV_ID_EVENT_FILENAME);
    ASSERT_EQ(events.size(), 1u);
    const auto record = events[0].as<SIMCONNECT_RECV_EVENT_FILENAME>();
    EXPECT_EQ(record.uEventID, 205u);
    EXPECT_STREQ(record.szFileName, "flights\\LSZH.FLT");
}

TEST(SimWorldConnection, QuitIsDeliveredOnceThenEveryCallFails)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    TestClient client;
    client.open();
    client.dispatch();
    SimWorld::instance().quit();
    const auto records = client.dispatch();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id(), DWORD(SIMCONNECT_RECV_ID_QUIT));
    EXPECT_LT(SimConnect_CallDispatch(client.handle, [](SIMCONNECT_RECV*, DWORD, void*) {}, nullptr), 0);
    EXPECT_LT(SimConnect_SubscribeToSystemEvent(client.handle, 204, "Frame"), 0);
    EXPECT_FALSE(SimWorld::instance().connected());
}

TEST(SimWorldConnection, NamedCallFailsWithTheGivenResult)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    TestClient client;
    client.open();
    SimWorld::instance().failCall("SimConnect_TransmitClientEvent", E_INVALIDARG);
    EXPECT_EQ(SimConnect_TransmitClientEvent(client.handle, 0, 206, 1, 301, 0), E_INVALIDARG);
    EXPECT_EQ(SimConnect_SubscribeToSystemEvent(client.handle, 204, "Frame"), S_OK);
    SimWorld::instance().clearCallFailures();
    SimConnect_MapClientEventToSimEvent(client.handle, 206, "BEACON_LIGHTS_SET");
    EXPECT_EQ(SimConnect_TransmitClientEvent(client.handle, 0, 206, 1, 301, 0), S_OK);
}

TEST(SimWorldConnection, RaisedExceptionCarriesCodeSendIdAndIndex)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    TestClient client;
    client.open();
    client.dispatch();
    for (DWORD code : {3u, 5u, 11u, 19u, 22u, 23u, 24u, 99u}) {
        SimWorld::instance().raiseException(code, 40 + code, 2);
        const auto records = client.dispatchOf(SIMCONNECT_RECV_ID_EXCEPTION);
        ASSERT_EQ(records.size(), 1u) << code;
        const auto exception = records[0].as<SIMCONNECT_RECV_EXCEPTION>();
        EXPECT_EQ(exception.dwException, code);
        EXPECT_EQ(exception.dwSendID, 40 + code);
        EXPECT_EQ(exception.dwIndex, 2u);
    }
}

TEST(SimWorldClock, SteppedClockSendsOneFrameEventPerFrameUntilStopped)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    TestClient client;
    client.open();
    SimConnect_SubscribeToSystemEvent(client.handle, 204, "Frame");
    client.dispatch();
    EXPECT_TRUE(client.dispatchOf(SIMCONNECT_RECV_ID_EVENT_FRAME).empty());
    SimWorld::instance().stepFrames(3);
    const auto frames = client.dispatchOf(SIMCONNECT_RECV_ID_EVENT_FRAME);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].as<SIMCONNECT_RECV_EVENT_FRAME>().uEventID, 204u);
    EXPECT_EQ(SimWorld::instance().frame(), 3u);

    SimWorld::instance().setFramesStopped(true);
    SimWorld::instance().stepSeconds(1);
    EXPECT_TRUE(client.dispatchOf(SIMCONNECT_RECV_ID_EVENT_FRAME).empty());
    EXPECT_EQ(SimWorld::instance().frame(), 33u);
}

TEST(SimWorldClock, RealTimeClockRunsFramesAtAboutThirtyHertz)
{
    auto config = simworldtest::steppedWorld();
    config.clock = standin::SimClock::RealTime;
    SimWorld::instance().configure(config);
    TestClient client;
    client.open();
    SimConnect_SubscribeToSystemEvent(client.handle, 204, "Frame");
    std::size_t frames = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < end) {
        frames += client.dispatchOf(SIMCONNECT_RECV_ID_EVENT_FRAME).size();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(frames, 5u);
    EXPECT_LE(frames, 16u);
}

TEST(SimWorldConnection, CloseTakesTheClientsObjectsAway)
{
    SimWorld::instance().configure(simworldtest::steppedWorld());
    TestClient client;
    client.open();
    SIMCONNECT_DATA_INITPOSITION position{47.0, 8.0, 0.0, 0.0, 0.0, 90.0, 1, 0};
    SimConnect_AICreateNonATCAircraft(client.handle, "Airbus A320 Skyweaver Air", "SWR12", position, 104);
    SimWorld::instance().stepFrames(2);
    ASSERT_EQ(SimWorld::instance().aliveAiObjects().size(), 1u);
    EXPECT_EQ(SimConnect_Close(client.handle), S_OK);
    EXPECT_TRUE(SimWorld::instance().aliveAiObjects().empty());
    EXPECT_LT(SimConnect_Close(client.handle), 0);
}

} // namespace
