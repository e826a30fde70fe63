#include "core/user_error.h"
#include "refdata/airport_db.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

struct AirportsFolder {
    explicit AirportsFolder(const std::string& xml) { writeEncryptedInput(folder.path(), "airports.enc", xml); }
    TempFolder folder{true};
    LogCapture log;
};

std::string lf_userError(const std::string& xml)
{
    AirportsFolder setup(xml);
    try {
        gf_readAirports();
    } catch (const vtx::UserErrorException& e) {
        EXPECT_EQ(e.code(), 88);
        EXPECT_FALSE(fs::exists("input/airports.xml"));
        return e.what();
    }
    return "no user error";
}

} // namespace

TEST(ReadAirports, SortsByCodeAndIndexesCodes)
{
    AirportsFolder setup(smallAirports().text());
    ASSERT_TRUE(gf_readAirports());
    EXPECT_EQ(setup.log.lines(), std::vector<std::string>{"7 airports read"});
    std::vector<std::string> codes;
    for (const auto& airport : g_airports) {
        codes.push_back(airport.code);
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"EDDF", "EDDM", "EDFE", "EGLL", "KJFK", "LFPG", "LOWW"}));
    EXPECT_TRUE(gf_isKnownAirport("EDFE"));
    EXPECT_FALSE(gf_isKnownAirport("EDDB"));
    const Airport* muc = gf_findAirport("EDDM");
    ASSERT_NE(muc, nullptr);
    EXPECT_EQ(muc->iata, "MUC");
    EXPECT_DOUBLE_EQ(muc->lat, 48.353889);
    EXPECT_DOUBLE_EQ(muc->alt, 1487);
    EXPECT_EQ(muc->stands, 200);
    EXPECT_EQ(gf_findAirport("XXXX"), nullptr);
    EXPECT_FALSE(fs::exists("input/airports.xml"));
}

TEST(ReadAirports, LabelsWithAndWithoutIata)
{
    EXPECT_EQ(gf_airportLabel(Airport{"EDDF", "FRA"}), "EDDF (FRA)");
    EXPECT_EQ(gf_airportLabel(Airport{"EDFE", ""}), "EDFE");
    EXPECT_EQ(gf_airportLabel(Airport{"", "XYZ"}), "? (XYZ)");
}

TEST(ReadAirports, FaultyRowsAreLoggedOneLineEach)
{
    ReferenceXml xml = smallAirports();
    xml.add("airports", {"airport", {{"code", "NOLL"}, {"iata", "NLL"}, {"alt", "1"}, {"stands", "1"}}})
        .add("airports", {"airport", {{"code", "NOAL"}, {"iata", "NAL"}, {"lat", "1"}, {"lon", "1"}}})
        .add("airports", {"airport", {{"code", "NOST"}, {"iata", "NST"}, {"lat", "1"}, {"lon", "2"}, {"alt", "3"}}})
        .add("airports", {"airport", {{"code", "NOIA"}, {"lat", "1"}, {"lon", "2"}, {"alt", "3"}, {"stands", "4"}}});
    AirportsFolder setup(xml.text());
    ASSERT_TRUE(gf_readAirports());
    EXPECT_EQ(setup.log.lines(), (std::vector<std::string>{
                                     "==> Missing latLons for airport 'NOLL'",
                                     "==> Missing alt for airport 'NOAL'",
                                     "==> Missing stands for airport 'NOST'",
                                     "==> Missing IATA for airport 'NOIA'",
                                     "8 airports read",
                                 }));
    ASSERT_NE(gf_findAirport("NOST"), nullptr);
    EXPECT_EQ(gf_findAirport("NOST")->stands, 0);
    EXPECT_FALSE(gf_isKnownAirport("NOIA"));
    EXPECT_FALSE(gf_isKnownAirport("NOLL"));
}

TEST(ReadAirports, LoadsOncePerProcess)
{
    AirportsFolder setup(smallAirports().text());
    ASSERT_TRUE(gf_readAirports());
    fs::remove("input/airports.enc");
    EXPECT_TRUE(gf_readAirports());
    EXPECT_EQ(g_airports.size(), 7u);
}

