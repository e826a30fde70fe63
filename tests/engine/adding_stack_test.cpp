// The engine tick: records per tick, paced creations and removals, the spawn list and
// the position hand-over.
#include "app/tick_state.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "support/engine_fixture.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using testsupport::trafficRecord;

namespace {

constexpr double kStart = 1765100000.0;

class AddingStackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::fillSmallAircraftTables();
        g_engineTick = 1;
    }

    static void queueRecords(int count)
    {
        const std::lock_guard lock(g_trafficMutex);
        for (int i = 0; i < count; ++i)
            g_trafficQueue.push_back(trafficRecord(5000000 + static_cast<std::uint32_t>(i), kStart,
                                                   "KLM" + std::to_string(100 + i)));
    }

    static std::size_t queued()
    {
        const std::lock_guard lock(g_trafficMutex);
        return g_trafficQueue.size();
    }

    static CreateRequest request(std::uint32_t id)
    {
        CreateRequest request;
        request.aircraftId = id;
        request.callsign = std::to_string(id);
        return request;
    }

    // The ticks at which each create request reached the simulator link, in order.
    static std::vector<std::pair<std::int32_t, std::uint32_t>> runTicks(int ticks)
    {
        std::vector<std::pair<std::int32_t, std::uint32_t>> sent;
        for (int i = 0; i < ticks; ++i) {
            const std::int32_t tick = g_engineTick;
            lf_handleAddingStack();
            const std::lock_guard lock(g_simQueueMutex);
            for (const auto& created : g_createQueue)
                sent.emplace_back(tick, created.aircraftId);
            g_createQueue.clear();
        }
        return sent;
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
};

TEST_F(AddingStackTest, TakesAtMostTwoRecordsPerTick)
{
    queueRecords(5);
    lf_handleAddingStack();
    EXPECT_EQ(queued(), 3u);
    EXPECT_EQ(g_liveAcs.size(), 2u);
    lf_handleAddingStack();
    lf_handleAddingStack();
    EXPECT_EQ(queued(), 0u);
    EXPECT_EQ(g_liveAcs.size(), 5u);
    EXPECT_EQ(g_engineTick.load(), 4);
}

TEST_F(AddingStackTest, DroppedRecordsLeaveTheQueueToo)
{
    {
        const std::lock_guard lock(g_trafficMutex);
        g_trafficQueue.push_back(trafficRecord(5000001, kStart, "KLM1", "XXXX"));
        g_trafficQueue.push_back(trafficRecord(5000002, kStart, "KLM2"));
    }
    lf_handleAddingStack();
    EXPECT_EQ(queued(), 0u);
    ASSERT_EQ(g_liveAcs.size(), 1u);
    EXPECT_EQ(g_liveAcs.front().hexid, 5000002u);
}

TEST_F(AddingStackTest, CreationsArePacedAt500MsWithLiveAircraftFirst)
{
    g_addingStack.statics = {request(7), request(8)};
    g_addingStack.live = {request(5000001), request(5000002)};
    const std::vector<std::pair<std::int32_t, std::uint32_t>> expected = {
        {50, 5000001}, {100, 5000002}, {150, 7}, {200, 8}};
    EXPECT_EQ(runTicks(250), expected);
}

TEST_F(AddingStackTest, RemovalsArePacedAt100Ms)
{
    g_removalQueue = {31, 32, 33};
    std::vector<std::pair<std::int32_t, std::uint32_t>> removed;
    for (int i = 0; i < 35; ++i) {
        const std::int32_t tick = g_engineTick;
        lf_handleAddingStack();
        const std::lock_guard lock(g_simQueueMutex);
        for (const auto id : g_removeQueue)
            removed.emplace_back(tick, id);
        g_removeQueue.clear();
    }
    const std::vector<std::pair<std::int32_t, std::uint32_t>> expected = {{10, 31}, {20, 32}, {30, 33}};
    EXPECT_EQ(removed, expected);
}

