// The events of the simulated day, at fixed simulated seconds from the start: parked aircraft
// whose feed stops and newcomers on their stands (again every ten minutes), UTC midnight and
// the day reset of the flight seconds (from the start's clocks), the user's switch to the other
// simulator in the window, whose restart scans its packages and rebuilds the livery tables, a
// SimConnect error and its restart, the user flying away from the park airport and back
// (tests/soak/day_learned.h), and
// (by the caller) the user's close at the end.
#pragma once

#include "core/geo.h"
#include "soak/soak_feed.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace soak {

inline constexpr int kMidnight = 120; // UTC midnight: Wednesday's last half hour to Thursday's first
inline constexpr int kDayReset = 150; // the flight seconds reach 86400
inline constexpr int kSimulatorSwitch = 200;
inline constexpr int kSimConnectError = 240;

// What the scenario does to the world beside the feed.
struct DayWorld {
    LatLon userStart;          // on the ground at the park airport
    double elevationFt = 0.0;
    // The user picks the other simulator in the window.
    std::function<void()> switchSimulator;
};

class DayEvents {
public:
    DayEvents(SoakFeed& feed, DayWorld world) : m_feed(feed), m_world(std::move(world)) {}

    // At the start of each simulated second.
    void at(int second);
    std::string summary() const;
    // A parked aircraft whose feed stopped gives its stand up, and no newcomer that taxied there
    // or was first seen standing there parks beside it.
    void expectStaleGaveWay() const;

private:
    enum class Seen { notParked, staleGone, besideStale };
    struct StoppedFeed {
        std::uint32_t hexid;
        std::string callsign;
        LatLon stand;
        std::uint32_t newcomer = 0;
        Seen seen = Seen::notParked;
        bool held = false; // still held its stand when it should have given it up
    };

    void lf_stopParkedFeeds();
    void lf_sendNewcomers(int second);
    void lf_checkStaleGaveWay(int inPeriod);
    void lf_checkStandGivenUp(StoppedFeed& stopped, int silentSeconds);
    std::array<std::size_t, 3> lf_newcomerCounts() const;
    void lf_moveUser(bool away);
    void lf_simConnectError();

    SoakFeed& m_feed;
    DayWorld m_world;
    std::vector<StoppedFeed> m_stopped;
    std::size_t m_stoppedFeeds = 0, m_newcomers = 0;
    std::array<std::size_t, 3> m_newcomersSeen{}; // by Seen
    std::vector<std::string> m_staleKept;
};

} // namespace soak
