#include "app/closing_down.h"
#include "app/exit_reason.h"
#include "core/stop_flags.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

using testsupport::LogCapture;
using testsupport::TempFolder;

TEST(ReaderStopped, ShowsTheErrorAndRestartsAfter15Seconds)
{
    TempFolder folder(true);
    LogCapture log;
    gf_reportReaderStopped("Traffic Reader", "receive error: Connection reset");
    const std::string text = "The Traffic Reader has stopped with error: receive error: Connection reset";
    EXPECT_EQ(gf_statusLineText().message, text);
    EXPECT_TRUE(log.contains(text));
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(gf_exitReasonText(g_exitReason.load()), "READER ERROR");
    EXPECT_EQ(g_restartDelaySeconds.load(), 15);
}

TEST(ReaderStopped, KeepsAnEarlierReason)
{
    TempFolder folder(true);
    LogCapture log;
    gf_requestStop(ExitReason::SimConnectError, 9);
    gf_reportReaderStopped("QNH Reader", "bind to stream socket failed");
    EXPECT_EQ(gf_exitReason(), ExitReason::SimConnectError);
    EXPECT_EQ(g_restartDelaySeconds.load(), 9);
}
