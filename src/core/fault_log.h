// Repeated fault lines of one kind (a feed that changed its format, a program writing junk
// to the ports): the first few are logged, each cut to its first 200 characters, the rest
// are counted and summarised once their minute is over, so that Log.txt stays small
// whatever arrives.
#pragma once

#include "core/clock.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

class FaultLog {
public:
    static constexpr int kLinesPerSecond = 3;
    static constexpr int kLinesPerMinute = 10;
    static constexpr std::size_t kBytesPerMinute = 16384;

    // The kind names the summary line: "{kind}: … {N} more like this".
    explicit FaultLog(std::string_view kind);
    ~FaultLog();
    FaultLog(const FaultLog&) = delete;
    FaultLog& operator=(const FaultLog&) = delete;

    // The line for the caller to log, cut as gf_cutFaultLine cuts it, or nothing when the
    // kind's limits hold it back (it is then counted). Writes the summary of the past
    // minute first when one is due.
    std::optional<std::string> admit(std::string_view line);
    // Writes the summary of a minute that is over.
    void writeDueSummary();
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
    std::size_t m_bytesThisMinute = 0;
    std::uint64_t m_heldBack = 0;
};

// A fault line of at most about 200 characters, control bytes escaped: a longer one keeps
// its first 200 and ends with the length of the whole line as received, "… (16384 bytes)".
std::string gf_cutFaultLine(std::string_view line);

// The summaries of every kind whose minute is over (the main loop, once a second).
void gf_writeDueFaultSummaries();
// The summaries of everything held back so far (the closing-down).
void gf_writeFaultSummaries();

// The restart's entry of a fault log: its count summarised and cleared.
struct RunStateEntry;
RunStateEntry gf_faultLogEntry(std::string name, FaultLog& log);
