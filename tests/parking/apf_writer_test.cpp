#include "core/clock.h"
#include "core/settings.h"
#include "parking/apf.h"
#include "refdata/aircraft_db.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;


namespace {

ParkOpt option(const char* reg, const char* cs, const char* cs2, std::uint32_t day, std::uint64_t hours,
               std::uint32_t seq)
{
    ParkOpt o;
    o.reg = reg;
    o.airl = "DLH";
    o.type = "A320";
    o.cs = cs;
    o.cs2 = cs2;
    o.day = day;
    o.hh = HalfHourBitset(hours);
    o.seq = seq;
    return o;
}

Apf frankfurt()
{
    Apf apf;
    apf.icao = "EDDF";
    apf.airport_name = "Frankfurt Main";
    apf.BGLpath = R"(scenery\EDDF.bgl)";
    apf.manufacturer = "Maker";
    apf.creator = "Creator";
    apf.altitude = 364;
    apf.Qf_real = 30;
    apf.Qf_soft = 5;
    apf.stands.emplace_back("A1", std::vector<ParkOpt>{}, StandPlace{50.0512345678, 8.5, 1.5707963}, 18.52, true,
                            false, false);
    apf.stands.emplace_back("H1", std::vector<ParkOpt>{}, StandPlace{-33.9, -118.4, 0.0}, 30.0, true, true, true);
    return apf;
}

// The document from its "parameters" element on: the meta header before it carries the date.
std::string afterMeta(const std::string& file)
{
    const auto start = file.find("  <parameters>");
    return start == std::string::npos ? file : file.substr(start);
}

} // namespace

TEST(ApfWriter, GeneratedFileHoldsHeaderAndPositions)
{
    TempFolder folder(true);
    ASSERT_TRUE(gf_writeApf(frankfurt(), "EDDF.xml", kApfGenerated, 2));
    const std::string file = readFile("EDDF.xml");
    EXPECT_EQ(file.rfind("<?xml version=\"1.0\"?>\n<root>\n  <meta>\n", 0), 0u);
    EXPECT_NE(file.find(R"(<info name="version" value="11.10.8" />)"), std::string::npos);
    EXPECT_NE(file.find(R"(<info name="sim" value="2" />)"), std::string::npos);
    EXPECT_EQ(afterMeta(file),
              "  <parameters>\n"
              "    <parameter name=\"airport_name\" value=\"Frankfurt Main\" />\n"
              "    <parameter name=\"publisher\" value=\"\" />\n"
              "    <parameter name=\"altitude\" value=\"364\" />\n"
              "    <parameter name=\"num_parkpos\" value=\"2\" />\n"
              "    <parameter name=\"BGLpath\" value=\"scenery\\EDDF.bgl\" />\n"
              "    <parameter name=\"manufacturer\" value=\"Maker\" />\n"
              "    <parameter name=\"creator\" value=\"Creator\" />\n"
              "  </parameters>\n"
              "  <parkpositions>\n"
              "    <parkpos id=\"A1\" latitude=\"50.051235\" longitude=\"8.500000\" heading=\"90.0\" radius=\"18.5\" "
              "cargo=\"true\" ramp=\"false\" />\n"
              "    <parkpos id=\"H1\" latitude=\"-33.900000\" longitude=\"-118.400000\" heading=\"0.0\" "
              "radius=\"30.0\" heli=\"true\" ramp=\"true\" />\n"
              "  </parkpositions>\n"
              "</root>\n");
}

// Stored positions keep their texts at the edges: rounding, negative zero, values far out of
// range and values that are not numbers.
TEST(ApfWriter, PositionTextsAtTheirEdges)
{
    struct Case {
        StandPlace place;
        double radiusMeters;
        const char* attributes;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {{0.0000005, -0.0000004, -0.0001}, 0.05,
         R"(latitude="0.000000" longitude="-0.000000" heading="-0.0" radius="0.1")"},
        {{89.9999995, -179.9999994, 6.2831853}, 1852.04,
         R"(latitude="90.000000" longitude="-179.999999" heading="360.0" radius="1852.0")"},
        {{1e21, -1e-300, 1e-320}, 123456789.25,
         R"(latitude="1000000000000000000000.000000" longitude="-0.000000" heading="0.0" radius="123456789.3")"},
        {{std::nan(""), inf, -inf}, -std::nan(""),
         R"(latitude="nan" longitude="inf" heading="-inf" radius="-nan")"},
    };
    TempFolder folder(true);
    for (const Case& c : cases) {
        Apf apf;
        apf.icao = "EDDF";
        apf.stands.emplace_back("A1", std::vector<ParkOpt>{}, c.place, c.radiusMeters, false, false, false);
        ASSERT_TRUE(gf_writeApf(apf, "EDDF.xml", kApfGenerated, 1));
        EXPECT_NE(readFile("EDDF.xml").find(fmt::format("<parkpos id=\"A1\" {} cargo=", c.attributes)),
                  std::string::npos)
            << c.attributes;
    }
}

