#include "core/settings.h"
#include "engine/ac_containers.h"
#include "parking/park_airports.h"
#include "parking/static_park_plan.h"

#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

class StaticParkPlan : public ::testing::Test {
protected:
    StaticParkPlan()
    {
        MAX_PARK_SEL.value = 100;
        CUSTOM_PARKING_PERCENTAGE.value = -1;
        parking_percentage.value = 100;
        MAX_FIT.value = 47;
        WEEK.value = false;
        PARK_SOFT.value = false;
        HELICOPTERS.value = false;
        RANDOM.value = false;
    }

    // Stands 100 m apart (no neighbours), each with its uses.
    void standsWith(const std::vector<std::vector<ParkOpt>>& uses)
    {
        for (std::size_t k = 0; k < uses.size(); ++k) {
            Stand& stand = addStand(fmt::format("S{}", k + 1), 100.0 * static_cast<double>(k));
            stand.options = uses[k];
            std::uint32_t seq = 1;
            for (ParkOpt& option : stand.options)
                option.seq = seq++;
        }
        numberStands();
    }

    // "stand:registration:tolerance" for each planned entry, in plan order.
    static std::vector<std::string> plan()
    {
        std::vector<std::string> result;
        for (const StaticParkEntry& entry : g_staticParkEntries)
            result.push_back(std::to_string(entry.stand) + ":" + entry.reg + ":" + std::to_string(entry.tolerance));
        return result;
    }

    TempFolder folder{true};
    LogCapture log;
};

} // namespace

TEST_F(StaticParkPlan, WantedCountFollowsStandsPercentageAndLimit)
{
    struct Row {
        int stands;
        int percent;
        int custom;
        int maxParkSel;
        int wanted;
    };
    const Row rows[] = {
        {1, 10, -1, 100, 1}, {3, 40, -1, 100, 1}, {4, 40, -1, 100, 2}, {3, 50, -1, 100, 2},
        {10, 30, -1, 100, 3}, {10, 30, 80, 100, 8}, {10, 30, 0, 100, 0}, {10, 100, -1, 4, 4},
        {10, 100, -1, 0, 0},
    };
    for (const Row& row : rows) {
        g_stands.clear();
        for (int k = 0; k < row.stands; ++k)
            addStand(fmt::format("S{}", k), 100.0 * k);
        parking_percentage.value = row.percent;
        CUSTOM_PARKING_PERCENTAGE.value = row.custom;
        MAX_PARK_SEL.value = row.maxParkSel;
        EXPECT_EQ(lf_wantedParkCount(), row.wanted) << row.stands << " stands, " << row.percent << "%, custom "
                                                    << row.custom << ", max " << row.maxParkSel;
    }
}

TEST_F(StaticParkPlan, PlansUsesOfTheCurrentWeekdayAndHalfHour)
{
    freezeWeekTime(2, 20);  // Tuesday 10:00
    standsWith({
        {use(2, 18, 22, "D-TUE1")},
        {use(3, 18, 22, "D-WED1")},  // Wednesday
        {use(2, 21, 23, "D-LATER")}, // later today
        {use(2, 20, 20, "D-TUE2", "DLH2", "", false)},  // soft
    });
    parking_percentage.value = 25;

    lf_calcParkPositions();

    EXPECT_EQ(plan(), (std::vector<std::string>{"1:D-TUE1:0"}));
    EXPECT_TRUE(log.contains("1 real position found, Max fit=24.0 hours, day 2, hh:20 or 11.0 hrs, fit: 0.0 hour"));
    EXPECT_TRUE(log.contains("1 positions (25% vs wanted 25%, with Max fit=24.0 hours)"));
}

TEST_F(StaticParkPlan, WidensBackwardsUpToMaxFit)
{
    freezeWeekTime(2, 20);
    standsWith({{use(2, 15, 17, "D-AAAA")}, {use(2, 19, 19, "D-BBBB")}, {use(2, 10, 12, "D-CCCC")}});

    MAX_FIT.value = 4;
    lf_calcParkPositions();
    // Farthest fits first in the plan: the creation takes the closest from the back.
    EXPECT_EQ(plan(), (std::vector<std::string>{"1:D-AAAA:3", "2:D-BBBB:1"}));
    EXPECT_EQ(g_parkFitPanel.realOffset, 5);  // fell short of 3 stands
    EXPECT_EQ(g_parkFitPanel.softOffset, -1);

    MAX_FIT.value = 2;
    lf_calcParkPositions();
    EXPECT_EQ(plan(), (std::vector<std::string>{"2:D-BBBB:1"}));
    EXPECT_EQ(g_parkFitPanel.realOffset, 3);
}

TEST_F(StaticParkPlan, EarlyMondayLooksBackIntoSunday)
{
    freezeWeekTime(1, 1);  // Monday 00:30
    standsWith({{use(7, 46, 46, "D-SUN")}, {use(1, 46, 46, "D-MON")}});
    MAX_FIT.value = 3;
    lf_calcParkPositions();
    EXPECT_EQ(plan(), (std::vector<std::string>{"1:D-SUN:3"}));
}

