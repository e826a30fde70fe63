// Creation and identification explored: aircraft of a small feed appear around the user at the
// airport, turn, fall silent and leave the range, while the simulator pauses, removes objects on
// its own and hands out its object ids in any order, and the user changes the range and the live
// limit. Their lines go through the traffic queue into the engine's own tick, with the SimClient
// thread and the simulated simulator; after every simulated second the objects in the simulator
// and the live aircraft must look right to a user.
#include "../engine/ground_sim.h"

#include "app/tick_state.h"
#include "core/random_choice.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/unconfirmed_creations.h"
#include "simlink/flight_plans.h"
#include "simlink/user_aircraft.h"
#include "support/engine_fixture.h"
#include "support/program_state.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"
#include "ui/engine_requests.h"
#include "ui/range_control.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <map>

using namespace groundtest;

namespace {

struct Flight {
    std::uint32_t hexid;
    const char* callsign;
    const char* type;
};
constexpr std::array<Flight, 6> kFlights{{{0x4B1001, "SWR101", "A320"},
                                          {0x4B1002, "SWR202", "A320"},
                                          {0x3C1003, "DLH303", "A320"},
                                          {0x3C1004, "DLH404", "B738"},
                                          {0x481005, "KLM505", "B738"},
                                          {0x481006, "KLM606", "B738"}}};

constexpr double kEpoch = 1765100000.0;
constexpr int kLineTicks = 1000; // a flight in the feed sends a line every 10 s
// The simulator runs 4 frames a second: a slow simulator, which keeps a case short.
constexpr int kFrameTicks = 25;
constexpr double kSpeedKt = 250.0;
constexpr double kAltitudeFt = 6000.0;
// A live aircraft's object is identified within a few scans; a late object is removed at once.
constexpr int kMostOrphanTicks = 1500;
// Identified, an object waits 2 s before its aircraft becomes active.
constexpr int kMostAddingTicks = kCreationGiveUpTicks + 200 + 300;
// With more aircraft in range than the limit, the limit is reached within this while frames run.
constexpr int kMostStarvedTicks = 9000;

struct Feed {
    bool seen = false;
    bool silent = false;
    LatLon from;
    double headingDeg = 0.0;
    std::int32_t start = 0;     // tick the current leg began
    std::int32_t firstLine = 0; // tick of the first line since it was last seen
};

struct Model {
    std::array<bool, kFlights.size()> seen{};
    std::array<bool, kFlights.size()> silent{};
};

std::string lf_flightName(std::size_t flight)
{
    return fmt::format("{} ({})", kFlights[flight].callsign, kFlights[flight].type);
}

} // namespace

class CreationRules : public GroundSim {
public:
    void SetUp() override
    {
        // Every case starts from a fresh process's state, as every test does.
        testsupport::resetProgramState();
        GroundSim::SetUp();
        RANDOM.value = false;
        AUTO_RANGE.value = false;
        MAX_LIVE_SEL.value = 3;
        gf_pickManualRange(20);
        g_userAcData.latitude = kAirport.lat;
        g_userAcData.longitude = kAirport.lon;
        g_userOnGround = true;
        g_rng.seed(11);
        testsupport::fillSmallAircraftTables();
        // Each flight's livery was matched before: the title kept for its address.
        for (const Flight& flight : kFlights)
            g_liveryTitleCache[flight.hexid] = simlinktest::kInstalledTitle;
        setLoopRunning(true);
        connect();
    }

    void TearDown() override
    {
        world().setFramesStopped(false);
        setLoopRunning(false);
        GroundSim::TearDown();
    }

    std::array<Feed, kFlights.size()> feeds;
    bool paused = false;

    LatLon feedPlace(const Feed& feed) const
    {
        const double feet = (g_engineTick - feed.start) / 100.0 * kSpeedKt * 6076.12 / 3600.0;
        return gf_destinationPoint(feed.from, feed.headingDeg * kDeg, feet);
    }

