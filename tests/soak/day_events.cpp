#include "soak/day_events.h"

#include "soak/day_learned.h"
#include "soak/soak_records.h"

#include "engine/ac_containers.h"
#include "engine/stand_lookup.h"
#include "parking/stand.h"
#include "platform/standin/simworld.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

namespace soak {

namespace {

// A run longer than ten minutes brings the stopped feeds and their newcomers again every ten
// minutes.
constexpr int kEventPeriod = 600;
constexpr int kStopParkedFeeds = 45;
constexpr int kSendNewcomers = 55;
constexpr int kCheckEvery = 10;
constexpr int kGiveUpWithin = 120;

} // namespace

void DayEvents::at(int second)
{
    const int inPeriod = second % kEventPeriod;
    if (inPeriod == kStopParkedFeeds)
        lf_stopParkedFeeds();
    if (inPeriod == kSendNewcomers)
        lf_sendNewcomers(second);
    if (inPeriod > kSendNewcomers && inPeriod % kCheckEvery == 0)
        lf_checkStaleGaveWay(inPeriod);
    if (const std::optional<bool> away = gf_visitMoveAt(second))
        lf_moveUser(*away);
    if (second == kSimulatorSwitch)
        m_world.switchSimulator();
    if (second == kSimConnectError)
        lf_simConnectError();
}

std::string DayEvents::summary() const
{
    const std::array<std::size_t, 3> seen = lf_newcomerCounts();
    const auto count = [&seen](Seen what) { return seen[static_cast<std::size_t>(what)]; };
    return fmt::format("events: {} parked feeds stopped, {} newcomers sent to their stands: {} parked in the "
                       "simulator after their stale aircraft was gone, {} while it was still there, {} never "
                       "parked there; {} times a stale aircraft kept its stand{}\n",
                       m_stoppedFeeds, m_newcomers, count(Seen::staleGone), count(Seen::besideStale),
                       count(Seen::notParked), m_staleKept.size(),
                       m_staleKept.empty() ? "" : ", the first: " + m_staleKept.front());
}

void DayEvents::expectStaleGaveWay() const
{
    EXPECT_TRUE(m_staleKept.empty()) << summary();
}

// Eight aircraft parked on their stands stop sending.
void DayEvents::lf_stopParkedFeeds()
{
    m_newcomersSeen = lf_newcomerCounts();
    m_stopped.clear();
    for (const LiveAc& ac : g_liveAcs) {
        if (m_stopped.size() == 8 || !m_feed.sending(ac.hexid) || ac.flightPhase != FlightPhase::parked ||
            ac.standId == 0 || !gf_inTheSimulator(ac))
            continue;
        m_stopped.push_back({ac.hexid, ac.callsign, {ac.standLat, ac.standLon}});
        m_feed.silence(ac.hexid);
    }
    m_stoppedFeeds += m_stopped.size();
}

// Newcomers on the stands of the stopped feeds: by turns one taxiing there, one first seen
// standing there, one standing there under the stopped aircraft's callsign.
void DayEvents::lf_sendNewcomers(int second)
{
    for (std::size_t i = 0; i < m_stopped.size(); ++i) {
        StoppedFeed& stopped = m_stopped[i];
        stopped.newcomer =
            i % 3 == 0 ? m_feed.addTaxiToStand(second, stopped.stand)
                       : m_feed.addStandingOn(second, stopped.stand, i % 3 == 2 ? stopped.callsign : std::string());
    }
    m_newcomers += m_stopped.size();
}

// A parked aircraft whose feed stopped gives its stand up once its stand samples are overdue
// (parked aircraft are sent every 10 to 20 s): two minutes on, it no longer holds the stand.
void DayEvents::lf_checkStandGivenUp(StoppedFeed& stopped, int silentSeconds)
{
    const LiveAc* stale = gf_recordInTheSimulator(stopped.hexid);
    if (stopped.held || silentSeconds < kGiveUpWithin || stale == nullptr)
        return;
    const Stand* stand = gf_standByNumber(stale->standId);
    stopped.held = stand != nullptr && stand->holder == stale->hexid;
    if (stopped.held)
        m_staleKept.push_back(fmt::format("{} still holds {} {} s after its feed stopped", stale->callsign,
                                          stand->id, silentSeconds));
}

// A newcomer parked in the simulator near its stand while its stale aircraft still stands there
// breaks the rule. Each newcomer is counted once, by what the checks saw: parked with its
// stale aircraft gone, parked beside it, or never parked in the simulator.
void DayEvents::lf_checkStaleGaveWay(int inPeriod)
{
    for (StoppedFeed& stopped : m_stopped) {
        lf_checkStandGivenUp(stopped, inPeriod - kStopParkedFeeds);
        const LiveAc* newcomer = gf_recordInTheSimulator(stopped.newcomer);
        if (stopped.seen != Seen::notParked || newcomer == nullptr || newcomer->flightPhase != FlightPhase::parked)
            continue;
        const LiveAc* stale = gf_recordInTheSimulator(stopped.hexid);
        stopped.seen = stale == nullptr ? Seen::staleGone : Seen::besideStale;
        const double metres =
            gf_distanceNm({newcomer->simPosition[0], newcomer->simPosition[1]}, stopped.stand) * kMetersPerNm;
        if (stale != nullptr && metres < 100.0)
            m_staleKept.push_back(fmt::format("{} beside {} {:.0f} m from its stand", stale->callsign,
                                              newcomer->callsign, metres));
    }
}

// The newcomers of the periods before, with this period's counted by what the checks saw so far.
std::array<std::size_t, 3> DayEvents::lf_newcomerCounts() const
{
    std::array<std::size_t, 3> seen = m_newcomersSeen;
    for (const StoppedFeed& stopped : m_stopped)
        ++seen[static_cast<std::size_t>(stopped.seen)];
    return seen;
}

// The user's flight away from the park airport and back: away, 19,000 ft above where the day
// began, higher than the airport stays in sight; back, on the ground there.
void DayEvents::lf_moveUser(bool away)
{
    standin::UserAircraftSetup user;
    user.latitude = m_world.userStart.lat;
    user.longitude = m_world.userStart.lon;
    user.onGround = !away;
    user.altitudeFt = m_world.elevationFt + (away ? 19000.0 : 0.0);
    user.groundSpeedKt = away ? 250.0 : 0.0;
    standin::SimWorld::instance().moveUser(user);
}

// The simulator refuses the next request for the aircraft in range: the run ends with a
// SimConnect error and restarts.
void DayEvents::lf_simConnectError()
{
    standin::SimWorld::instance().failCall("SimConnect_RequestDataOnSimObjectType", E_FAIL);
}

} // namespace soak