TEST_F(StaticParkPlan, FallsBackToTheWeekAndSoftUsesOnlyWhenAllowed)
{
    freezeWeekTime(4, 30);
    standsWith({{use(4, 30, 30, "D-REAL")}, {use(5, 30, 30, "D-WEEK")}, {use(4, 30, 30, "D-SOFT", "", "", false)},
                {use(6, 30, 30, "D-WKSOFT", "", "", false)}});
    MAX_FIT.value = 0;

    lf_calcParkPositions();
    EXPECT_EQ(plan().size(), 1u);

    WEEK.value = true;
    lf_calcParkPositions();
    EXPECT_EQ(plan().size(), 2u);
    EXPECT_TRUE(g_parkFitPanel.anyWeekdayUsed);
    EXPECT_FALSE(g_parkFitPanel.softUsed);

    PARK_SOFT.value = true;
    lf_calcParkPositions();
    EXPECT_EQ(plan().size(), 4u);
    EXPECT_TRUE(g_parkFitPanel.softUsed);
    EXPECT_TRUE(log.contains("1 week/soft position found, Max fit=24.0 hours, day 4, hh:30 or 15.0 hrs, fit: 0.0 hour"));
}

TEST_F(StaticParkPlan, LeavesHelipadsReservedAndUserStandsFree)
{
    freezeWeekTime(3, 10);
    standsWith({{use(3, 10, 10, "D-HELI")}, {use(3, 10, 10, "D-RSVD")}, {use(3, 10, 10, "D-USER")},
                {use(3, 10, 10, "D-FREE")}});
    g_stands[0].heli = true;
    g_reservedStand = "S2";
    placeUser(50.0, eastOf8(201.0));

    lf_calcParkPositions();
    EXPECT_EQ(plan(), (std::vector<std::string>{"4:D-FREE:0"}));

    HELICOPTERS.value = true;
    lf_calcParkPositions();
    EXPECT_EQ(plan().size(), 2u);
}

TEST_F(StaticParkPlan, AnAircraftIsPlannedOnceAndNotWhileItFliesOrParksLive)
{
    standsWith({{use(3, 10, 10, "D-SAME", "DLH1")},
                {use(3, 10, 10, "D-SAME", "DLH1X")},
                {use(3, 10, 10, "D-OTHER", "DLH1")},
                {use(3, 10, 10, "D-FLIES", "DLH9", "DLH9A")},
                {use(3, 10, 10, "D-PARKED", "", "EWG7")},
                {use(3, 10, 10, "", "", "")},
                {use(3, 10, 10, "", "", "")}});
    g_liveParkedList.push_back({"EWG7", 99, 10});
    g_plannedSeenCallsigns = {"DLH9A_"};

    lf_fitModes({3, 10}, 7, 0);

    // Uses without registration or callsigns are never taken for the same aircraft.
    EXPECT_EQ(plan(), (std::vector<std::string>{"1:D-SAME:0", "6::0", "7::0"}));
    for (std::size_t k : {1u, 2u, 3u, 4u})
        EXPECT_EQ(g_stands[k].options[0].seq, 1u) << k;  // refused in this planning only
}

TEST_F(StaticParkPlan, SurplusOfTheLastPassGoesHighestStandsFirst)
{
    freezeWeekTime(5, 20);
    // Four uses match one half hour back, three more only at the current half hour... reversed:
    // four at offset 0, three at offset 1; six wanted of seven stands.
    standsWith({{use(5, 19, 19, "D-B1")}, {use(5, 20, 20, "D-A1")}, {use(5, 19, 19, "D-B2")},
                {use(5, 20, 20, "D-A2")}, {use(5, 20, 20, "D-A3")}, {use(5, 19, 19, "D-B3")},
                {use(5, 20, 20, "D-A4")}});
    parking_percentage.value = 86;  // 6.02 of 7
    for (const bool random : {false, true}) {
        RANDOM.value = random;
        for (Stand& stand : g_stands)
            stand.options[0].seq = 1;
        lf_calcParkPositions();
        EXPECT_EQ(plan(), (std::vector<std::string>{"1:D-B1:1", "3:D-B2:1", "2:D-A1:0", "4:D-A2:0", "5:D-A3:0",
                                                    "7:D-A4:0"}))
            << "RANDOM " << random;
    }
}

TEST_F(StaticParkPlan, OverlappingStandsGetOneAircraft)
{
    freezeWeekTime(2, 4);
    addStand("N1", 0.0, 30.0).options = {use(2, 4, 4, "D-N1")};
    addStand("N2", 40.0, 30.0).options = {use(2, 4, 4, "D-N2")};
    addStand("N3", 200.0, 30.0).options = {use(2, 4, 4, "D-N3")};
    for (Stand& stand : g_stands)
        stand.options[0].seq = 1;
    numberStands();
    lf_calcParkPositions();
    EXPECT_EQ(plan(), (std::vector<std::string>{"1:D-N1:0", "3:D-N3:0"}));
    EXPECT_TRUE(g_stands[1].neighbourTaken);
}

TEST_F(StaticParkPlan, SecondCallsignDecidesWhetherTheStayGoesOn)
{
    freezeWeekTime(6, 47);  // Saturday 23:30
    standsWith({{use(6, 40, 47, "D-NOCS2", "DLH1")},
                {use(6, 40, 47, "D-ENDS", "DLH2", "DLH2B")},
                {use(6, 40, 47, "D-NEXT", "DLH3", "DLH3B"), use(7, 0, 4, "D-NEXT", "DLH3", "DLH3B")}});
    lf_calcParkPositions();
    ASSERT_EQ(g_staticParkEntries.size(), 3u);
    for (const StaticParkEntry& entry : g_staticParkEntries)
        EXPECT_EQ(entry.staysNextSlot, entry.reg != "D-ENDS") << entry.reg;
}

TEST_F(StaticParkPlan, NothingFoundIsLogged)
{
    freezeWeekTime(1, 0);
    standsWith({{use(3, 10, 10, "D-X")}});
    lf_calcParkPositions();
    EXPECT_TRUE(g_staticParkEntries.empty());
    EXPECT_TRUE(log.contains("no parking positions found"));
}
