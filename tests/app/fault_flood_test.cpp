// Junk on both UDP ports for a simulated hour, through the readers' own handlers and the
// main loop's flight seconds, then the close: Log.txt stays small, and every junk datagram
// is either logged or counted in a summary line by the time the run has closed.
#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/tick_state.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "simlink/sim_client.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/temp_folder.h"
#include "traffic/qnh_reader.h"
#include "traffic/traffic_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr std::size_t kJunkBytes = 16000;

// A fault kind as the log shows it: its logged lines and its summary lines.
struct FaultKind {
    std::string linePrefix;
    std::string summaryPrefix;
};

const FaultKind kTrafficFaults{"exception in processLineSub: 1 fields, 29 needed, in: xxx",
                               "exception in processLineSub: … "};
// The JSON parser's own text quotes the unterminated string, and the line the datagram.
const FaultKind kWeatherFaults{"Exception [json.exception.parse_error", "Exception in weather: … "};

// How many faults of the kind the lines account for, logged or summarised.
std::uint64_t lf_accountedFor(const std::vector<std::string>& lines, const FaultKind& kind)
{
    std::uint64_t count = 0;
    for (const std::string& line : lines) {
        if (line.starts_with(kind.linePrefix)) {
            ++count;
        } else if (line.starts_with(kind.summaryPrefix) && line.ends_with(" more like this")) {
            std::uint64_t held = 0;
            const char* digits = line.data() + kind.summaryPrefix.size();
            std::from_chars(digits, line.data() + line.size(), held);
            count += held;
        }
    }
    return count;
}

class FaultFlood : public ::testing::Test {
protected:
    FaultFlood()
    {
        testsupport::useAppDataRoot(root.path());
        gf_writeParameters(true);
        g_simRunning = true;
        gf_setLoopRunning(true);
        clk::freeze(clk::utcNow());
    }
    ~FaultFlood() override { clk::unfreeze(); }

    // Flight seconds of junk, five datagrams a second on each port; or quiet ones.
    void flightSeconds(int seconds, bool junk)
    {
        for (int second = 0; second < seconds; ++second) {
            for (int i = 0; i < 5; ++i) {
                clk::advance(200ms);
                if (junk) {
                    g_qnhReader.handleWeather(weatherJunk);
                    g_trafficReader.handleLine(trafficJunk);
                    ++sent;
                }
            }
            g_newSecond = true;
            ASSERT_TRUE(lf_tick());
        }
    }

    testsupport::TempFolder root;
    testsupport::TempFolder work{true};
    testsupport::LogCapture log;
    const std::string trafficJunk = std::string(kJunkBytes, 'x');
    const std::string weatherJunk = R"({"QNH":")" + std::string(kJunkBytes - 8, 'x');
    std::uint64_t sent = 0;
};

} // namespace

TEST_F(FaultFlood, AnHourOfJunkLeavesASmallLogWithEveryFaultAccountedFor)
{
    flightSeconds(3600, true);
    // A quiet minute: the main loop writes the summaries of the minute that is over.
    flightSeconds(61, false);
    auto lines = log.lines();
    EXPECT_EQ(lf_accountedFor(lines, kTrafficFaults), sent);
    EXPECT_EQ(lf_accountedFor(lines, kWeatherFaults), sent);

    // What is held back when the run closes is summarised by the close.
    flightSeconds(20, true);
    gf_requestUserExit();
    lf_closingDown();
    lines = log.lines();
    EXPECT_EQ(lf_accountedFor(lines, kTrafficFaults), sent);
    EXPECT_EQ(lf_accountedFor(lines, kWeatherFaults), sent);
    const auto exiting = std::find(lines.begin(), lines.end(), "Exiting: USER CLOSED SIM");
    ASSERT_NE(exiting, lines.end());
    const std::vector<std::string> afterExit(exiting, lines.end());
    EXPECT_GT(lf_accountedFor(afterExit, kTrafficFaults), 0u);
    EXPECT_GT(lf_accountedFor(afterExit, kWeatherFaults), 0u);

    // Each logged fault quotes the first 200 characters and the datagram's length.
    const std::string cutTrafficLine =
        std::string(kTrafficFaults.linePrefix).append(200 - kTrafficFaults.linePrefix.size(), 'x') + "… (16054 bytes)";
    std::size_t uncut = 0;
    for (const std::string& line : lines) {
        if (line.starts_with(kTrafficFaults.linePrefix) && line != cutTrafficLine)
            ++uncut;
        if (line.starts_with(kWeatherFaults.linePrefix) && line.size() > 220)
            ++uncut;
    }
    EXPECT_EQ(uncut, 0u);
    gf_flushLog();
    EXPECT_LT(std::filesystem::file_size("Log.txt"), 1'000'000u);
}
