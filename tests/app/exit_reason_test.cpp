#include "app/exit_reason.h"
#include "core/stop_flags.h"

#include <gtest/gtest.h>

#include <barrier>
#include <optional>
#include <string>
#include <thread>
#include <vector>

TEST(ExitReason, TextsOfAllReasons)
{
    const std::vector<std::pair<std::uint32_t, std::string>> rows = {
        {0, "NOT YET SET"},      {1, "SIM WAS CLOSED"},  {2, "NEW FLIGHT"},
        {3, "NEW SETTINGS"},     {4, "USER CLOSED SIM"}, {5, "SIMCONNECT ERROR"},
        {6, "READER ERROR"},     {7, "SYSTEM ERROR"},    {8, "NEW VERSION"},
    };
    for (const auto& [reason, text] : rows) {
        EXPECT_EQ(gf_exitReasonText(reason), text) << reason;
    }
    EXPECT_EQ(gf_exitReasonText(42), "UNKNOWN REASON 42");
}

TEST(ExitReason, OnlyNewSettingsAndLinkErrorsRestart)
{
    for (std::uint32_t reason = 0; reason <= 8; ++reason) {
        const bool restarts = reason == 3 || reason == 5 || reason == 6;
        EXPECT_EQ(gf_isRestartReason(static_cast<ExitReason>(reason)), restarts) << reason;
    }
}

TEST(ExitReason, FirstReasonWinsWithItsDelay)
{
    EXPECT_TRUE(gf_requestStop(ExitReason::SimConnectError, 9));
    EXPECT_FALSE(gf_requestStop(ExitReason::ReaderError, 15));
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_FALSE(g_exitRequested.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::SimConnectError);
    EXPECT_EQ(g_restartDelaySeconds.load(), 9);
}

TEST(ExitReason, UserExitKeepsAnEarlierReason)
{
    gf_requestStop(ExitReason::NewSettings, 3);
    EXPECT_FALSE(gf_requestUserExit());
    EXPECT_TRUE(gf_requestUserExit());
    EXPECT_TRUE(g_exitRequested.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::NewSettings);
    EXPECT_EQ(g_restartDelaySeconds.load(), 3);
}

TEST(ExitReason, UserExitSetsUserClosedSimWhenNoReasonYet)
{
    gf_requestUserExit();
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(gf_exitReasonText(g_exitReason.load()), "USER CLOSED SIM");
    EXPECT_FALSE(gf_requestStop(ExitReason::SimConnectError, 9));
    EXPECT_EQ(gf_exitReason(), ExitReason::UserClosedSim);
}

TEST(ExitReason, ASystemErrorOrAnErrorRestartGivesWayToARestartThatMendsIt)
{
    struct Case {
        std::optional<ExitReason> earlier;
        std::int32_t earlierDelay;
        bool replaced;
        ExitReason inForce;
        std::int32_t delay;
    };
    const Case cases[] = {
        {std::nullopt, 0, true, ExitReason::NewSettings, 3},
        {ExitReason::SystemError, 0, true, ExitReason::NewSettings, 3},
        {ExitReason::UserClosedSim, 0, false, ExitReason::UserClosedSim, 0},
        {ExitReason::NewVersion, 0, false, ExitReason::NewVersion, 0},
        {ExitReason::ReaderError, 15, true, ExitReason::NewSettings, 3},
        {ExitReason::SimConnectError, 9, true, ExitReason::NewSettings, 3},
        {ExitReason::NewFlight, 0, false, ExitReason::NewFlight, 0},
    };
    for (const Case& c : cases) {
        g_exitReason = 0;
        g_stopRequested = false;
        if (c.earlier) {
            gf_requestStop(*c.earlier, c.earlierDelay);
        }
        EXPECT_EQ(gf_requestMendingRestart(ExitReason::NewSettings, 3), c.replaced);
        EXPECT_EQ(gf_exitReason(), c.inForce);
        EXPECT_EQ(g_restartDelaySeconds.load(), c.delay);
        EXPECT_TRUE(g_stopRequested.load());
    }
}

// Many components ending the run at once: exactly one wins, and whoever sees the stop
// flag raised already sees a reason.
TEST(ExitReason, ConcurrentStopsHaveExactlyOneWinnerAndNeverAStopWithoutReason)
{
    constexpr int kThreads = 8;
    std::barrier start(kThreads + 1);
    std::atomic<int> winners{0};
    std::atomic<bool> sawStopWithoutReason{false};
    std::vector<std::jthread> threads;
    std::jthread watcher([&] {
        start.arrive_and_wait();
        while (!g_stopRequested.load()) {
        }
        if (g_exitReason.load() == 0) {
            sawStopWithoutReason = true;
        }
    });
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            const auto reason = (i % 2 == 0) ? ExitReason::SimConnectError : ExitReason::ReaderError;
            if (gf_requestStop(reason, i % 2 == 0 ? 9 : 15)) {
                ++winners;
            }
        });
    }
    threads.clear();
    watcher.join();
    EXPECT_EQ(winners.load(), 1);
    EXPECT_FALSE(sawStopWithoutReason.load());
    const int delay = g_restartDelaySeconds.load();
    EXPECT_EQ(delay, gf_exitReason() == ExitReason::SimConnectError ? 9 : 15);
}
