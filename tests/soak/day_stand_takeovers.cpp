#include "soak/day_stand_takeovers.h"

#include "engine/ac_containers.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "parking/stand.h"
#include "soak/soak_records.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>

namespace soak {

namespace {

constexpr int kPeriod = 600;
// The first period's newcomers meet the sky's first fill and the restarts from 200 s on: only
// later periods judge them.
constexpr int kStartHolders = 5;
constexpr int kSendNewcomers = 70;
constexpr int kCheckTakeovers = 590;
constexpr double kOnStandM = 10.0;

bool lf_parkedOn(const LiveAc* ac, const LatLon& stand)
{
    return ac != nullptr && gf_inTheSimulator(*ac) && ac->flightPhase == FlightPhase::parked &&
           gf_distanceNm({ac->simPosition[0], ac->simPosition[1]}, stand) * kMetersPerNm < kOnStandM;
}

// A stand for an airliner that no aircraft stands on or holds.
const Stand* lf_freeStand()
{
    const auto used = [](const Stand& stand) {
        const auto on = [&stand](const StaticAc& ac) { return ac.standId == stand.number; };
        return stand.heli || stand.holder != 0 || std::any_of(g_liveAcs.begin(), g_liveAcs.end(), on) ||
               std::any_of(g_staticAcs.begin(), g_staticAcs.end(), on);
    };
    const auto it = std::find_if(g_stands.begin(), g_stands.end(), [&](const Stand& stand) { return !used(stand); });
    return it == g_stands.end() ? nullptr : &*it;
}

} // namespace

void DayStandTakeovers::at(int second, bool quiet)
{
    const int inPeriod = second % kPeriod;
    if (!quiet) {
        if (inPeriod == kStartHolders)
            lf_startHolders(second);
        if (inPeriod == kSendNewcomers)
            lf_sendNewcomers(second);
        if (inPeriod > kSendNewcomers && inPeriod < kCheckTakeovers)
            lf_silenceReplacedHolders();
        if (inPeriod == kCheckTakeovers)
            lf_checkTakeovers();
    }
    lf_oneStaticPerStand(second);
}

// A ghost starts standing on a free stand.
void DayStandTakeovers::lf_startHolders(int second)
{
    ++m_period;
    m_takeovers.clear();
    const FeedOperator op = gf_feedOperator(kFirstFeedHexid + static_cast<std::uint32_t>(m_feed.flightsStarted()));
    if (const Stand* stand = lf_freeStand()) {
        const std::string original = fmt::format("{}{}", op.airline, 8000 + m_period);
        const LatLon at{stand->latitude, stand->longitude};
        m_takeovers.push_back({"ghost", m_feed.addStandingOn(second, at, original + "_"), original, at});
    }
}

// The replacing newcomers, first seen standing on the stands of their holders, which are parked
// there with their feeds alive: the ghost's original, and a newcomer under the callsign of a
// parked aircraft. The latter flies another type (the next address's): one of the same callsign
// and type would be taken for a second transponder of the holder.
void DayStandTakeovers::lf_sendNewcomers(int second)
{
    const FeedOperator next = gf_feedOperator(kFirstFeedHexid + static_cast<std::uint32_t>(m_feed.flightsStarted()));
    for (const LiveAc& ac : g_liveAcs) {
        if (!m_feed.sending(ac.hexid) || !gf_inTheSimulator(ac) || ac.flightPhase != FlightPhase::parked ||
            ac.standId == 0 || ac.callsign.ends_with('_') || ac.type == next.type)
            continue;
        m_takeovers.push_back({"same callsign", ac.hexid, ac.callsign, {ac.standLat, ac.standLon}});
        break;
    }
    for (Takeover& takeover : m_takeovers) {
        if (!lf_parkedOn(gf_record(takeover.holder), takeover.stand))
            continue;
        takeover.newcomer = m_feed.addStandingOn(second, takeover.stand, takeover.callsign);
        ++m_sent;
    }
}

// Where the newcomer is born, seen when it leaves the buffer, and whether its holder still
// stood there the second before; then the holder's feed stops, as the second feed of one flight
// does (a holder that comes back replaces it in turn).
void DayStandTakeovers::lf_silenceReplacedHolders()
{
    for (Takeover& takeover : m_takeovers) {
        const LiveAc* newcomer = gf_record(takeover.newcomer);
        if (takeover.holderSilenced)
            continue;
        if (newcomer == nullptr || newcomer->simState == SimState::buffer) {
            takeover.holderThere = lf_parkedOn(gf_record(takeover.holder), takeover.stand);
            continue;
        }
        m_feed.silence(takeover.holder);
        takeover.holderSilenced = true;
        takeover.bornOn = newcomer->standId == 0 ? "no stand" : gf_standName(newcomer->standId);
        takeover.bornThere = newcomer->standId != 0 &&
                             gf_distanceNm({newcomer->standLat, newcomer->standLon}, takeover.stand) * kMetersPerNm <
                                 kOnStandM;
    }
}

void DayStandTakeovers::lf_checkTakeovers()
{
    for (const Takeover& takeover : m_takeovers) {
        if (takeover.newcomer == 0)
            continue;
        if (takeover.bornThere) {
            ++m_bornThere;
            continue;
        }
        if (m_period == 1) {
            ++m_waiting;
            continue;
        }
        // Under the full feed a standing newcomer waits in the buffer while more than ten live
        // creations wait: one never born in its period broke no stand rule.
        if (!takeover.holderSilenced) {
            ++m_neverBorn;
            continue;
        }
        // The holder no longer stood there (another newcomer replaced it, or it came back from
        // its feed after the rules removed it): the rules had no holder to replace.
        if (!takeover.holderThere) {
            ++m_holderGone;
            continue;
        }
        m_failed.push_back(fmt::format("{} {} {:x}, born on {}", takeover.rule, takeover.callsign, takeover.newcomer,
                                       takeover.bornOn));
    }
}

// Two active static aircraft on one stand, seen two seconds running.
void DayStandTakeovers::lf_oneStaticPerStand(int second)
{
    std::map<std::int32_t, std::string> onStand, twice;
    for (const StaticAc& ac : g_staticAcs) {
        if (!gf_inTheSimulator(ac) || ac.standId == 0)
            continue;
        const auto [at, fresh] = onStand.try_emplace(ac.standId, ac.callsign);
        if (!fresh)
            twice[ac.standId] = fmt::format("second {}: stand {}: {} and {}", second, ac.standId, at->second, ac.callsign);
    }
    for (const auto& [stand, what] : twice) {
        if (!m_twoStaticsBefore.contains(stand))
            continue;
        if (m_twoStatics++ == 0)
            m_firstTwoStatics = what;
    }
    m_twoStaticsBefore = std::move(twice);
}

std::string DayStandTakeovers::summary() const
{
    return fmt::format("stand takeovers: {} newcomers sent to the stands of parked aircraft whose feed is alive, "
                       "{} born there replacing them, {} born elsewhere{}, {} never born in their period, {} born when "
                       "their holder no longer stood there, {} not judged (the first period); {} seconds with two "
                       "statics on one stand{}\n",
                       m_sent, m_bornThere, m_failed.size(), m_failed.empty() ? "" : " (the first: " + m_failed.front() + ")",
                       m_neverBorn, m_holderGone, m_waiting,
                       m_twoStatics, m_firstTwoStatics.empty() ? "" : ", the first: " + m_firstTwoStatics);
}

void DayStandTakeovers::expectKept() const
{
    EXPECT_TRUE(m_failed.empty()) << summary();
    // The rules were reached: of ten newcomers or more judged, some left the buffer and took over.
    if (m_bornThere + m_failed.size() + m_neverBorn + m_holderGone >= 10) {
        EXPECT_GT(m_bornThere, 0u) << summary();
    }
    EXPECT_EQ(m_twoStatics, 0u) << summary();
}

} // namespace soak
