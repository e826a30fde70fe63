// The stand rules explored: pilots of a small feed appear on stands, taxi in, push back, fall
// silent and come back, respawn, while the simulator's frames stop and resume. Their lines go
// through the engine's own intake and tick against the simulated simulator; after every step
// the stands must look right to a user.
#include "../engine/ground_sim.h"

#include "app/tick_state.h"
#include "core/random_choice.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/life_cycle.h"
#include "engine/stand_lookup.h"
#include "refdata/aircraft_db.h"
#include "simlink/flight_plans.h"
#include "simlink/user_aircraft.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <array>

using namespace groundtest;

namespace {

struct Pilot {
    std::uint32_t hexid;
    const char* callsign;
    const char* type;
};
// Ghosts (a trailing '_') and the same callsign flown by aircraft of different types.
constexpr std::array<Pilot, 8> kPilots{{{0x4B0001, "SWR1", "A320"},
                                        {0x4B0002, "SWR1_", "A320"},
                                        {0x4B0003, "SWR1", "A388"},
                                        {0x3C0004, "DLH2", "A320"},
                                        {0x3C0005, "DLH2_", "A388"},
                                        {0x3C0006, "HEL3", "EC35"},
                                        {0x3C0007, "HEL3_", "EC35"},
                                        {0x390008, "AFR4", "A388"}}};

struct StandRow {
    const char* id;
    double eastM;
    double radiusM;
    bool heli;
};
// A1/A2 30 m apart: too close for any two aeroplanes; B1/B2 42 m apart: room for two A320s,
// not for an A388 beside anything; F far from all; H a helipad; S a small stand. B2 and F
// are too small for an A388, S for an A320 too.
constexpr std::array<StandRow, 7> kStands{{{"A1", 300, 42, false},
                                             {"A2", 330, 42, false},
                                             {"B1", 420, 42, false},
                                             {"B2", 462, 20, false},
                                             {"F", 600, 36, false},
                                             {"H", 700, 8, true},
                                             {"S", 800, 10, false}}};

constexpr double kEpoch = 1765100000.0;
constexpr int kLineTicks = 1000;  // a fed pilot sends a line every 10 s

// What the feed says of a pilot: where it is (moving from `from` to `to` at speedKt from
// tick `start`, then standing at `to`) and whether its lines come.
struct Feed {
    bool seen = false;
    bool silent = false;
    LatLon from, to;
    double speedKt = 0.0;
    std::int32_t start = 0;
};

// What the feed has done, as far as choosing the next event needs it.
struct Model {
    std::array<bool, kPilots.size()> seen{};
    std::array<bool, kPilots.size()> silent{};
};

std::string lf_pilotName(std::size_t pilot)
{
    return fmt::format("{} ({})", kPilots[pilot].callsign, kPilots[pilot].type);
}

} // namespace

// RapidCheck builds the fixture anew for every case: each starts from a fresh process's state.
struct FreshProgramState {
    FreshProgramState() { testsupport::resetBeforeEachTest(); }
};

class StandRules : private FreshProgramState, public GroundSim {
public:
    void SetUp() override
    {
        GroundSim::SetUp();
        RANDOM.value = false;
        HELICOPTERS.value = true;
        g_rangeMeters = 40 * 1852;
        g_userAcData.latitude = kAirport.lat;
        g_userAcData.longitude = kAirport.lon;
        g_userOnGround = true;
        g_rng.seed(7);
        testsupport::useAppDataRoot(m_folder.path());
        testsupport::writeSmallReferenceData(m_folder.path());
        ASSERT_TRUE(gf_readDbase());
        for (const StandRow& s : kStands) {
            addStand(s.id, at(0, s.eastM), 0.0, s.radiusM).heli = s.heli;
        }
        numberStands();
        // Each pilot's livery was matched before: the title kept for its address.
        for (const Pilot& pilot : kPilots) {
            g_liveryTitleCache[pilot.hexid] = simlinktest::kInstalledTitle;
        }
        setLoopRunning(true);
        connect();
    }

    void TearDown() override
    {
        world().setFramesStopped(false);
        setLoopRunning(false);
        GroundSim::TearDown();
    }

    std::array<Feed, kPilots.size()> feeds;
    bool framesStopped = false;
    bool checking = false;  // the invariants, in the property (they fail through RapidCheck)

