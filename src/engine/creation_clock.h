// How long a creation has waited for its object while the simulator ran. Engine ticks count
// only between frames that the SimClient thread finished after the create went out, so a
// paused simulator (or a long loading screen: no frames) stops the clock, and the ticks of a
// pause count at most as one frame's gap once frames come again. Live and static creations
// each keep one in their record.
#pragma once

#include <cstdint>

class CreationClock {
public:
    // The create was handed to the simulator link; framesAtHandOver is what gf_queueCreateAc
    // returned (frames drained so far: the next one sends it).
    void start(std::uint64_t framesAtHandOver);
    // No create on its way (the record waits to be created again, or has its object).
    void stop();
    bool running() const { return m_running; }
    // Has a frame drained the link's queues since the hand-over (the create was sent)?
    bool sent() const { return m_sent; }

    // One look on an engine tick (looking twice on one tick changes nothing): the ticks
    // waited so far while frames ran. framesDrained is the link's count of drained frames.
    std::int32_t look(std::int32_t tick, std::uint64_t framesDrained);
    // The same with the engine's tick and the link's count as they stand.
    std::int32_t look();
    std::int32_t waited() const { return m_waited; }

private:
    std::uint64_t m_framesAtHandOver = 0;
    std::uint64_t m_framesSeen = 0;
    std::int32_t m_lastFrameTick = 0; // engine tick of the look that saw the newest frame
    std::int32_t m_waited = 0;
    bool m_running = false;
    bool m_sent = false;
};

// The most engine ticks one frame's gap counts for: a simulator down to 4 frames a second
// still runs the clock at full speed; a pause counts as a quarter second.
inline constexpr std::int32_t kMostTicksPerFrame = 25;
