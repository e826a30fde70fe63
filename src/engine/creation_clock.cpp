// The wait of a creation for its object, counted while the simulator runs frames.
#include "engine/creation_clock.h"

#include "engine/engine_tick.h"
#include "simlink/sim_queues.h"

#include <algorithm>

void CreationClock::start(std::uint64_t framesAtHandOver)
{
    *this = CreationClock{};
    m_framesAtHandOver = framesAtHandOver;
    m_running = true;
}

void CreationClock::stop()
{
    *this = CreationClock{};
}

std::int32_t CreationClock::look(std::int32_t tick, std::uint64_t framesDrained)
{
    if (!m_running || framesDrained <= m_framesAtHandOver)
        return m_waited;
    if (!m_sent) {
        // The frame that sent the create: the wait starts here.
        m_sent = true;
        m_framesSeen = framesDrained;
        m_lastFrameTick = tick;
        return m_waited;
    }
    if (framesDrained > m_framesSeen) {
        m_waited += std::clamp(tick - m_lastFrameTick, 0, kMostTicksPerFrame);
        m_framesSeen = framesDrained;
        m_lastFrameTick = tick;
    }
    return m_waited;
}

std::int32_t CreationClock::look()
{
    return look(g_engineTick.load(), g_simFramesDrained.load());
}