    // The feed's position of the pilot now.
    LatLon feedPlace(const Feed& feed) const
    {
        const double metresGone = (g_engineTick - feed.start) / 100.0 * feed.speedKt * 1852.0 / 3600.0;
        const double total = metres(feed.from, feed.to);
        if (feed.speedKt <= 0.0 || metresGone >= total)
            return feed.to;
        const double f = metresGone / total;
        return {feed.from.lat + (feed.to.lat - feed.from.lat) * f, feed.from.lon + (feed.to.lon - feed.from.lon) * f};
    }

    // One line of the pilot, as the traffic reader queues it.
    void sendLine(std::size_t pilot)
    {
        const Feed& feed = feeds[pilot];
        const LatLon place = feedPlace(feed);
        const bool moving = feed.speedKt > 0.0 && !(place.lat == feed.to.lat && place.lon == feed.to.lon);
        TrafficRecord rec;
        rec.hexid = kPilots[pilot].hexid;
        rec.callsign = kPilots[pilot].callsign;
        rec.type = kPilots[pilot].type;
        rec.registration = fmt::format("HB-P{:02}", pilot);
        rec.time = kEpoch + g_engineTick / 100.0;
        rec.sample.latitude = place.lat;
        rec.sample.longitude = place.lon;
        rec.sample.groundSpeed = moving ? feed.speedKt : 0.0;
        rec.sample.trueAirspeed = rec.sample.groundSpeed;
        rec.sample.track = moving ? gf_bearingRad(feed.from, feed.to) / kDeg : 0.0;
        rec.sample.dueTick = g_engineTick + 3000;
        const std::lock_guard lock(g_trafficMutex);
        g_trafficQueue.push_back(std::move(rec));
    }

    // Engine ticks as the main loop runs them; every fed pilot sends a line every 10 s, and
    // the stands are checked after each 10 s when checking.
    void run(int ticks)
    {
        for (int done = 0; done < ticks; done += kLineTicks) {
            // The engine's tick with ten simulator frames a second while the program waits for
            // the simulator, one every 2 s otherwise (and while they are stopped): the stand
            // rules do not notice, and a case stays short.
            for (int i = 0; i < std::min(kLineTicks, ticks - done); ++i) {
                lf_handleAddingStack();
                if (i % (!framesStopped && waitingForSimulator() ? 10 : 200) == 0)
                    frames(1);
            }
            if (checking)
                checkStands();
            for (std::size_t pilot = 0; pilot < kPilots.size(); ++pilot) {
                if (feeds[pilot].seen && !feeds[pilot].silent)
                    sendLine(pilot);
            }
        }
    }

