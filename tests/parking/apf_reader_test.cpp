#include "core/user_error.h"
#include "parking/apf.h"
#include "refdata/aircraft_db.h"
#include "support/park_file_builder.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

using testsupport::OptFixture;
using testsupport::parkFileXml;
using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::StandFixture;
using testsupport::TempFolder;


namespace {

// Reads a park file text into g_stands; returns the error text of a refused file.
std::string readStands(const std::string& xml)
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(xml.c_str()));
    try {
        lf_readParkpositions(document);
    } catch (const vtx::UserErrorException& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(ApfReader, ReadsStandInMemoryUnits)
{
    ASSERT_EQ(readStands(parkFileXml({{" B12\t", 50.1, 8.2, 90.0, 37.0, {}, R"(cargo="true" ramp="true")"}})), "");
    ASSERT_EQ(g_stands.size(), 1u);
    const Stand& stand = g_stands[0];
    EXPECT_EQ(stand.id, "B12");
    EXPECT_DOUBLE_EQ(stand.latitude, 50.1);
    EXPECT_DOUBLE_EQ(stand.longitude, 8.2);
    EXPECT_NEAR(stand.heading, 1.5707963, 1e-6);
    EXPECT_NEAR(stand.radius, 37.0 / 1852.0, 1e-15);
    EXPECT_TRUE(stand.cargo);
    EXPECT_TRUE(stand.ramp);
    EXPECT_FALSE(stand.heli);
    EXPECT_EQ(stand.number, 0);
}

TEST(ApfReader, FileWithoutParkpositionsHasNoStands)
{
    EXPECT_EQ(readStands("<root><parameters/></root>"), "");
    EXPECT_TRUE(g_stands.empty());
}

TEST(ApfReader, DocumentWithoutRootIsRead)
{
    EXPECT_EQ(readStands(R"(<parkpositions><parkpos id="1" latitude="1" longitude="2"/></parkpositions>)"), "");
    EXPECT_EQ(g_stands.size(), 1u);
}

TEST(ApfReader, RefusesFaultyIds)
{
    struct Case {
        const char* parkpositions;
        const char* error;
    };
    const Case cases[] = {
        {R"(<parkpos id="A" latitude="1" longitude="1"/><parkpos latitude="1" longitude="2"/>)",
         "93: Parking position #2 has no 'id' attribute."},
        {R"(<parkpos id=" &#9; " latitude="1" longitude="1"/>)", "93: Parking position #1 has empty 'id' attribute."},
        {R"(<parkpos id="A1" latitude="1" longitude="1"/><parkpos id=" A1 " latitude="1" longitude="2"/>)",
         "94: Parking position 'A1' appears more than once."},
        // A stand skipped for its position still holds its id.
        {R"(<parkpos id="Z" latitude="0" longitude="0"/><parkpos id="Z" latitude="1" longitude="2"/>)",
         "94: Parking position 'Z' appears more than once."},
    };
    for (const Case& c : cases) {
        g_stands.clear();
        EXPECT_EQ(readStands(std::string("<root><parkpositions>") + c.parkpositions + "</parkpositions></root>"),
                  c.error);
    }
}

TEST(ApfReader, SkipsStandsWithoutUsablePosition)
{
    TempFolder folder(true);
    LogCapture log;
    readStands(R"(<root><parkpositions>
        <parkpos id="zero" latitude="0" longitude="0"/>
        <parkpos id="north" latitude="91" longitude="8"/>
        <parkpos id="nan" latitude="nan" longitude="8"/>
        <parkpos id="east" latitude="50" longitude="-180.5"/>
        <parkpos id="good" latitude="-90" longitude="180"/>
        <parkpos id="noradius" latitude="50" longitude="8"/>
        </parkpositions></root>)");
    ASSERT_EQ(g_stands.size(), 2u);
    EXPECT_EQ(g_stands[0].id, "good");
    EXPECT_EQ(g_stands[1].id, "noradius");
    EXPECT_EQ(g_stands[1].radius, 0.0);
    const std::string logged = log.text();
    EXPECT_NE(logged.find("==> parking position 'north' has an invalid position (91, 8), skipped"), std::string::npos);
    EXPECT_NE(logged.find("==> parking position 'nan' has an invalid position (nan, 8), skipped"), std::string::npos);
    EXPECT_NE(logged.find("==> parking position 'east' has an invalid position (50, -180.5), skipped"),
              std::string::npos);
    EXPECT_EQ(logged.find("'zero'"), std::string::npos);
}

TEST(ApfReader, KeepsOnlyOptionsWithDayAndHalfHours)
{
    StandFixture stand{"A1", 50.0, 8.0, 0.0, 20.0, {}, ""};
    stand.opts = {
        {"R1", "DLH", "A320", "", 0, "1:2"},    // day 0
        {"R2", "DLH", "A320", "", 3, "4"},      // kept, seq 1
        {"R3", "DLH", "A320", "", 8, "1:2"},    // day 8
        {"R4", "DLH", "A320", "", 2, ""},       // no half hours
        {"R5", "DLH", "A320", "", 7, "0:47"},   // kept, seq 2
        {"R6", "DLH", "A320", "", 7, "48:50"},  // reads as no half hour
    };
    readStands(parkFileXml({stand}));
    ASSERT_EQ(g_stands.size(), 1u);
    const auto& options = g_stands[0].options;
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0].reg, "R2");
    EXPECT_EQ(options[0].seq, 1u);
    EXPECT_EQ(options[0].day, 3u);
    EXPECT_EQ(options[0].hh.to_ullong(), 1ull << 4);
    EXPECT_EQ(options[1].reg, "R5");
    EXPECT_EQ(options[1].seq, 2u);
    EXPECT_EQ(options[1].hh.count(), 48u);
    EXPECT_EQ(options[1].archived, 1u);
}