TEST(ReadAirports, MalformedFilesAreUserError88)
{
    EXPECT_EQ(lf_userError("<root><other/></root>"), "88: Missing <airports> root in: input/airports.xml");
    EXPECT_TRUE(lf_userError("<root><airports>").starts_with("88: input/airports.xml not loaded: "));
}

TEST(ReadAirports, MissingDataFileEndsInUserError88)
{
    TempFolder folder(true);
    LogCapture log;
    try {
        gf_readAirports();
        FAIL() << "no exception";
    } catch (const vtx::UserErrorException& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("88: input/airports.xml not loaded: ")) << e.what();
    }
    EXPECT_TRUE(log.contains("gf_streamDecrypt exception: Could not open input file: input/airports.enc"));
}

TEST(ReadAirports, EmptyTableIsFalse)
{
    AirportsFolder setup("<root><airports/></root>");
    EXPECT_FALSE(gf_readAirports());
    EXPECT_TRUE(setup.log.contains("0 airports read"));
}

namespace {

// Airports due north of (0, 0) at the given distances (one minute of latitude is one nm).
void lf_loadAirportsNorth(std::vector<std::pair<std::string, double>> codesAtNm)
{
    ReferenceXml xml;
    for (const auto& [code, nm] : codesAtNm) {
        xml.add("airports", airportRow(code, "", nm / 60.0, 0.0));
    }
    writeEncryptedInput(".", "airports.enc", xml.text());
    ASSERT_TRUE(gf_readAirports());
}

// The closest airport where no park file needs fetching: decided at once.
const Airport* closestAirport(const LatLon& position)
{
    bool undecided = true;
    const Airport* airport = gf_findClosestAirport(position, undecided);
    EXPECT_FALSE(undecided);
    return airport;
}

} // namespace

TEST(ClosestAirport, NearestWithinFiveMiles)
{
    TempFolder folder(true);
    LogCapture log;
    lf_loadAirportsNorth({{"AAAA", 4.9}, {"BBBB", 5.2}});
    ASSERT_NE(closestAirport({0, 0}), nullptr);
    EXPECT_EQ(closestAirport({0, 0})->code, "AAAA");
    // Beyond 5 nm of every airport there is none.
    EXPECT_EQ(closestAirport({0, 1}), nullptr);
    EXPECT_EQ(closestAirport({-0.2, 0}), nullptr);
}

TEST(ClosestAirport, EqualDistanceKeepsTheSmallerCode)
{
    TempFolder folder(true);
    LogCapture log;
    ReferenceXml xml;
    xml.add("airports", airportRow("ZZZZ", "", 0.0, 2.0 / 60.0)).add("airports", airportRow("MMMM", "", 0.0, -2.0 / 60.0));
    writeEncryptedInput(".", "airports.enc", xml.text());
    ASSERT_TRUE(gf_readAirports());
    EXPECT_EQ(closestAirport({0, 0})->code, "MMMM");
}

TEST(ClosestAirport, DisplacedBestIsTheNeighbourAndWinsOnlyWithANearerStand)
{
    TempFolder folder(true);
    LogCapture log;
    // In table order A at 3 nm, B at 1 nm, C at 2 nm: best B, neighbour A (not C).
    lf_loadAirportsNorth({{"AAAA", 3}, {"BBBB", 1}, {"CCCC", 2}});
    EXPECT_EQ(closestAirport({0, 0})->code, "BBBB");
    // Neither airport has a park file: both stands are 100 nm away, so the best stays.
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"3 airports read", "Airport BBBB is closest, neighbour is AAAA"}));
}

// The window looks a typed destination up while the start-up thread may still load the
// table: it finds nothing until the whole table is in place, then the airport.
TEST(ReadAirports, LookupDuringTheFirstLoadSeesNoneOrTheWholeTable)
{
    AirportsFolder setup(smallAirports().text());
    std::atomic<bool> loaded{false};
    std::thread gui([&] {
        bool done = false;
        while (!done) {
            done = loaded.load();
            const Airport* airport = gf_findAirport("LOWW");
            if (airport != nullptr) {
                EXPECT_EQ(gf_airportLabel(*airport), "LOWW (VIE)");
                EXPECT_TRUE(gf_isKnownAirport("EDDF"));
            }
        }
    });
    EXPECT_TRUE(gf_readAirports());
    loaded = true;
    gui.join();
    EXPECT_NE(gf_findAirport("LOWW"), nullptr);
}
