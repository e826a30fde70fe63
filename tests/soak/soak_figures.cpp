#include "soak/soak_figures.h"

#include "app/tick_state.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/life_cycle.h"
#include "engine/unconfirmed_creations.h"
#include "parking/stand.h"
#include "platform/standin/simworld.h"
#include "simlink/flight_plans.h"
#include "simlink/sim_queues.h"
#include "support/process_memory.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <unordered_set>

namespace soak {

namespace {

// The engine's paces that the time bounds come from, in ticks of 10 ms.
struct EnginePaces {
    // One creation is handed to the simulator link every 50 ticks, live ones first, and one
    // removal every 10 ticks.
    std::int32_t createEvery = 50;
    std::int32_t removeEvery = 10;
    // A waiting aircraft holds in place with a stationary sample every 3 s; the holding time
    // is checked when that sample is flown.
    std::int32_t holdRepeat = 300;
    std::int32_t minute = 6000;
    // The scan's own step, and the frames between the simulator link and the engine.
    std::int32_t scanSlack = 100;
};
constexpr EnginePaces kPace;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SKYWEAVER_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(SKYWEAVER_SOAK_ASAN)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

enum Passing : std::size_t { LiveAdding, StaticAdding, StaticUnexcused, Removing, Holding, LiveUnconfirmed };
const char* const kPassingNames[] = {"adding2sim (live)", "adding2sim (static)", "  no live one waiting",
                                     "removingfromsim", "holding", "  not identified (live)"};

std::uint64_t lf_key(std::uint32_t hexid, bool live)
{
    return (live ? 0ull : 1ull << 32) | hexid;
}

double lf_mb(std::size_t bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

struct Figure {
    const char* name;
    std::function<double()> value;
};

std::size_t lf_longestStream()
{
    std::size_t longest = 0;
    for (const LiveAc& ac : g_liveAcs)
        longest = std::max(longest, ac.stream.size());
    return longest;
}

// What the day keeps by design and has its own bound: the stands' learned uses, which grow by
// the feed's new registrations on the stands, and the livery title of every transponder seen
// since the daily reset. A map node holds its key, its value and the next pointer, with the
// allocator's header.
double lf_keptByDesignMb()
{
    std::size_t bytes = 0;
    for (const Stand& stand : g_stands)
        bytes += stand.options.capacity() * sizeof(ParkOpt);
    constexpr std::size_t kTitleNodeBytes = 48;
    bytes += g_liveryTitleCache.size() * kTitleNodeBytes + g_liveryTitleCache.bucket_count() * sizeof(void*);
    return lf_mb(bytes);
}

template <class Mutex, class Container>
double lf_lockedSize(Mutex& mutex, const Container& container)
{
    const std::lock_guard lock(mutex);
    return static_cast<double>(container.size());
}

const std::vector<Figure>& lf_figures()
{
    static const std::vector<Figure> figures{
        {"live records", [] { return static_cast<double>(g_liveAcs.size()); }},
        {"static records", [] { return static_cast<double>(g_staticAcs.size()); }},
        {"traffic queue", [] { return lf_lockedSize(g_trafficMutex, g_trafficQueue); }},
        {"spawn list", [] { return static_cast<double>(g_spawnList.size()); }},
        {"adding stack live", [] { return static_cast<double>(g_addingStack.live.size()); }},
        {"adding stack static", [] { return static_cast<double>(g_addingStack.statics.size()); }},
        {"removal queue", [] { return static_cast<double>(g_removalQueue.size()); }},
        {"kept results", [] { return static_cast<double>(g_keptResults.size()); }},
        {"stand arrivals", [] { return static_cast<double>(g_standArrivals.size()); }},
        {"sent creates", [] { return lf_lockedSize(g_simQueueMutex, g_sentCreates); }},
        {"sim results", [] { return lf_lockedSize(g_simResultMutex, g_simResults); }},
        {"event queue", [] { return lf_lockedSize(g_simQueueMutex, g_eventQueue); }},
        {"longest stream", [] { return static_cast<double>(lf_longestStream()); }},
        {"ghost list", [] { return static_cast<double>(g_ghostList.size()); }},
        {"no-livery set", [] { return static_cast<double>(g_noLiverySet.size()); }},
        {"livery title cache", [] { return static_cast<double>(g_liveryTitleCache.size()); }},
        {"sim objects", [] { return static_cast<double>(standin::SimWorld::instance().aliveAiObjects().size()); }},
        {"heap MB", [] { return lf_mb(testsupport::heapInUseBytes()); }},
        {"kept by design MB", [] { return lf_keptByDesignMb(); }},
        {"peak RSS MB", [] { return static_cast<double>(testsupport::peakRssKb()) / 1024.0; }},
    };
    return figures;
}

std::size_t lf_figureIndex(const std::string& name)
{
    const auto& figures = lf_figures();
    const auto found = std::find_if(figures.begin(), figures.end(), [&](const Figure& f) { return name == f.name; });
    return static_cast<std::size_t>(found - figures.begin());
}

std::string lf_describe(const StaticAc& ac)
{
    return fmt::format("{} hexid {} object {} state {} remove {} withdrawn {} removeOnArrival {}", ac.callsign,
                       ac.hexid, ac.objectId, static_cast<int>(ac.simState), ac.remove, ac.withdrawn,
                       ac.removeOnArrival);
}

std::string lf_describe(const LiveAc& ac)
{
    return fmt::format("{} phase {} holdCount {} stream {} onGround {} objectAlive {}",
                       lf_describe(static_cast<const StaticAc&>(ac)), static_cast<int>(ac.flightPhase), ac.holdCount,
                       ac.stream.size(), ac.onGround,
                       standin::SimWorld::instance().object(ac.objectId).has_value() &&
                           standin::SimWorld::instance().object(ac.objectId)->alive);
}

} // namespace

template <class Ac>
void StateWatch::note(Watch& watch, std::unordered_map<std::uint64_t, std::int32_t>& now, const Ac& ac, bool live,
                      std::int32_t tick)
{
    const std::uint64_t key = lf_key(ac.hexid, live);
    const auto found = watch.since.find(key);
    const std::int32_t since = found == watch.since.end() ? tick : found->second;
    now.emplace(key, since);
    if (tick - since > watch.longest) {
        watch.longest = tick - since;
        watch.who = lf_describe(ac);
    }
}

// The time a static creation waits while no live creation waits before it: only that time
// counts against it, as live creations go first.
template <class Ac>
void StateWatch::noteUnexcused(Watch& watch, std::unordered_map<std::uint64_t, std::int32_t>& now, const Ac& ac,
                               std::int32_t waited)
{
    const std::uint64_t key = lf_key(ac.hexid, false);
    const auto found = watch.since.find(key);
    const std::int32_t total = (found == watch.since.end() ? 0 : found->second) + waited;
    now.emplace(key, total);
    if (total > watch.longest) {
        watch.longest = total;
        watch.who = lf_describe(ac);
    }
}

void StateWatch::pauseEnded()
{
    for (Watch& watch : m_watches)
        watch.since.clear();
    m_unconfirmed.clear();
    m_lastScan = -1;
}

// A live aircraft that became active and respawned between two scans is in adding2sim at both,
// but with another creation: its wait starts again.
void StateWatch::lf_startNewStays()
{
    std::unordered_map<std::uint32_t, std::int32_t> handOvers;
    for (const LiveAc& ac : g_liveAcs) {
        if (ac.simState != SimState::adding2sim)
            continue;
        handOvers.emplace(ac.hexid, ac.createSentTick);
        const auto before = m_handOvers.find(ac.hexid);
        if (before == m_handOvers.end() || before->second < 0 || before->second == ac.createSentTick)
            continue;
        for (const Passing watch : {LiveAdding, LiveUnconfirmed})
            m_watches[watch].since.erase(lf_key(ac.hexid, true));
        m_unconfirmed.erase(ac.hexid);
        m_waitingAtEntry.erase(ac.hexid);
    }
    m_handOvers = std::move(handOvers);
}

void StateWatch::scan(std::int32_t tick)
{
    // While a run starts or ends the engine's tick stands still: it is looked at once.
    if (tick == m_lastScan)
        return;
    std::array<std::unordered_map<std::uint64_t, std::int32_t>, kWatches> now;
    // A restart starts the engine's ticks again.
    const std::int32_t step = m_lastScan < 0 || tick < m_lastScan ? 0 : tick - m_lastScan;
    // The time since the last scan counts against a static creation unless the creation handed
    // over then went to a live aircraft; the one handed over at this tick does when one waits.
    const std::int32_t unexcused = m_liveTurn ? 0 : step;
    m_liveTurn = !g_addingStack.live.empty();
    const std::size_t waiting = g_spawnList.size() + g_addingStack.live.size();
    m_lastScan = tick;
    lf_startNewStays();
    std::size_t active = 0, adding = 0;
    std::unordered_set<std::uint32_t> unconfirmed;
    std::unordered_map<std::uint32_t, std::size_t> waitingAtEntry;
    for (const LiveAc& ac : g_liveAcs) {
        active += ac.simState == SimState::active ? 1 : 0;
        adding += ac.simState == SimState::adding2sim ? 1 : 0;
        // A creation the simulator has not confirmed a scan after its hand-over is measured
        // against the give-up time instead, also once it is identified late.
        if (ac.simState == SimState::adding2sim &&
            (m_unconfirmed.contains(ac.hexid) ||
             (ac.objectId == 0 && ac.createSentTick >= 0 && tick - ac.createSentTick > kPace.scanSlack)))
            unconfirmed.insert(ac.hexid);
        if (ac.simState == SimState::adding2sim) {
            const Passing watch = unconfirmed.contains(ac.hexid) ? LiveUnconfirmed : LiveAdding;
            const std::int32_t longest = m_watches[watch].longest;
            note(m_watches[watch], now[watch], ac, true, tick);
            const std::size_t ahead = m_waitingAtEntry.try_emplace(ac.hexid, waiting).first->second;
            waitingAtEntry.emplace(ac.hexid, ahead);
            if (m_watches[watch].longest != longest)
                m_watches[watch].who += fmt::format(" | {} creations waiting when it was first seen, handed over at "
                                                    "tick {}, now {}",
                                                    ahead, ac.createSentTick, tick);
        }
        if (ac.simState == SimState::removingfromsim)
            note(m_watches[Removing], now[Removing], ac, true, tick);
        if (ac.simState == SimState::active && ac.holding)
            note(m_watches[Holding], now[Holding], ac, true, tick);
    }
    std::size_t staticActive = 0;
    for (const StaticAc& ac : g_staticAcs) {
        staticActive += ac.simState == SimState::active ? 1 : 0;
        if (ac.simState == SimState::adding2sim) {
            note(m_watches[StaticAdding], now[StaticAdding], ac, false, tick);
            noteUnexcused(m_watches[StaticUnexcused], now[StaticUnexcused], ac, unexcused);
        }
        if (ac.simState == SimState::removingfromsim)
            note(m_watches[Removing], now[Removing], ac, false, tick);
    }
    for (std::size_t i = 0; i < kWatches; ++i)
        m_watches[i].since = std::move(now[i]);
    m_unconfirmed = std::move(unconfirmed);
    m_waitingAtEntry = std::move(waitingAtEntry);
    m_maxCreatesWaiting = std::max(m_maxCreatesWaiting, waiting);
    m_maxRemovalsWaiting = std::max(m_maxRemovalsWaiting, g_removalQueue.size());
    m_maxLiveCounted = std::max(m_maxLiveCounted, active + adding);
    m_maxStaticActive = std::max(m_maxStaticActive, staticActive);
}

std::string StateWatch::table() const
{
    std::string text = "longest time in a passing state (s):\n";
    for (std::size_t i = 0; i < kWatches; ++i)
        text += fmt::format("  {:22} {:8.1f}  {}\n", kPassingNames[i], m_watches[i].longest / 100.0, m_watches[i].who);
    text += fmt::format("most live counted {}, most static active {}, most creations waiting {}, most removals "
                        "waiting {}\n",
                        m_maxLiveCounted, m_maxStaticActive, m_maxCreatesWaiting, m_maxRemovalsWaiting);
    return text;
}

void StateWatch::expectWithinBounds() const
{
    // At most 500 live: MAX_LIVE_SEL counts the active ones and all on their way into the simulator.
    EXPECT_LE(m_maxLiveCounted, static_cast<std::size_t>(MAX_LIVE_SEL.value.load()));
    // At most 500 static: MAX_PARK_SEL.
    EXPECT_LE(m_maxStaticActive, static_cast<std::size_t>(MAX_PARK_SEL.value.load()));
    // A live creation waits its turn behind the others (one every 50 ticks), then the
    // simulator's identification and the activation wait of kActivationWaitTicks.
    const auto createTurns = static_cast<std::int32_t>(m_maxCreatesWaiting + 1);
    EXPECT_LE(m_watches[LiveAdding].longest,
              createTurns * kPace.createEvery + static_cast<std::int32_t>(kActivationWaitTicks) + kPace.scanSlack);
    // One the simulator does not confirm is given up; one identified late waits for its activation.
    EXPECT_LE(m_watches[LiveUnconfirmed].longest,
              kCreationGiveUpTicks + static_cast<std::int32_t>(kActivationWaitTicks) + kPace.scanSlack);
    // A static creation goes only while no live creation waits; then it waits at most for
    // the turn in progress and its own, and the activation wait.
    EXPECT_LE(m_watches[StaticUnexcused].longest,
              2 * kPace.createEvery + static_cast<std::int32_t>(kActivationWaitTicks) + kPace.scanSlack);
    // A removal waits its turn in the removal queue (one every 10 ticks), then the
    // simulator's "ObjectRemoved".
    const auto removeTurns = static_cast<std::int32_t>(m_maxRemovalsWaiting + 1);
    EXPECT_LE(m_watches[Removing].longest, removeTurns * kPace.removeEvery + kPace.scanSlack);
    // Holding in place ends after MAX_HOLDING_MINUTES whole minutes, checked at each
    // stationary sample of the hold.
    EXPECT_LE(m_watches[Holding].longest,
              (MAX_HOLDING_MINUTES.value.load() + 1) * kPace.minute + kPace.holdRepeat + kPace.scanSlack);
}

void Figures::sample(int minute)
{
    std::vector<double> row;
    for (const Figure& figure : lf_figures())
        row.push_back(figure.value());
    m_minutes.push_back(minute);
    m_rows.push_back(std::move(row));
}

std::string Figures::table() const
{
    std::string text = "minute";
    for (const Figure& figure : lf_figures())
        text += fmt::format(" | {}", figure.name);
    text += "\n";
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        text += fmt::format("{:6}", m_minutes[r]);
        for (const double value : m_rows[r])
            text += fmt::format(" | {:.0f}", value);
        text += "\n";
    }
    return text;
}

void Figures::expectWithinBounds(int warmUpMinutes, std::size_t feedSize, std::size_t flightsStarted) const
{
    ASSERT_FALSE(m_rows.empty());
    const auto at = [&](std::size_t row, const char* name) { return m_rows[row][lf_figureIndex(name)]; };
    const std::size_t first = std::min(static_cast<std::size_t>(warmUpMinutes), m_rows.size() - 1);
    const double maxLive = MAX_LIVE_SEL.value.load();
    const double maxStatic = MAX_PARK_SEL.value.load();
    // The heap apart from what the day keeps by design.
    const auto heapOwn = [&](std::size_t row) { return at(row, "heap MB") - at(row, "kept by design MB"); };
    double heapAtWarmUp = heapOwn(first);
    for (std::size_t r = first; r < m_rows.size(); ++r) {
        const int minute = m_minutes[r];
        // One record per transponder of the feed, plus the live aircraft whose lines ended.
        EXPECT_LE(at(r, "live records"), static_cast<double>(feedSize) + maxLive) << minute;
        // The static aircraft in the simulator and as many on their way in or out.
        EXPECT_LE(at(r, "static records"), 2 * maxStatic) << minute;
        // The engine takes 200 lines a second; the feed sends at most one per aircraft every 10 s.
        EXPECT_LE(at(r, "traffic queue"), static_cast<double>(feedSize) / 10.0) << minute;
        // Taken every second: what one second brings, a few creations, approaches and arrivals.
        EXPECT_LE(at(r, "stand arrivals"), 20.0) << minute;
        // Every object in the simulator is a live or static aircraft of the program.
        EXPECT_LE(at(r, "sim objects"), maxLive + 2 * maxStatic) << minute;
        // A sample stands 30 s ahead and lines come every 10 s or slower; extrapolation adds at most 10.
        EXPECT_LE(at(r, "longest stream"), 20.0) << minute;
        // Kept once per transponder until the daily reset.
        EXPECT_LE(at(r, "livery title cache"), static_cast<double>(flightsStarted)) << minute;
        // Flat: a quarter above the heap of the full sky, and a few MB of allocator slack.
        EXPECT_LE(heapOwn(r), heapAtWarmUp * 1.25 + 8.0) << minute;
        heapAtWarmUp = std::max(heapAtWarmUp, r < first + 5 ? heapOwn(r) : 0.0);
    }
    // Peak resident memory of the whole run under 200 MB; under AddressSanitizer, whose shadow
    // memory and quarantine fill the resident set, only the heap figures count.
    if (!kUnderAddressSanitizer) {
        EXPECT_LT(at(m_rows.size() - 1, "peak RSS MB"), 200.0);
    }
}

} // namespace soak
