#include "core/clock.h"
#include "core/program_folders.h"
#include "core/sim_choice.h"
#include "parking/apf_sources.h"
#include "parking/closest_stand.h"
#include "refdata/airport_db.h"
#include "refdata/download.h"
#include "support/http_server.h"
#include "support/log_capture.h"
#include "support/park_file_builder.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

class ParkFileSources : public ::testing::Test {
protected:
    TempFolder folder{true};
    LogCapture log;

    void SetUp() override
    {
        fs::create_directories(folders::myThirdparty());
        fs::create_directories(folders::airports() / "my_simaddon");
    }
};

void readAirports(ReferenceXml xml)
{
    writeEncryptedInput(".", "airports.enc", xml.text());
    ASSERT_TRUE(gf_readAirports());
}

StandFixture standAt(const std::string& id, double latitude, double longitude)
{
    StandFixture stand;
    stand.id = id;
    stand.latitude = latitude;
    stand.longitude = longitude;
    return stand;
}

} // namespace

TEST_F(ParkFileSources, ReferenceFollowsThePrecedenceOfSources)
{
    readAirports(smallAirports());
    writeFile("airports/my_thirdparty/EDDF.txt", "archive/thirdparty/Pub%20One/EDDF.XML  \r\n");
    writeFile("airports/my_simaddon/EDDF.xml", "<root/>");
    writeFile("airports/my_thirdparty/EDDM.txt", "xml\n");  // too short: not a link
    writeFile("airports/my_thirdparty/EDDM.xml", "<root/>");
    writeFile("airports/my_simaddon/EGLL.txt", "archive/simaddon/EGLL.xml\n");
    writeFile("airports/my_simaddon/LOWW.xml", "<root/>");

    EXPECT_EQ(gf_archivedStockFileExists("EDDF"), "archive/thirdparty/Pub%20One/EDDF.XML");
    EXPECT_EQ(gf_archivedStockFileExists("EDDM"), "airports\\my_thirdparty\\EDDM.xml");
    EXPECT_EQ(gf_archivedStockFileExists("EGLL"), "archive/simaddon/EGLL.xml");
    EXPECT_EQ(gf_archivedStockFileExists("LOWW"), "airports\\my_simaddon\\LOWW.xml");
    EXPECT_EQ(gf_archivedStockFileExists("KJFK"), "archive/stock/KJFK.xml");
    EXPECT_EQ(gf_archivedStockFileExists("EDFE"), "");  // no stands in the database
    EXPECT_EQ(gf_archivedStockFileExists("ZZZZ"), "");
    EXPECT_TRUE(gf_hasOwnAirportFile("EGLL"));
    EXPECT_FALSE(gf_hasOwnAirportFile("KJFK"));
}

TEST_F(ParkFileSources, LinkFileInUtf16IsRead)
{
    writeFile("airports/my_thirdparty/EDDF.txt", std::string("\xFF\xFE" "a\0/\0E\0D\0D\0F\0.\0x\0m\0l\0", 22));
    std::string reference;
    ASSERT_TRUE(lf_readLinkFile("airports/my_thirdparty/EDDF.txt", reference));
    EXPECT_EQ(reference, "a/EDDF.xml");
}

TEST_F(ParkFileSources, LearnedFileOfEachReference)
{
    const struct {
        std::string reference;
        std::string publisher;
        fs::path learned;
    } cases[] = {
        {"archive/stock/EDDF.xml", "stock", "airports/learned/stock/EDDF.xml"},
        {"archive/simaddon/EDDF.xml", "simaddon", "airports/learned/simaddon/EDDF.xml"},
        {"archive/thirdparty/Pub%20One/EDDF.xml", "Pub One", "airports/learned/thirdparty/Pub One/EDDF.xml"},
        {"airports\\my_simaddon\\EDDF.xml", "simaddon", "airports/learned/simaddon/EDDF.xml"},
        {"airports\\stock\\EDDF.XML", "stock", "airports/learned/stock/EDDF.XML"},
        {"airports\\my_thirdparty\\EDDF.xml", "Pub/Two", "airports/learned/thirdparty/Pub Two/EDDF.xml"},
        {"airports\\my_thirdparty2024\\EDDF.xml", "", "airports/learned/thirdparty/EDDF.xml"},
        {"airports\\my_thirdparty\\EDDF.txt", "Pub", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lf_resolveArchivePath(c.reference, c.publisher), c.learned) << c.reference;
    }
}

