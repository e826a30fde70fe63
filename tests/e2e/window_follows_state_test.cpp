// The window shows what is true between the user's clicks: the renewal countdown beside the
// controls and Initial Load Only after "Flush static". Each
// picture is the window as it stands, without a repaint asked for by the test.
#include "app/tick_state.h"
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

class WindowFollowsState : public ::testing::Test {
protected:
    bool enabled(const GuiControl& control) const { return program.desktop.state(control.controlId).enabled; }

    bool countdownReads(std::string_view text)
    {
        return testsupport::showsText(program.desktop.snapshot(), text, kCountdownX, AIRP_RANGE.y, kDestinationLabelX,
                                      panel::kBlack, panel::kLightBlue);
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
