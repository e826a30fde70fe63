// Stand takeovers of the simulated day, again every ten minutes: a newcomer first seen on the
// stand of a parked aircraft whose feed is alive, when the callsign rules let it replace that
// aircraft (its ghost, or the same callsign); and the rule of one static aircraft per stand.
#pragma once

#include "core/geo.h"
#include "soak/soak_feed.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace soak {

class DayStandTakeovers {
public:
    explicit DayStandTakeovers(SoakFeed& feed) : m_feed(feed) {}

    // At the start of each simulated second; a quiet one starts nothing, it only looks at the
    // statics on the stands.
    void at(int second, bool quiet);
    std::string summary() const;
    // Every replacing newcomer was born on its holder's stand; never two statics on one stand.
    void expectKept() const;

private:
    // A parked holder whose feed goes on, and the newcomer that is to replace it.
    struct Takeover {
        const char* rule;
        std::uint32_t holder = 0;
        std::string callsign; // the newcomer's
        LatLon stand;
        std::uint32_t newcomer = 0;
        bool holderSilenced = false; // the newcomer left the buffer
        bool bornThere = false;
        bool holderThere = false; // the holder stood on its stand, active, the second before the birth
        std::string bornOn{};
    };

    void lf_startHolders(int second);
    void lf_sendNewcomers(int second);
    void lf_silenceReplacedHolders();
    void lf_checkTakeovers();
    void lf_oneStaticPerStand(int second);

    SoakFeed& m_feed;
    std::vector<Takeover> m_takeovers;
    int m_period = 0;
    std::size_t m_sent = 0, m_bornThere = 0, m_neverBorn = 0, m_holderGone = 0, m_waiting = 0; // waiting: not judged
    std::vector<std::string> m_failed;
    std::map<std::int32_t, std::string> m_twoStaticsBefore;
    std::size_t m_twoStatics = 0;
    std::string m_firstTwoStatics;
};

} // namespace soak
