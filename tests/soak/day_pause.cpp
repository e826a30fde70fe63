#include "soak/day_pause.h"

#include "engine/ac_containers.h"
#include "engine/aircraft_names.h"
#include "core/geo.h"
#include "core/settings.h"
#include "simlink/user_aircraft.h"
#include "platform/standin/simworld.h"
#include "soak/soak_records.h"

#include <gtest/gtest.h>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>

namespace soak {

namespace {

constexpr int kPeriod = 3600;
// Clear of the user's flights away from the park airport and back (tests/soak/day_learned.h),
// whose restarts take every record away.
constexpr int kStart = 1700;
constexpr int kEnd = kStart + 120;
// The looks after the resume: objects and aircraft have had a minute of running frames.
constexpr int kFirstLook = kEnd + 60;
constexpr int kLastLook = kEnd + 90;

bool lf_owned(std::uint32_t objectId)
{
    const auto owns = [objectId](const auto& ac) { return ac.objectId == objectId; };
    return std::any_of(g_liveAcs.begin(), g_liveAcs.end(), owns) ||
           std::any_of(g_staticAcs.begin(), g_staticAcs.end(), owns);
}

} // namespace

bool SimulatorPause::at(int second)
{
    const int inPeriod = second % kPeriod;
    auto& world = standin::SimWorld::instance();
    if (inPeriod == kStart) {
        m_paused = true;
        ++m_pauses;
        world.setFramesStopped(true);
    }
    if (inPeriod == kEnd && m_paused) {
        m_paused = false;
        world.setFramesStopped(false);
        lf_noteWaiting();
        return true;
    }
    if (inPeriod > kEnd && inPeriod <= kLastLook) {
        for (std::uint32_t hexid : m_waiting) {
            const LiveAc* ac = gf_record(hexid);
            if (ac != nullptr)
                m_lastSeen[hexid] = fmt::format("at +{} s, {} in phase {} with object {}", inPeriod - kEnd,
                                                gf_simStateName(ac->simState), gf_flightPhaseName(ac->flightPhase),
                                                ac->objectId);
        }
    }
    if (inPeriod >= kFirstLook && inPeriod <= kLastLook && inPeriod % 10 == 0) {
        lf_checkOrphans(inPeriod == kFirstLook, inPeriod == kLastLook);
        lf_checkLost(second, inPeriod == kFirstLook, inPeriod == kLastLook);
    }
    return false;
}

void SimulatorPause::lf_noteWaiting()
{
    m_waiting.clear();
    for (const LiveAc& ac : g_liveAcs) {
        if (ac.simState == SimState::adding2sim && ac.objectId == 0 && ac.createSentTick >= 0) {
            m_waiting.push_back(ac.hexid);
            m_callsigns[ac.hexid] = ac.callsign;
        }
    }
    m_waitedThrough += m_waiting.size();
}

// An object without an aircraft at the first look and still without one at the last.
void SimulatorPause::lf_checkOrphans(bool first, bool last)
{
    std::unordered_set<std::uint32_t> orphans;
    for (const DWORD id : standin::SimWorld::instance().aliveAiObjects()) {
        if (!lf_owned(id))
            orphans.insert(id);
    }
    if (first)
        m_orphans = std::move(orphans);
    if (!last)
        return;
    for (std::uint32_t id : m_orphans) {
        if (!orphans.contains(id))
            continue;
        const auto object = standin::SimWorld::instance().object(id);
        m_left.push_back(fmt::format("object {} '{}'", id, object ? object->tailNumber : std::string()));
    }
    m_orphans.clear();
}

// A flight whose creation waited through the pause, whose feed goes on and of which the program
// has no record at any look: the user lost it.
void SimulatorPause::lf_checkLost(int second, bool first, bool last)
{
    if (first)
        m_missing = {m_waiting.begin(), m_waiting.end()};
    // A record of another address with the flight's callsign is the same flight to the program:
    // the feed sends some callsigns from two transponders.
    const auto sameCallsign = [this](std::uint32_t hexid) {
        return std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [&](const LiveAc& ac) {
            return ac.remove == 0 && ac.callsign == m_callsigns[hexid];
        });
    };
    // The reader drops the lines of a flight beyond the range: the program lets it go.
    const auto inRange = [&](std::uint32_t hexid) {
        for (const FeedFlight& flight : m_feed.flights()) {
            if (flight.hexid == hexid) {
                const LatLon place = m_feed.positionAt(flight, second).place;
                return gf_distanceNm(place, {g_userAcData.latitude, g_userAcData.longitude}) <
                       RANGE.value.load() - 5.0;
            }
        }
        return false;
    };
    std::erase_if(m_missing, [&](std::uint32_t hexid) {
        return !m_feed.sending(hexid) || !inRange(hexid) || gf_record(hexid) || sameCallsign(hexid);
    });
    if (!last)
        return;
    for (std::uint32_t hexid : m_missing)
        m_lost.push_back(fmt::format("{:06X} {}, last seen {}", hexid, m_callsigns[hexid], m_lastSeen[hexid]));
    m_missing.clear();
}

std::string SimulatorPause::summary() const
{
    return fmt::format("pauses of two minutes: {}, creations waiting through them: {}, objects left: {}, "
                       "aircraft lost: {}\n",
                       m_pauses, m_waitedThrough, m_left.size(), m_lost.size());
}

void SimulatorPause::expectKept() const
{
    EXPECT_TRUE(m_left.empty()) << "left in the simulator after a pause, the first: " << m_left.front();
    EXPECT_TRUE(m_lost.empty()) << "lost after a pause: " << fmt::format("{}", fmt::join(m_lost, "; "));
}

} // namespace soak
