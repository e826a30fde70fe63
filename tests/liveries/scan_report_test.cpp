#include "core/program_folders.h"
#include "liveries/livery_data.h"
#include "liveries/regcodes.h"
#include "liveries/scan_report.h"
#include "refdata/aircraft_db.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::TempFolder;

TEST(ScanReport, DatabaseCorrectsRegisteredLiveries)
{
    g_registrations["D-AIPA"] = {"DLH", "A320", "CLH", false};
    g_registrations["N279FE"] = {"FDX", "B77W", "", true};
    const LiveryData cityLine{"DLH", "A320", "Lufthansa CityLine", "D-AIPA", 1, false};
    const LiveryData fedex{"FDX", "B772", "FedEx 777", "N279FE", 1, false};
    const LiveryData unknown{"XXX", "A320", "Unknown", "Q-XXXX", 1, false};
    // A registration without an airline or a type changes neither.
    g_registrations["HB-JRA"] = {"", "", "", false};
    const LiveryData incomplete{"SWR", "C56X", "Swiss Jet", "HB-JRA", 1, false};
    g_scannedLiveries = {cityLine, fedex, unknown, incomplete};
    lf_writeDbaseCorrections();
    EXPECT_EQ(g_scannedLiveries[3], incomplete);

    EXPECT_EQ(g_scannedLiveries[0].airl, "CLH");
    EXPECT_TRUE(g_scannedLiveries[1].cargo);
    EXPECT_EQ(g_scannedLiveries[1].type, "B77W");
    EXPECT_EQ(g_scannedLiveries[2], unknown);
    const std::vector<std::string> lines = g_dbaseCorrectionLines.snapshot();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], fmt::format("{:80} D-AIPA airl DLH => CLH", "Lufthansa CityLine"));
    EXPECT_EQ(lines[1], fmt::format("{:80} N279FE cargo false => true", "FedEx 777"));
    EXPECT_EQ(lines[2], fmt::format("{:80} N279FE model B772 => B77W", "FedEx 777"));
}

TEST(ScanReport, SummaryCountsAndWritesReports)
{
    TempFolder folder(true);
    std::filesystem::create_directories("output/info");
    LogCapture log;
    g_invalidAirlineLines.append("XYZ          in a.cfg title=x");
    g_invalidModelLines.append("B7X              in b.cfg");
    g_invalidModelLines.append("A3X              in c.cfg");
    g_incompleteSections.append("same section");
    g_incompleteSections.append("same section");
    g_fixLines.append("Model fix: A20 found in d.cfg changed into A20N");
    g_noFltsimFiles.append("e.cfg");
    g_dbaseCorrectionLines.append("a correction");
    lf_writeScanReport();

    const std::vector<std::string> expected = {
        "",
        "Errors:",
        "1 invalid airline code, see output/errors/InvalidAirlineCodes.txt",
        "2 invalid model codes, see output/errors/InvalidAircraftCodes.txt",
        "1 code fixes, see output/errors/Fixes.txt",
        "2 incomplete [fltsim.x] sections, see output/errors/IncompleFltsimSections.txt",
        "",
        "Information:",
        "1 empty aircraft.cfg files, see output/info/AircraftCfgWithNoFltsimSection.txt",
        "1 liveries updated with real live data from dbase, see output/info/AirlineModelConversions.txt",
    };
    EXPECT_EQ(log.lines(), expected);
    EXPECT_EQ(readFile("output/errors/InvalidAircraftCodes.txt"), "A3X              in c.cfg\nB7X              in b.cfg\n");
    EXPECT_EQ(readFile("output/errors/IncompleFltsimSections.txt"), "same section\n");
    EXPECT_FALSE(std::filesystem::exists("output/errors/InvalidAircraftCfgFiles.txt"));
}

TEST(ScanReport, CleanScanSaysNoErrorsAndResetEmptiesTheLists)
{
    TempFolder folder(true);
    LogCapture log;
    lf_writeScanReport();
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"", "No errors", "", "Information:"}));

    g_invalidCfgFiles.append("bad.cfg");
    g_scanTitles.insert("title");
    g_dontUseTitles.push_back("never");
    lf_resetScanResults();
    EXPECT_TRUE(g_invalidCfgFiles.snapshot().empty());
    EXPECT_TRUE(g_scanTitles.empty());
    EXPECT_TRUE(g_dontUseTitles.empty());
}
