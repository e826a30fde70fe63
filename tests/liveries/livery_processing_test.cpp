#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "liveries/livery_data.h"
#include "liveries/livery_matching.h"
#include "platform/win32.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_tables.h"
#include "liveries/regcodes.h"
#include "refdata/aircraft_db.h"
#include "refdata/similar_models.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::TempFolder;

namespace {

// A working folder with the small aircraft database loaded and the liveries scanned.
class ProcessedLiveries : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Settings switched off are saved to "parameters.xml" in this folder's app-data tree.
        testsupport::useAppDataRoot(m_folder.path());
        gf_writeParameters(false);
        testsupport::writeSmallReferenceData(m_folder.path());
        ASSERT_TRUE(gf_readDbase());
        RANDOM.value = false;
    }

    void process(const std::vector<LiveryData>& liveries)
    {
        testsupport::writeLiveriesScanned(m_folder.path(), liveries);
        gf_processScannedLiveries();
    }

    TempFolder m_folder{true};
    LogCapture m_log;
};

std::vector<std::string> viewsToStrings(const TitleViews& views)
{
    return {views.begin(), views.end()};
}

} // namespace

TEST_F(ProcessedLiveries, BuildsTablesByAirlineModelAndKind)
{
    process(testsupport::fixtureLiveries());
    EXPECT_TRUE(m_log.contains("11 airlines, 13 pax aircraft models and 2 cargo aircraft models"));
    EXPECT_TRUE(g_scannedLiveries.empty());
    EXPECT_TRUE(g_liveriesProcessed);

    // Titles of one model keep the order of the scan.
    const auto& dlh = g_liveryTable.at("DLH").at("A320");
    ASSERT_EQ(dlh.size(), 12u);
    EXPECT_EQ(dlh.front().title, "DLH A320 livery 01");
    EXPECT_EQ(dlh.back().title, "DLH A320 livery 12");

    // An airline that flies only cargo is in the cargo table alone.
    EXPECT_FALSE(g_airlineModelTitles[kPax].contains("GEC"));
    EXPECT_EQ(g_airlineModelTitles[kCargo].at("GEC").at("B744").size(), 6u);
    // Mixed models are split by kind.
    EXPECT_EQ(g_airlineModelTitles[kPax].at("DLH").at("B744").size(), 9u);
    EXPECT_EQ(viewsToStrings(g_airlineModelTitles[kCargo].at("DLH").at("B744")),
              (std::vector<std::string>{"DLH B744 livery 04", "DLH B744 livery 08", "DLH B744 livery 12"}));
    // A model only the generic airline flies is a model of any airline, not of a real one.
    EXPECT_EQ(g_modelTitles[kPax].at("AT76").size(), 3u);
    EXPECT_FALSE(gf_hasLivery("DLH", "AT76"));
    EXPECT_TRUE(gf_hasLivery("ZZZ", "AT76"));
    EXPECT_EQ(g_modelTitles[kPax].at("B77W").size(), 10u + 10u + 10u + 12u);
    EXPECT_EQ(g_modelTitles[kCargo].at("B77W").size(), 8u);

    EXPECT_EQ(lf_findTitle("KLM E190 livery 10"), "KLM E190 livery 10");
    EXPECT_TRUE(lf_findTitle("KLM E190 livery 11").empty());
    EXPECT_EQ(gf_liveryAirlines().size(), 11u);
}

