#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "engine/no_match_lines.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_processing.h"
#include "parking/stand.h"
#include "refdata/aircraft_db.h"
#include "simlink/flight_plans.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <set>

using testsupport::aigLivery;
using testsupport::LogCapture;
using testsupport::TempFolder;

namespace {

// Tables from the fixture liveries plus a few light ones, with regcodes: G-XLEA is bound to
// "BAW A388 livery 01" and N172AB to the only C172 livery.
class Matching : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::useAppDataRoot(m_folder.path());
        testsupport::writeSmallReferenceData(m_folder.path());
        ASSERT_TRUE(gf_readDbase());
        std::vector<LiveryData> liveries = testsupport::fixtureLiveries();
        liveries.push_back({"PVT", "C172", "PVT C172 livery 01", "", 0, false});
        liveries.push_back({"PVT", "C208", "PVT C208 livery 01", "", 0, false});
        liveries.push_back({"FDX", "C208", "FDX C208 cargo 01", "", 0, true});
        testsupport::writeLiveriesScanned(m_folder.path(), liveries);
        testsupport::writeAigRegcodes(m_folder.path(), {aigLivery("BAW A388 livery 01", "G-XLEA", true),
                                                        aigLivery("PVT C172 livery 01", "N172AB", true)});
        RANDOM.value = false;
        MATCHING_DEPTH.value = 4;
        gf_processScannedLiveries();
    }

    TempFolder m_folder{true};
    LogCapture m_log;
};

AircraftData aircraft(const char* airline, const char* type, Category category, const char* registration = "",
                      bool cargo = false)
{
    AircraftData ac;
    ac.airline = airline;
    ac.type = type;
    ac.registration = registration;
    ac.callsign = "TST123";
    ac.category = category;
    ac.cargo = cargo ? 1 : 0;
    return ac;
}

Stand stand(bool cargo)
{
    return Stand("V12", {}, {50.0, 8.0, 0.0}, 30.0, cargo, false, false);
}

} // namespace

TEST_F(Matching, EachStepReachedByItsIdentity)
{
    struct Case {
        AircraftData ac;
        const char* title;
        int step;
    };
    const Case cases[] = {
        {aircraft("BAW", "A388", Category::Heavy, "G-XLEA"), "BAW A388 livery 01", 0},
        {aircraft("DLH", "A320", Category::Large, "T-0001"), "DLH A320 livery 01", 1},
        {aircraft("DLH", "A321", Category::Large), "DLH A321 livery 01", 2},
        {aircraft("DLH", "A20N", Category::Large), "DLH A320 livery 01", 3},
        {aircraft("KLM", "AT76", Category::Large), "ZZZ AT76 livery 01", 4},
        {aircraft("NJE", "H25B", Category::Buzjet), "PVT H25B livery 01", 5},
        {aircraft("NJE", "PA28", Category::Light), "PVT C172 livery 01", 6},
    };
    for (Case c : cases) {
        gf_matchLivery(c.ac);
        EXPECT_EQ(c.ac.livery, c.title) << c.ac.airline << " " << c.ac.type;
    }
    EXPECT_EQ(g_matchCounts, (std::array<std::int32_t, kMatchSteps>{1, 1, 1, 1, 1, 1, 1}));
    EXPECT_TRUE(m_log.contains("          TST123 DLH A321 =2= DLH A321 livery 01"));
    EXPECT_TRUE(m_log.contains("          TST123 NJE PA28 =6= PVT C172 livery 01"));
}