    // One line of the flight, as the traffic reader queues it: beyond the range it drops it.
    void sendLine(std::size_t flight)
    {
        const LatLon place = feedPlace(feeds[flight]);
        if (gf_distanceNm(kAirport, place) > g_rangeNm.load())
            return;
        TrafficRecord rec;
        rec.hexid = kFlights[flight].hexid;
        rec.callsign = kFlights[flight].callsign;
        rec.type = kFlights[flight].type;
        rec.time = kEpoch + g_engineTick / 100.0;
        rec.sample.latitude = place.lat;
        rec.sample.longitude = place.lon;
        rec.sample.altitude = kAltitudeFt;
        rec.sample.groundSpeed = kSpeedKt;
        rec.sample.trueAirspeed = kSpeedKt;
        rec.sample.track = feeds[flight].headingDeg;
        rec.sample.airborne = 1;
        rec.sample.dueTick = g_engineTick + 3000;
        const std::lock_guard lock(g_trafficMutex);
        g_trafficQueue.push_back(std::move(rec));
    }

    // Engine ticks as the main loop runs them, the window's requests served after each; every
    // flight in the feed sends a line every 10 s; the rules are checked every second.
    void run(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            lf_handleAddingStack();
            gf_serveHandlerRequests();
            if (g_engineTick % 100 == 0)
                check();
            if (g_engineTick % kFrameTicks == 0)
                frames(1);
            if (g_engineTick % kLineTicks == 0) {
                for (std::size_t flight = 0; flight < kFlights.size(); ++flight) {
                    if (feeds[flight].seen && !feeds[flight].silent)
                        sendLine(flight);
                }
            }
        }
    }

    void pause(bool paused_)
    {
        paused = paused_;
        world().setFramesStopped(paused);
    }

    // What a user would see go wrong, checked every simulated second.
    void check()
    {
        checkLiveLimit();
        checkObjects();
        checkAdding();
        checkLimitReached();
    }

    void checkLiveLimit()
    {
        const auto active = std::count_if(g_liveAcs.begin(), g_liveAcs.end(),
                                          [](const LiveAc& ac) { return ac.simState == SimState::active; });
        if (active > MAX_LIVE_SEL.value + 0)
            RC_FAIL(fmt::format("{} live aircraft active over the limit of {}", active, MAX_LIVE_SEL.value.load()));
    }

    // Every object of ours alive in the simulator belongs to one record, soon after it came; every
    // active record's object is alive. Aircraft are created within the range, so an object up to
    // a mile beyond it counts too; one farther out (the range was made smaller) counts once the
    // range reaches it.
    void checkObjects()
    {
        std::map<DWORD, std::vector<std::string>> owners;
        for (const LiveAc& ac : g_liveAcs) {
            if (ac.objectId == 0)
                continue;
            owners[ac.objectId].push_back(ac.callsign);
            const auto object = world().object(ac.objectId);
            if (ac.simState == SimState::active && (!object || !object->alive))
                RC_FAIL(fmt::format("{} is active on object {}, which the simulator no longer has", ac.callsign,
                                    ac.objectId));
        }
        for (const DWORD id : world().aliveAiObjects()) {
            const auto object = world().object(id);
            const auto owner = owners.find(id);
            if (owner != owners.end() && owner->second.size() > 1)
                RC_FAIL(fmt::format("object {} belongs to {}", id, fmt::join(owner->second, " and ")));
            const bool readable = gf_distanceNm(kAirport, {object->latitude, object->longitude}) * 1852.0 <
                                  g_rangeMeters.load() + 1852.0;
            int& orphan = m_orphanTicks[id];
            orphan = owner == owners.end() && readable && !paused ? orphan + 100 : 0;
            if (orphan > kMostOrphanTicks)
                RC_FAIL(fmt::format("object {} ('{}') has run {} s in range without an aircraft of ours", id,
                                    object->tailNumber, orphan / 100));
        }
    }

    // Nothing waits in adding2sim beyond the give-up bound while frames run.
    void checkAdding()
    {
        std::map<std::uint32_t, int> waiting;
        for (const LiveAc& ac : g_liveAcs) {
            if (ac.simState != SimState::adding2sim || ac.createSentTick < 0)
                continue;
            const int ticks = m_addingTicks[ac.hexid] + (paused ? 0 : 100);
            waiting[ac.hexid] = ticks;
            if (ticks > kMostAddingTicks)
                RC_FAIL(fmt::format("{} has waited {} s of running frames for its object", ac.callsign, ticks / 100));
        }
        m_addingTicks = std::move(waiting);
    }

    // While the feed offers more aircraft in range than the limit, the live aircraft reach it.
    void checkLimitReached()
    {
        int offered = 0;
        for (const Feed& feed : feeds) {
            const double nm = gf_distanceNm(kAirport, feedPlace(feed));
            offered += feed.seen && !feed.silent && g_engineTick - feed.firstLine > 4000 && nm > 3.0 &&
                       nm < g_rangeNm.load() - 3.0;
        }
        const auto live = std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
            const bool coming = ac.simState == SimState::active || ac.simState == SimState::adding2sim;
            return coming && !ac.remove && !ac.removeOnArrival;
        });
        const bool starved = offered > MAX_LIVE_SEL.value && live < MAX_LIVE_SEL.value && !paused;
        m_starvedTicks = starved ? m_starvedTicks + 100 : 0;
        if (m_starvedTicks > kMostStarvedTicks)
            RC_FAIL(fmt::format("{} aircraft offered in range, but only {} live of the limit {} for {} s", offered,
                                live, MAX_LIVE_SEL.value.load(), m_starvedTicks / 100));
    }

    // A new stretch of time for the bounds: a change of range or limit starts them anew.
    void restartBounds() { m_starvedTicks = 0; }

