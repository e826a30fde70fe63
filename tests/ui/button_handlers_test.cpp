// The push buttons, the callsign list and the busy state of static parking.
#include "app/tick_state.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "parking/park_airports.h"
#include "platform/standin/shell32_control.h"
#include "refdata/airport_db.h"
#include "simlink/user_aircraft.h"
#include "ui/busy_state.h"
#include "ui/control_actions.h"
#include "ui/control_requests.h"
#include "ui/control_window.h"
#include "ui/engine_requests.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

using testsupport::ControlHandlersTest;

TEST_F(ControlHandlersTest, NowAnnouncesTheRenewalAtTheNextQuarterMinute)
{
    g_mainWindowState.parkFileLoaded = true;
    g_secondsCounter = 20;
    enable({&BUTTON_NOW});

    ASSERT_TRUE(desktop.click(BUTTON_NOW.controlId));

    EXPECT_EQ(message(), "Skyweaver will update static parking in 10 seconds ...");
    EXPECT_TRUE(g_renewalRequested);
    EXPECT_TRUE(g_busy);
    EXPECT_EQ(g_staticParkingCountdown, 20);
    EXPECT_FALSE(desktop.state(BUTTON_NOW.controlId).enabled);
    EXPECT_FALSE(desktop.state(MAX_PARK_SEL.controlId).enabled);
}

TEST_F(ControlHandlersTest, IdleAgainFreesTheParkingControlsButNowStaysOffWithInitialLoadOnly)
{
    gf_setBusy();
    INITIAL_LOAD_ONLY.value = true;

    gf_setIdle();

    EXPECT_FALSE(g_busy);
    EXPECT_EQ(g_staticParkingCountdown, 19);
    for (const GuiControl* control : std::initializer_list<const GuiControl*>{
             &parking_percentage, &MAX_FIT_FL, &MAX_PARK_SEL, &MAX_LIVE_SEL, &WEEK, &PARK_SOFT,
             &BUTTON_FLUSH_STATIC, &BUTTON_REREAD}) {
        EXPECT_TRUE(IsWindowEnabled(control->hwnd)) << control->controlId;
    }
    EXPECT_FALSE(desktop.state(BUTTON_NOW.controlId).enabled);
}

TEST_F(ControlHandlersTest, CallsignListRequestThenPickEnablesBlock)
{
    enable({&BUTTON_CALLSIGN_2_OBJECTID, &BUTTON_BLOCK, &CALLSIGN_2_OBJECTID});
    ASSERT_TRUE(desktop.click(BUTTON_CALLSIGN_2_OBJECTID.controlId));
    EXPECT_TRUE(g_blockListRefreshRequested);
    EXPECT_FALSE(desktop.state(BUTTON_BLOCK.controlId).enabled);

    // The main loop fills the list with the live aircraft's callsigns.
    CALLSIGN_2_OBJECTID.sharedEntries = std::make_shared<std::vector<std::string>>(
        std::vector<std::string>{"", "BAW12", "DLH4AB"});
    gf_fillCallsignCombo();
    ASSERT_TRUE(desktop.pick(CALLSIGN_2_OBJECTID.controlId, "DLH4AB"));
    EXPECT_TRUE(desktop.state(BUTTON_BLOCK.controlId).enabled);

    ASSERT_TRUE(desktop.click(BUTTON_BLOCK.controlId));

    EXPECT_EQ(desktop.state(BLOCK_CALLSIGN.controlId).text, "DLH4AB");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "DLH4AB");
    EXPECT_TRUE(g_blockCallsignRequested);
    EXPECT_FALSE(desktop.state(BUTTON_BLOCK.controlId).enabled);
    EXPECT_TRUE(desktop.state(BUTTON_UNBLOCK.controlId).enabled);
}

TEST_F(ControlHandlersTest, UnblockWithoutBlockedCallsignSaysSo)
{
    enable({&BUTTON_UNBLOCK});

    ASSERT_TRUE(desktop.click(BUTTON_UNBLOCK.controlId));

    EXPECT_EQ(message(), "Nothing to block or unblock...");
}

