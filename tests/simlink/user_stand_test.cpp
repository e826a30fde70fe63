// The user stand in the status panel follows the user aircraft over the stands.
#include "app/app_steps.h"
#include "simlink/user_aircraft.h"

#include "parking/stand.h"
#include "support/parking_fixture.h"
#include "ui/sim_panel_state.h"

#include <gtest/gtest.h>

namespace {

using testsupport::addStand;
using testsupport::eastOf8;

void moveUserTo(double lat, double lon)
{
    g_userAcData.latitude = lat;
    g_userAcData.longitude = lon;
    gf_updateUserStand();
}

TEST(UserStand, PanelNamesTheStandWithin55MetresAndClearsItAway)
{
    g_stands.clear();
    addStand("GATE A1", 0.0);
    addStand("GATE A2", 80.0);
    struct Step {
        double eastMeters;
        const char* shown;
    };
    const Step steps[] = {
        {0.0, "GATE A1"},  {30.0, "GATE A1"}, {50.0, "GATE A2"}, {80.0, "GATE A2"},
        {140.0, ""},       {-70.0, ""},       {-10.0, "GATE A1"},
    };
    for (const Step& step : steps) {
        moveUserTo(50.0, eastOf8(step.eastMeters));
        EXPECT_EQ(gf_panelUserStand(), step.shown) << step.eastMeters << " m east";
    }
}

TEST(UserStand, RestartForgetsTheStand)
{
    g_stands.clear();
    addStand("GATE B7", 0.0);
    moveUserTo(50.0, eastOf8(0.0));
    ASSERT_EQ(gf_panelUserStand(), "GATE B7");

    lf_resetForRestart();

    EXPECT_EQ(gf_panelUserStand(), "");
}

} // namespace
