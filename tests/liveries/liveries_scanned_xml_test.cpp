#include "core/user_error.h"
#include "liveries/liveries_scanned_xml.h"
#include "liveries/livery_data.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

LiveryData livery(const char* airl, const char* type, const char* title, const char* atcid = "", bool cargo = false)
{
    return LiveryData{.airl = airl, .type = type, .title = title, .atcid = atcid, .folderIndex = 3, .cargo = cargo};
}

// The error text of reading the file, empty when it was read.
std::string readError()
{
    try {
        lf_readLiveriesScannedXml();
    } catch (const vtx::UserErrorException& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(LiveriesScannedXml, RoundTripSortsAndKeepsEveryField)
{
    TempFolder folder(true);
    std::filesystem::create_directories("output");
    LogCapture log;
    g_scannedLiveries = {livery("KLM", "B738", "KLM 737", "PH-BXA"), livery("DLH", "B744", "LH Cargo", "", true),
                         livery("DLH", "A320", "LH A320 b"), livery("DLH", "A320", "LH A320 a", "D-AIPA")};
    const std::vector<LiveryData> written = g_scannedLiveries;
    ASSERT_TRUE(lf_writeLiveriesScannedXml());
    EXPECT_TRUE(log.contains("4 liveries in output/LiveriesScanned.xml"));

    const std::string file = readFile("output/LiveriesScanned.xml");
    EXPECT_NE(file.find(R"(<liv airl="DLH" type="A320" title="LH A320 b" />)"), std::string::npos);
    EXPECT_NE(file.find(R"(<liv airl="DLH" type="B744" cargo="true" title="LH Cargo" />)"), std::string::npos);
    EXPECT_NE(file.find(R"(<liv airl="KLM" type="B738" title="KLM 737" atcid="PH-BXA" />)"), std::string::npos);

    ASSERT_EQ(readError(), "");
    ASSERT_EQ(g_scannedLiveries.size(), 4u);
    EXPECT_EQ(g_scannedLiveries[0], written[3]);  // equal although the folder index is not stored
    EXPECT_EQ(g_scannedLiveries[0].folderIndex, 0);
    EXPECT_EQ(g_scannedLiveries[1], written[2]);
    EXPECT_EQ(g_scannedLiveries[2], written[1]);
    EXPECT_EQ(g_scannedLiveries[3], written[0]);
    EXPECT_TRUE(log.contains("4 liveries read from output/LiveriesScanned.xml"));
}

TEST(LiveriesScannedXml, NothingWrittenWithoutLiveries)
{
    TempFolder folder(true);
    std::filesystem::create_directories("output");
    g_scannedLiveries.clear();
    EXPECT_TRUE(lf_writeLiveriesScannedXml());
    EXPECT_FALSE(std::filesystem::exists("output/LiveriesScanned.xml"));
}

TEST(LiveriesScannedXml, FailedSaveIsReportedAndKeepsThePreviousFile)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("output/LiveriesScanned.xml", "previous scan\n");
    std::filesystem::create_directories("output/LiveriesScanned.xml.tmp");  // cannot be written
    g_scannedLiveries = {livery("DLH", "A320", "LH A320")};
    EXPECT_FALSE(lf_writeLiveriesScannedXml());
    EXPECT_TRUE(log.contains("==> Failed to save output/LiveriesScanned.xml"));
    EXPECT_FALSE(log.contains("1 liveries in output/LiveriesScanned.xml"));
    EXPECT_EQ(readFile("output/LiveriesScanned.xml"), "previous scan\n");
}

TEST(LiveriesScannedXml, FaultyFilesAreRefusedWithTheirCodes)
{
    struct Case {
        const char* content;  // nullptr: no file
        const char* error;
    };
    const Case cases[] = {
        {nullptr, "51: File output/LiveriesScanned.xml not found"},
        {"<root><liveries><liv airl=\"DLH\"", "51: File output/LiveriesScanned.xml not found"},
        {"<root><meta/></root>", "52: output/LiveriesScanned.xml does not contain a <liveries> section"},
        {R"(<root><liveries><liv airl="DLH" title="x"/></liveries></root>)",
         "999: Missing required attribute 'type' in <liv>"},
        {R"(<root><liveries><liv airl="DLH" type="A320" title=""/></liveries></root>)",
         "999: Missing required attribute 'title' in <liv>"},
        {"<root><liveries/></root>", "533: output/LiveriesScanned.xml does not contain liveries"},
        {"<liveries><liv airl=\"DLH\" type=\"A320\" title=\"x\"/></liveries>",
         "533: output/LiveriesScanned.xml does not contain liveries"},
    };
    for (const Case& c : cases) {
        TempFolder folder(true);
        if (c.content != nullptr) {
            writeFile("output/LiveriesScanned.xml", c.content);
        }
        EXPECT_EQ(readError(), c.error) << (c.content ? c.content : "(no file)");
    }
}

TEST(LiveriesScannedXml, RecordsBeforeAFaultStay)
{
    TempFolder folder(true);
    writeFile("output/LiveriesScanned.xml",
              R"(<root><liveries><liv airl="DLH" type="A320" title="a"/><liv airl="DLH" title="b"/></liveries></root>)");
    EXPECT_NE(readError(), "");
    ASSERT_EQ(g_scannedLiveries.size(), 1u);
    EXPECT_EQ(g_scannedLiveries[0].title, "a");
}

TEST(LiveriesScannedXml, RemovalClearsThePreviousScan)
{
    TempFolder folder(true);
    for (const char* file : {"output/LiveriesScanned.xml", "output/info/AircraftCfgWithNoFltsimSection.txt",
                             "output/info/AirlineModelConversions.txt", "output/errors/InlineRegcodes.txt",
                             "output/errors/Fixes.txt", "output/errors/IncompleFltsimSections.txt"}) {
        writeFile(file, "x\n");
    }
    lf_removeLiveriesScannedXml();
    EXPECT_FALSE(std::filesystem::exists("output/LiveriesScanned.xml"));
    EXPECT_FALSE(std::filesystem::exists("output/info/AircraftCfgWithNoFltsimSection.txt"));
    EXPECT_FALSE(std::filesystem::exists("output/errors"));
    EXPECT_TRUE(std::filesystem::exists("output/info/AirlineModelConversions.txt"));
}

TEST(LiveriesScannedXml, GeneratedLiveriesReadAndWrittenAgainGiveTheSameBytes)
{
    TempFolder folder(true);
    std::filesystem::create_directories("output");
    LogCapture log;
    const char* const airlines[] = {"DLH", "ZZZ", "PVT", "K&M"};
    const char* const types[] = {"A320", "B<38", "C172"};
    std::vector<LiveryData> written;
    for (int i = 0; i < 300; ++i) {
        const std::string title = "Livery " + std::to_string(i) + R"( &<>"' Ü)";
        const std::string atcid = i % 3 == 0 ? "" : "X-&" + std::to_string(i);
        written.push_back(livery(airlines[i % 4], types[i % 3], title.c_str(), atcid.c_str(), i % 5 == 0));
    }
    std::sort(written.begin(), written.end(), [](const LiveryData& a, const LiveryData& b) {
        return std::tie(a.airl, a.type, a.title) < std::tie(b.airl, b.type, b.title);
    });
    g_scannedLiveries = written;
    ASSERT_TRUE(lf_writeLiveriesScannedXml());
    const std::string first = readFile("output/LiveriesScanned.xml");

    ASSERT_EQ(readError(), "");
    EXPECT_EQ(g_scannedLiveries, written);
    ASSERT_TRUE(lf_writeLiveriesScannedXml());
    EXPECT_EQ(readFile("output/LiveriesScanned.xml"), first);
}
