// What the soak watches: how long each record stays in a passing state, the limits on live
// and static aircraft, and the sizes of the engine's containers and queues with the
// process's memory, sampled every simulated minute.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace soak {

class StateWatch {
public:
    // Looks at every record just before this engine tick, one that hands a creation over.
    void scan(std::int32_t tick);
    // Frames came back after a pause: what waited through it is measured from now on.
    void pauseEnded();
    std::string table() const;
    void expectWithinBounds() const;

private:
    struct Watch {
        std::unordered_map<std::uint64_t, std::int32_t> since;
        std::int32_t longest = 0;
        std::string who; // the record that stayed longest, as it was then
    };
    template <class Ac>
    void note(Watch& watch, std::unordered_map<std::uint64_t, std::int32_t>& now, const Ac& ac, bool live,
              std::int32_t tick);

    template <class Ac>
    void noteUnexcused(Watch& watch, std::unordered_map<std::uint64_t, std::int32_t>& now, const Ac& ac,
                       std::int32_t waited);

    static constexpr std::size_t kWatches = 6;
    std::int32_t m_lastScan = -1;
    bool m_liveTurn = false; // the creation handed over at the last scan went to a live aircraft
    std::array<Watch, kWatches> m_watches;
    std::unordered_set<std::uint32_t> m_unconfirmed; // live creations not identified a scan after the hand-over
    std::unordered_map<std::uint32_t, std::size_t> m_waitingAtEntry; // live creations waiting when one was first seen
    // The hand-over tick of each live creation at the last scan: another one is a new stay.
    std::unordered_map<std::uint32_t, std::int32_t> m_handOvers;
    void lf_startNewStays();
    std::size_t m_maxCreatesWaiting = 0;
    std::size_t m_maxRemovalsWaiting = 0;
    std::size_t m_maxLiveCounted = 0;
    std::size_t m_maxStaticActive = 0;
};

class Figures {
public:
    void sample(int minute);
    std::string table() const;
    void expectWithinBounds(int warmUpMinutes, std::size_t feedSize, std::size_t flightsStarted) const;

private:
    std::vector<int> m_minutes;
    std::vector<std::vector<double>> m_rows;
};

} // namespace soak