private:
    static void setLoopRunning(bool running)
    {
        const std::lock_guard lock(g_trafficMutex);
        g_loopRunning = running;
    }

    std::map<DWORD, int> m_orphanTicks;
    std::map<std::uint32_t, int> m_addingTicks;
    int m_starvedTicks = 0;
};

namespace {

using Command = rc::state::Command<Model, CreationRules>;

std::size_t lf_anyFlight()
{
    return *rc::gen::inRange<std::size_t>(0, kFlights.size());
}

double lf_anyHeading()
{
    return *rc::gen::element(0.0, 90.0, 180.0, 270.0);
}

// A flight not in the feed (or silent) appears at a distance and bearing from the airport.
struct Appears : Command {
    std::size_t flight = lf_anyFlight();
    double km = *rc::gen::element(6.0, 15.0, 30.0, 60.0);
    double bearing = lf_anyHeading();
    double heading = lf_anyHeading();

    void checkPreconditions(const Model& m) const override { RC_PRE(!m.seen[flight] || m.silent[flight]); }
    void apply(Model& m) const override
    {
        m.seen[flight] = true;
        m.silent[flight] = false;
    }
    void run(const Model&, CreationRules& sut) const override
    {
        const LatLon from = gf_destinationPoint(kAirport, bearing * kDeg, km * 1000.0 / 0.3048);
        sut.feeds[flight] = Feed{true, false, from, heading, g_engineTick, g_engineTick};
        sut.sendLine(flight);
        sut.run(kLineTicks);
    }
    void show(std::ostream& os) const override
    {
        os << lf_flightName(flight) << " appears " << km << " km out on bearing " << bearing << ", flying "
           << heading;
    }
};

struct Turns : Command {
    std::size_t flight = lf_anyFlight();
    double heading = lf_anyHeading();

    void checkPreconditions(const Model& m) const override { RC_PRE(m.seen[flight] && !m.silent[flight]); }
    void run(const Model&, CreationRules& sut) const override
    {
        Feed& feed = sut.feeds[flight];
        feed.from = sut.feedPlace(feed);
        feed.start = g_engineTick;
        feed.headingDeg = heading;
        sut.run(kLineTicks / 2);
    }
    void show(std::ostream& os) const override { os << lf_flightName(flight) << " turns to " << heading; }
};

// The flight's lines stop, or it jumps beyond the range (the reader drops its lines from then).
struct FallsSilentOrLeaves : Command {
    std::size_t flight = lf_anyFlight();
    bool leaves = *rc::gen::arbitrary<bool>();