TEST_F(ProcessedLiveries, LogsCategoriesAndSwitchesOffMissingOnes)
{
    LIGHT_AIRCRAFT.value = true;
    HIGH_PERF_AIRCRAFT.value = true;
    HELICOPTERS.value = false;
    HELICOPTERS.hwnd = CreateWindowExW(0, L"button", L"Helicopters", WS_VISIBLE | BS_CHECKBOX, 0, 0, 80, 20, nullptr,
                                       nullptr, nullptr, nullptr);
    ASSERT_NE(HELICOPTERS.hwnd, nullptr);
    process(testsupport::fixtureLiveries());
    // Already off: not saved again, but its check box is disabled all the same.
    EXPECT_FALSE(IsWindowEnabled(HELICOPTERS.hwnd));

    const auto lines = m_log.lines();
    const auto at = std::find(lines.begin(), lines.end(), "Category Light: No livery found");
    ASSERT_NE(at, lines.end());
    const std::vector<std::string> expected = {
        "Category Light: No livery found",
        "LIGHT_AIRCRAFT=false",
        "LIGHT_AIRCRAFT temporarily switched off because you do not have light aircraft installed",
        "Category Buzjets: 8 pax liveries",
        "  C56X,H25B",
        "Category Large: 148 pax liveries",
        "  A20N,A320,A321,AT76,B738,CRJ9,DH8D,E190",
        "Category Heavy: 95 pax liveries and 17 cargo liveries",
        "  A388,B744,B77W",
        "Category HighPerf: No livery found",
        "HIGH_PERF_AIRCRAFT=false",
        "HIGH_PERF_AIRCRAFT temporarily switched off because you do not have High Perf aircraft installed",
        "Category Rotorcraft: No livery found",
        "4 models have a generic livery",
        "  A320,AT76,B738,DH8D",
    };
    EXPECT_EQ(std::vector<std::string>(at, at + static_cast<std::ptrdiff_t>(expected.size())), expected);
    EXPECT_FALSE(LIGHT_AIRCRAFT.value);
    EXPECT_FALSE(HIGH_PERF_AIRCRAFT.value);
    const std::string saved = readFile(g_parametersPath.get());
    EXPECT_NE(saved.find(R"(<parameter name="LIGHT_AIRCRAFT" value="false" />)"), std::string::npos);
    EXPECT_NE(saved.find(R"(<parameter name="HIGH_PERF_AIRCRAFT" value="false" />)"), std::string::npos);
    EXPECT_EQ(g_buzjetModels, (std::vector<std::string>{"C56X", "H25B"}));
    EXPECT_TRUE(g_lightModels.empty());
}

TEST_F(ProcessedLiveries, ManyLightModelsAreLoggedTwentyToALine)
{
    std::vector<LiveryData> liveries;
    for (int k = 0; k < 45; ++k) {
        liveries.push_back({"PVT", fmt::format("L{:02}", k), fmt::format("Light {}", k), "", 0, false});
    }
    process(liveries);
    EXPECT_TRUE(m_log.contains("Category Light: 45 pax liveries"));
    EXPECT_TRUE(m_log.contains("  L00,L01,L02,L03,L04,L05,L06,L07,L08,L09,L10,L11,L12,L13,L14,L15,L16,L17,L18,L19"));
    EXPECT_TRUE(m_log.contains("  L20,L21,L22,L23,L24,L25,L26,L27,L28,L29,L30,L31,L32,L33,L34,L35,L36,L37,L38,L39"));
    EXPECT_TRUE(m_log.contains("  L40,L41,L42,L43,L44"));
    EXPECT_TRUE(m_log.contains("No generic liveries"));
    EXPECT_EQ(g_lightModels.size(), 45u);
    // With RANDOM off the first installed light model stands in for a light type without liveries.
    EXPECT_EQ(gf_randomLightModel(), "L00");
    EXPECT_EQ(gf_similarModels("C172"), (std::vector<std::string>{"L00"}));
}

TEST_F(ProcessedLiveries, SecondStartUpKeepsTheTables)
{
    process(testsupport::fixtureLiveries());
    const std::size_t airlines = g_liveryTable.size();
    testsupport::writeLiveriesScanned(m_folder.path(), {{"XXX", "A320", "other", "", 0, false}});
    gf_processScannedLiveries();
    EXPECT_TRUE(m_log.contains("Processing scanned liveries skipped; already done in previous start-up"));
    EXPECT_EQ(g_liveryTable.size(), airlines);
    EXPECT_FALSE(g_liveryTable.contains("XXX"));
}

TEST_F(ProcessedLiveries, RegcodesFromLiveriesAigFileAndUserFilesLaterWins)
{
    std::vector<LiveryData> liveries = testsupport::fixtureLiveries();
    liveries.push_back({"DLH", "A320", "DLH A320 extra", "T-0001", 0, false});  // clashes in-line
    testsupport::writeAigRegcodes(m_folder.path(),
                                  {testsupport::aigLivery("DLH A320 livery 02", "D-AIPB, D-AIPC"),
                                   testsupport::aigLivery("BAW A388 livery 01", "G-XLEA", true),
                                   testsupport::aigLivery("Not installed", "X-XXXX"),
                                   testsupport::aigLivery("KLM B738 livery 01", "PH-BXA")});
    testsupport::writeFile("input/my_regcodes/mine.txt",
                           "KLM B738 livery 02;PH-BXA\nUAE A388 livery 01;A6-EDA,A6-EDB;#\n");
    process(liveries);

    EXPECT_EQ(g_regcodeMap.at("T-0001"), "DLH A320 extra");
    EXPECT_EQ(g_regcodeMap.at("D-AIPC"), "DLH A320 livery 02");
    EXPECT_EQ(g_regcodeMap.at("PH-BXA"), "KLM B738 livery 02");
    EXPECT_FALSE(g_regcodeMap.contains("X-XXXX"));
    EXPECT_EQ(g_uniqueRegs, (std::set<std::string>{"G-XLEA", "PH-BXA"}));
    EXPECT_EQ(g_boundTitles.size(), 3u);

    EXPECT_EQ(readFile("output/errors/InlineRegcodes.txt"),
              "T-0001 'DLH A320 livery 01' => already in use by 'DLH A320 extra'\n");
    EXPECT_TRUE(m_log.contains("1 in-line regcode clashes, see 'output/errors/InlineRegcodes.txt'"));
    EXPECT_TRUE(m_log.contains("4 new regcodes added, 1 regcode defined as special"));
    EXPECT_TRUE(m_log.contains("2 new regcodes added, 1 regcode replaced, 2 regcodes defined as special"));
    EXPECT_TRUE(m_log.contains("3 special liveries"));
    EXPECT_TRUE(m_log.contains("2 unique liveries"));
    EXPECT_EQ(readFile("output/errors/OfflineRegcodes.txt"),
              "Processing file input/AIG-regcodes.xml\n"
              "Processing files in input/my_regcodes\n"
              "   regcode PH-BXA for 'KLM B738 livery 02', instead of the same for 'KLM B738 livery 01'\n");
    EXPECT_FALSE(std::filesystem::exists("input/AIG-regcodes.xml"));
}