TEST(ApfWriter, PublisherReplacesSceneryDetails)
{
    TempFolder folder(true);
    Apf apf = frankfurt();
    apf.publisher = "simaddon";
    apf.stands.clear();
    ASSERT_TRUE(gf_writeApf(apf, "EDDF.xml", kApfGenerated, 1));
    const std::string file = readFile("EDDF.xml");
    EXPECT_NE(file.find(R"(<parameter name="publisher" value="simaddon" />)"), std::string::npos);
    EXPECT_EQ(file.find("BGLpath"), std::string::npos);
    EXPECT_EQ(file.find("creator"), std::string::npos);
    EXPECT_NE(file.find("  <parkpositions />\n"), std::string::npos);
}

TEST(ApfWriter, LearnedFileHoldsChangesUsesAndAirportSettings)
{
    TempFolder folder(true);
    LogCapture log;
    g_registrations["D-AIBA"] = {"DLH", "A320", "", false};
    RANGE.value = 25;
    MAX_FIT_FL.value = 1.5f;
    Apf apf = frankfurt();
    apf.publisher = "stock";
    apf.stands[0].radius_change = true;  // radius change only: id, change and options
    apf.stands[0].options = {option("D-AIBA", "DLH12", "", 3, 0b11100, 1),  // known registration
                             option("D-XXXX", "DLH5", "LH5", 7, 1ull << 47, 2)};
    apf.stands[0].options[1].real = 0;
    apf.stands[0].options[1].cpl = true;
    apf.stands[1].options = {option("D-GAPS", "DLH9", "", 1, (1ull << 10) | (1ull << 20), 1),  // two runs: a list
                             option("D-ZERO", "", "", 1, 0b1, 0)};                            // never written
    Stand manual("M1", {}, {50.0, 8.0, 0.0}, 40.0, false, false, false);
    manual.manual = true;
    manual.radius_change = true;
    apf.stands.push_back(manual);

    ASSERT_TRUE(gf_writeApf(apf, "EDDF.xml", kApfLearned, 1));
    EXPECT_EQ(afterMeta(readFile("EDDF.xml")),
              "  <parameters>\n"
              "    <parameter name=\"airport_name\" value=\"Frankfurt Main\" />\n"
              "    <parameter name=\"publisher\" value=\"stock\" />\n"
              "    <parameter name=\"RANGE\" value=\"25\" />\n"
              "    <parameter name=\"AUTO_RANGE\" value=\"true\" />\n"
              "    <parameter name=\"WEEK\" value=\"false\" />\n"
              "    <parameter name=\"PARK_SOFT\" value=\"false\" />\n"
              "    <parameter name=\"parking_percentage\" value=\"30\" />\n"
              "    <parameter name=\"INITIAL_LOAD_ONLY\" value=\"false\" />\n"
              "    <parameter name=\"MAX_FIT\" value=\"2\" />\n"
              "    <parameter name=\"MAX_LIVE_SEL\" value=\"500\" />\n"
              "  </parameters>\n"
              "  <parkpositions>\n"
              "    <parkpos id=\"A1\" radius_change=\"true\" radius=\"18.5\">\n"
              "      <opt reg=\"D-AIBA\" day=\"3\" hh=\"2:4\" cs=\"DLH12\" />\n"
              "      <opt reg=\"D-XXXX\" airl=\"DLH\" type=\"A320\" soft=\"true\" day=\"7\" hh=\"47\" cs=\"DLH5:LH5\" "
              "cpl=\"true\" />\n"
              "    </parkpos>\n"
              "    <parkpos id=\"H1\">\n"
              "      <opt reg=\"D-GAPS\" airl=\"DLH\" type=\"A320\" day=\"1\" hh=\"10,20\" cs=\"DLH9\" />\n"
              "    </parkpos>\n"
              "    <parkpos id=\"M1\" latitude=\"50.000000\" longitude=\"8.000000\" heading=\"0.0\" radius=\"40.0\" "
              "cargo=\"false\" ramp=\"false\" manual=\"true\" />\n"
              "  </parkpositions>\n"
              "</root>\n");
}

