// The window shows what is true between the user's clicks: the renewal countdown beside the
// controls, Initial Load Only after "Flush static", the reserved stand after "Re-read". Each
// picture is the window as it stands, without a repaint asked for by the test.
#include "app/tick_state.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "parking/static_parking.h"
#include "platform/standin/simworld.h"
#include "support/painted_text.h"
#include "support/program_window.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>

using namespace std::chrono_literals;
using testsupport::ProgramSetup;
using testsupport::ProgramWindow;

namespace {

// The countdown is drawn at x 5 of the destination row, left of "Destination:" at x 137.
constexpr int kCountdownX = 5;
constexpr int kDestinationLabelX = 137;
// The airport at x 5 of the parking band's first line, left of its names at 85; the fit's mark
// at x 370 of the parking band's first line, left of "qf: {}" at 430.
constexpr int kNamesX = 85;
constexpr int kFitMarkX = 370;
constexpr int kQualityX = 430;
// "reserved stand: {}" at x 571 of the parking band's first line, left of "# updates" at 748.
constexpr int kReservedStandX = 571;
constexpr int kBandFirstLineY = 399;
constexpr int kUpdatesX = 748;

class WindowFollowsState : public ::testing::Test {
protected:
    bool enabled(const GuiControl& control) const { return program.desktop.state(control.controlId).enabled; }

    bool countdownReads(std::string_view text)
    {
        return testsupport::showsText(program.desktop.snapshot(), text, kCountdownX, AIRP_RANGE.y, kDestinationLabelX,
                                      panel::kBlack, panel::kLightBlue);
    }

    bool reservedStandReads(const std::string& stand)
    {
        return testsupport::showsText(program.desktop.snapshot(), "reserved stand: " + stand, kReservedStandX,
                                      kBandFirstLineY, kUpdatesX, panel::kGreen, panel::kBlack);
    }

    ProgramWindow program{ProgramSetup{{{"AUTO_RANGE", "false"}}}};
};

} // namespace

TEST_F(WindowFollowsState, CountdownLabelFollowsEachMinuteAndGoesWithTheParkAirport)
{
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.parkedAndIdle());
    const std::int32_t first = g_staticParkingCountdown.load();
    ASSERT_GE(first, 18);
    for (std::int32_t minutes = first; minutes >= 15; --minutes) {
        const std::string text = fmt::format("(next in {} min)", minutes);
        EXPECT_TRUE(program.pumpUntil(
            [&] { return g_staticParkingCountdown.load() == minutes && countdownReads(text); }, 20s))
            << text << " while the countdown is " << g_staticParkingCountdown.load();
    }

    // Airborne high above the airport, out of its sight: its aircraft go, and no countdown is left.
    standin::UserAircraftSetup above = testsupport::programWorld(ProgramSetup{}).user;
    above.onGround = false;
    above.altitudeFt = 25000.0;
    standin::SimWorld::instance().moveUser(above);
    EXPECT_TRUE(program.pumpUntil([&] { return !gf_parkFileLoaded() && countdownReads(""); }));
}

TEST_F(WindowFollowsState, FlushStaticTicksInitialLoadOnlyAndItsLabelAndNowAgree)
{
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.parkedAndIdle());

    ASSERT_TRUE(program.desktop.click(BUTTON_FLUSH_STATIC.controlId));
    ASSERT_TRUE(program.pumpUntil([&] {
        return program.desktop.state(INITIAL_LOAD_ONLY.controlId).checked && enabled(BUTTON_FLUSH_STATIC);
    }));

    EXPECT_FALSE(enabled(BUTTON_NOW));
    EXPECT_EQ(ProgramWindow::stored("INITIAL_LOAD_ONLY"), "true");
    // "ILO" turns yellow and the countdown gives way to "(no next ... )".
    EXPECT_TRUE(program.pumpUntil(
        [&] {
            const standin::Surface picture = program.desktop.snapshot();
            return testsupport::showsText(picture, "ILO", 25, INITIAL_LOAD_ONLY.y, 50, panel::kYellow,
                                          panel::kLightBlue) &&
                   countdownReads("(no next ... )");
        },
        5s));
}

TEST_F(WindowFollowsState, RereadWhileTheUserStandsStillTakesOverAnEditedReservedStand)
{
    testsupport::writeFile(program.work.path() / folders::myParkAirportsTxt(), "EDDF,V1\n");
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.parkedAndIdle());
    ASSERT_TRUE(program.pumpUntil([&] { return reservedStandReads("V1"); }, 5s));

    // The user edits the stand; the file now lists another airport first.
    testsupport::writeFile(program.work.path() / folders::myParkAirportsTxt(), "EDDM\nEDDF,V2\n");
    ASSERT_TRUE(program.desktop.click(BUTTON_REREAD.controlId));
    ASSERT_TRUE(program.pumpUntil([&] { return enabled(BUTTON_REREAD); }));

    EXPECT_TRUE(program.log.contains("reserved stand changed from 'V1' to 'V2'"));
    EXPECT_FALSE(program.log.contains("park airports and stands are okay"));
    EXPECT_TRUE(program.pumpUntil([&] { return reservedStandReads("V2"); }, 5s));
}

TEST(WindowFitMark, TellsWhatTheFitUsedNotWhatTheSettingsAllow)
{
    // Every stand has real uses at every half hour of every day: today's real data fill the plan.
    ProgramWindow program{ProgramSetup{{{"AUTO_RANGE", "false"}, {"WEEK", "true"}, {"PARK_SOFT", "true"}}}};
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.parkedAndIdle());

    // The band shows the airport, and no "*WS*": neither soft data nor other weekdays were used.
    const standin::Surface picture = program.desktop.snapshot();
    EXPECT_TRUE(testsupport::showsText(picture, "EDDF (FRA)", 5, kBandFirstLineY, kNamesX, panel::kGreen, panel::kBlack));
    EXPECT_TRUE(testsupport::showsText(picture, "", kFitMarkX, kBandFirstLineY, kQualityX, panel::kGreen, panel::kBlack));
    EXPECT_TRUE(program.log.contains("2 positions (33% vs wanted 30%, with Max fit=24.0 hours)"));
}
