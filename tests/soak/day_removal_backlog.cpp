#include "soak/day_removal_backlog.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "engine/stand_lookup.h"
#include "parking/stand.h"
#include "soak/day_live_limit.h"
#include "soak/soak_records.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <limits>

namespace soak {

namespace {

// In the first ten minutes the event ends before the simulator switch at 200 s; later it comes
// while the user stands at the park airport, before the flight away at 270 s.
constexpr int kPeriod = 600;
constexpr int kFirstSilence = 90;
constexpr int kSilence = 120;
constexpr int kLasts = 140;
// A standing newcomer is born when its first sample is due, 29 s after its first line, at a tick
// that follows a creation's hand-over (one every 50 ticks) if no other aircraft comes first.
constexpr std::int64_t kHandOverEvery = 50;
constexpr std::int64_t kBornAfterTicks = 2900;
// The first newcomer sends three lines, 10 s apart: one lost birth leaves it two for the next.
constexpr std::int64_t kFirstLinesTicks = 2000;
// The second one's first line comes 9 s after the first one's: it is born once the first one,
// active some 7 s after its birth, has given the stand up. The limit is lowered 3 s before the
// first one's birth.
constexpr std::int64_t kSecondAfterTicks = 900;
constexpr std::int64_t kLowerBeforeBirthTicks = 300;
constexpr std::int32_t kUsualLimit = 500;
constexpr double kOnStandM = 10.0;

// Active, parked on its stand and no longer holding it: its feed stopped.
bool lf_parkedSilentOnItsStand(const LiveAc* ac)
{
    if (ac == nullptr || ac->simState != SimState::active || ac->flightPhase != FlightPhase::parked)
        return false;
    const Stand* stand = gf_standByNumber(ac->standId);
    return stand != nullptr && stand->holder != ac->hexid;
}

// The first tick after now whose line is taken at an engine tick that follows a hand-over, so
// that the sample's birth comes at such a tick too.
std::int64_t lf_alignedTick(std::int64_t now)
{
    const std::int64_t engine = g_engineTick.load();
    const std::int64_t ahead = ((1 - engine) % kHandOverEvery + kHandOverEvery) % kHandOverEvery;
    return now + (ahead == 0 ? kHandOverEvery : ahead);
}

// The largest choice of the limit's list that takes out four in five of the live aircraft.
std::int32_t lf_lowerLimit()
{
    const auto counted = std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return ac.simState == SimState::active || ac.simState == SimState::adding2sim;
    });
    std::int32_t lower = 10;
    for (const std::int32_t option : MAX_LIVE_SEL.optionValues)
        if (option >= 10 && option <= counted / 5)
            lower = std::max(lower, option);
    return lower;
}

} // namespace

void RemovalBacklog::at(int second)
{
    const int inPeriod = second % kPeriod;
    if (inPeriod == (second < kPeriod ? kFirstSilence : kSilence))
        lf_silenceParked(second);
    if (m_step != Step::idle && second >= m_endAt)
        lf_end();
}

void RemovalBacklog::tick(std::int64_t tick)
{
    if (m_step == Step::silenced && tick % 100 == 0 && lf_parkedSilentOnItsStand(gf_record(m_silent)))
        lf_sendNewcomers(tick);
    if (m_step != Step::newcomersSent)
        return;
    if (tick == m_lowerAt)
        lf_lowerTheLimit();
    // Once the first newcomer is born the usual limit comes back: the removals stay queued, and
    // the second newcomer finds room.
    const LiveAc* first = gf_record(m_first);
    if (m_limitLowered && (first == nullptr || first->simState != SimState::buffer))
        lf_restoreTheLimit();
    if (tick == m_silenceFirstAt)
        m_feed.silence(m_first);
    lf_judgeSecondBirth();
}

// The parked aircraft nearest the user, its feed alive, falls silent: the lower limit keeps it,
// and its newcomers find room.
void RemovalBacklog::lf_silenceParked(int second)
{
    lf_end();
    const LiveAc* nearest = nullptr;
    double nearestNm = std::numeric_limits<double>::max();
    for (const LiveAc& ac : g_liveAcs) {
        const double nm = gf_distanceNm({ac.standLat, ac.standLon}, m_user);
        if (ac.simState != SimState::active || ac.flightPhase != FlightPhase::parked ||
            gf_standByNumber(ac.standId) == nullptr || ac.callsign.ends_with('_') || nm >= nearestNm ||
            !m_feed.sending(ac.hexid))
            continue;
        nearest = &ac;
        nearestNm = nm;
    }
    if (nearest == nullptr)
        return;
    m_silent = nearest->hexid;
    m_stand = {nearest->standLat, nearest->standLon};
    m_feed.silence(m_silent);
    m_step = Step::silenced;
    m_endAt = second + kLasts;
    ++m_started;
}

// The two newcomers, first seen on the stand the silent aircraft gave up, their lines timed so
// that their births may come at their first samples.
void RemovalBacklog::lf_sendNewcomers(std::int64_t now)
{
    const std::int64_t firstLine = lf_alignedTick(now);
    m_first = m_feed.addStandingOnFrom(firstLine, m_stand);
    m_second = m_feed.addStandingOnFrom(firstLine + kSecondAfterTicks, m_stand);
    m_silenceFirstAt = firstLine + kFirstLinesTicks + 1;
    m_lowerAt = firstLine + kBornAfterTicks - kLowerBeforeBirthTicks;
    m_step = Step::newcomersSent;
}

// The aircraft over the lower limit are taken out one every 100 ms: the removal that the first
// newcomer's birth asks for waits behind them. The newcomers on the stand nearest the user keep
// their room.
void RemovalBacklog::lf_lowerTheLimit()
{
    const std::int32_t lower = lf_lowerLimit();
    if (MAX_LIVE_SEL.value.load() <= lower)
        return;
    gf_pickLiveLimit(m_desktop, lower);
    m_limitLowered = true;
    ++m_filled;
}

// What the second newcomer met when it left the buffer.
void RemovalBacklog::lf_judgeSecondBirth()
{
    const LiveAc* second = gf_record(m_second);
    if (second == nullptr || second->simState == SimState::buffer)
        return;
    m_second = 0;
    const Stand* stand = gf_standByNumber(second->standId);
    if (stand == nullptr ||
        gf_distanceNm({stand->latitude, stand->longitude}, m_stand) * kMetersPerNm >= kOnStandM) {
        ++m_elsewhere;
        return;
    }
    const LiveAc* silent = gf_record(m_silent);
    const bool removalWaits = silent != nullptr && silent->simState == SimState::removingfromsim;
    m_reached += removalWaits ? 1 : 0;
    m_drained += removalWaits ? 0 : 1;
}

void RemovalBacklog::lf_restoreTheLimit()
{
    if (m_limitLowered)
        gf_pickLiveLimit(m_desktop, kUsualLimit);
    m_limitLowered = false;
}

void RemovalBacklog::lf_end()
{
    lf_restoreTheLimit();
    m_step = Step::idle;
}

void RemovalBacklog::expectReached() const
{
    if (m_filled >= 5) {
        EXPECT_GT(m_reached, 0u) << summary();
    }
}

std::string RemovalBacklog::summary() const
{
    return fmt::format("removal backlog: {} parked aircraft fell silent, {} times a lower limit filled the removal "
                       "queue; the second newcomer was born on the stand {} times while the aircraft it replaced "
                       "waited for its removal, {} times after it was gone, {} times elsewhere\n",
                       m_started, m_filled, m_reached, m_drained, m_elsewhere);
}

} // namespace soak