TEST_F(Matching, DepthCutsTheLadder)
{
    MATCHING_DEPTH.value = 1;
    AircraftData registered = aircraft("DLH", "A320", Category::Large, "T-0001");
    AircraftData plain = aircraft("DLH", "A321", Category::Large);
    gf_matchLivery(registered);
    gf_matchLivery(plain);
    EXPECT_EQ(registered.livery, "DLH A320 livery 01");
    EXPECT_TRUE(plain.livery.empty());

    MATCHING_DEPTH.value = 2;
    AircraftData similar = aircraft("DLH", "A20N", Category::Large);
    gf_matchLivery(similar);
    EXPECT_TRUE(similar.livery.empty());

    // Below depth 4 a Large aircraft gets no generic livery; Light, Buzjets and Rotorcraft do.
    MATCHING_DEPTH.value = 3;
    AircraftData large = aircraft("KLM", "AT76", Category::Large);
    gf_matchLivery(large);
    EXPECT_TRUE(large.livery.empty());
    AircraftData buzjet = aircraft("NJE", "H25B", Category::Buzjet);
    gf_matchLivery(buzjet);
    EXPECT_EQ(buzjet.livery, "PVT H25B livery 01");
}

TEST_F(Matching, HeavyAircraftNeverFallsBackToOtherAirlines)
{
    AircraftData heavy = aircraft("KLM", "A388", Category::Heavy);
    gf_matchLivery(heavy);
    EXPECT_TRUE(heavy.livery.empty());
}

TEST_F(Matching, CargoAircraftTakesPaxOfItsAirlineButOnlyCargoOfOthers)
{
    AircraftData own = aircraft("BAW", "A388", Category::Heavy, "", true);
    gf_matchLivery(own);
    EXPECT_EQ(own.livery, "BAW A388 livery 02");  // pax; livery 01 is bound to G-XLEA

    AircraftData cargo = aircraft("XYZ", "C208", Category::Light, "", true);
    AircraftData pax = aircraft("XYZ", "C208", Category::Light);
    gf_matchLivery(cargo);
    gf_matchLivery(pax);
    EXPECT_EQ(cargo.livery, "FDX C208 cargo 01");
    EXPECT_EQ(pax.livery, "PVT C208 livery 01");
}

TEST_F(Matching, FailedTitleIsNeverChosen)
{
    g_failedLiveries.insert("BAW A388 livery 01");
    AircraftData ac = aircraft("BAW", "A388", Category::Heavy, "G-XLEA");
    gf_matchLivery(ac);
    EXPECT_EQ(ac.livery, "BAW A388 livery 02");  // not its regcode title: the airline step
    EXPECT_EQ(g_matchCounts[0], 0);
    EXPECT_EQ(g_matchCounts[2], 1);
}

TEST_F(Matching, BoundTitlesAreAvoidedUnlessAllAreBound)
{
    AircraftData heavy = aircraft("BAW", "A388", Category::Heavy);
    gf_matchLivery(heavy);
    EXPECT_EQ(heavy.livery, "BAW A388 livery 02");

    AircraftData light = aircraft("PVT", "C172", Category::Light);  // its one livery is bound
    gf_matchLivery(light);
    EXPECT_EQ(light.livery, "PVT C172 livery 01");
}

TEST_F(Matching, RandomOffGivesTheSamePickRandomOnSpreads)
{
    std::set<std::string> picks;
    for (int k = 0; k < 20; ++k) {
        AircraftData ac = aircraft("DLH", "A320", Category::Large);
        gf_matchLivery(ac);
        picks.insert(std::string(ac.livery));
    }
    EXPECT_EQ(picks, (std::set<std::string>{"DLH A320 livery 01"}));

    RANDOM.value = true;
    picks.clear();
    for (int k = 0; k < 60; ++k) {
        AircraftData ac = aircraft("DLH", "A320", Category::Large);
        gf_matchLivery(ac);
        picks.insert(std::string(ac.livery));
    }
    EXPECT_GT(picks.size(), 3u);
}

TEST_F(Matching, PrivateLightAircraftTriesGenericRightAfterRegcode)
{
    AircraftData ac = aircraft("PVT", "AT76", Category::Light);
    gf_matchLivery(ac);
    EXPECT_EQ(ac.livery, "ZZZ AT76 livery 01");
    EXPECT_EQ(g_matchCounts[4], 1);
}