TEST_F(ControlHandlersTest, OnlyADeeperMatchingDepthRematchesTheAircraftWithoutLivery)
{
    g_noLiverySet.insert("SWR A320HB-JLT");
    gf_fillIntCombo(MATCHING_DEPTH);
    ASSERT_TRUE(desktop.pick(MATCHING_DEPTH.controlId, "2"));
    EXPECT_FALSE(g_rematchRequested);
    EXPECT_EQ(stored("MATCHING_DEPTH"), "2");
    gf_serveHandlerRequests();
    EXPECT_EQ(g_noLiverySet.size(), 1u);

    ASSERT_TRUE(desktop.pick(MATCHING_DEPTH.controlId, "3"));
    EXPECT_TRUE(g_rematchRequested);
    // The main loop forgets them: their next lines are matched again at the new depth.
    gf_serveHandlerRequests();
    EXPECT_TRUE(g_noLiverySet.empty());
    EXPECT_FALSE(g_rematchRequested);
}

TEST_F(ControlHandlersTest, TbloOpensTheFolderOfTheZipOrSaysItCannot)
{
    enable({&BUTTON_TBLO});
    standin::clearShellExecuteCalls();

    ASSERT_TRUE(desktop.click(BUTTON_TBLO.controlId));

    ASSERT_EQ(standin::shellExecuteCalls().size(), 1u);
    EXPECT_EQ(standin::shellExecuteCalls()[0].file, (work.path() / "tblo").string());
    if (standin::shellExecuteCalls()[0].result <= 32) {
        ASSERT_FALSE(standin::messageBoxes().empty());
        EXPECT_EQ(standin::messageBoxes().back().text, "Could not open File Explorer at tblo.zip.");
        EXPECT_EQ(standin::messageBoxes().back().caption, "SKWV");
    }
}

TEST_F(ControlHandlersTest, ProcessedDestinationLeadsTheParkAirportsAndFreesReread)
{
    g_airports = {Airport{"LSZH", "ZRH", 47.4647, 8.5492, 1416, 150}};
    enable({&DESTINATION, &BUTTON_REREAD});
    ASSERT_TRUE(desktop.typeAndEnter(DESTINATION.controlId, "LSZH"));
    EXPECT_FALSE(desktop.state(BUTTON_REREAD.controlId).enabled);
    EXPECT_TRUE(g_destinationAirportSet);

    gf_applyParkAirportRequests(); // the main loop takes the destination in

    ASSERT_FALSE(g_parkAirports.empty());
    EXPECT_EQ(g_parkAirports.front().icao, "LSZH");
    EXPECT_TRUE(desktop.state(BUTTON_REREAD.controlId).enabled);
}

TEST(HandlerRequests, LoweredLiveLimitTakesOutTheFarthestAircraftAlsoOnTheirWayIn)
{
    g_userAcData.latitude = 47.0;
    g_userAcData.longitude = 8.0;
    struct Placed {
        double latitude;
        SimState state;
        bool handedOver; // an adding one's create request already went to the simulator link
    };
    const Placed placed[]{{47.1, SimState::active, false},
                          {48.5, SimState::active, false},
                          {47.5, SimState::adding2sim, true},
                          {49.0, SimState::active, false},
                          {47.2, SimState::adding2sim, false}};
    std::uint32_t id = 100;
    for (const Placed& p : placed) {
        LiveAc& ac = g_liveAcs.emplace_back();
        ac.hexid = 0x400000 + id;
        ac.callsign = fmt::format("SWR{}", id);
        ac.objectId = p.state == SimState::active ? id : 0;
        ac.simState = p.state;
        ac.simPosition[0] = p.latitude;
        ac.simPosition[1] = 8.0;
        if (p.state == SimState::adding2sim && !p.handedOver)
            g_addingStack.live.push_back({.callsign = ac.callsign, .title = {}, .aircraftId = ac.hexid});
        ++id;
    }
    MAX_LIVE_SEL.value = 2;
    g_liveLimitLowered = true;

    gf_serveHandlerRequests();

    // Three over the limit: the two farthest active ones go, and the adding one farther than the
    // rest is removed as soon as its object is identified.
    EXPECT_EQ(std::vector<std::uint32_t>(g_removalQueue.begin(), g_removalQueue.end()),
              (std::vector<std::uint32_t>{103, 101}));
    EXPECT_EQ(g_liveAcs[2].removeOnArrival, 1);
    EXPECT_EQ(g_liveAcs[0].simState, SimState::active);
    EXPECT_EQ(g_liveAcs[4].withdrawn, 0);
    EXPECT_EQ(g_addingStack.live.size(), 1u);
    EXPECT_FALSE(g_liveLimitLowered);
}
