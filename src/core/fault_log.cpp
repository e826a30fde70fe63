// Rate limit and minute summary of repeated fault lines.
#include "core/fault_log.h"

#include "core/log.h"
#include "core/run_state.h"

#include <fmt/format.h>

#include <utility>

FaultLog::FaultLog(std::string_view kind) : m_kind(kind) {}

bool FaultLog::admit()
{
    bool logIt = false;
    std::uint64_t summary = 0;
    {
        const std::lock_guard lock(m_mutex);
        const auto now = clk::steadyNow();
        summary = takeDueSummary(now);
        if (now < m_secondStart || now - m_secondStart >= std::chrono::seconds(1)) {
            m_secondStart = now;
            m_linesThisSecond = 0;
        }
        logIt = m_linesThisSecond < kLinesPerSecond && m_linesThisMinute < kLinesPerMinute;
        if (logIt) {
            ++m_linesThisSecond;
            ++m_linesThisMinute;
        } else {
            ++m_heldBack;
        }
    }
    writeSummary(summary);
    return logIt;
}

// Starts a new minute when the last one is over and returns what it held back.
std::uint64_t FaultLog::takeDueSummary(clk::SteadyTime now)
{
    if (!m_started) {
        m_started = true;
        m_secondStart = now;
        m_minuteStart = now;
    }
    // A clock set back (tests) starts a new minute as well.
    if (now >= m_minuteStart && now - m_minuteStart < std::chrono::minutes(1))
        return 0;
    m_minuteStart = now;
    m_linesThisMinute = 0;
    return std::exchange(m_heldBack, 0);
}

void FaultLog::reset()
{
    std::uint64_t count = 0;
    {
        const std::lock_guard lock(m_mutex);
        count = std::exchange(m_heldBack, 0);
        m_started = false;
        m_linesThisSecond = 0;
        m_linesThisMinute = 0;
    }
    writeSummary(count);
}

std::uint64_t FaultLog::heldBack()
{
    const std::lock_guard lock(m_mutex);
    return m_heldBack;
}

void FaultLog::writeSummary(std::uint64_t count) const
{
    if (count > 0)
        gf_log(fmt::format("{}: … {} more like this", m_kind, count));
}

RunStateEntry gf_faultLogEntry(std::string name, FaultLog& log)
{
    return {std::move(name), RunStateArea::Traffic, [&log] { log.reset(); },
            [&log] { return fmt::format("{} held back", log.heldBack()); }};
}
