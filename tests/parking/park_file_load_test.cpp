#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/user_error.h"
#include "parking/airport_settings_snapshot.h"
#include "parking/apf.h"
#include "parking/apf_sources.h"
#include "parking/park_airport.h"
#include "parking/park_file_load.h"
#include "parking/static_parking.h"
#include "engine/stand_learning.h"
#include "engine/stand_search.h"
#include "app/tick_state.h"
#include "support/parking_fixture.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "refdata/download.h"
#include "support/http_server.h"
#include "support/log_capture.h"
#include "support/park_file_builder.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/unprivileged_run.h"
#include "support/wait_until.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

constexpr const char* kReference = "airports\\my_thirdparty\\EDDF.xml";
constexpr const char* kLearned = "airports/learned/thirdparty/Pub/EDDF.xml";

StandFixture stand(const std::string& id, double latitude, double radius = 20.0, std::vector<OptFixture> opts = {},
                   const std::string& extra = {})
{
    return {id, latitude, 8.0, 0.0, radius, std::move(opts), extra};
}

std::string param(const std::string& name, const std::string& value)
{
    return "    <parameter name=\"" + name + "\" value=\"" + value + "\" />\n";
}

std::string withVersion(std::string xml, const std::string& version)
{
    xml.replace(xml.find("11.10.8"), 7, version);
    return xml;
}

class ParkFileLoad : public ::testing::Test {
protected:
    TempFolder folder{true};
    LogCapture log;
    ParkFileHeader header;

    void SetUp() override
    {
        writeEncryptedInput(".", "airports.enc", smallAirports().text());
        ASSERT_TRUE(gf_readAirports());
        fs::create_directories(folders::myThirdparty());
        fs::create_directories(fs::path(kLearned).parent_path());
        g_parkAirport = "EDDF";
        writeFile("airports/my_thirdparty/EDDF.xml",
                  parkFileXml({stand("A1", 50.0), stand("A2", 50.01, 20.0, {{"D-AIAB", "", "", "DLH1"}})},
                              param("airport_name", "Frankfurt") + param("publisher", "Pub") +
                                  param("altitude", "364")));
    }

    std::vector<std::string> standIds() const
    {
        std::vector<std::string> ids;
        for (const Stand& s : g_stands) {
            ids.push_back(s.id);
        }
        return ids;
    }
};

} // namespace

TEST_F(ParkFileLoad, ArchivedStockFileWithFewObservedUsesSwitchesSoftWeek)
{
    HttpServer server;
    gf_setDownloadHost(server.base());
    server.serve("/downloads/MSFS/archive/stock/EDDF.xml",
                 parkFileXml({stand("V1", 50.0), stand("V2", 50.01)},
                             param("airport_name", "Frankfurt") + param("altitude", "364") + param("Qf_real", "1") +
                                 param("Qf_soft", "20") + param("RT_traffic_week", "12")));
    PARK_SOFT.value = false;
    WEEK.value = false;
    MAX_FIT.value = 23;
    MAX_FIT_FL.value = 12.0f;
    parking_percentage.value = 80;

    ASSERT_EQ(askUntilAnswered([] { return gf_fetchApf("archive/stock/EDDF.xml"); }), std::optional<std::string>(""));
    EXPECT_EQ(gf_readApf("archive/stock/EDDF.xml", header), "");

    EXPECT_EQ(standIds(), (std::vector<std::string>{"V1", "V2"}));
    EXPECT_EQ(g_stands[1].number, 2);
    EXPECT_EQ(header.altitude, 364);
    EXPECT_EQ(g_rtTrafficWeek, 12);
    EXPECT_TRUE(PARK_SOFT.value);
    EXPECT_TRUE(WEEK.value);
    EXPECT_EQ(MAX_FIT_FL.value, 24.0f);
    EXPECT_EQ(MAX_FIT.value, 47);  // the half hours the fit goes back
    EXPECT_EQ(parking_percentage.value, 30);  // EDDF counts 250 stands
    EXPECT_FALSE(g_airportSettingsSnapshot.parkSoft);  // taken before the switch
    EXPECT_EQ(g_airportSettingsSnapshot.parkingPercentage, 80);
    EXPECT_TRUE(log.contains("learned does not exist"));
    EXPECT_TRUE(log.contains("parking_percentage      : 30%"));
    EXPECT_TRUE(log.contains("Airport file read from 'archive/stock/EDDF.xml' for Frankfurt"));
}