TEST_F(Matching, ParkedLadderDifferences)
{
    // The registration's airline is tried although the aircraft has none (live: it is not).
    AircraftData parked = aircraft("", "A320", Category::Large, "D-AIPA");
    AircraftData live = parked;
    EXPECT_TRUE(gf_matchParkedLivery(parked, stand(false)));
    gf_matchLivery(live);
    EXPECT_EQ(parked.livery, "DLH A320 livery 01");
    EXPECT_EQ(live.livery, "ZZZ A320 livery 01");
    EXPECT_EQ(g_matchCounts, (std::array<std::int32_t, kMatchSteps>{0, 0, 0, 0, 1, 0, 0}));  // only the live one

    // A refused title moves on to the next similar model instead of the next step.
    g_failedLiveries.insert("DLH A320 livery 01");
    AircraftData parkedSimilar = aircraft("DLH", "A20N", Category::Large);
    AircraftData liveSimilar = parkedSimilar;
    EXPECT_TRUE(gf_matchParkedLivery(parkedSimilar, stand(false)));
    gf_matchLivery(liveSimilar);
    EXPECT_EQ(parkedSimilar.livery, "DLH A321 livery 01");
    EXPECT_TRUE(liveSimilar.livery.empty());

    // The stand decides whether the aircraft is cargo.
    AircraftData cargo = aircraft("DLH", "B744", Category::Heavy);
    EXPECT_TRUE(gf_matchParkedLivery(cargo, stand(true)));
    EXPECT_EQ(cargo.livery, "DLH B744 livery 04");
    EXPECT_TRUE(m_log.contains("          TST123 DLH B744 =2= DLH B744 livery 04"));
}

TEST_F(Matching, ParkedAircraftKeepsItsTitle)
{
    g_failedLiveries.insert("DLH A321 livery 05");
    AircraftData ac = aircraft("DLH", "A321", Category::Large);
    ac.livery = g_liveryTable.at("DLH").at("A321")[4].title;
    EXPECT_TRUE(gf_matchParkedLivery(ac, stand(false)));
    EXPECT_EQ(ac.livery, "DLH A321 livery 05");
    EXPECT_TRUE(m_log.contains("          TST123 DLH A321 =s= DLH A321 livery 05"));
}

TEST_F(Matching, ParkedWithoutMatchIsLogged)
{
    AircraftData ac = aircraft("KLM", "A388", Category::Heavy, "PH-XXX");
    EXPECT_FALSE(gf_matchParkedLivery(ac, stand(false)));
    EXPECT_TRUE(m_log.contains("V12     : TST123 KLM A388 PH-XXX no livery match ..."));
}

TEST_F(Matching, SummaryAndNoMatchList)
{
    AircraftData a = aircraft("DLH", "A321", Category::Large);
    AircraftData b = aircraft("DLH", "A320", Category::Large, "T-0001");
    gf_matchLivery(a);
    gf_matchLivery(b);
    g_failedLiveryList.insert("B77W FDX");
    g_noMatchLines = {"TST9 KLM A388"};
    gf_writeLiveryMatchingSummary();
    gf_logNoMatchList();

    const auto lines = m_log.lines();
    const auto at = std::find(lines.begin(), lines.end(), "Matches at step: ");
    ASSERT_NE(at, lines.end());
    ASSERT_NE(at, lines.begin());
    EXPECT_EQ(*(at - 1), std::string(31, '*') + " live traffic livery matching summary " + std::string(31, '*'));
    const std::vector<std::string> expected = {
        "Matches at step: ", "  0: 0", "  1: 1", "  2: 1", "  3: 0", "  4: 0", "  5: 0", "  6: 0", "",
        "Could not be created", "  B77W FDX", std::string(100, '*'), "", "No match found for:", "TST9 KLM A388", ""};
    EXPECT_EQ(std::vector<std::string>(at, lines.end()), expected);
}

TEST_F(Matching, NoSummaryWithoutMatches)
{
    const std::size_t before = m_log.lines().size();
    gf_writeLiveryMatchingSummary();
    gf_logNoMatchList();
    EXPECT_EQ(m_log.lines().size(), before);
}
