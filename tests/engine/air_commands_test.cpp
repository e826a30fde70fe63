#include "engine/air_commands.h"

#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "support/air_traffic.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace testsupport;

namespace {

constexpr std::uint32_t kObject = 7;

StaticAc lf_aircraft(Category category = Category::Large)
{
    StaticAc ac;
    ac.category = category;
    ac.objectId = kObject;
    return ac;
}


using Events = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

} // namespace

TEST(AirCommands, FlapsStepsSendTheirHandleValues)
{
    struct Case {
        std::uint32_t step;
        std::uint32_t value;
    };
    for (const Case& c : {Case{0, 0}, Case{1, 3072}, Case{2, 10240}, Case{3, 16383}, Case{4, 0}}) {
        StaticAc ac = lf_aircraft();
        ac.flapsIndex = c.step == 0 ? 1 : 0;
        gf_setFlaps(ac, c.step);
        EXPECT_EQ(takeQueuedEvents(kObject), (Events{{kEventFlapsSet, c.value}})) << "step " << c.step;
        EXPECT_EQ(ac.flapsIndex, c.step);
    }
}

TEST(AirCommands, RepeatedFlapsStepSendsNothing)
{
    StaticAc ac = lf_aircraft();
    gf_setFlaps(ac, 2);
    gf_setFlaps(ac, 2);
    EXPECT_EQ(takeQueuedEvents(kObject), (Events{{kEventFlapsSet, 10240}}));
}

TEST(AirCommands, FlapsStepAboveFourIsLoggedAndNotSent)
{
    TempFolder folder(true);
    LogCapture log;
    StaticAc ac = lf_aircraft();
    gf_setFlaps(ac, 5);
    EXPECT_TRUE(takeQueuedEvents(kObject).empty());
    EXPECT_TRUE(log.contains("gf_setFlaps: invalid flaps index"));
    EXPECT_EQ(ac.flapsIndex, 4u);
}

TEST(AirCommands, ThrottleStepFiveIsRememberedButNotSent)
{
    StaticAc ac = lf_aircraft();
    gf_setThrottle(ac, 3);
    gf_setThrottle(ac, 5);
    gf_setThrottle(ac, 3);
    gf_setThrottle(ac, 3);
    EXPECT_EQ(takeQueuedEvents(kObject), (Events{{kEventThrottleSet, 11468}, {kEventThrottleSet, 11468}}));
}

TEST(AirCommands, ThrottleStepsSendTheirLeverValues)
{
    const std::vector<std::uint32_t> values{0, 4914, 8191, 11468, 16383};
    StaticAc ac = lf_aircraft();
    Events expected;
    for (std::uint32_t step = 0; step < values.size(); ++step) {
        gf_setThrottle(ac, step);
        expected.emplace_back(kEventThrottleSet, values[step]);
    }
    EXPECT_EQ(takeQueuedEvents(kObject), expected);
}

TEST(AirCommands, GearAndSpoilersAreSentEveryTime)
{
    StaticAc ac = lf_aircraft();
    gf_setGear(ac, true);
    gf_setGear(ac, true);
    gf_setGear(ac, false);
    gf_setSpoilers(ac, true);
    gf_setSpoilers(ac, false);
    EXPECT_EQ(takeQueuedEvents(kObject), (Events{{kEventGearSet, 1},
                                       {kEventGearSet, 1},
                                       {kEventGearSet, 0},
                                       {kEventSpoilersSet, 16383},
                                       {kEventSpoilersSet, 0}}));
}

TEST(AirCommands, RotorcraftGetsThrottleOnly)
{
    StaticAc ac = lf_aircraft(Category::Rotorcraft);
    gf_setGear(ac, false);
    gf_setSpoilers(ac, true);
    gf_setFlaps(ac, 1);
    gf_setThrottle(ac, 4);
    EXPECT_EQ(takeQueuedEvents(kObject), (Events{{kEventThrottleSet, 16383}}));
}

TEST(AirCommands, AircraftNotYetInTheSimulatorGetsNothing)
{
    // Object 0 addresses the user aircraft: it must never receive an AI command.
    StaticAc ac = lf_aircraft();
    ac.objectId = 0;
    gf_setGear(ac, false);
    gf_setThrottle(ac, 4);
    gf_setLights(ac, kAllLights);
    {
        std::lock_guard lock(g_simQueueMutex);
        EXPECT_TRUE(g_eventQueue.empty());
    }
    EXPECT_EQ(ac.throttleIndex, kThrottleNotSent);
}

TEST(AirCommands, LightStatesGoOutInTheLinkOrder)
{
    StaticAc ac = lf_aircraft();
    gf_setLights(ac, kCruiseLights);
    EXPECT_EQ(takeQueuedEvents(kObject), (Events{{kEventNavLightsSet, 1},
                                       {kEventBeaconLightsSet, 1},
                                       {kEventLandingLightsSet, 0},
                                       {kEventTaxiLightsSet, 0},
                                       {kEventStrobesSet, 0},
                                       {kEventLogoLightsSet, 0},
                                       {kEventCabinLightsSet, 1}}));
}