TEST_F(ProcessedLiveries, UserFileFaultsAreShownOnce)
{
    testsupport::writeAigRegcodes(m_folder.path(), {});
    testsupport::writeFile("input/my_regcodes/mine.TXT", "KLM B738 livery 02;P\n");
    process(testsupport::fixtureLiveries());
    EXPECT_TRUE(m_log.contains("There were errors processing the regcode files in folder 'input/my_regcodes', see Log.txt"));
}

TEST_F(ProcessedLiveries, SimilarModelsHoldOnlyInstalledTypes)
{
    process(testsupport::fixtureLiveries());
    // Groups {A20N, A320, A321} (all installed) and {B737, B738} (only B738 installed).
    EXPECT_TRUE(m_log.contains("4 similar model definitions"));
    EXPECT_EQ(gf_similarModels("A320"), (std::vector<std::string>{"A20N", "A321"}));
    EXPECT_EQ(gf_similarModels("B737"), (std::vector<std::string>{"B738"}));
    EXPECT_TRUE(gf_similarModels("A388").empty());                                   // Heavy: no fallback
    EXPECT_EQ(gf_similarModels("XXXX"), std::vector<std::string>{});                 // Light, none installed
    EXPECT_EQ(gf_similarModels("C56X"), (std::vector<std::string>{"C56X"}));         // Buzjet fallback

    EXPECT_EQ(gf_similarAirlineModels("DLH", "A20N"), (std::vector<std::string>{"A320", "A321"}));
    EXPECT_EQ(gf_similarAirlineModels("EZY", "A321"), (std::vector<std::string>{"A20N", "A320"}));
    EXPECT_EQ(gf_similarAirlineModels("RYR", "B737"), (std::vector<std::string>{"B738"}));
    EXPECT_TRUE(gf_similarAirlineModels("DLH", "A320").empty());  // the airline has the type itself
    EXPECT_TRUE(gf_similarAirlineModels("DLH", "B737").empty());  // and no similar one of it
    EXPECT_TRUE(gf_similarAirlineModels("QQQ", "A320").empty());
}

TEST_F(ProcessedLiveries, RebuiltTablesAnswerAsInAFreshProcess)
{
    process(testsupport::fixtureLiveries());
    // The window asks for new tables (another simulator, a new scan); the closing-down drops
    // them, and the next start-up builds them from a set where DLH flies only the A20N.
    g_liveryRebuildRequested = true;
    gf_dropLiveryTablesIfAsked();
    process({{"DLH", "A20N", "DLH A20N livery 01", "", 0, false}, {"EZY", "B738", "EZY B738 livery 01", "", 0, false}});

    EXPECT_EQ(gf_similarModels("A320"), (std::vector<std::string>{"A20N"}));
    EXPECT_EQ(gf_similarModels("A321"), (std::vector<std::string>{"A20N"}));
    EXPECT_EQ(gf_similarAirlineModels("DLH", "A320"), (std::vector<std::string>{"A20N"}));
    EXPECT_TRUE(gf_similarAirlineModels("EZY", "A321").empty());
    MATCHING_DEPTH.value = 4;
    AircraftData ac;
    ac.airline = "DLH";
    ac.type = "A320";
    ac.callsign = "DLH4AB";
    gf_matchLivery(ac);
    EXPECT_EQ(std::string(ac.livery), "DLH A20N livery 01");
}
