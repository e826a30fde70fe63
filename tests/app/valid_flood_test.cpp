// Valid traffic lines from a hostile peer, through the Traffic Reader's handler and the main
// loop's ticks: over-long fields and control bytes neither respawn an aircraft nor reach
// Log.txt raw, and a flood of lines leaves the traffic queue at its bound.
#include "app/app_steps.h"
#include "app/tick_state.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "support/air_traffic.h"
#include "support/engine_fixture.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "support/traffic_lines.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_reader.h"
#include "traffic/traffic_record.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <mutex>
#include <string>

using namespace std::chrono_literals;
using testsupport::TrafficLine;

namespace {

enum Field : std::size_t { kLon = 3, kCallsign = 9, kType = 10, kOrigin = 12, kDestination = 13, kTimestamp = 14 };

constexpr double kFirstTime = 1765100000.0;

class ValidFlood : public ::testing::Test {
protected:
    ValidFlood()
    {
        g_simRunning = true;
        gf_setLoopRunning(true);
        clk::freeze(clk::utcNow());
        // The user flies over Amsterdam: the main loop takes the feed around the user.
        g_userAcData.latitude = 52.3;
        g_userAcData.longitude = 4.76;
        g_trafficReader.setReferencePosition({52.3, 4.76});
    }
    ~ValidFlood() override { clk::unfreeze(); }

    // The feed's KLM B738 as the simulator shows it, flying east from Amsterdam to London.
    static void activeKlm()
    {
        testsupport::fillSmallAircraftTables();
        LiveAc ac = testsupport::makeActiveAc(
            Category::Large, 42, testsupport::makeTrack({.start = {52.3, 4.76}, .trackDeg = 90, .count = 1}));
        ac.hexid = 4738157;
        ac.callsign = ac.firstCallsign = "KLM1234";
        ac.registration = "PH-BXA";
        ac.type = "B738";
        ac.airline = "KLM";
        ac.origin = "EHAM";
        ac.destination = "EGLL";
        ac.lastSampleTime = kFirstTime;
        g_liveAcs.push_back(ac);
    }

    // The aircraft's sample seconds later, further east at 280 kt.
    static TrafficLine sample(int seconds)
    {
        return TrafficLine()
            .set(kTimestamp, fmt::format("{:.1f}", kFirstTime + seconds))
            .set(kLon, fmt::format("{:.4f}", 4.76 + 0.002 * seconds));
    }

    // Ticks of the main loop, one flight second every hundred.
    static void ticks(int count)
    {
        for (int tick = 1; tick <= count; ++tick) {
            g_newSecond = tick % 100 == 0;
            clk::advance(10ms);
            ASSERT_TRUE(lf_tick());
        }
    }

    std::size_t logged(const std::string& text) const
    {
        const auto lines = log.lines();
        return static_cast<std::size_t>(std::count_if(
            lines.begin(), lines.end(), [&](const std::string& line) { return line.find(text) != std::string::npos; }));
    }

    // Lines of Log.txt longer than 1000 bytes or holding a control byte.
    std::size_t badLogLines() const
    {
        gf_flushLog();
        const auto lines = log.lines();
        return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.size() > 1000 || std::any_of(line.begin(), line.end(), [](char c) {
                       return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                   });
        }));
    }

    testsupport::TempFolder work{true};
    testsupport::LogCapture log;
};

} // namespace

TEST_F(ValidFlood, LongFieldsAndAnOverlongCallsignNeitherRespawnNorWriteLongLines)
{
    GUID_CHANGES.value = true;
    activeKlm();
    const std::string longField = std::string(2500, 'E') + "\nExiting: USER CLOSED SIM\n" + std::string(2500, 'E');
    const TrafficLine lines[] = {
        sample(10).set(kCallsign, "KLM123456"),
        sample(20).set(kCallsign, "KLM1234567"),
        sample(30).set(kOrigin, longField).set(kDestination, longField),
        sample(40).set(kCallsign, "KLM\n1234"),
        sample(50).set(kDestination, "EG\x1bLL"),
        sample(60).set(kType, longField),
    };
    for (const auto& line : lines) {
        g_trafficReader.handleLine(line.text());
        ticks(100);
    }
    ASSERT_EQ(g_liveAcs.size(), 1u);
    EXPECT_EQ(g_liveAcs.front().lastSampleTime, kFirstTime + 50);
    EXPECT_EQ(g_liveAcs.front().callsign, "KLM1234");
    EXPECT_EQ(g_liveAcs.front().destination, "EGLL");
    EXPECT_EQ(logged("respawns"), 0u) << log.text();
    EXPECT_EQ(logged("Exiting:"), 0u);
    EXPECT_EQ(badLogLines(), 0u);
}

TEST_F(ValidFlood, AMillionValidLinesLeaveTheQueueAtItsBoundWithTheDropsInTheSummary)
{
    constexpr std::size_t kLines = 1'000'000;
    const std::string line = sample(2);
    for (std::size_t i = 0; i < kLines; ++i)
        g_trafficReader.handleLine(line);
    {
        const std::lock_guard lock(g_trafficMutex);
        EXPECT_EQ(g_trafficQueue.size(), kTrafficQueueBound);
    }
    // The minute ends; the main loop writes the summary in its next flight second.
    clk::advance(61s);
    ticks(100);
    const std::string summaryStart = "traffic queue full: … ";
    std::uint64_t accounted = logged("traffic queue full: oldest of 20000 records dropped");
    for (const std::string& logLine : log.lines()) {
        if (logLine.starts_with(summaryStart) && logLine.ends_with(" more like this")) {
            std::uint64_t held = 0;
            std::from_chars(logLine.data() + summaryStart.size(), logLine.data() + logLine.size(), held);
            accounted += held;
        }
    }
    EXPECT_EQ(accounted, kLines - kTrafficQueueBound) << log.text();
    EXPECT_EQ(badLogLines(), 0u);
}
