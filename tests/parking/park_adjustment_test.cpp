#include "core/settings.h"
#include "engine/ac_builders.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "parking/park_adjustment.h"
#include "parking/park_airport.h"
#include "parking/static_park_plan.h"
#include "parking/static_parking.h"

#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <string>

using namespace testsupport;

namespace {

class ParkAdjustment : public ::testing::Test {
protected:
    ParkAdjustment()
    {
        MAX_PARK_SEL.value = 100;
        CUSTOM_PARKING_PERCENTAGE.value = -1;
        parking_percentage.value = 25;  // one of four stands
        MAX_FIT.value = 4;
        WEEK.value = false;
        PARK_SOFT.value = false;
        RANDOM.value = false;
        INITIAL_LOAD_ONLY.value = false;
        g_parkAirport = "EDDF";
        for (int k = 0; k < 4; ++k)
            addStand(fmt::format("S{}", k + 1), 300.0 * k);
        numberStands();
    }

    static void addUse(std::int32_t stand, const ParkOpt& option)
    {
        g_stands[static_cast<std::size_t>(stand - 1)].options.push_back(option);
    }

    static StaticAc& staticAt(std::int32_t stand, const std::string& reg, const std::string& callsign,
                              std::uint32_t weekday, std::uint32_t slot, const std::string& cs = {},
                              const std::string& cs2 = {})
    {
        AcIdent ident;
        ident.airline = "DLH";
        ident.type = "A320";
        ident.registration = reg;
        ident.callsign = callsign;
        ident.firstCallsign = cs;
        ident.altIdent = cs2;
        AircraftData data = gf_makeAcData(ident);
        data.hexid = 9000 + static_cast<std::uint32_t>(stand);  // static aircraft have ids up to 10000
        StaticAc ac = gf_makeStaticAc(data);
        assignStand(ac, g_stands[static_cast<std::size_t>(stand - 1)]);
        ac.objectId = 200 + static_cast<std::uint32_t>(stand);
        ac.simState = SimState::active;
        ac.parkedSlot = weekday | (static_cast<std::uint64_t>(slot) << 32);
        g_staticAcs.push_back(ac);
        return g_staticAcs.back();
    }

    static LiveAc& liveParked(std::int32_t stand, std::int64_t minutes, Category category = Category::Large,
                              bool protectedStand = false)
    {
        LiveAc& ac = addLiveOnStand(stand, FlightPhase::parked, gf_steadyTicks100ns() - minutes * 600000000);
        ac.category = category;
        ac.protectedStand = protectedStand ? 1 : 0;
        return ac;
    }

    TempFolder folder{true};
    LogCapture log;
};

} // namespace

TEST_F(ParkAdjustment, StaticAircraftUnderItsSecondCallsignStays)
{
    freezeWeekTime(2, 22);
    addUse(3, use(2, 18, 24, "D-AIPA", "DLH7", "DLH7B"));
    staticAt(3, "D-AIPA", "DLH7B*", 2, 18, "DLH7", "DLH7B");

    gf_adjustParking();

    EXPECT_TRUE(g_staticParkEntries.empty());
    EXPECT_FALSE(gone(g_staticAcs[0]));
    EXPECT_TRUE(log.contains("Parking adjustments: 0 to be removed, 0 to be added"));
}

