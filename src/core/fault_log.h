// Repeated fault lines of one kind (a feed that changed its format, a program writing junk
// to the ports): the first few are logged with their full text, the rest are counted and
// summarised once a minute, so that Log.txt stays small whatever arrives.
#pragma once

#include "core/clock.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

class FaultLog {
public:
    static constexpr int kLinesPerSecond = 3;
    static constexpr int kLinesPerMinute = 10;

    // The kind names the summary line: "{kind}: … {N} more like this".
    explicit FaultLog(std::string_view kind);
    FaultLog(const FaultLog&) = delete;
    FaultLog& operator=(const FaultLog&) = delete;

    // Whether the caller logs this fault line; otherwise it is counted. Writes the summary of
    // the past minute first when one is due.
    bool admit();
    // Writes the summary of what was counted and not yet summarised, then starts afresh.
    void reset();
    std::uint64_t heldBack();

private:
    std::uint64_t takeDueSummary(clk::SteadyTime now);
    void writeSummary(std::uint64_t count) const;

    const std::string m_kind;
    std::mutex m_mutex;
    bool m_started = false;
    clk::SteadyTime m_secondStart{};
    clk::SteadyTime m_minuteStart{};
    int m_linesThisSecond = 0;
    int m_linesThisMinute = 0;
    std::uint64_t m_heldBack = 0;
};

// The restart's entry of a fault log: its count summarised and cleared.
struct RunStateEntry;
RunStateEntry gf_faultLogEntry(std::string name, FaultLog& log);