TEST_F(ParkFileLoad, LearnedFileOfAnOlderVersionKeepsChangesButNoUses)
{
    writeFile(kLearned,
              withVersion(parkFileXml({stand("A1", 50.0, 40.0, {{"D-AIAC", "DLH", "A320", "DLH2"}},
                                             R"(radius_change="true")"),
                                       stand("M1", 50.02, 30.0, {}, R"(manual="true")"),
                                       stand("A2", 50.01, 20.0, {}, R"(manual="true")"),
                                       stand("X9", 50.03)},
                                      param("airport_name", "Frankfurt Main") + param("RANGE", "25") +
                                          param("MAX_FIT", "23") + param("WEEK", "true") +
                                          param("AUTO_RANGE", "false")),
                          "11.9.5"));
    WEEK.value = false;

    EXPECT_EQ(gf_readApf(kReference, header), "");

    EXPECT_EQ(standIds(), (std::vector<std::string>{"A1", "A2", "M1"}));
    EXPECT_NEAR(g_stands[0].radius * 1852.0, 40.0, 1e-9);
    EXPECT_TRUE(g_stands[0].radius_change);
    EXPECT_TRUE(g_stands[0].options.empty());
    EXPECT_EQ(g_stands[1].options.size(), 1u);  // the reference file's own use stays
    EXPECT_TRUE(g_stands[2].manual);
    EXPECT_EQ(RANGE.value, 25);  // the manual range kept when AUTO_RANGE is off
    EXPECT_FALSE(AUTO_RANGE.value);
    EXPECT_TRUE(WEEK.value);
    const std::string path = fs::path(kLearned).string();
    EXPECT_TRUE(log.contains("MAX_FIT                 : 23 (max number of half hours, is 12.0 hrs decimal)"));
    EXPECT_TRUE(log.contains("==> manually created standid A2 already exists in " + path));
    EXPECT_TRUE(log.contains("learned stand X9 in " + path + " not found?"));
    EXPECT_TRUE(log.contains("Warning: learned file airport name: 'Frankfurt Main' differs from archived file "
                             "airport name: 'Frankfurt'"));
}

TEST_F(ParkFileLoad, CurrentLearnedFileAddsNewUses)
{
    writeFile(kLearned, parkFileXml({stand("A2", 50.01, 20.0,
                                           {{"D-AIAB", "", "", "DLH1"}, {"D-AIAC", "DLH", "A320", "DLH2", 2}})},
                                    param("airport_name", "Frankfurt")));

    EXPECT_EQ(gf_readApf(kReference, header), "");

    ASSERT_EQ(g_stands[1].options.size(), 2u);  // the same use is not repeated
    EXPECT_EQ(g_stands[1].options[1].reg, "D-AIAC");
    EXPECT_EQ(g_stands[1].options[1].archived, 0u);
}

