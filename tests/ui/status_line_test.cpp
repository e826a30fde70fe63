#include "ui/status_line.h"

#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using testsupport::LogCapture;
using testsupport::TempFolder;

namespace {

void advance(int seconds)
{
    for (int i = 0; i < seconds; ++i) {
        gf_advanceStatusClock();
    }
}

} // namespace

TEST(StatusLine, MessageIsShownAndLoggedWhenAsked)
{
    TempFolder folder(true);
    LogCapture log;
    gf_showMessage("RealTraffic detected at this PC", true);
    gf_showMessage("quiet one", false);
    EXPECT_EQ(gf_statusLineText().message, "quiet one");
    EXPECT_TRUE(log.contains("RealTraffic detected at this PC"));
    EXPECT_FALSE(log.contains("quiet one"));
}

TEST(StatusLine, EmptyMessageClearsWithoutLogging)
{
    TempFolder folder(true);
    LogCapture log;
    gf_showMessage("shown", false);
    gf_showMessage("", true);
    EXPECT_EQ(gf_statusLineText().message, "");
    EXPECT_TRUE(log.lines().empty());
}

TEST(StatusLine, ErrorHidesMessagesAndDropsNewOnes)
{
    TempFolder folder(true);
    LogCapture log;
    gf_showMessage("before", false);
    gf_showError("SimConnect_Open failed");
    gf_showMessage("dropped", true);
    gf_clearMessage();
    const auto shown = gf_statusLineText();
    EXPECT_EQ(shown.error, "SimConnect_Open failed");
    EXPECT_EQ(shown.message, "");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Error SimConnect_Open failed"});
}

TEST(StatusLine, SecondErrorReplacesTheFirstAndIsLoggedToo)
{
    TempFolder folder(true);
    LogCapture log;
    gf_showError("first");
    gf_showError("second");
    EXPECT_EQ(gf_statusLineText().error, "second");
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Error first", "Error second"}));
}

TEST(StatusLine, MessageExpiresAfter25FlightSeconds)
{
    gf_showMessage("set at clock 0", false); // stamped 1
    advance(25);
    EXPECT_EQ(gf_statusLineText().message, "set at clock 0");
    advance(1);
    EXPECT_EQ(gf_statusLineText().message, "");
}

TEST(StatusLine, NewMessageRestartsItsLife)
{
    advance(10);
    gf_showMessage("first", false);
    advance(20);
    gf_showMessage("second", false);
    advance(24);
    EXPECT_EQ(gf_statusLineText().message, "second");
    advance(1);
    EXPECT_EQ(gf_statusLineText().message, "");
}

TEST(StatusLine, ErrorNeverExpiresAndClearsOnlyOnRequest)
{
    gf_showError("stays");
    advance(100);
    EXPECT_EQ(gf_statusLineText().error, "stays");
    gf_clearStatusError();
    EXPECT_EQ(gf_statusLineText().error, "");
    gf_showMessage("shown again", false);
    EXPECT_EQ(gf_statusLineText().message, "shown again");
}

TEST(StatusLine, RestartResetClearsEverythingAndTheClock)
{
    advance(40);
    gf_showError("old run");
    gf_resetStatusLine();
    EXPECT_EQ(gf_statusLineText().error, "");
    gf_showMessage("new run", false); // stamped 1 again
    advance(25);
    EXPECT_EQ(gf_statusLineText().message, "new run");
    advance(1);
    EXPECT_EQ(gf_statusLineText().message, "");
}

TEST(StatusLine, WritersOnManyThreadsKeepOneConsistentLine)
{
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < 500; ++i) {
                gf_showMessage("thread " + std::to_string(t), false);
                gf_advanceStatusClock();
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    EXPECT_EQ(gf_statusLineText().message.rfind("thread ", 0), 0u);
}
