// A stretch of the simulated day with a small live limit, picked in the window, while the
// simulator drops some creations before the program could identify them: active live aircraft
// never pass the limit, and the live aircraft in the simulator or on their way reach it again
// once the unconfirmed creations are given up.
#pragma once

#include <cstdint>
#include <string>

namespace standin {
class Desktop;
}

namespace soak {

// The user picks the live limit in the window; false when the list was disabled and the pick
// went to the window procedure as if made just before.
bool gf_pickLiveLimit(standin::Desktop& desktop, std::int32_t limit);

class LiveLimitStretch {
public:
    explicit LiveLimitStretch(standin::Desktop& desktop) : m_desktop(desktop) {}

    // At the start of each simulated second: the small limit is picked, later the usual one.
    void at(int second);
    // Before each engine tick: at the stretch's start the simulator drops new live creations
    // before the program's scan sees them.
    void tick();
    // After the second's ticks.
    void check(int second);
    std::string summary() const;
    void expectKept() const;

private:
    void lf_pickLimit(std::int32_t limit);
    void lf_takeThreeAway();
    void lf_checkAtMostTheLimit(int second);
    void lf_checkRefilled(int second, std::int32_t limit);

    standin::Desktop& m_desktop;
    bool m_small = false;
    int m_stretchStart = 0;
    std::int32_t m_limitChecked = 0; // the limit at the last check: a new pick is served within a second
    int m_belowSince = -1;
    int m_longestBelow = 0;
    std::size_t m_dropsLeft = 0;
    std::size_t m_dropped = 0, m_stretches = 0;
    std::size_t m_overSeconds = 0;
    std::string m_firstOver, m_firstNotRefilled;
    std::size_t m_pickedWhileBusy = 0;
};

} // namespace soak