// Later is decided in the wrapping week: Monday 00:30 is later than Sunday 23:30.
TEST_F(ParkAdjustment, NewAircraftForAStandReplacesTheOldOneOnlyWhenItParkedLater)
{
    struct Row {
        WeekTime now;
        WeekTime parked;
        WeekTime matched;
        bool replaced;
    };
    const Row rows[] = {
        {{2, 22}, {2, 20}, {2, 22}, true},
        {{2, 22}, {2, 20}, {2, 20}, false},
        {{2, 22}, {2, 20}, {2, 18}, false},
        {{1, 1}, {7, 47}, {1, 1}, true},
        {{1, 1}, {1, 0}, {7, 46}, false},
    };
    for (const Row& row : rows) {
        g_staticAcs.clear();
        for (Stand& stand : g_stands)
            stand.options.clear();
        freezeWeekTime(row.now.weekday, row.now.slot);
        addUse(3, use(static_cast<std::uint32_t>(row.matched.weekday), row.matched.slot, row.matched.slot, "D-NEW",
                      "DLH2"));
        staticAt(3, "D-OLD", "DLH1*", static_cast<std::uint32_t>(row.parked.weekday),
                 static_cast<std::uint32_t>(row.parked.slot), "DLH1");

        gf_adjustParking();

        const std::string what = fmt::format("parked {}/{}, matched {}/{}", row.parked.weekday, row.parked.slot,
                                             row.matched.weekday, row.matched.slot);
        EXPECT_EQ(gone(g_staticAcs[0]), row.replaced) << what;
        EXPECT_EQ(g_staticParkEntries.size(), row.replaced ? 1u : 0u) << what;
    }
}

TEST_F(ParkAdjustment, KeepWindowReachesIntoThePreviousDay)
{
    // Monday 00:30 with a keep window of 3 half hours: Monday 1 and 0, Sunday 45 to 47.
    MAX_FIT.value = 2;  // the fit falls short, its offset becomes 3
    for (const auto& [sundaySlot, kept] : {std::pair{45, true}, std::pair{44, false}}) {
        g_staticAcs.clear();
        g_stands[0].options = {use(7, sundaySlot, sundaySlot, "D-AIPA", "DLH1")};
        freezeWeekTime(1, 1);
        staticAt(1, "D-AIPA", "DLH1*", 7, 40, "DLH1");

        gf_adjustParking();

        EXPECT_EQ(g_parkFitPanel.realOffset, 3);
        EXPECT_EQ(gone(g_staticAcs[0]), !kept) << sundaySlot;
    }
}

TEST_F(ParkAdjustment, LiveAircraftParkedTooLongAreRemoved)
{
    freezeWeekTime(4, 10);
    parking_percentage.value = 100;
    liveParked(1, 95);
    liveParked(2, 95, Category::Heavy);
    liveParked(3, 185, Category::Heavy);
    liveParked(4, 500, Category::Large, true);

    gf_adjustParking();

    EXPECT_TRUE(gone(g_liveAcs[0]));
    EXPECT_FALSE(gone(g_liveAcs[1]));
    EXPECT_TRUE(gone(g_liveAcs[2]));
    EXPECT_FALSE(gone(g_liveAcs[3]));
    EXPECT_EQ(g_liveParkedList.size(), 2u);
}

TEST_F(ParkAdjustment, InitialLoadOnlyKeepsLongParkedLiveAircraft)
{
    freezeWeekTime(4, 10);
    parking_percentage.value = 100;
    INITIAL_LOAD_ONLY.value = true;
    liveParked(1, 300);
    gf_adjustParking();
    EXPECT_FALSE(gone(g_liveAcs[0]));
}

TEST_F(ParkAdjustment, NothingWantedTrimsNoLiveAircraft)
{
    struct Case {
        std::int32_t maxParkSel;
        std::int32_t customPercentage;
    };
    for (const Case c : {Case{0, -1}, Case{100, 0}}) {
        g_liveAcs.clear();
        g_staticAcs.clear();
        freezeWeekTime(4, 10);
        MAX_PARK_SEL.value = c.maxParkSel;
        CUSTOM_PARKING_PERCENTAGE.value = c.customPercentage;
        liveParked(1, 20);
        liveParked(3, 30);
        staticAt(2, "D-AIPA", "DLH4*", 4, 8);

        gf_adjustParking();

        EXPECT_FALSE(gone(g_liveAcs[0])) << c.maxParkSel;
        EXPECT_FALSE(gone(g_liveAcs[1])) << c.maxParkSel;
        EXPECT_TRUE(gone(g_staticAcs[0])) << c.maxParkSel;
    }
}