TEST_F(ParkFileLoad, LearnedEntriesTheStandsCannotTakeSurviveSaveCycles)
{
    // X9 is not in the reference; the second D-AIAC use shares half hour 12 with the first, so
    // it is the same use and goes; the D-AIAB use repeats the reference's own and goes too.
    writeFile(kLearned, parkFileXml({stand("A1", 50.0, 20.0, {{"D-AIAE", "DLH", "A320", "DLH5", 4}}),
                                     stand("X9", 50.03, 20.0, {{"D-AIAD", "DLH", "A321", "DLH3", 3}}),
                                     stand("A2", 50.01, 20.0,
                                           {{"D-AIAC", "DLH", "A320", "DLH2", 2, "10:12"},
                                            {"D-AIAC", "DLH", "A320", "DLH2", 2, "12:20"},
                                            {"D-AIAB", "", "", "DLH1"}})},
                                    param("airport_name", "Frankfurt")));
    const auto expectEveryEntry = [](const std::string& xml, const char* cycle) {
        for (const char* entry : {"id=\"X9\"", "reg=\"D-AIAD\"", "reg=\"D-AIAE\"", "hh=\"10:12\""}) {
            EXPECT_NE(xml.find(entry), std::string::npos) << cycle << ": " << entry << "\n" << xml;
        }
        for (const char* entry : {"hh=\"12:20\"", "reg=\"D-AIAB\""}) {
            EXPECT_EQ(xml.find(entry), std::string::npos) << cycle << ": " << entry << "\n" << xml;
        }
    };
    std::string saved;
    for (const char* cycle : {"first save", "second save"}) {
        g_parkAirport = "EDDF";
        ASSERT_EQ(lf_readParkedFile(), "") << cycle;
        lf_resetParkAirport();
        const std::string xml = readFile(kLearned);
        expectEveryEntry(xml, cycle);
        if (!saved.empty()) {
            EXPECT_EQ(xml, saved);
        }
        saved = xml;
    }
    EXPECT_TRUE(log.contains("learned stand X9 in " + fs::path(kLearned).string() + " not found?"));
}

// Visits of the park airport with the same traffic: PH-BFA stands on A2 inside its reference use
// (one visit a half hour earlier), D-AIPA on A1, which the reference never saw there. The
// learned file also holds a manual stand A2, an id the reference has gained since.
TEST_F(ParkFileLoad, VisitsWithTheSameTrafficLeaveTheLearnedFileAsItWas)
{
    writeSmallReferenceData(".");
    ASSERT_TRUE(gf_readDbase());
    writeFile("airports/my_thirdparty/EDDF.xml",
              parkFileXml({stand("A1", 50.0), stand("A2", 50.01, 20.0, {{"PH-BFA", "", "", "KLM1", 3, "20:22"}})},
                          param("airport_name", "Frankfurt") + param("publisher", "Pub") + param("altitude", "364")));
    writeFile(kLearned, parkFileXml({stand("A2", 50.02, 20.0, {{"D-AIMA", "", "", "DLH9", 5}}, R"(manual="true")")},
                                    param("airport_name", "Frankfurt")));
    const auto visit = [](int firstHalf) {
        g_parkAirport = "EDDF";
        ASSERT_EQ(lf_readParkedFile(), "");
        for (const auto& [reg, standIndex, half] : {std::tuple{"PH-BFA", 1, firstHalf}, std::tuple{"D-AIPA", 0, 21}}) {
            LiveAc ac;
            ac.callsign = "X1";
            ac.registration = reg;
            assignStand(ac, g_stands[standIndex]);
            for (const int kind : {1, 2}) {
                g_weekTime = 3u | (static_cast<std::uint64_t>(half + kind - 1) << 32);
                lf_addRealStandOption(ac, kind);
            }
        }
        lf_resetParkAirport();
    };
    const auto uses = [](const std::string& xml) {
        std::size_t count = 0;
        for (std::size_t at = xml.find("<opt "); at != std::string::npos; at = xml.find("<opt ", at + 1)) {
            ++count;
        }
        return count;
    };
    std::string saved;
    int lastHalf = 0;
    for (const int firstHalf : {21, 21, 21, 20, 21, 21}) {
        visit(firstHalf);
        const std::string xml = readFile(kLearned);
        // One PH-BFA use, one D-AIPA use and the manual stand's own.
        EXPECT_EQ(uses(xml), 3u) << xml;
        EXPECT_NE(xml.find("reg=\"D-AIMA\""), std::string::npos) << xml;
        EXPECT_NE(xml.find(R"(manual="true")"), std::string::npos) << xml;
        if (firstHalf == lastHalf) {
            EXPECT_EQ(xml, saved);
        }
        saved = xml;
        lastHalf = firstHalf;
    }
}

