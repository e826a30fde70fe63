#include "soak/day_hostile_feed.h"

#include "support/log_capture.h"

#include "core/log.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <vector>

namespace soak {

namespace {

enum Field : std::size_t { kHexid = 1, kAltitude = 4, kCallsign = 9, kType = 10, kOrigin = 12, kDestination = 13 };

constexpr std::size_t kLongestLine = 1000;

// Thousands of characters with what a forger would put in a log.
std::string lf_longField()
{
    return std::string(2000, 'E') + "\nExiting: USER CLOSED SIM\r\n==> forged\x1b[2J\x7f" + std::string(2000, 'E');
}

std::vector<std::string> lf_fields(const std::string& line)
{
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

// The line with one of its flight's fields spoilt, by the flight's turn.
std::string lf_spoilt(const std::string& line, std::uint32_t hexid)
{
    std::vector<std::string> fields = lf_fields(line);
    switch (hexid / 10 % 4) {
    case 0:
        fields[kCallsign] += "XYZW";
        break;
    case 1:
        fields[kOrigin] = fields[kDestination] = lf_longField();
        break;
    case 2:
        // Airborne only: the line is dropped, and a parked aircraft would count as stale.
        if (fields[kAltitude] != "0")
            fields[kType] = lf_longField();
        break;
    default:
        fields[kCallsign] = fields[kCallsign].substr(0, 2) + '\n' + fields[kCallsign].substr(2);
        break;
    }
    std::string spoilt = fields.front();
    for (std::size_t i = 1; i < fields.size(); ++i)
        spoilt += ',' + fields[i];
    return spoilt;
}

bool lf_badLogLine(const std::string& line)
{
    return line.size() > kLongestLine || std::any_of(line.begin(), line.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
           });
}

} // namespace

void HostileStretch::send(std::int64_t tick, const std::string& line, const std::function<void(const std::string&)>& to)
{
    const std::int64_t second = tick / 100;
    const std::int64_t inPeriod = second % 600;
    if (inPeriod < kHostileStart || inPeriod >= kHostileStart + kHostileSeconds) {
        to(line);
        return;
    }
    if (second != m_lastJunkSecond) {
        m_lastJunkSecond = second;
        ++m_junk;
        to("a,b\nExiting: USER CLOSED SIM\n==> forged\x1b\x07" + std::string(3000, 'x'));
    }
    const std::uint32_t hexid = static_cast<std::uint32_t>(std::stoul(lf_fields(line)[kHexid]));
    if (hexid % 10 != 3) {
        to(line);
        return;
    }
    ++m_changed;
    to(lf_spoilt(line, hexid));
}

std::string HostileStretch::summary() const
{
    return fmt::format("hostile stretch: {} lines spoilt, {} junk datagrams\n", m_changed, m_junk);
}

FeedBounds::FeedBounds()
{
    std::error_code error;
    m_logRead = std::filesystem::file_size("Log.txt", error);
    if (error)
        m_logRead = 0;
}

void FeedBounds::check(int second)
{
    {
        const std::lock_guard lock(g_trafficMutex);
        m_queuePeak = std::max(m_queuePeak, g_trafficQueue.size());
    }
    readNewLogLines(second);
}

void FeedBounds::readNewLogLines(int second)
{
    for (const std::string& line : testsupport::logLinesFrom(m_logRead)) {
        m_logRead += line.size() + 1;
        if (lf_badLogLine(line) && m_longOrControlLines++ == 0)
            m_firstBadLine = fmt::format("second {}: {}", second, line.substr(0, 200));
        if (line.starts_with("traffic queue full"))
            ++m_queueFullLines;
    }
}

void FeedBounds::expectKept() const
{
    EXPECT_EQ(m_longOrControlLines, 0u) << "a line of Log.txt longer than " << kLongestLine
                                        << " bytes or with a control byte, the first at " << m_firstBadLine;
    EXPECT_LT(m_queuePeak, kTrafficQueueBound) << "the day's feed filled the traffic queue";
    EXPECT_EQ(m_queueFullLines, 0u) << "records of the day's feed were dropped";
}

std::string FeedBounds::table() const
{
    return fmt::format("log lines too long or with control bytes: {}; traffic queue peak {} of {}, "
                       "\"traffic queue full\" lines: {}\n",
                       m_longOrControlLines, m_queuePeak, kTrafficQueueBound, m_queueFullLines);
}

} // namespace soak
