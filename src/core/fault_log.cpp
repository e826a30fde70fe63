// Rate limit, length cut and minute summary of repeated fault lines.
#include "core/fault_log.h"

#include "core/log.h"
#include "core/run_state.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kQuotedCharacters = 200;

// Every fault log of the program, for the summaries written from outside a fault.
struct FaultLogList {
    std::mutex mutex;
    std::vector<FaultLog*> logs;
};

FaultLogList& lf_faultLogs()
{
    static FaultLogList list;
    return list;
}

template <typename Action>
void lf_forEachFaultLog(Action action)
{
    auto& list = lf_faultLogs();
    const std::lock_guard lock(list.mutex);
    for (FaultLog* log : list.logs)
        action(*log);
}

// The end of the first characters, moved back so that no UTF-8 character is cut.
std::size_t lf_cutPosition(std::string_view line)
{
    std::size_t end = kQuotedCharacters;
    for (int back = 0; back < 3 && end > 0 && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80; ++back)
        --end;
    return end;
}

// The text with its control bytes written out ("\n", "\x1b"), so that what a peer sent stays
// on one log line; stopped once it is longer than the limit.
std::string lf_escapedUpTo(std::string_view text, std::size_t limit)
{
    std::string escaped;
    for (const char c : text) {
        if (escaped.size() > limit)
            break;
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            escaped += c;
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\t')
            escaped += "\\t";
        else
            escaped += fmt::format("\\x{:02x}", byte);
    }
    return escaped;
}

} // namespace

std::string gf_cutFaultLine(std::string_view line)
{
    const std::string escaped = lf_escapedUpTo(line, kQuotedCharacters);
    if (escaped.size() <= kQuotedCharacters)
        return escaped;
    return fmt::format("{}… ({} bytes)", std::string_view(escaped).substr(0, lf_cutPosition(escaped)), line.size());
}

void gf_writeDueFaultSummaries()
{
    lf_forEachFaultLog([](FaultLog& log) { log.writeDueSummary(); });
}

void gf_writeFaultSummaries()
{
    lf_forEachFaultLog([](FaultLog& log) { log.reset(); });
}

FaultLog::FaultLog(std::string_view kind) : m_kind(kind)
{
    auto& list = lf_faultLogs();
    const std::lock_guard lock(list.mutex);
    list.logs.push_back(this);
}

FaultLog::~FaultLog()
{
    auto& list = lf_faultLogs();
    const std::lock_guard lock(list.mutex);
    std::erase(list.logs, this);
}

std::optional<std::string> FaultLog::admit(std::string_view line)
{
    std::optional<std::string> admitted;
    std::uint64_t summary = 0;
    {
        const std::lock_guard lock(m_mutex);
        const auto now = clk::steadyNow();
        summary = takeDueSummary(now);
        if (now < m_secondStart || now - m_secondStart >= std::chrono::seconds(1)) {
            m_secondStart = now;
            m_linesThisSecond = 0;
        }
        std::string cut = gf_cutFaultLine(line);
        const std::size_t bytes = cut.size() + 1;
        if (m_linesThisSecond < kLinesPerSecond && m_linesThisMinute < kLinesPerMinute &&
            m_bytesThisMinute + bytes <= kBytesPerMinute) {
            ++m_linesThisSecond;
            ++m_linesThisMinute;
            m_bytesThisMinute += bytes;
            admitted = std::move(cut);
        } else {
            ++m_heldBack;
        }
    }
    writeSummary(summary);
    return admitted;
}

void FaultLog::writeDueSummary()
{
    std::uint64_t summary = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (m_started)
            summary = takeDueSummary(clk::steadyNow());
    }
    writeSummary(summary);
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
    m_bytesThisMinute = 0;
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
        m_bytesThisMinute = 0;
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