TEST_F(ParkFileLoad, HandmadeLearnedFileReplacesEveryStand)
{
    writeFile(kLearned, parkFileXml({stand("H1", 50.0), stand("H2", 50.1), stand("H3", 50.2)},
                                    param("airport_name", "Frankfurt") + param("handmade", "true")));

    EXPECT_EQ(gf_readApf(kReference, header), "");

    EXPECT_EQ(standIds(), (std::vector<std::string>{"H1", "H2", "H3"}));
    EXPECT_TRUE(g_apfHandmade);
    EXPECT_TRUE(log.contains("A handmade airport file overruled the archived file!"));
    EXPECT_TRUE(log.contains("Airport file read from '" + fs::path(kLearned).string() + "' for Frankfurt"));
}

TEST_F(ParkFileLoad, DamagedLearnedFileIsKeptAsGenerationCopy)
{
    writeFile(kLearned, "<root><parameters>");

    EXPECT_EQ(gf_readApf(kReference, header), "");

    EXPECT_EQ(standIds(), (std::vector<std::string>{"A1", "A2"}));
    EXPECT_EQ(readFile("airports/learned/thirdparty/Pub/EDDF0.xml"), "<root><parameters>");
}

TEST_F(ParkFileLoad, UnreadableLearnedFileIsNamedWithItsCause)
{
    if (!runBodyUnprivileged()) {
        return;
    }
    writeFile(kLearned, "<root/>");
    fs::permissions(kLearned, fs::perms::none);

    EXPECT_EQ(gf_readApf(kReference, header), "");
    fs::permissions(kLearned, fs::perms::owner_read | fs::perms::owner_write);

    EXPECT_EQ(standIds(), (std::vector<std::string>{"A1", "A2"}));
    EXPECT_FALSE(fs::exists("airports/learned/thirdparty/Pub/EDDF0.xml"));
    EXPECT_TRUE(log.contains(fmt::format("{} found, but could not be loaded, nor saved as *.0.xml: {}", kLearned,
                                         std::make_error_code(std::errc::permission_denied).message())))
        << log.text();
}

TEST_F(ParkFileLoad, LearnedFolderThatCannotBeMadeIsNamed)
{
    EXPECT_EQ(lf_readParkedFile(), "");
    fs::remove_all(fs::path(kLearned).parent_path());
    writeFile(fs::path(kLearned).parent_path(), "a file where the folder belongs");

    lf_saveLearnedApf();

    const auto lines = log.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().ends_with(fmt::format(" saving '{}' did not succeed", kLearned))) << log.text();
}

TEST_F(ParkFileLoad, FaultsGiveTheirStatus)
{
    writeFile("airports/my_thirdparty/EGLL.xml", parkFileXml({stand("A1", 50.0)}));
    writeFile("airports/my_thirdparty/LOWW.xml", "<root>");
    writeFile("airports/my_thirdparty/KJFK.xml", parkFileXml({}, param("altitude", "13")));

    EXPECT_EQ(gf_readApf("", header), "gf_readApf: xml is empty");
    EXPECT_EQ(gf_readApf("airports\\my_thirdparty\\LOWW.xml", header),
              "airports\\my_thirdparty\\LOWW.xml: could not load file: airports/my_thirdparty/LOWW.xml");
    EXPECT_EQ(gf_readApf("airports\\my_thirdparty\\KJFK.xml", header), "no stands found");
    try {
        gf_readApf("airports\\my_thirdparty\\EGLL.xml", header);
        ADD_FAILURE() << "no user error";
    } catch (const vtx::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "65: Parameter altitude not found");
    }
    g_parkAirport.clear();
    EXPECT_EQ(gf_readApf(kReference, header), "gf_readApf: no park airport set");
}

