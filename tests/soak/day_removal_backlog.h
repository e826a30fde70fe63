// Removals that wait behind a backlog while newcomers claim the stand, every ten minutes: the
// parked aircraft nearest the user falls silent and gives its stand up; a newcomer first seen on
// that stand sends three lines and falls silent too; just before its birth the user picks a
// lower live limit, which fills the removal queue, so that the silent aircraft it replaces waits
// there for its removal; the newcomer, parked and silent, gives the stand up in turn, and a
// second newcomer first seen on the stand meets it, not the aircraft on its way out. The day's
// rule of one aircraft per stand judges what follows.
#pragma once

#include "core/geo.h"
#include "soak/soak_feed.h"

#include <cstdint>
#include <string>

namespace standin {
class Desktop;
}

namespace soak {

class RemovalBacklog {
public:
    RemovalBacklog(SoakFeed& feed, standin::Desktop& desktop, LatLon user)
        : m_feed(feed), m_desktop(desktop), m_user(user)
    {
    }

    // At the start of each simulated second, and at each tick of the day before the engine's.
    void at(int second);
    void tick(std::int64_t tick);
    std::string summary() const;
    // Over five tries or more, the second newcomer met the state at least once.
    void expectReached() const;

private:
    enum class Step { idle, silenced, newcomersSent };

    void lf_silenceParked(int second);
    void lf_sendNewcomers(std::int64_t now);
    void lf_lowerTheLimit();
    void lf_restoreTheLimit();
    void lf_judgeSecondBirth();
    void lf_end();

    SoakFeed& m_feed;
    standin::Desktop& m_desktop;
    LatLon m_user;
    Step m_step = Step::idle;
    int m_endAt = 0;
    std::uint32_t m_silent = 0, m_first = 0, m_second = 0;
    LatLon m_stand;
    std::int64_t m_lowerAt = -1, m_silenceFirstAt = -1;
    bool m_limitLowered = false;
    std::size_t m_started = 0, m_filled = 0, m_reached = 0, m_drained = 0, m_elsewhere = 0;
};

} // namespace soak