TEST_F(ParkAdjustment, ExcessDropsPlanEntriesFirstThenTheEarliestParkedStatics)
{
    g_liveParkedList.assign(4, LiveParkedEntry{"L", 1, 5});
    g_staticParkEntries.assign(5, StaticParkEntry{});
    const auto kept = [](const char* callsign, std::uint32_t stand) {
        KeptStatic entry;
        entry.callsign = callsign;
        entry.stand = stand;
        return entry;
    };
    g_keptStatics = {kept("K1*", 11), kept("K2*", 12), kept("K3*", 13)};
    lf_trimToWanted(10);
    EXPECT_EQ(g_staticParkEntries.size(), 3u);
    EXPECT_EQ(g_keptStatics.size(), 3u);
    EXPECT_TRUE(g_staticRemovals.empty());

    g_staticParkEntries.clear();
    lf_trimToWanted(5);
    ASSERT_EQ(g_staticRemovals.size(), 2u);
    EXPECT_EQ(g_staticRemovals[0].callsign, "K3*");
    EXPECT_EQ(g_staticRemovals[1].callsign, "K2*");
    EXPECT_EQ(g_liveParkedList.size(), 4u);
}

TEST_F(ParkAdjustment, TrimTakesTheStaticParkedLongestAgoAcrossTheWeekEnd)
{
    freezeWeekTime(1, 1);  // Monday 00:30, one static aircraft wanted
    addUse(1, use(7, 44, 47, "D-SUN", "DLH1"));
    addUse(3, use(1, 0, 1, "D-MON", "DLH3"));
    staticAt(1, "D-SUN", "DLH1*", 7, 47, "DLH1");
    staticAt(3, "D-MON", "DLH3*", 1, 0, "DLH3");

    gf_adjustParking();

    EXPECT_TRUE(gone(g_staticAcs[0]));
    EXPECT_FALSE(gone(g_staticAcs[1]));
}

// The aircraft parked on the stand goes, not one that pulled out of it and still carries
// its number.
TEST_F(ParkAdjustment, TrimRemovesTheAircraftParkedOnTheStandNotOneThatLeftIt)
{
    addLiveOnStand(1, FlightPhase::taxi, 0).hexid = 0x3C0001;
    liveParked(1, 40).hexid = 0x3C0002;
    liveParked(2, 20).hexid = 0x3C0003;
    g_liveParkedList = {LiveParkedEntry{"LIVE2", 2, 20}, LiveParkedEntry{"LIVE1", 1, 40}};

    lf_trimToWanted(1);

    EXPECT_FALSE(gone(g_liveAcs[0]));
    EXPECT_TRUE(gone(g_liveAcs[1]));
    EXPECT_FALSE(gone(g_liveAcs[2]));
}

TEST_F(ParkAdjustment, AircraftWhoseFirstCallsignEndsIsPlannedAgainUnderItsSecond)
{
    freezeWeekTime(5, 20);
    addUse(2, use(5, 16, 20, "D-AIPA", "DLH7", "DLH7B"));
    staticAt(2, "D-AIPA", "DLH7*", 5, 16, "DLH7", "DLH7B");

    gf_adjustParking();

    EXPECT_TRUE(gone(g_staticAcs[0]));
    ASSERT_EQ(g_staticParkEntries.size(), 1u);
    const StaticParkEntry& again = g_staticParkEntries[0];
    EXPECT_EQ(again.stand, 2u);
    EXPECT_EQ(again.cs, "DLH7");
    EXPECT_EQ(again.cs2, "DLH7B");
    EXPECT_FALSE(again.staysNextSlot);
    EXPECT_EQ(again.tolerance, 4u);  // keeps its parked half hour
    EXPECT_TRUE(log.contains("Parking adjustments: 1 to be removed, 1 to be added"));
}

TEST_F(ParkAdjustment, AircraftThatFliesNowIsRemoved)
{
    freezeWeekTime(5, 20);
    addUse(2, use(5, 16, 22, "D-AIPA", "DLH7"));
    staticAt(2, "D-AIPA", "DLH7*", 5, 16, "DLH7");
    g_plannedSeenCallsigns = {"DLH7"};
    lf_keepOrReplaceStatics({5, 20});
    ASSERT_EQ(g_staticRemovals.size(), 1u);
    EXPECT_EQ(g_staticRemovals[0].stand, 2u);
}
