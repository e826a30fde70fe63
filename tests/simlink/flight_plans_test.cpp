// AI flight-plan files and the record of liveries the simulator refused.
#include "core/log.h"
#include "core/user_error.h"
#include "simlink/flight_plans.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

using testsupport::readFile;

namespace {

AircraftData lf_aircraft(Category category, std::string origin, std::string destination)
{
    AircraftData aircraft;
    aircraft.category = category;
    aircraft.origin = std::move(origin);
    aircraft.destination = std::move(destination);
    return aircraft;
}

std::string lf_plan(const char* type, const char* departure, const char* destination)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n"
                       "<FlightPlan.FlightPlan>\n"
                       "<FPType>") +
           type + "</FPType>\n<DepartureID>" + departure + "</DepartureID>\n<DestinationID>" + destination +
           "</DestinationID>\n</FlightPlan.FlightPlan>\n</SimBase.Document>\n\n";
}

TEST(FlightPlans, FolderLiesUnderTheAppDataFolderAndPlansAreNamedByObjectId)
{
    testsupport::TempFolder root;
    setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
    testsupport::TempFolder work(true);
    testsupport::LogCapture log;
    ASSERT_TRUE(gf_createFlightPlanFolder());
    EXPECT_EQ(g_flightPlanFolder, root.path() / "AppData" / "Roaming" / "Skyweaver" / "orig_dest");
    EXPECT_TRUE(std::filesystem::is_directory(g_flightPlanFolder));
    EXPECT_EQ(gf_flightPlanPath(1234).filename(), "1234.pln");
    EXPECT_EQ(gf_flightPlanPath(7).filename(), "7.pln");
}

TEST(FlightPlans, PlansAreWrittenByteForByte)
{
    struct Case {
        Category category;
        const char* origin;
        const char* destination;
        std::string expected;
    };
    const Case cases[] = {
        {Category::Heavy, "EGLL", "KJFK", lf_plan("IFR", "EGLL", "KJFK")},
        {Category::Rotorcraft, "LSZH", "LSGG", lf_plan("VFR", "LSZH", "LSGG")},
        {Category::Buzjet, "", "LFPB", lf_plan("IFR", "", "LFPB")},
        {Category::Light, "A&B", "<X>", lf_plan("VFR", "A&amp;B", "&lt;X&gt;")},
    };
    testsupport::TempFolder folder;
    for (const auto& [category, origin, destination, expected] : cases) {
        const auto path = folder / "12.pln";
        ASSERT_TRUE(gf_writeFlightPlan(path, lf_aircraft(category, origin, destination)));
        EXPECT_EQ(readFile(path), expected) << origin;
    }
    EXPECT_FALSE(gf_writeFlightPlan(folder / "missing" / "13.pln", lf_aircraft(Category::Large, "A", "B")));
}

TEST(FailedLiveries, TwentiethRefusedTitleEndsTheRunWithError81)
{
    testsupport::TempFolder work(true);
    testsupport::LogCapture log;
    std::vector<std::string> titles;
    for (int i = 1; i <= 20; ++i) {
        titles.push_back("Livery " + std::to_string(i));
    }
    AircraftData aircraft;
    aircraft.callsign = "SWR12";
    aircraft.type = "A320";
    aircraft.airline = "SWR";
    for (int i = 0; i < 19; ++i) {
        aircraft.livery = titles[i];
        gf_noteFailedLivery(aircraft);
    }
    EXPECT_TRUE(log.contains("SWR12 'Livery 19' could not be created by your Sim!"));
    EXPECT_EQ(g_failedLiveryList.size(), 1u);
    aircraft.livery = titles[19];
    try {
        gf_noteFailedLivery(aircraft);
        FAIL() << "no error 81";
    } catch (const vtx::UserErrorException& error) {
        EXPECT_EQ(error.code(), 81);
        EXPECT_STREQ(error.what(), "81: There are too many liveries that could not be created!, see Log.txt");
    }
    EXPECT_TRUE(log.contains("===> Error 81, There are too many liveries that could not be created!"));
    EXPECT_TRUE(g_failedLiveries.contains(std::string_view("Livery 20")));
}

TEST(FailedLiveries, CachedTitleThatFailedSinceIsForgotten)
{
    g_liveryTitleCache[4459379] = "Livery A";
    g_liveryTitleCache[4459380] = "Livery B";
    g_failedLiveries.insert("Livery B");
    EXPECT_EQ(gf_cachedLiveryTitle(4459379), std::optional<std::string_view>("Livery A"));
    EXPECT_FALSE(gf_cachedLiveryTitle(4459380).has_value());
    EXPECT_FALSE(g_liveryTitleCache.contains(4459380));
    EXPECT_FALSE(gf_cachedLiveryTitle(1).has_value());
}

} // namespace