TEST_F(ParkFileSources, ArchiveFolderFollowsTheSimulator)
{
    HttpServer server;
    gf_setDownloadHost(server.base());
    const std::string third = parkFileXml({standAt("T1", 50.03, 8.57)});
    const std::string stock = parkFileXml({standAt("S1", 50.03, 8.57)});
    server.serve("/downloads/MSFS2024/archive/thirdparty/Pub%20One/EDDF.xml", third);
    server.serve("/downloads/MSFS/archive/stock/EDDF.xml", stock);
    g_msfs2020 = false;

    EXPECT_EQ(lf_downloadApf("archive/thirdparty/Pub%20One/EDDF.xml", "airports/a.xml"), "");
    EXPECT_EQ(readFile("airports/a.xml"), third);
    EXPECT_EQ(lf_downloadApf("archive/stock/EDDF.xml", "airports/a.xml"), "");
    EXPECT_EQ(readFile("airports/a.xml"), stock);

    g_msfs2020 = true;
    EXPECT_EQ(lf_downloadApf("archive/thirdparty/Pub%20One/EDDF.xml", "airports/a.xml"),
              "failed to download: 'archive/thirdparty/Pub%20One/EDDF.xml'");
    EXPECT_FALSE(fs::exists("airports/a.xml"));  // never the file of another airport
}

TEST_F(ParkFileSources, DownloadedParkFileMustBeAParkFile)
{
    HttpServer server;
    gf_setDownloadHost(server.base());
    server.serve("/downloads/MSFS/archive/stock/EDDF.xml", "<html>Sign in to the hotel network</html>");
    server.serve("/downloads/MSFS/archive/stock/EDDM.xml", "<root><parameters/></root>");

    EXPECT_EQ(lf_downloadApf("archive/stock/EDDF.xml", "airports/a.xml"), "failed to download: 'archive/stock/EDDF.xml'");
    EXPECT_EQ(lf_downloadApf("archive/stock/EDDM.xml", "airports/a.xml"), "failed to download: 'archive/stock/EDDM.xml'");

    EXPECT_FALSE(fs::exists("airports/a.xml"));
    EXPECT_FALSE(fs::exists("airports/a.xml.tmp"));
    EXPECT_TRUE(log.contains(fmt::format("Download error: 'content check failed: no parkpositions in the park file' "
                                         "for {}/downloads/MSFS/archive/stock/EDDM.xml",
                                         server.base())));
}

TEST_F(ParkFileSources, NeighbouringAirportWinsWithTheNearerStand)
{
    // A at 1.2 nm north, B at 1.0 nm south of the position; A's stand lies almost on it.
    ReferenceXml airports;
    airports.add("airports", airportRow("AAAA", "", 0.02, 0.0, 0, 10))
        .add("airports", airportRow("BBBB", "", -0.0167, 0.0, 0, 0));
    readAirports(airports);
    writeFile("airports/my_thirdparty/AAAA.xml",
              parkFileXml({standAt("A1", 0.0199, 0.0), standAt("A2", 0.0001, 0.0), standAt("A3", 0.0001, 0.0)}));

    std::string stand;
    EXPECT_NEAR(gf_readDestApfForClosestStand("AAAA", {0.0, 0.0}, stand).value_or(-1.0), 0.006, 0.0005);
    EXPECT_EQ(stand, "A2");  // the first of two equally near stands
    EXPECT_EQ(gf_readDestApfForClosestStand("BBBB", {0.0, 0.0}, stand), 100.0);
    EXPECT_EQ(stand, "");

    bool undecided = true;
    const Airport* closest = gf_findClosestAirport({0.0, 0.0}, undecided);
    EXPECT_FALSE(undecided);  // local files are read at once
    ASSERT_NE(closest, nullptr);
    EXPECT_EQ(closest->code, "AAAA");
    EXPECT_TRUE(log.contains("Airport BBBB is closest, but stand A2 at neighbouring airport AAAA is closer at 11 meters ..."));
}