    static bool waitingForSimulator()
    {
        return !g_addingStack.live.empty() || !g_removalQueue.empty() ||
               std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
                   return ac.simState != SimState::active && ac.simState != SimState::buffer;
               });
    }

    static void stopFrames(bool stopped) { world().setFramesStopped(stopped); }

    static bool onItsWayOut(const LiveAc& ac)
    {
        return ac.remove || ac.withdrawn || ac.simState == SimState::removingfromsim ||
               (ac.simState == SimState::adding2sim && ac.removeOnArrival);
    }

    // What a user would see go wrong on the stands.
    void checkStands()
    {
        for (const Stand& stand : g_stands) {
            std::vector<std::string> parked;
            for (const LiveAc& ac : g_liveAcs) {
                if (ac.standId != stand.number || ac.flightPhase != FlightPhase::parked || onItsWayOut(ac))
                    continue;
                parked.push_back(ac.callsign);
                if (stand.heli != (ac.category == Category::Rotorcraft))
                    RC_FAIL(fmt::format("{} ({}) parked on {}, {} helipad", ac.callsign, ac.type, stand.id,
                                        stand.heli ? "a" : "not a"));
                if (ac.halfSpan - stand.radius > 0.001)
                    RC_FAIL(fmt::format("{} ({}) parked on {}, too small for it", ac.callsign, ac.type, stand.id));
                const bool staticThere = std::any_of(g_staticAcs.begin(), g_staticAcs.end(), [&](const StaticAc& s) {
                    return s.standId == stand.number && s.simState == SimState::active;
                });
                if (staticThere)
                    RC_FAIL(fmt::format("{} parked on {} where a static aircraft stands", ac.callsign, stand.id));
            }
            if (parked.size() > 1)
                RC_FAIL(fmt::format("{} parked on {} at once", fmt::join(parked, " and "), stand.id));
            if (const auto objects = objectsOnStand(stand); objects.size() > 1)
                RC_FAIL(fmt::format("{} stand within 5 m of {} in the simulator", fmt::join(objects, " and "),
                                    stand.id));
        }
        checkNeighbours();
        checkReplacementsTookTheStand();
    }

    // Aircraft parked on neighbour stands leave each other room. Two with the same callsign
    // are passed over: the neighbour test lets a newcomer beside an aircraft of its own
    // callsign, which is the same flight seen twice and leaves by the callsign rules.
    void checkNeighbours()
    {
        for (const LiveAc& a : g_liveAcs) {
            const Stand* stand = parkedOn(a);
            if (stand == nullptr)
                continue;
            for (const LiveAc& b : g_liveAcs) {
                const Stand* other = parkedOn(b);
                if (other == nullptr || a.callsign == b.callsign ||
                    std::find(stand->neighbours.begin(), stand->neighbours.end(),
                              static_cast<std::uint32_t>(other->number)) == stand->neighbours.end())
                    continue;
                const double apart = metres({stand->latitude, stand->longitude}, {other->latitude, other->longitude});
                const double room = (gf_wingspan(a.type) + gf_wingspan(b.type)) * 1.1 * 1852.0;
                if (apart <= room)
                    RC_FAIL(fmt::format("{} on {} and {} on {} parked {:.1f} m apart where they need {:.1f} m",
                                        a.callsign, stand->id, b.callsign, other->id, apart, room));
            }
        }
    }

    static const Stand* parkedOn(const LiveAc& ac)
    {
        if (ac.flightPhase != FlightPhase::parked || onItsWayOut(ac))
            return nullptr;
        return gf_standByNumber(ac.standId);
    }

    // Simulator objects within 5 m of the stand, of aircraft on their stands and not on their
    // way out. An aircraft that drove to a stand taken meanwhile is removed on arrival; one
    // that stopped on a stand it got no stand for (a helicopter on an aeroplane's stand)
    // stands there as its feed says, outside the stand rules.
    std::vector<std::string> objectsOnStand(const Stand& stand) const
    {
        std::vector<std::string> found;
        for (const LiveAc& ac : g_liveAcs) {
            if (ac.objectId == 0 || ac.standId == 0 || onItsWayOut(ac) || ac.simState != SimState::active)
                continue;
            const auto object = world().object(ac.objectId);
            if (object && !object->positions.empty() &&
                metres({object->positions.back().latitude, object->positions.back().longitude},
                       {stand.latitude, stand.longitude}) < 5.0)
                found.push_back(ac.callsign);
        }
        return found;
    }

    // Every aircraft removed for a newcomer was removed for one that took the stand: the
    // newcomer holds it, or stands there, or a later line tells what became of it there.
    void checkReplacementsTookTheStand()
    {
        const std::vector<std::string> lines = m_log.lines();
        for (std::size_t i = m_linesChecked; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            std::string newcomer;
            for (const char* marker : {"ghost, replace by ", "ac with same callsign ", "another live ", ", "}) {
                const auto at = line.find(marker);
                if (at != std::string::npos && (std::string(marker) != ", " || line.ends_with("wants to park there"))) {
                    newcomer = line.substr(at + std::string(marker).size());
                    newcomer = newcomer.substr(0, newcomer.find(' '));
                    break;
                }
            }
            if (newcomer.empty() || line.find(" removed by parking ") != std::string::npos)
                continue;
            const std::string stand = line.substr(0, line.find(' '));
            const bool holds = std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [&](const LiveAc& ac) {
                return ac.callsign == newcomer && gf_standName(ac.standId) == stand;
            });
            const bool toldLater = std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end(),
                                               [&](const std::string& later) {
                                                   return later.starts_with(fmt::format("{:8}: {:8} ", stand, newcomer));
                                               });
            if (!holds && !toldLater)
                RC_FAIL(fmt::format("\"{}\", but {} did not take {}", line, newcomer, stand));
        }
        m_linesChecked = lines.size();
    }

private:
    static void setLoopRunning(bool running)
    {
        const std::lock_guard lock(g_trafficMutex);
        g_loopRunning = running;
    }

    std::size_t m_linesChecked = 0;
};

namespace {

using Command = rc::state::Command<Model, StandRules>;

// A choice spread over all its values whatever the size of the case.
template <class Gen>
auto lf_pick(Gen gen)
{
    return *rc::gen::resize(100, std::move(gen));
}

std::size_t lf_anyPilot()
{
    return lf_pick(rc::gen::inRange<std::size_t>(0, kPilots.size()));
}

std::size_t lf_anyStand()
{
    return lf_pick(rc::gen::inRange<std::size_t>(0, kStands.size()));
}

// A pilot not yet in the feed (or silent) is first seen standing on a stand or near it.
struct FirstSeenOnStand : Command {
    std::size_t pilot = lf_anyPilot();
    std::size_t stand = lf_anyStand();
    double offsetM = lf_pick(rc::gen::element(0.0, 6.0, 25.0));

