#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "support/log_capture.h"
#include "ui/status_line.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::LogCapture;
using testsupport::TempFolder;

TEST(RestartCountdown, LogsTheDelayAndItsEnd)
{
    TempFolder folder(true);
    LogCapture log;
    g_restartDelaySeconds.store(2);
    lf_restartCountdown();
    const std::vector<std::string> expected = {"Restarting after 2 seconds", std::string(48, '-'),
                                               "Restart countdown finished"};
    EXPECT_EQ(log.lines(), expected);
}

TEST(RestartCountdown, NoCountdownWithoutDelay)
{
    TempFolder folder(true);
    LogCapture log;
    g_restartDelaySeconds.store(0);
    lf_restartCountdown();
    EXPECT_TRUE(log.lines().empty());
}

TEST(RestartCountdown, OneSecondHasNoPluralEnding)
{
    TempFolder folder(true);
    LogCapture log;
    g_restartDelaySeconds.store(1);
    lf_restartCountdown();
    EXPECT_EQ(gf_statusLineText().message, "Restarting after 1 second");
    EXPECT_TRUE(log.contains("Restarting after 1 seconds"));
}
