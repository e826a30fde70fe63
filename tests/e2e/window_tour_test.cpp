// The program started in this process on the headless desktop, its window used as a user
// uses it: every list, box, edit box and button, before and after a static-parking renewal.
#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "app/tick_state.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/stop_flags.h"
#include "parking/static_parking.h"
#include "platform/standin/shell32_control.h"
#include "platform/standin/simworld.h"
#include "support/program_window.h"
#include "ui/busy_state.h"
#include "ui/control_requests.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::ProgramSetup;
using testsupport::ProgramWindow;

namespace {

// Every drop-down list of the window.
const std::initializer_list<const GuiControl*> kLists{
    &SIM_CHOICE,   &AI_PACKAGE_SELECTOR, &MATCHING_DEPTH, &RANGE,     &AR_ABOVE_HEIGHT,    &MAX_PARK_SEL,
    &MAX_LIVE_SEL, &AIRP_RANGE,          &AIRP_HEIGHT,    &MAX_FIT_FL, &parking_percentage};

// Lists the user changes in the tour, the entry picked in each round, with the setting that
// "parameters.xml" then holds.
struct ListPick {
    const GuiControl* list;
    std::array<const char*, 2> entries;
    const char* setting;
    std::array<const char*, 2> stored;
};

// The check boxes the user ticks in the tour. The light aircraft, helicopter and fighter boxes
// stay disabled: the scanned liveries have none of them. The two scan boxes restart the run
// at once while RealTraffic is not connected; their own tests cover them.
const std::initializer_list<BoolGuiParameter*> kBoxes{
    &LIG_AUTOMATIC,      &LIG_PRIORITIZE,     &ALWAYS_ON_TOP,             &NAV_LIGHTS_WHILE_PARKED, &AEROWINX,
    &GUID_CHANGES,       &AUTO_RANGE,         &AIRBORNE_ONLY,             &COLLISION_USER_GND,
    &COLLISION_USER_AIR, &COLLISION_LIVE_PARKED_GND, &STRAIGHT_PBS_ONLY, &INITIAL_LOAD_ONLY, &WEEK, &PARK_SOFT};

class WindowTour : public ::testing::Test {
protected:
    bool enabled(const GuiControl& control) const { return program.desktop.state(control.controlId).enabled; }

    // What the Parts leave usable while no renewal runs: every list filled with its entry
    // selected, the lists that follow a box in that box's state, and the idle buttons.
    void expectUsable(const char* when)
    {
        SCOPED_TRACE(when);
        for (const GuiControl* list : kLists) {
            const standin::ControlState state = program.desktop.state(list->controlId);
            EXPECT_FALSE(state.items.empty()) << list->controlId;
            EXPECT_GE(state.selection, 0) << list->controlId;
        }
        EXPECT_NE(enabled(RANGE), AUTO_RANGE.value.load());
        EXPECT_EQ(enabled(AR_ABOVE_HEIGHT), AUTO_RANGE.value.load());
        EXPECT_EQ(enabled(AI_PACKAGE_SELECTOR), LIG_AUTOMATIC.value && !SCAN_LIVERIES.value);
        for (const GuiControl* control : std::initializer_list<const GuiControl*>{
                 &SIM_CHOICE, &MATCHING_DEPTH, &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE, &AIRP_HEIGHT, &MAX_FIT_FL,
                 &parking_percentage, &WEEK, &PARK_SOFT, &BUTTON_NOW, &BUTTON_REREAD, &BUTTON_FLUSH_STATIC,
                 &BUTTON_TBLO, &BUTTON_CALLSIGN_2_OBJECTID, &BLOCK_CALLSIGN, &DESTINATION, &ALL_INSTALL_PATH}) {
            EXPECT_TRUE(enabled(*control)) << control->controlId;
        }
        for (const BoolGuiParameter* box : kBoxes) {
            EXPECT_TRUE(enabled(*box)) << box->name;
        }
    }

    // Each box flipped and flipped back: stored both ways, and the controls that follow it.
    void tickEveryBox()
    {
        for (BoolGuiParameter* box : kBoxes) {
            SCOPED_TRACE(box->name);
            const bool before = box->value;
            ASSERT_TRUE(program.desktop.click(box->controlId));
            EXPECT_EQ(ProgramWindow::stored(box->name), before ? "false" : "true");
            if (box == &AUTO_RANGE) {
                EXPECT_EQ(enabled(RANGE), before);
                EXPECT_NE(enabled(AR_ABOVE_HEIGHT), before);
            } else if (box == &LIG_AUTOMATIC) {
                EXPECT_EQ(enabled(AI_PACKAGE_SELECTOR), !before);
            } else if (box == &INITIAL_LOAD_ONLY) {
                EXPECT_EQ(enabled(BUTTON_NOW), before);
            }
            ASSERT_TRUE(program.desktop.click(box->controlId));
            EXPECT_EQ(ProgramWindow::stored(box->name), before ? "true" : "false");
        }
    }