TEST_F(ParkFileSources, ArchivedDestinationsAreFetchedOffTheCallerAndKept)
{
    HttpServer server;
    gf_setDownloadHost(server.base());
    readAirports(smallAirports());
    server.serve("/downloads/MSFS/archive/stock/EDDF.xml", parkFileXml({standAt("V1", 50.03, 8.57)}));
    std::string stand;

    EXPECT_EQ(gf_readDestApfForClosestStand("EDDF", {50.03, 8.57}, stand), std::nullopt);  // on its way
    const auto eddf = askUntilAnswered([&] { return gf_readDestApfForClosestStand("EDDF", {50.03, 8.57}, stand); });
    ASSERT_TRUE(eddf.has_value());
    EXPECT_LT(*eddf, 0.001);
    EXPECT_EQ(stand, "V1");
    EXPECT_FALSE(fs::exists("airports/airport.xml"));
    const auto eddm = askUntilAnswered([&] { return gf_readDestApfForClosestStand("EDDM", {50.03, 8.57}, stand); });
    EXPECT_EQ(eddm, 100.0);  // not on the host

    // Kept: later asks fetch nothing, a failure is tried again after 10 minutes.
    const std::size_t fetched = server.requests().size();
    EXPECT_LT(gf_readDestApfForClosestStand("EDDF", {50.03, 8.57}, stand).value_or(1.0), 0.001);
    EXPECT_EQ(gf_readDestApfForClosestStand("EDDM", {50.03, 8.57}, stand), 100.0);
    EXPECT_EQ(server.requests().size(), fetched);
    clk::freeze(clk::utcNow());
    clk::advance(std::chrono::minutes(10));
    EXPECT_EQ(gf_readDestApfForClosestStand("EDDM", {50.03, 8.57}, stand), std::nullopt);
    EXPECT_EQ(askUntilAnswered([&] { return gf_readDestApfForClosestStand("EDDM", {50.03, 8.57}, stand); }), 100.0);
    EXPECT_EQ(server.requests().size(), fetched + 1);
    clk::unfreeze();
}

TEST_F(ParkFileSources, NeighboursWithArchivedFilesAreDecidedOnceBothAreIn)
{
    HttpServer server;
    gf_setDownloadHost(server.base());
    ReferenceXml airports;
    airports.add("airports", airportRow("AAAA", "", 0.02, 0.0, 0, 10)).add("airports", airportRow("BBBB", "", -0.0167, 0.0, 0, 10));
    readAirports(airports);
    server.serve("/downloads/MSFS/archive/stock/AAAA.xml", parkFileXml({standAt("A1", 0.0001, 0.0)}));
    server.serve("/downloads/MSFS/archive/stock/BBBB.xml", stalling(0));
    gf_setDownloadLimits({std::chrono::seconds(2), 1000, std::chrono::seconds(2), std::chrono::seconds(2)});
    bool undecided = false;

    EXPECT_EQ(gf_findClosestAirport({0.0, 0.0}, undecided), nullptr);
    EXPECT_TRUE(undecided);
    const auto start = std::chrono::steady_clock::now();
    const Airport* closest = askUntilAnswered([&]() -> const Airport* {
        const Airport* airport = gf_findClosestAirport({0.0, 0.0}, undecided);
        return undecided ? nullptr : airport;
    });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    ASSERT_NE(closest, nullptr);
    EXPECT_EQ(closest->code, "AAAA");  // BBBB's file never came: no stand of it is near
    gf_setDownloadLimits({});
}
