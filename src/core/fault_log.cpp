// Rate limit, length cut and minute summary of repeated fault lines.
#include "core/fault_log.h"

#include "core/charset.h"
#include "core/log.h"
#include "core/run_state.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
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

// The text with its control bytes written out ("\n", "\x1b"), as are bytes that are not UTF-8
// and the characters that some viewers take for a line end (U+0085, U+2028, U+2029), so that
// what a peer sent stays on one log line of valid text; stopped once it is longer than the limit.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kLineEndCharacters{
    {{"\xC2\x85", "\\u0085"}, {"\xE2\x80\xA8", "\\u2028"}, {"\xE2\x80\xA9", "\\u2029"}}};

std::string lf_escapedUpTo(std::string_view text, std::size_t limit)
{
    std::string escaped;
    for (std::size_t at = 0; at < text.size() && escaped.size() <= limit;) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        const std::size_t length = byte < 0x80 ? 1 : gf_utf8CharacterLength(text, at);
        const std::string_view character = text.substr(at, std::max<std::size_t>(length, 1));
        at += character.size();
        if (length == 0) {
            escaped += fmt::format("\\x{:02x}", byte);
        } else if (const auto lineEnd = std::find_if(kLineEndCharacters.begin(), kLineEndCharacters.end(),
                                                     [&](const auto& known) { return known.first == character; });
                   lineEnd != kLineEndCharacters.end()) {
            escaped += lineEnd->second;
        } else if (byte >= 0x20 && byte != 0x7F) {
            escaped += character;
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\t') {
            escaped += "\\t";
        } else {
            escaped += fmt::format("\\x{:02x}", byte);
        }
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