TEST(ApfWriter, HandmadeLearnedFileRoundTrips)
{
    TempFolder folder(true);
    g_apfHandmade = true;
    Apf apf = frankfurt();
    apf.publisher = "stock";
    apf.stands[0].options = {option("D-ABCD", "DLH1", "DLH2", 2, 0b111 << 20, 1),
                             option("D-EFGH", "", "", 6, 1, 2)};
    apf.stands[0].options[1].real = 0;
    ASSERT_TRUE(gf_writeApf(apf, "EDDF.xml", kApfLearned, 1));
    const std::string file = readFile("EDDF.xml");
    EXPECT_NE(file.find(R"(<parameter name="handmade" value="true" />)"), std::string::npos);
    EXPECT_NE(file.find(R"(<parameter name="Qf_real" value="30" />)"), std::string::npos);

    pugi::xml_document document;
    ASSERT_TRUE(document.load_file("EDDF.xml"));
    lf_readParkpositions(document);
    ASSERT_EQ(g_stands.size(), 2u);
    const Stand& a1 = g_stands[0];
    EXPECT_EQ(a1.id, "A1");
    EXPECT_NEAR(a1.latitude, 50.051235, 1e-9);
    EXPECT_NEAR(a1.heading, 1.5707963, 1e-3);
    EXPECT_TRUE(a1.cargo);
    ASSERT_EQ(a1.options.size(), 2u);
    EXPECT_EQ(a1.options[0].cs, "DLH1");
    EXPECT_EQ(a1.options[0].cs2, "DLH2");
    EXPECT_EQ(a1.options[0].hh, apf.stands[0].options[0].hh);
    EXPECT_EQ(a1.options[0].airl, "DLH");
    EXPECT_EQ(a1.options[1].real, 0u);
    EXPECT_EQ(a1.options[1].day, 6u);
    EXPECT_TRUE(g_stands[1].heli);
    EXPECT_TRUE(g_stands[1].ramp);

    // Written again from what was read, the file is the same byte for byte.
    apf.stands = std::move(g_stands);
    ASSERT_TRUE(gf_writeApf(apf, "again.xml", kApfLearned, 1));
    EXPECT_EQ(afterMeta(readFile("again.xml")), afterMeta(file));
}

TEST(ApfWriter, FailedSaveLeavesTheOldFile)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("EDDF.xml", "learned uses of years\n");
    std::filesystem::create_directory("EDDF.xml.tmp");  // the temporary file cannot be written
    EXPECT_FALSE(gf_writeApf(frankfurt(), "EDDF.xml", kApfLearned, 1));
    EXPECT_EQ(readFile("EDDF.xml"), "learned uses of years\n");
    EXPECT_NE(log.text().find("==> write EDDF.xml.tmp failed\n"), std::string::npos);
}

TEST(ApfWriter, SaveReplacesTheOldFileWithoutLeftovers)
{
    TempFolder folder(true);
    writeFile("EDDF.xml", "old\n");
    ASSERT_TRUE(gf_writeApf(frankfurt(), "EDDF.xml", kApfGenerated, 1));
    EXPECT_NE(readFile("EDDF.xml").find("<parkpositions>"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("EDDF.xml.tmp"));
}

TEST(ApfWriter, GeneratedFileIsNeverHandmade)
{
    TempFolder folder(true);
    g_apfHandmade = true;  // the park airport's file is handmade; a scanned airport's is not
    ASSERT_TRUE(gf_writeApf(frankfurt(), "EDDF.xml", kApfGenerated, 1));
    const std::string file = readFile("EDDF.xml");
    EXPECT_EQ(file.find("handmade"), std::string::npos);
    EXPECT_EQ(file.find("Qf_real"), std::string::npos);
}
