#include "core/program_folders.h"
#include "parking/park_airport.h"
#include "parking/park_airports.h"
#include "refdata/airport_db.h"
#include "ui/status_line.h"

#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

class ParkAirports : public ::testing::Test {
protected:
    ParkAirports()
    {
        std::filesystem::create_directories(folders::myThirdparty());
        addAirport("EDDF", 50.03, 8.57);
        addAirport("EDDM", 48.35, 11.79);
        addAirport("EGLL", 51.47, -0.46);
        addAirport("LOWW", 48.11, 16.57);
    }

    void writeList(const std::string& text) { writeFile(folders::myParkAirportsTxt(), text); }
    std::string listFile() const { return readFile(folders::myParkAirportsTxt()); }
    std::vector<std::string> codes() const
    {
        std::vector<std::string> result;
        for (const ParkAirport& entry : g_parkAirports)
            result.push_back(entry.icao + "/" + entry.stand);
        return result;
    }

    TempFolder folder{true};
    LogCapture log;
};

} // namespace

TEST_F(ParkAirports, ReadsLinesSkippingFaultyOnes)
{
    writeList("EDDF, 12\r\n  \nEDDF\nEGLL,A1,x\n\tEDDM \nXXXX\n");
    writeFile(folders::myThirdparty() / "LOWW.xml", "<root/>");
    writeFile(folders::myThirdparty() / "EDDM.txt", "archive/x.xml");
    writeFile(folders::myThirdparty() / "ZZZZ.xml", "<root/>");

    EXPECT_FALSE(lf_readMyParkAirports());  // XXXX is unknown

    EXPECT_EQ(codes(), (std::vector<std::string>{"EDDF/12", "EDDM/", "LOWW/"}));
    EXPECT_TRUE(log.contains("==> my_park_airports.txt:EDDF double, skipped"));
    EXPECT_TRUE(log.contains("==> my_park_airports.txt:EGLL,A1,x wrong syntax, skipped"));
    EXPECT_TRUE(log.contains("Error airport XXXX is unknown") || log.contains("airport XXXX is unknown"));
    EXPECT_TRUE(log.contains("3 park airports read from 'my_park_airports.txt'"));
}

TEST_F(ParkAirports, MissingFileIsNoError)
{
    EXPECT_TRUE(lf_readMyParkAirports());
    EXPECT_TRUE(g_parkAirports.empty());
    EXPECT_TRUE(log.contains(folders::myParkAirportsTxt().string() + " not found"));
}

TEST_F(ParkAirports, ManyAirportsWarnAboveThreeThousand)
{
    for (int count : {3000, 3001}) {
        std::string text;
        for (int k = 0; k < count; ++k) {
            const std::string code = fmt::format("A{}", 1000 + k);
            addAirport(code, 40.0, 10.0);
            text += code + "\n";
        }
        writeList(text);
        gf_clearStatusError();
        gf_clearMessage();
        lf_readMyParkAirports();
        const bool warned = gf_statusLineText().message.starts_with("Warning: There are a lot of airports (3001)");
        EXPECT_EQ(warned, count == 3001) << count;
    }
}

TEST_F(ParkAirports, UserStandIsWrittenBackSorted)
{
    writeList("LOWW\nEDDF\nEGLL,B3\n");
    lf_readMyParkAirports();
    g_parkAirport = "EDDF";
    addStand("11", 0.0);
    addStand("12", 100.0);
    numberStands();
    lf_sortParkAirports({50.0, eastOf8(100.0)});
    ASSERT_EQ(g_parkAirports.front().icao, "EDDF");

    placeUser(50.0, eastOf8(101.0), 1.5);
    gf_updateReservedStand();

    EXPECT_EQ(listFile(), "EDDF,12\nEGLL,B3\nLOWW\n");
    EXPECT_TRUE(log.contains("my_park_airports.txt:EDDF,12 updated stand"));

    // Rolling faster than 2 kt past another stand changes nothing.
    placeUser(50.0, eastOf8(1.0), 2.5);
    gf_updateReservedStand();
    EXPECT_EQ(listFile(), "EDDF,12\nEGLL,B3\nLOWW\n");
}

TEST_F(ParkAirports, RequestFromAnotherThreadRunsOnTheMainLoop)
{
    writeList("EDDF\n");
    lf_readMyParkAirports();
    g_parkAirport = "EDDF";
    addStand("V1", 0.0);
    numberStands();
    placeUser(50.0, eastOf8(0.0));

    gf_requestReservedStandUpdate();
    EXPECT_EQ(listFile(), "EDDF\n");  // nothing changes until the main loop handles it
    gf_handleReservedStandRequest();
    EXPECT_EQ(listFile(), "EDDF,V1\n");
}

TEST_F(ParkAirports, NewAirportBecomesFirstLineAndFrontOfList)
{
    writeList("LOWW\nEGLL\n");
    lf_readMyParkAirports();
    gf_addParkAirport("EDDM", *gf_findAirport("EDDM"));
    gf_addParkAirport("EGLL", *gf_findAirport("EGLL"));
    EXPECT_EQ(codes(), (std::vector<std::string>{"LOWW/", "EGLL/"}));  // applied by the main loop

    gf_applyParkAirportRequests();

    EXPECT_EQ(codes(), (std::vector<std::string>{"EGLL/", "EDDM/", "LOWW/"}));
    EXPECT_EQ(listFile(), "EDDM\nEGLL\nLOWW\n");
    EXPECT_TRUE(log.contains("my_park_airports.txt:EDDM new entry"));
}

TEST_F(ParkAirports, FirstWriteCreatesTheFile)
{
    g_parkAirports.push_back({"EDDF", "V2", 50.03, 8.57, 0.0});
    gf_addToParkAirportsFile();
    EXPECT_EQ(listFile(), "EDDF,V2\n");
    EXPECT_TRUE(log.contains("my_park_airports.txt created with EDDF,V2"));
}

TEST_F(ParkAirports, SortsByDistanceUnlessADestinationIsSet)
{
    writeList("EGLL\nLOWW\nEDDF\n");
    lf_readMyParkAirports();
    lf_sortParkAirports({48.2, 16.0});  // near Vienna
    EXPECT_EQ(codes(), (std::vector<std::string>{"LOWW/", "EDDF/", "EGLL/"}));

    g_destinationAirportSet = true;
    lf_sortParkAirports({51.4, -0.4});  // near London
    EXPECT_EQ(codes().front(), "LOWW/");
    EXPECT_GT(g_parkAirports.front().distance, 600.0);
}

TEST_F(ParkAirports, CheckMovesTheReservedStand)
{
    writeList("EDDF,V2\n");
    g_parkAirport = "EDDF";
    Stand& v1 = addStand("V1", 0.0);
    addStand("V2", 200.0);
    numberStands();
    g_reservedStand = "V1";
    g_stands[0].keepFree = true;
    (void)v1;
    placeUser(50.0, eastOf8(500.0));  // at no stand

    std::string message;
    ASSERT_TRUE(gf_checkParkAirports(true, message));

    EXPECT_EQ(message, "reserved stand changed from 'V1' to 'V2'");
    EXPECT_EQ(g_reservedStand, "V2");
    EXPECT_FALSE(g_stands[0].keepFree);
    EXPECT_TRUE(g_stands[1].keepFree);

    ASSERT_TRUE(gf_checkParkAirports(true, message));
    EXPECT_EQ(message, "park airports and stands are okay");

    writeList("QQQQ\n");
    EXPECT_FALSE(gf_checkParkAirports(true, message));
}