    void checkPreconditions(const Model& m) const override { RC_PRE(!m.seen[pilot] || m.silent[pilot]); }
    void apply(Model& m) const override
    {
        m.seen[pilot] = true;
        m.silent[pilot] = false;
    }
    void run(const Model&, StandRules& sut) const override
    {
        const LatLon p = at(-offsetM, kStands[stand].eastM);
        sut.feeds[pilot] = Feed{true, false, p, p, 0.0, 0};
        sut.sendLine(pilot);
        sut.run(kLineTicks);
    }
    void show(std::ostream& os) const override
    {
        os << lf_pilotName(pilot) << " is first seen standing " << offsetM << " m south of " << kStands[stand].id;
    }
};

// A pilot taxis toward a stand (from 60 m south of it when new to the feed) and stops short of it.
struct TaxisIn : Command {
    std::size_t pilot = lf_anyPilot();
    std::size_t stand = lf_anyStand();
    double stopM = lf_pick(rc::gen::element(4.0, 15.0, 30.0));

    void apply(Model& m) const override
    {
        m.seen[pilot] = true;
        m.silent[pilot] = false;
    }
    void run(const Model&, StandRules& sut) const override
    {
        Feed& feed = sut.feeds[pilot];
        const bool fresh = !feed.seen || feed.silent;
        const LatLon from = fresh ? at(-60, kStands[stand].eastM) : sut.feedPlace(feed);
        feed = Feed{true, false, from, at(-stopM, kStands[stand].eastM), 8.0, g_engineTick};
        sut.sendLine(pilot);
        sut.run(3 * kLineTicks);
    }
    void show(std::ostream& os) const override
    {
        os << lf_pilotName(pilot) << " taxis to " << stopM << " m south of " << kStands[stand].id;
    }
};

// A pilot pushes back 80 m south and stands there.
struct PushesBack : Command {
    std::size_t pilot = lf_anyPilot();

    void checkPreconditions(const Model& m) const override { RC_PRE(m.seen[pilot] && !m.silent[pilot]); }
    void run(const Model&, StandRules& sut) const override
    {
        Feed& feed = sut.feeds[pilot];
        const LatLon from = sut.feedPlace(feed);
        const LatLon to = gf_destinationPoint(from, 180.0 * kDeg, 80.0 / 0.3048);
        feed = Feed{true, false, from, to, 5.0, g_engineTick};
        sut.sendLine(pilot);
        sut.run(3 * kLineTicks);
    }
    void show(std::ostream& os) const override { os << lf_pilotName(pilot) << " pushes back and taxis out"; }
};

struct FallsSilent : Command {
    std::size_t pilot = lf_anyPilot();
    void checkPreconditions(const Model& m) const override { RC_PRE(m.seen[pilot] && !m.silent[pilot]); }
    void apply(Model& m) const override { m.silent[pilot] = true; }
    void run(const Model&, StandRules& sut) const override { sut.feeds[pilot].silent = true; }
    void show(std::ostream& os) const override { os << "the feed of " << lf_pilotName(pilot) << " falls silent"; }
};

struct FeedReturns : Command {
    std::size_t pilot = lf_anyPilot();
    void checkPreconditions(const Model& m) const override { RC_PRE(m.seen[pilot] && m.silent[pilot]); }
    void apply(Model& m) const override { m.silent[pilot] = false; }
    void run(const Model&, StandRules& sut) const override
    {
        sut.feeds[pilot].silent = false;
        sut.sendLine(pilot);
        sut.run(kLineTicks);
    }
    void show(std::ostream& os) const override { os << "the feed of " << lf_pilotName(pilot) << " comes back"; }
};

// The pilot's aircraft is created again with another livery.
struct LiveryRespawn : Command {
    std::size_t pilot = lf_anyPilot();
    void run(const Model&, StandRules& sut) const override
    {
        const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                     [&](const LiveAc& ac) { return ac.hexid == kPilots[pilot].hexid; });
        if (it != g_liveAcs.end() && it->simState == SimState::active)
            liveryRespawn(*it);
        sut.run(kLineTicks);
    }
    void show(std::ostream& os) const override { os << lf_pilotName(pilot) << " is respawned with a new livery"; }
};