// A learned file read only in part is never saved over; a handmade one that fails part way
// leaves the reference stands whole.
TEST_F(ParkFileLoad, LeavingSavesTheLearnedFileOnlyAfterAReadThatEndedWell)
{
    struct Case {
        const char* name;
        std::string reference;
        std::string learned;
        std::string status;
        bool saved;
        std::vector<std::string> stands;
    };
    const std::vector<std::string> referenceStands{"A1", "A2"};
    const std::string handmade = param("airport_name", "Frankfurt") + param("handmade", "true");
    const std::string reference = readFile("airports/my_thirdparty/EDDF.xml");
    const std::string emptyReference =
        parkFileXml({}, param("airport_name", "Frankfurt") + param("publisher", "Pub") + param("altitude", "364"));
    const Case cases[] = {
        {"repeated id in a handmade file", reference,
         parkFileXml({stand("H1", 50.0), stand("H2", 50.1), stand("H2", 50.2), stand("H4", 50.3), stand("H5", 50.4)},
                     handmade),
         "", false, referenceStands},
        {"empty first id in a handmade file", reference,
         parkFileXml({stand(" ", 50.0), stand("H2", 50.1), stand("H3", 50.2)}, handmade), "", false, referenceStands},
        {"learned file over a reference without stands", emptyReference,
         parkFileXml({stand("A1", 50.0, 40.0, {{"D-AIAC", "DLH", "A320", "DLH2"}}, R"(radius_change="true")")},
                     param("airport_name", "Frankfurt")),
         "no stands found", false, {}},
        {"learned file that does not parse", reference, "<root><parameters>", "", false, referenceStands},
        {"learned file read whole", reference,
         parkFileXml({stand("A1", 50.0, 40.0, {{"D-AIAC", "DLH", "A320", "DLH2"}}, R"(radius_change="true")")},
                     param("airport_name", "Frankfurt")),
         "", true, referenceStands},
    };
    for (const Case& c : cases) {
        writeFile("airports/my_thirdparty/EDDF.xml", c.reference);
        writeFile(kLearned, c.learned);
        g_parkAirport = "EDDF";
        const auto savedLines = [this] {
            const auto lines = log.lines();
            return std::count_if(lines.begin(), lines.end(),
                                 [](const std::string& line) { return line.find("saved with") != std::string::npos; });
        };
        const auto savedBefore = savedLines();

        EXPECT_EQ(lf_readParkedFile(), c.status) << c.name;
        EXPECT_EQ(gf_parkFileLoaded(), c.status.empty()) << c.name;
        EXPECT_EQ(standIds(), c.stands) << c.name;
        lf_resetParkAirport();

        EXPECT_EQ(readFile(kLearned) == c.learned, !c.saved) << c.name;
        EXPECT_EQ(savedLines() - savedBefore, c.saved ? 1 : 0) << c.name;
    }
}

TEST_F(ParkFileLoad, HandmadeUseWithGapsIsSavedAsTheListOfItsHalfHours)
{
    writeFile(kLearned, parkFileXml({stand("H1", 50.0, 20.0, {{"D-AIAC", "DLH", "A320", "DLH2", 2, "10,12,14"}})},
                                    param("airport_name", "Frankfurt") + param("handmade", "true")));
    for (const char* cycle : {"first save", "second save"}) {
        g_parkAirport = "EDDF";
        ASSERT_EQ(lf_readParkedFile(), "") << cycle;
        lf_resetParkAirport();
        EXPECT_NE(readFile(kLearned).find(R"(hh="10,12,14")"), std::string::npos) << cycle << "\n"
                                                                                  << readFile(kLearned);
    }
    EXPECT_FALSE(log.contains("bit set problem"));
}

