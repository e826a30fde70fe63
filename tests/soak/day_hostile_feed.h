// A hostile stretch of the day's feed and the bounds it must not break. For a minute of every
// ten, one flight in ten sends valid lines with fields no real feed sends: callsigns longer
// than eight characters or holding a line break, airports and types of thousands of
// characters with forged "Exiting:" and "==> " lines and other control bytes in them; a peer
// on the LAN adds junk with the same. Log.txt keeps every line short and free of control
// bytes, and the traffic queue of the day's feed never reaches its bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace soak {

inline constexpr int kHostileStart = 30;   // seconds into every ten minutes
inline constexpr int kHostileSeconds = 60;

// Hands the feed's line on, changed while the stretch lasts; adds the peer's junk once a second.
class HostileStretch {
public:
    void send(std::int64_t tick, const std::string& line, const std::function<void(const std::string&)>& to);
    std::string summary() const;

private:
    std::size_t m_changed = 0, m_junk = 0;
    std::int64_t m_lastJunkSecond = -1;
};

class FeedBounds {
public:
    FeedBounds();
    // After the main loop's tick that ended a simulated second.
    void check(int second);
    void expectKept() const;
    std::string table() const;

private:
    void readNewLogLines(int second);

    std::uintmax_t m_logRead = 0;
    std::size_t m_longOrControlLines = 0, m_queueFullLines = 0, m_queuePeak = 0;
    std::string m_firstBadLine;
};

} // namespace soak
