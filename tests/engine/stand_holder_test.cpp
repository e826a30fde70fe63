// A stand is held by the live aircraft that chose it until that aircraft leaves: two
// aircraft never park on one stand, and every way out frees the stand for the next one.
#include "ground_sim.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/adding_stack.h"
#include "engine/life_cycle.h"
#include "engine/sample_checks.h"
#include "parking/static_parking.h"
#include "simlink/user_aircraft.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>

using namespace groundtest;

namespace {

constexpr double kStandsEastM = 300.0;

} // namespace

class StandHolder : public GroundSim {
protected:
    void SetUp() override
    {
        GroundSim::SetUp();
        RANDOM.value = false;
        g_rangeMeters = 40 * 1852;
        g_userAcData.latitude = kAirport.lat;
        g_userAcData.longitude = kAirport.lon;
    }

    // A taxiing aircraft of its own identity, created in the simulator.
    LiveAc taxiingAc(std::uint32_t hexid, const std::string& callsign, const std::vector<PosSample>& samples)
    {
        LiveAc ac = testsupport::makeActiveAc(Category::Large, 0, samples);
        ac.hexid = hexid;
        ac.callsign = callsign;
        ac.firstCallsign = callsign;
        ac.registration.clear();
        ac.simPosition[5] = kAirportElevationFt + airtest::kStaticCgFt;
        createInSimulator(ac);
        return ac;
    }

    // The program's engine tick with a simulator frame every third tick.
    void runTicks(int count)
    {
        for (int i = 0; i < count; ++i) {
            lf_handleAddingStack();
            if (i % 3 == 0) {
                frames(1);
            }
        }
    }

    LiveAc* live(std::uint32_t hexid)
    {
        const auto found = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                        [hexid](const LiveAc& ac) { return ac.hexid == hexid; });
        return found == g_liveAcs.end() ? nullptr : &*found;
    }
};

TEST_F(StandHolder, TwoTaxiingAircraftStoppingAtOneFreeStandNeverBothParkOnIt)
{
    addStand("B12", at(0, kStandsEastM), 0.0);
    numberStands();
    const LatLon south = at(-300, kStandsEastM), north = at(300, kStandsEastM);
    const std::int32_t t1 = ticksFor(south, at(-40, kStandsEastM), 7.0);
    g_liveAcs.push_back(taxiingAc(0x4B0001, "SWR101",
                                  {groundSample(south, 10, 0), groundSample(at(-40, kStandsEastM), 4, t1),
                                   groundSample(at(-10, kStandsEastM), 0, t1 + 1500)}));
    g_liveAcs.push_back(taxiingAc(0x4B0002, "SWR202",
                                  {groundSample(north, 10, 0), groundSample(at(40, kStandsEastM), 4, t1),
                                   groundSample(at(12, kStandsEastM), 0, t1 + 1500)}));
    g_engineTick = 0;
    runTicks(t1 + 8000);

    const auto parked = std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return ac.flightPhase == FlightPhase::parked && ac.standId == 1;
    });
    EXPECT_EQ(parked, 1);
    ASSERT_EQ(g_liveAcs.size(), 2u);
    EXPECT_FALSE(m_log.contains("wants to park there"));
    const LiveAc& holder = g_liveAcs[0].flightPhase == FlightPhase::parked ? g_liveAcs[0] : g_liveAcs[1];
    const LiveAc& other = &holder == &g_liveAcs[0] ? g_liveAcs[1] : g_liveAcs[0];
    EXPECT_EQ(g_stands[0].holder, holder.hexid);
    EXPECT_EQ(other.standId, 0);
    EXPECT_NE(other.flightPhase, FlightPhase::parked);
    EXPECT_TRUE(m_log.contains(fmt::format("B12     : {:8} arrived at stand", holder.callsign)));
    EXPECT_FALSE(m_log.contains(fmt::format("B12     : {:8} arrived at stand", other.callsign)));
}

TEST_F(StandHolder, EveryWayOutOfAStandFreesItForTheNextAircraft)
{
    struct Case {
        const char* way;
        std::function<void(LiveAc&)> leave;
    };
    const auto respawnAndGo = [](LiveAc& ac) {
        const std::uint32_t objectId = ac.objectId;
        liveryRespawn(ac);
        removeAircraftFromSim(ac);
        gf_removeFlightPlan(objectId);
    };
    const auto pullOut = [](LiveAc& ac) {
        PosSample s = groundSample(at(100, kStandsEastM), 5, 3000);
        checkExtendingSituations(ac, s);
    };
    const auto otherStand = [](LiveAc& ac) {
        ac.flightPhase = FlightPhase::taxi;
        ac.stream.assign(1, groundSample(at(0, kStandsEastM + 200), 0, 0));
        try2Park(ac, false);
    };
    const Case cases[] = {{"removal", [](LiveAc& ac) { removeAircraftFromSim(ac); }},
                          {"removal after a livery respawn", respawnAndGo},
                          {"pull-out", pullOut},
                          {"another stand", otherStand},
                          {"ground aircraft removed", [](LiveAc&) { gf_removeGroundAircraft(); }}};
    for (const Case& c : cases) {
        g_stands.clear();
        g_liveAcs.clear();
        addStand("B12", at(0, kStandsEastM), 0.0);
        addStand("B14", at(0, kStandsEastM + 200), 0.0);
        numberStands();
        g_liveAcs.push_back(taxiingAc(0x4B0001, "SWR101", {groundSample(at(-8, kStandsEastM), 0, 0)}));
        try2Park(g_liveAcs[0], false);
        ASSERT_EQ(g_stands[0].holder, 0x4B0001u) << c.way;
        g_liveAcs[0].flightPhase = FlightPhase::parked;
        c.leave(g_liveAcs[0]);
        frames(2);
        LiveAc next = testsupport::makeActiveAc(Category::Large, 0, {groundSample(at(8, kStandsEastM), 0, 0)});
        next.hexid = 0x4B0002;
        EXPECT_EQ(g_stands[0].holder, 0u) << c.way;
        EXPECT_EQ(lf_findFreeStand({next.stream[0].latitude, next.stream[0].longitude}, next, kNearStandNm, false),
                  &g_stands[0])
            << c.way;
    }
}
