// Live creations the simulator never confirms, through the real tick against the simulated
// simulator: they give their live slot back, and their objects never join a later aircraft.
#include "ground_sim.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/unconfirmed_creations.h"
#include "simlink/user_aircraft.h"

#include <algorithm>

using namespace groundtest;

namespace {

constexpr std::uint32_t kFarA = 0x4B1001, kFarB = 0x4B1002, kNear = 0x4B1003;
constexpr const char* kGivenUpLine = "not identified in the simulator 30 s after its creation, given up";

} // namespace

class UnconfirmedCreation : public GroundSim {
protected:
    void SetUp() override
    {
        GroundSim::SetUp();
        connect();
        MAX_LIVE_SEL.value = 2;
        g_userAcData.latitude = kAirport.lat;
        g_userAcData.longitude = kAirport.lon;
    }

    // An airborne aircraft eastM east of the user, flying east, waiting in the buffer with
    // its livery chosen; its first sample is due 2 s from now.
    static void buffer(std::uint32_t hexid, const std::string& callsign, double eastM)
    {
        const testsupport::TrackSpec track{.start = at(0, eastM), .trackDeg = 90.0, .groundSpeedKt = 150.0,
                                           .startAltitudeFt = 5000.0, .count = 40,
                                           .firstDueTick = g_engineTick.load() + 200};
        LiveAc ac = testsupport::makeActiveAc(Category::Large, 0, testsupport::makeTrack(track));
        ac.hexid = hexid;
        ac.callsign = callsign;
        ac.firstCallsign = callsign;
        ac.simState = SimState::buffer;
        ac.flightPhase = FlightPhase::birth;
        ac.livery = simlinktest::kInstalledTitle;
        g_liveAcs.push_back(std::move(ac));
    }

    std::size_t logged(const std::string& text) const
    {
        const auto lines = m_log.lines();
        return static_cast<std::size_t>(std::count_if(
            lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
    }

    static LiveAc* live(std::uint32_t hexid)
    {
        const auto found = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                        [hexid](const LiveAc& ac) { return ac.hexid == hexid; });
        return found == g_liveAcs.end() ? nullptr : &*found;
    }

    // The range shrinks to 10 nm with two aircraft buffered 30 and 35 km out: both are
    // created beyond the scan's radius (the range and a margin), never identified, and given up.
    std::vector<DWORD> giveUpTwoFarCreations()
    {
        g_rangeMeters = 10 * 1852;
        buffer(kFarA, "SWR1001", 30000);
        buffer(kFarB, "SWR1002", 35000);
        runTicks(kCreationGiveUpTicks + 500);
        EXPECT_EQ(logged(kGivenUpLine), 2u);
        EXPECT_EQ(live(kFarA), nullptr);
        EXPECT_EQ(live(kFarB), nullptr);
        const auto objects = world().aliveAiObjects();
        EXPECT_EQ(objects.size(), 2u);
        return objects;
    }

    // The aircraft, first seen 2 km from the user, becomes active on an object of its own.
    void becomesActiveNearTheUser(std::uint32_t hexid, const std::string& callsign)
    {
        buffer(hexid, callsign, 2000);
        runTicks(1000);
        const LiveAc* ac = live(hexid);
        ASSERT_NE(ac, nullptr);
        EXPECT_EQ(ac->simState, SimState::active);
        ASSERT_NE(ac->objectId, 0u);
        EXPECT_LT(metres(simAt(*ac), at(0, 2000)), 3000.0);
    }

    // The given-up objects come into the scan's range: each is removed from the simulator and
    // logged once; the aircraft created again keeps its own object.
    void lateObjectsGo(const std::vector<DWORD>& givenUp, std::uint32_t recreated)
    {
        const std::uint32_t own = live(recreated)->objectId;
        g_rangeMeters = 40 * 1852;
        runTicks(300);
        EXPECT_EQ(logged("object of a given-up creation turned up"), 2u);
        for (DWORD id : givenUp)
            EXPECT_FALSE(world().object(id)->alive) << id;
        ASSERT_NE(live(recreated), nullptr);
        EXPECT_EQ(live(recreated)->objectId, own);
        EXPECT_TRUE(world().object(own)->alive);
    }
};

TEST_F(UnconfirmedCreation, CreationsNeverConfirmedGiveTheirLiveSlotsBackToANewcomer)
{
    giveUpTwoFarCreations();
    becomesActiveNearTheUser(kNear, "SWR1003");
}

TEST_F(UnconfirmedCreation, LateObjectOfAGivenUpCreationIsRemovedAndNeverJoinsItsNextCreation)
{
    const auto givenUp = giveUpTwoFarCreations();
    // The same aircraft is created again near the user, identified while its first object is
    // still out of the scan's range, and that object turns up later.
    becomesActiveNearTheUser(kFarA, "SWR1001");
    lateObjectsGo(givenUp, kFarA);
}

TEST_F(UnconfirmedCreation, LateObjectTurningUpBeforeTheNextCreationIsIdentifiedIsRemoved)
{
    const auto givenUp = giveUpTwoFarCreations();
    // The range grows back while the aircraft created again still waits for its object.
    buffer(kFarA, "SWR1001", 2000);
    for (int i = 0; i < 300 && live(kFarA)->createSentTick < 0; ++i)
        runTicks(1);
    ASSERT_EQ(live(kFarA)->objectId, 0u);
    g_rangeMeters = 40 * 1852;
    runTicks(700);
    ASSERT_NE(live(kFarA), nullptr);
    EXPECT_EQ(live(kFarA)->simState, SimState::active);
    EXPECT_LT(metres(simAt(*live(kFarA)), at(0, 2000)), 3000.0);
    EXPECT_EQ(logged("object of a given-up creation turned up"), 2u);
    for (DWORD id : givenUp)
        EXPECT_FALSE(world().object(id)->alive) << id;
}

// Frames stop (a paused simulator, a loading screen) before the create went out: its wait does
// not run, and once frames come again the aircraft comes in on one object.
TEST_F(UnconfirmedCreation, PausedSimulatorGivesNothingUpAndTheAircraftComesInAfterIt)
{
    buffer(kNear, "SWR2001", 2000);
    world().setFramesStopped(true);
    runTicks(kCreationGiveUpTicks + 1000);
    ASSERT_NE(live(kNear), nullptr);
    ASSERT_GE(live(kNear)->createSentTick, 0);
    world().setFramesStopped(false);
    runTicks(600);
    EXPECT_EQ(logged(kGivenUpLine), 0u);
    ASSERT_NE(live(kNear), nullptr);
    EXPECT_EQ(live(kNear)->simState, SimState::active);
    EXPECT_EQ(world().aliveAiObjects(), std::vector<DWORD>{live(kNear)->objectId});
}