TEST(ApfReader, OptionIdentityFromAttributesOrAircraftDatabase)
{
    g_registrations["D-AIBA"] = {"DLH", "A319", "CLH", false};
    g_registrations["D-AIBB"] = {"DLH", "A320", "", false};
    StandFixture stand{"A1", 50.0, 8.0, 0.0, 20.0, {}, ""};
    stand.opts = {
        {"D-AIBA", "XXX", "B744", "CLH123:DLH9", 1, "3", true, true},
        {"D-AIBB", "", "", "DLH4", 1, "3"},
        {"G-EUPA", "BAW", "A319", "", 1, "3"},
    };
    readStands(parkFileXml({stand}));
    const auto& o = g_stands.at(0).options;
    ASSERT_EQ(o.size(), 3u);
    EXPECT_EQ(o[0].airl, "CLH");
    EXPECT_EQ(o[0].type, "A319");
    EXPECT_EQ(o[0].cs, "CLH123");
    EXPECT_EQ(o[0].cs2, "DLH9");
    EXPECT_EQ(o[0].real, 0u);
    EXPECT_TRUE(o[0].cpl);
    EXPECT_EQ(o[1].airl, "DLH");
    EXPECT_EQ(o[1].cs2, "");
    EXPECT_EQ(o[2].airl, "BAW");
    EXPECT_EQ(o[2].type, "A319");
    EXPECT_EQ(o[2].real, 1u);
}

TEST(ApfReader, LearnedStandMergesChangesAndNewUses)
{
    TempFolder folder(true);
    LogCapture log;
    StandFixture reference{"A1", 50.0, 8.0, 0.0, 20.0, {}, ""};
    reference.opts = {{"R1", "DLH", "A320", "", 2, "10:12"}, {"R2", "DLH", "A320", "", 3, "4"}};
    readStands(parkFileXml({reference}));
    Stand& stand = g_stands.at(0);

    pugi::xml_document learned;
    ASSERT_TRUE(learned.load_string(R"(<parkpos id="A1" radius_change="true" radius="55.6" cargo_change="true" cargo="true">
        <opt reg="R1" airl="DLH" type="A320" day="2" hh="12:14"/>
        <opt reg="R1" airl="DLH" type="A320" day="2" hh="13:14"/>
        <opt reg="R3" airl="DLH" type="A320" day="5" hh=""/>
        <opt reg="R4" airl="DLH" type="A320" day="5" hh="20:22" cs="DLH7"/>
        </parkpos>)"));
    lf_readLearnedParkpos(learned.child("parkpos"), stand, false);

    EXPECT_TRUE(stand.radius_change);
    EXPECT_NEAR(stand.radius * 1852.0, 55.6, 1e-9);
    EXPECT_TRUE(stand.cargo_change);
    EXPECT_TRUE(stand.cargo);
    ASSERT_EQ(stand.options.size(), 4u);
    EXPECT_EQ(stand.options[2].hh.to_ullong(), 0b11ull << 13);
    EXPECT_EQ(stand.options[2].seq, 3u);
    EXPECT_EQ(stand.options[2].archived, 0u);
    EXPECT_EQ(stand.options[3].reg, "R4");
    EXPECT_EQ(stand.options[3].seq, 4u);
    EXPECT_NE(log.text().find("==> empty bit set\n"), std::string::npos);
}

TEST(ApfReader, LearnedStandOfOldVersionKeepsChangesOnly)
{
    readStands(parkFileXml({{"A1", 50.0, 8.0, 0.0, 20.0, {}, ""}}));
    pugi::xml_document learned;
    ASSERT_TRUE(learned.load_string(R"(<parkpos id="A1" radius_change="true" radius="40">
        <opt reg="R1" airl="DLH" type="A320" day="2" hh="12:14"/></parkpos>)"));
    lf_readLearnedParkpos(learned.child("parkpos"), g_stands[0], true);
    EXPECT_NEAR(g_stands[0].radius * 1852.0, 40.0, 1e-9);
    EXPECT_TRUE(g_stands[0].options.empty());
}