TEST_F(AddingStackTest, SpawnListBuildsCreateRequestFromTheSimulatorPosition)
{
    queueRecords(1);
    lf_handleAddingStack();
    ASSERT_EQ(g_liveAcs.size(), 1u);
    LiveAc& ac = g_liveAcs.front();
    ac.simPosition = {52.3, 4.76, -0.05, 0.1, 1.5, 3500, 0, 250};
    ac.livery = "Boeing 737-800 KLM";
    g_spawnList = {ac.hexid, 999999};
    lf_handleAddingStack();  // 999999 is gone: nothing
    lf_handleAddingStack();
    ASSERT_EQ(g_addingStack.live.size(), 1u);
    const CreateRequest& created = g_addingStack.live.front();
    EXPECT_EQ(created.aircraftId, ac.hexid);
    EXPECT_EQ(created.callsign, "KLM100");
    EXPECT_EQ(created.title, "Boeing 737-800 KLM");
    EXPECT_DOUBLE_EQ(created.initPosition.Latitude, 52.3);
    EXPECT_DOUBLE_EQ(created.initPosition.Altitude, 3500);
    EXPECT_NEAR(created.initPosition.Pitch, -2.8647889756541161, 1e-12);
    EXPECT_NEAR(created.initPosition.Heading, 85.943669269623484, 1e-12);
    EXPECT_EQ(created.initPosition.OnGround, 0u);
    EXPECT_EQ(created.initPosition.Airspeed, 0u);
}

TEST_F(AddingStackTest, RemovedWaitingAircraftWithdrawsItsOwnRequestNotThatOfItsNamesake)
{
    {
        const std::lock_guard lock(g_trafficMutex);
        g_trafficQueue.push_back(trafficRecord(5000001, kStart, "KLM100", "B738"));
        g_trafficQueue.push_back(trafficRecord(5000002, kStart, "KLM100", "A320"));
    }
    lf_handleAddingStack();
    ASSERT_EQ(g_liveAcs.size(), 2u);
    for (LiveAc& ac : g_liveAcs) {
        ac.livery = "Boeing 737-800 KLM";
        ac.simState = SimState::adding2sim;
    }
    g_spawnList = {5000002, 5000001};
    lf_handleAddingStack();
    lf_handleAddingStack();
    ASSERT_EQ(g_addingStack.live.size(), 2u);
    removeAircraftFromSim(g_liveAcs[1]);
    EXPECT_TRUE(g_liveAcs[1].withdrawn);
    const auto sent = runTicks(120);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent.front().second, 5000001u);
}

TEST_F(AddingStackTest, AircraftWithoutCallsignIsLoggedNotCreated)
{
    auto rec = trafficRecord(5000001, kStart, "");
    rec.registration = "PH-BXA";
    {
        const std::lock_guard lock(g_trafficMutex);
        g_trafficQueue.push_back(rec);
    }
    lf_handleAddingStack();
    ASSERT_EQ(g_liveAcs.size(), 1u);
    g_spawnList = {5000001};
    lf_handleAddingStack();
    EXPECT_TRUE(g_addingStack.live.empty());
    // The description is the empty callsign and the aimo "{:3} {:4}" of no airline and B738.
    EXPECT_TRUE(m_log.contains("lf_handleAddingStack      B738 objectid = 0?"));
}

TEST_F(AddingStackTest, PositionsOfATickWithBusyQueueAreLost)
{
    std::promise<void> locked;
    std::promise<void> release;
    std::thread frameHandler([&] {
        const std::lock_guard lock(g_simQueueMutex);
        locked.set_value();
        release.get_future().wait();
    });
    locked.get_future().wait();
    g_positionFill->push_back(PositionItem{});
    lf_handleAddingStack();
    release.set_value();
    frameHandler.join();
    EXPECT_TRUE(g_positionFill->empty());
    EXPECT_TRUE(g_positionSend->empty());
    // The next tick hands its positions over.
    g_positionFill->push_back(PositionItem{});
    lf_handleAddingStack();
    EXPECT_EQ(g_positionSend->size(), 1u);
}

} // namespace
