// Every 86400 flight seconds the day starts again: the seconds counter, the record of
// refused creations and the livery titles remembered per aircraft.
#include "app/app_steps.h"
#include "app/tick_state.h"
#include "simlink/flight_plans.h"
#include "simlink/sim_client.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

TEST(DayReset, TheLastSecondOfTheDayForgetsTheRememberedTitles)
{
    testsupport::LogCapture log;
    g_simRunning = true;
    struct Case {
        std::int32_t secondsBefore;
        bool cleared;
    };
    for (const Case c : {Case{86398, false}, Case{86399, true}}) {
        g_liveryTitleCache[4012345] = "Airbus A320 Lufthansa D-AIZA";
        g_failedLiveryList.insert("A320 DLH");
        g_secondsCounter = c.secondsBefore;
        g_newSecond = true;

        ASSERT_TRUE(lf_tick());

        EXPECT_EQ(g_liveryTitleCache.empty(), c.cleared) << c.secondsBefore;
        EXPECT_EQ(g_failedLiveryList.empty(), c.cleared) << c.secondsBefore;
        EXPECT_EQ(g_secondsCounter.load(), c.cleared ? 0 : c.secondsBefore + 1);
    }
}
