#include "support/stepped_sim.h"

#include "app/tick_state.h"
#include "core/sim_choice.h"
#include "platform/standin/simworld.h"
#include "simlink/sim_client.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"

#include <chrono>
#include <mutex>

namespace testsupport {

namespace {

void lf_configureWorld(const SteppedSimSetup& setup)
{
    // The simulator the program is set to connect to.
    auto config = standin::SimWorldConfig::forSimulator(g_msfs2020.load() ? 2020 : 2024);
    config.clock = standin::SimClock::Stepped;
    config.installedTitles = setup.installedTitles;
    config.terrainElevationFt = setup.terrainElevationFt;
    config.staticCgFt = setup.staticCgFt;
    config.user.latitude = setup.user.lat;
    config.user.longitude = setup.user.lon;
    auto& world = standin::SimWorld::instance();
    world.configure(config);
    world.setRecording(false);
    gf_resetSimQueues();
}

void lf_requestUserData()
{
    {
        std::lock_guard lock(g_simQueueMutex);
        SimConnect_RequestDataOnSimObject(g_hSimConnect, kRequestUserOnGround, kDefinitionUserOnGround,
                                          SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SECOND, 0, 0, 0, 0);
    }
    while (!g_userDataReceived.load()) {
        g_userAcData = gf_requestUserAcData();
        SteppedSimLink::frame();
    }
    g_userAcData = gf_requestUserAcData();
    SteppedSimLink::frame();
    g_userAcData = gf_requestUserAcData();
}

} // namespace

SteppedSimLink::SteppedSimLink(const SteppedSimSetup& setup)
{
    lf_configureWorld(setup);
    g_simClientThread = std::jthread([](std::stop_token token) { gf_simClientThread(token); });
    while (!g_simRunning.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        frame();
    }
    lf_requestUserData();
}

SteppedSimLink::~SteppedSimLink()
{
    close();
}

void SteppedSimLink::close()
{
    if (!g_simClientThread.joinable())
        return;
    g_simClientThread.request_stop();
    g_simClientThread.join();
}

void SteppedSimLink::frame()
{
    auto& world = standin::SimWorld::instance();
    world.stepFrames(1);
    world.waitUntilDelivered();
}

void SteppedSimLink::frameAtTick(std::int32_t tick)
{
    if (tick * 3 / 10 != (tick - 1) * 3 / 10)
        frame();
}

} // namespace testsupport