    void checkPreconditions(const Model& m) const override { RC_PRE(m.seen[flight] && !m.silent[flight]); }
    void apply(Model& m) const override { m.silent[flight] = !leaves; }
    void run(const Model&, CreationRules& sut) const override
    {
        Feed& feed = sut.feeds[flight];
        if (leaves) {
            feed.from = gf_destinationPoint(kAirport, 0.0, (g_rangeNm.load() + 5.0) * 6076.12);
            feed.start = g_engineTick;
            feed.headingDeg = 0.0;
        } else {
            feed.silent = true;
        }
        sut.run(kLineTicks / 2);
    }
    void show(std::ostream& os) const override
    {
        os << lf_flightName(flight) << (leaves ? " leaves the range" : " falls silent");
    }
};

struct PausesOrResumes : Command {
    void run(const Model&, CreationRules& sut) const override
    {
        sut.pause(!sut.paused);
        sut.run(kLineTicks);
    }
    void show(std::ostream& os) const override { os << "the simulator pauses or resumes"; }
};

// The simulator pauses for a while (frames stop; the feed goes on), then runs again.
struct PausesFor : Command {
    int seconds = *rc::gen::element(15, 45, 90);
    void run(const Model&, CreationRules& sut) const override
    {
        const bool wasPaused = sut.paused;
        sut.pause(true);
        sut.run(seconds * 100);
        sut.pause(wasPaused);
        sut.run(kLineTicks / 2);
    }
    void show(std::ostream& os) const override { os << "the simulator pauses for " << seconds << " s"; }
};

// The simulator takes one of the program's objects away on its own.
struct SimulatorRemovesAnObject : Command {
    std::size_t pick = *rc::gen::inRange<std::size_t>(0, 8);
    void run(const Model&, CreationRules& sut) const override
    {
        auto& world = standin::SimWorld::instance();
        const auto objects = world.aliveAiObjects();
        if (!objects.empty()) {
            world.removeObjectOnItsOwn(objects[pick % objects.size()]);
            world.waitUntilDelivered();
        }
        sut.run(kLineTicks / 2);
    }
    void show(std::ostream& os) const override { os << "the simulator removes object #" << pick << " on its own"; }
};

struct IdsComeInAnotherOrder : Command {
    standin::ObjectIdOrder order = *rc::gen::element(standin::ObjectIdOrder::Rising, standin::ObjectIdOrder::Falling,
                                                     standin::ObjectIdOrder::Scattered);
    std::uint32_t seed = *rc::gen::arbitrary<std::uint32_t>();
    void run(const Model&, CreationRules& sut) const override
    {
        standin::SimWorld::instance().setObjectIdOrder(order, seed);
        sut.run(kLineTicks / 2);
    }
    void show(std::ostream& os) const override
    {
        const char* names[] = {"rising", "falling", "scattered"};
        os << "the simulator's object ids come " << names[static_cast<int>(order)];
    }
};

// The user picks a range in the window's list.
struct RangeChanges : Command {
    int nm = *rc::gen::element(8, 20, 40);
    void run(const Model&, CreationRules& sut) const override
    {
        gf_pickManualRange(nm);
        sut.restartBounds();
        sut.run(kLineTicks);
    }
    void show(std::ostream& os) const override { os << "the user sets the range to " << nm << " nm"; }
};

// The user picks a live limit in the window's list.
struct LiveLimitChanges : Command {
    int limit = *rc::gen::element(1, 2, 3, 5);
    void run(const Model&, CreationRules& sut) const override
    {
        MAX_LIVE_SEL.value = limit;
        g_liveLimitLowered.store(true);
        sut.restartBounds();
        sut.run(kLineTicks);
    }
    void show(std::ostream& os) const override { os << "the user sets the live limit to " << limit; }
};

struct TimePasses : Command {
    int seconds = *rc::gen::element(5, 15, 30);
    void run(const Model&, CreationRules& sut) const override { sut.run(seconds * 100); }
    void show(std::ostream& os) const override { os << seconds << " s pass"; }
};

} // namespace

RC_GTEST_FIXTURE_PROP(CreationRules, EveryObjectBelongsToOneAircraftWhateverTheSimulatorDoes, ())
{
    const auto commands = *rc::gen::resize(
        6, rc::state::gen::commands(Model{}, rc::state::gen::execOneOfWithArgs<
                                                  Appears, Appears, Turns, FallsSilentOrLeaves, PausesOrResumes,
                                                  PausesFor, SimulatorRemovesAnObject, IdsComeInAnotherOrder,
                                                  RangeChanges, LiveLimitChanges, TimePasses, TimePasses>()));
    rc::state::runAll(commands, Model{}, *this);
    // Frames run again for a while: whatever happened settles.
    pause(false);
    run(10 * 100);
}