    void pickInEveryList(std::size_t round)
    {
        const ListPick picks[] = {
            {&AI_PACKAGE_SELECTOR, {"FSLTL, AIG, JF, MTL", "MTL, JF"}, "AI_PACKAGE_SELECTOR",
             {"FSLTL, AIG, JF, MTL", "MTL, JF"}},
            {&MATCHING_DEPTH, {"3", "2"}, "MATCHING_DEPTH", {"3", "2"}},
            {&RANGE, {"25", "30"}, "RANGE", {"25", "30"}},
            {&MAX_PARK_SEL, {"100", "75"}, "MAX_PARK_SEL", {"100", "75"}},
            {&MAX_LIVE_SEL, {"100", "75"}, "MAX_LIVE_SEL", {"100", "75"}},
            {&AIRP_RANGE, {"25", "30"}, "AIRP_RANGE", {"25", "30"}},
            {&parking_percentage, {"50", "35"}, "parking_percentage", {"50", "35"}},
            {&MAX_FIT_FL, {"12.0", "1.5"}, "MAX_FIT", {"23", "2"}},
        };
        for (const ListPick& pick : picks) {
            SCOPED_TRACE(pick.setting);
            ASSERT_TRUE(program.desktop.pick(pick.list->controlId, pick.entries.at(round)));
            EXPECT_EQ(ProgramWindow::stored(pick.setting), pick.stored.at(round));
        }
        EXPECT_EQ(g_rangeNm.load(), round == 0 ? 25.0 : 30.0);
        EXPECT_EQ(gf_statusLineText().message, "If you want to make this choice effective, you must start a Scan for liveries");
        // The lists that follow AUTO_RANGE: the height list only while it is on.
        ASSERT_TRUE(program.desktop.click(AUTO_RANGE.controlId));
        ASSERT_TRUE(program.desktop.pick(AR_ABOVE_HEIGHT.controlId, 1));
        EXPECT_NE(ProgramWindow::stored("AR_ABOVE_HEIGHT"), "<none>");
        ASSERT_TRUE(program.desktop.click(AUTO_RANGE.controlId));
        ASSERT_TRUE(program.desktop.pick(AIRP_HEIGHT.controlId, 0));
        EXPECT_NE(ProgramWindow::stored("AIRP_HEIGHT"), "<none>");
    }

    void typeInEveryEditBox()
    {
        ASSERT_TRUE(program.desktop.typeAndEnter(BLOCK_CALLSIGN.controlId, "dlh100"));
        EXPECT_EQ(ProgramWindow::stored("BLOCK_CALLSIGN"), "DLH100");
        EXPECT_TRUE(enabled(BUTTON_UNBLOCK));
        ASSERT_TRUE(program.desktop.click(BUTTON_UNBLOCK.controlId));
        EXPECT_EQ(ProgramWindow::stored("BLOCK_CALLSIGN"), "");
        EXPECT_FALSE(enabled(BUTTON_UNBLOCK));

        ASSERT_TRUE(program.desktop.typeAndEnter(ALL_INSTALL_PATH.controlId, "nowhere"));
        EXPECT_EQ(gf_statusLineText().message, "This install path does not exist: nowhere");

        ASSERT_TRUE(program.desktop.typeAndEnter(DESTINATION.controlId, "EDDF"));
        EXPECT_EQ(ProgramWindow::stored("DESTINATION"), "EDDF");
        EXPECT_TRUE(program.pumpUntil([&] { return enabled(BUTTON_REREAD); }));
    }

    void pressTheButtons()
    {
        ASSERT_TRUE(program.desktop.click(BUTTON_REREAD.controlId));
        EXPECT_FALSE(enabled(BUTTON_REREAD));
        EXPECT_TRUE(program.pumpUntil([&] { return enabled(BUTTON_REREAD) && enabled(DESTINATION); }));

        ASSERT_TRUE(program.desktop.click(BUTTON_CALLSIGN_2_OBJECTID.controlId));
        EXPECT_FALSE(enabled(BUTTON_BLOCK));
        program.runFlightSeconds(3);

        standin::clearShellExecuteCalls();
        ASSERT_TRUE(program.desktop.click(BUTTON_TBLO.controlId));
        EXPECT_EQ(standin::shellExecuteCalls().size(), 1u);
    }