TEST_F(ParkFileLoad, HandmadeFileKeepsEveryStandWhole)
{
    writeFile(kLearned, parkFileXml({stand("H1", 50.0, 10.0), stand("H2", 50.1, 20.0, {}, R"(cargo="true")"),
                                     stand("H3", 50.2)},
                                    param("airport_name", "Frankfurt") + param("handmade", "true")));
    ASSERT_EQ(lf_readParkedFile(), "");
    // A wide aircraft finds the small stand H1 within 20 m and widens it; a passenger
    // aircraft parks on the cargo stand H2.
    LiveAc wide;
    wide.hexid = 0x4B0001;
    wide.halfSpan = 30.0 / 1852.0;
    ASSERT_EQ(lf_findFreeStand({50.0, 8.0}, wide, 20.0 / 1852.0, false), &g_stands[0]);
    lf_growStandFor(g_stands[0], wide);
    LiveAc passenger;
    passenger.standId = g_stands[1].number;
    lf_setStandCargo(passenger);
    lf_resetParkAirport();

    g_parkAirport = "EDDF";
    ASSERT_EQ(lf_readParkedFile(), "");
    EXPECT_EQ(standIds(), (std::vector<std::string>{"H1", "H2", "H3"}));
    EXPECT_NEAR(g_stands[0].radius * 1852.0, 29.0, 0.05);
    EXPECT_NEAR(g_stands[0].latitude, 50.0, 1e-9);
    EXPECT_FALSE(g_stands[1].cargo);
    EXPECT_NEAR(g_stands[1].latitude, 50.1, 1e-9);
}

TEST_F(ParkFileLoad, LearnedFileIsMergedAgainForEveryKindOfParkFile)
{
    struct Case {
        const char* name;
        const char* localFile;  // the scan's link or park file, when any
        std::string localText;
        const char* archived;   // the archive's file on the download host, when any
        const char* publisher;
    };
    const auto park = [](const std::string& publisher) {
        return parkFileXml({stand("A1", 50.0, 10.0), stand("A2", 50.01)},
                           param("airport_name", "Frankfurt") + param("publisher", publisher) +
                               param("altitude", "364") + param("manufacturer", "Maker Ltd"));
    };
    const Case cases[] = {
        {"stock airport", nullptr, "", "archive/stock/EDDF.xml", "stock"},
        {"simaddon link", "airports/my_simaddon/EDDF.txt", "archive/simaddon/EDDF.xml\n", "archive/simaddon/EDDF.xml",
         "simaddon"},
        {"generated simaddon file", "airports/my_simaddon/EDDF.xml", park("simaddon"), nullptr, "simaddon"},
        {"generated file without publisher", "airports/my_thirdparty/EDDF.xml", park(""), nullptr, ""},
        {"thirdparty link", "airports/my_thirdparty/EDDF.txt", "archive/thirdparty/Pub%20One/EDDF.xml\n",
         "archive/thirdparty/Pub%20One/EDDF.xml", "Pub One"},
    };
    HttpServer server;
    gf_setDownloadHost(server.base());
    g_msfs2020 = true;
    // An archived file is read once the fetch worker has it.
    const auto fetchArchived = [](const char* archived) {
        if (archived != nullptr) {
            ASSERT_EQ(askUntilAnswered([archived] { return gf_fetchApf(archived); }), std::optional<std::string>(""));
        }
    };
    for (const Case& c : cases) {
        fs::remove_all("airports");
        fs::create_directories(folders::myThirdparty());
        fs::create_directories(folders::airports() / folders::mySimaddon());
        if (c.localFile != nullptr) {
            writeFile(c.localFile, c.localText);
        }
        if (c.archived != nullptr) {
            server.serve(std::string("/downloads/MSFS/") + c.archived, park(c.publisher));
        }
        g_parkAirport = "EDDF";
        fetchArchived(c.archived);
        ASSERT_EQ(lf_readParkedFile(), "") << c.name;
        LiveAc wide;
        wide.hexid = 0x4B0001;
        wide.halfSpan = 30.0 / 1852.0;
        ASSERT_EQ(lf_findFreeStand({50.0, 8.0}, wide, 20.0 / 1852.0, false), &g_stands[0]) << c.name;
        lf_growStandFor(g_stands[0], wide);
        lf_resetParkAirport();

        g_parkAirport = "EDDF";
        fetchArchived(c.archived);
        ASSERT_EQ(lf_readParkedFile(), "") << c.name;
        EXPECT_NEAR(g_stands[0].radius * 1852.0, 29.0, 0.05) << c.name;
        EXPECT_TRUE(g_stands[0].radius_change) << c.name;
        lf_resetParkAirport();
    }
}