struct FramesStopOrResume : Command {
    void run(const Model&, StandRules& sut) const override
    {
        sut.framesStopped = !sut.framesStopped;
        sut.stopFrames(sut.framesStopped);
        sut.run(kLineTicks / 2);
    }
    void show(std::ostream& os) const override { os << "the simulator's frames stop or resume"; }
};

struct TimePasses : Command {
    int seconds = lf_pick(rc::gen::element(10, 30, 90));
    void run(const Model&, StandRules& sut) const override { sut.run(seconds * 100); }
    void show(std::ostream& os) const override { os << seconds << " s pass"; }
};

} // namespace

RC_GTEST_FIXTURE_PROP(StandRules, StandsStayRightWhateverTheFeedDoes, ())
{
    const auto commands = *rc::gen::resize(
        20, rc::state::gen::commands(Model{}, rc::state::gen::execOneOfWithArgs<FirstSeenOnStand, TaxisIn, PushesBack,
                                                                                FallsSilent, FeedReturns, LiveryRespawn,
                                                                                FramesStopOrResume, TimePasses>()));
    checking = true;
    rc::state::runAll(commands, Model{}, *this);
    framesStopped = false;
    world().setFramesStopped(false);
    run(20 * 100);
}

namespace {

// What a user could see of the live aircraft and the stands.
std::string lf_standsAndAircraft()
{
    std::string text;
    for (const LiveAc& ac : g_liveAcs) {
        text += fmt::format("{} {} state {} phase {} stand {} object {} remove {}\n", ac.callsign, ac.type,
                            static_cast<int>(ac.simState), static_cast<int>(ac.flightPhase), ac.standId, ac.objectId,
                            ac.remove);
    }
    for (const Stand& stand : g_stands) {
        text += fmt::format("{} holder {:x} radius {}\n", stand.id, stand.holder, stand.radius);
    }
    return text;
}

} // namespace

// SWR1 (A320) stands on B1, DLH2 (A320) on B2, 42 m away; an A388 with callsign SWR1 first
// seen on B1 would replace SWR1 but has no room beside DLH2: it is refused and nothing else
// changes, neither the aircraft nor the stands nor the log.
TEST_F(StandRules, NewcomerRefusedForANeighbourRemovesNobody)
{
    for (const std::size_t pilot : {0, 3}) {
        const LatLon stand = at(0, kStands[pilot == 0 ? 2 : 3].eastM);
        feeds[pilot] = Feed{true, false, stand, stand, 0.0, 0};
        sendLine(pilot);
    }
    run(6000);
    const std::string before = lf_standsAndAircraft();
    const std::size_t lines = m_log.lines().size();
    ASSERT_TRUE(m_log.contains("B1      : SWR1     parks"));
    ASSERT_TRUE(m_log.contains("B2      : DLH2     parks"));

    feeds[2] = Feed{true, false, at(0, kStands[2].eastM), at(0, kStands[2].eastM), 0.0, 0};
    sendLine(2);
    run(6000);

    EXPECT_EQ(lf_standsAndAircraft(), before);
    EXPECT_EQ(m_log.lines().size(), lines);
}

// SWR1_ parks on A1, pushes back and waits there; DLH2 parks on A1 and falls silent. AFR4
// first seen on A1 replaces the aircraft parked there, not only the one that pushed back.
TEST_F(StandRules, NewcomerReplacesTheParkedAircraftBehindOneThatPushedBack)
{
    const LatLon a1 = at(0, kStands[0].eastM);
    feeds[1] = Feed{true, false, a1, a1, 0.0, 0};
    sendLine(1);
    run(6000);
    feeds[1] = Feed{true, false, a1, gf_destinationPoint(a1, 180.0 * kDeg, 80.0 / 0.3048), 5.0, g_engineTick};
    run(6000);
    feeds[3] = Feed{true, false, at(-60, kStands[0].eastM), at(-4, kStands[0].eastM), 8.0, g_engineTick};
    sendLine(3);
    run(6000);
    feeds[3].silent = true;
    run(10000);
    ASSERT_TRUE(m_log.contains("A1      : DLH2     arrived at stand"));
    feeds[7] = Feed{true, false, a1, a1, 0.0, 0};
    sendLine(7);
    run(6000);

    EXPECT_TRUE(m_log.contains("A1      : DLH2     removed because another live AFR4 wants the stand ..."));
    EXPECT_TRUE(m_log.contains("A1      : AFR4     parks"));
    const auto parked = std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return ac.standId == 1 && ac.flightPhase == FlightPhase::parked;
    });
    EXPECT_EQ(parked, 1);
}
