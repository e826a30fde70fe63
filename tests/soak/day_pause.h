// A pause of the simulated day: once an hour the simulator sends no frames for two minutes (the
// user paused it, or a loading screen) while the feed goes on and new traffic arrives. Nothing
// the program created may be left behind: a minute after the frames came back, no object runs in
// the simulator without an aircraft of the program, and every flight whose creation waited
// through the pause and still sends is in the simulator or on its way in.
#pragma once

#include "soak/soak_feed.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace soak {

class SimulatorPause {
public:
    explicit SimulatorPause(const SoakFeed& feed) : m_feed(feed) {}

    // At the start of each simulated second; true on the second the frames come back.
    bool at(int second);
    bool paused() const { return m_paused; }
    std::string summary() const;
    void expectKept() const;

private:
    void lf_noteWaiting();
    void lf_checkOrphans(bool first, bool last);
    void lf_checkLost(int second, bool first, bool last);

    const SoakFeed& m_feed;
    bool m_paused = false;
    std::size_t m_pauses = 0, m_waitedThrough = 0;
    std::vector<std::uint32_t> m_waiting;       // creations waiting for their objects at the resume
    std::unordered_set<std::uint32_t> m_orphans; // objects without an aircraft at the first look
    std::unordered_set<std::uint32_t> m_missing; // waiting flights with no record at every look so far
    std::unordered_map<std::uint32_t, std::string> m_callsigns, m_lastSeen;
    std::vector<std::string> m_left, m_lost;
};

} // namespace soak
