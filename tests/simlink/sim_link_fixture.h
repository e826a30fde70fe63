// Runs the SimClient thread against the simulated simulator on its stepped
// clock, in a temporary working folder with "Log.txt" open.
#pragma once

#include "app/exit_reason.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "platform/standin/simworld.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace simlinktest {

inline constexpr const char* kInstalledTitle = "Airbus A320 Skyweaver Air";

inline bool waitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(3000))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline standin::SimWorldConfig steppedWorld(int year = 2020)
{
    auto config = standin::SimWorldConfig::forSimulator(year);
    config.clock = standin::SimClock::Stepped;
    config.installedTitles = {kInstalledTitle};
    config.terrainElevationFt = 400.0;
    config.staticCgFt = 7.0;
    config.user.latitude = 47.0;
    config.user.longitude = 8.0;
    return config;
}

class SimLinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        world().configure(steppedWorld());
        g_msfs2020.store(true);
        gf_resetSimQueues();
    }

    void TearDown() override
    {
        if (m_client.joinable()) {
            m_client.request_stop();
            m_client.join();
        }
    }

    static standin::SimWorld& world() { return standin::SimWorld::instance(); }

    void startClient() { m_client = std::jthread([](std::stop_token token) { gf_simClientThread(token); }); }

    // Starts the thread and waits until it has declared everything and taken the OPEN record.
    void connect()
    {
        startClient();
        ASSERT_TRUE(waitFor([] { return world().groupPriority(kGroupAiCommands).has_value(); }));
        ASSERT_TRUE(world().waitUntilDelivered());
    }

    // Simulated frames, each handled by the client before the next.
    void frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            world().stepFrames(1);
            ASSERT_TRUE(world().waitUntilDelivered());
        }
    }

    // The engine's within-range probe, as the main loop makes it.
    void probeInRange()
    {
        std::lock_guard lock(g_simQueueMutex);
        SimConnect_RequestDataOnSimObjectType(g_hSimConnect, kRequestAcInRange, kDefinitionInRange, 10000,
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }

    std::vector<SimResult> takeResults()
    {
        std::lock_guard lock(g_simResultMutex);
        return std::exchange(g_simResults, {});
    }

    bool threadEnded() { return waitFor([] { return !world().connected(); }); }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
    std::jthread m_client;
};

} // namespace simlinktest