    ProgramWindow program{ProgramSetup{{{"AUTO_RANGE", "false"}}}};
};

} // namespace

TEST(WindowAtStart, ListsAreFilledTheStoredRangeAppliesAndTheAddonFolderIsCounted)
{
    ProgramWindow program(ProgramSetup{{{"AUTO_RANGE", "false"}, {"RANGE", "10"}}});
    ASSERT_TRUE(program.start());

    for (const GuiControl* list : kLists) {
        const standin::ControlState state = program.desktop.state(list->controlId);
        EXPECT_FALSE(state.items.empty()) << list->controlId;
        EXPECT_GE(state.selection, 0) << list->controlId;
    }
    EXPECT_EQ(program.desktop.state(parking_percentage.controlId).items.front(), "0");
    EXPECT_EQ(program.desktop.state(AI_PACKAGE_SELECTOR.controlId).text, AI_PACKAGE_SELECTOR.value);
    EXPECT_EQ(g_rangeNm.load(), 10.0);
    EXPECT_EQ(program.desktop.state(RANGE.controlId).text, "10");
    EXPECT_TRUE(program.desktop.state(RANGE.controlId).enabled);
    EXPECT_FALSE(program.desktop.state(AR_ABOVE_HEIGHT.controlId).enabled);
    // "airports/my_simaddon" holds the park file; the working folder's root gets no such folder.
    EXPECT_EQ(g_addonFolderCounts.simAddon.load(), 1);
    EXPECT_FALSE(fs::exists(program.work.path() / "my_simaddon"));
}

TEST(WindowAtStart, AutomaticRangeMeasuresToTheFirstParkAirportBeforeItsFileIsLoaded)
{
    ProgramSetup setup{{{"AUTO_RANGE", "true"}}};
    // Airborne at 3000 ft, about 25 nm north of Frankfurt: out of the airport's 20 nm sight.
    setup.userLat = 50.45;
    setup.userLon = 8.5706;
    setup.userOnGround = false;
    setup.userAltitudeFt = 3000.0;
    ProgramWindow program(setup);
    testsupport::writeFile(program.work.path() / folders::myParkAirportsTxt(), "EDDF\n");
    ASSERT_TRUE(program.start());

    EXPECT_TRUE(program.pumpUntil([] { return g_rangeNm.load() == 25.0; }, 10s)) << g_rangeNm.load();
    EXPECT_FALSE(gf_parkFileLoaded());
    EXPECT_FALSE(program.desktop.state(RANGE.controlId).enabled);
    EXPECT_TRUE(program.desktop.state(AR_ABOVE_HEIGHT.controlId).enabled);
}

TEST_F(WindowTour, EveryControlWorksBeforeAndAfterARenewal)
{
    ASSERT_TRUE(program.start());
    ASSERT_TRUE(program.parkedAndIdle());
    expectUsable("at start");
    tickEveryBox();
    pickInEveryList(0);
    typeInEveryEditBox();
    pressTheButtons();

    // "Now": the renewal runs at the next quarter minute and ends idle again.
    ASSERT_TRUE(program.desktop.click(BUTTON_NOW.controlId));
    EXPECT_TRUE(g_busy.load());
    EXPECT_FALSE(enabled(MAX_PARK_SEL));
    ASSERT_TRUE(program.pumpUntil([] { return !g_renewalRequested.load(); }));
    ASSERT_TRUE(program.parkedAndIdle());
    EXPECT_GE(g_staticParkingCountdown.load(), 18);
    expectUsable("after the renewal");
    tickEveryBox();
    pickInEveryList(1);
    typeInEveryEditBox();
    pressTheButtons();

    // "Flush static": the statics go and Initial Load Only is ticked, saved and followed as a
    // tick by hand is: "Now" renews nothing and is disabled.
    ASSERT_TRUE(program.desktop.click(BUTTON_FLUSH_STATIC.controlId));
    EXPECT_TRUE(program.pumpUntil([&] {
        return INITIAL_LOAD_ONLY.value && program.desktop.state(INITIAL_LOAD_ONLY.controlId).checked &&
               enabled(BUTTON_FLUSH_STATIC) && standin::SimWorld::instance().aliveAiObjects().empty();
    }));
    EXPECT_EQ(ProgramWindow::stored("INITIAL_LOAD_ONLY"), "true");
    EXPECT_FALSE(enabled(BUTTON_NOW));
    EXPECT_FALSE(program.desktop.click(BUTTON_NOW.controlId));
    EXPECT_FALSE(g_renewalRequested.load());
}
