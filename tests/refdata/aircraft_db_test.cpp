#include "core/user_error.h"
#include "refdata/aircraft_db.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <array>
#include <cmath>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

constexpr double kNmPerMeter = 1.0 / 1852.0;

double lf_half(double meters)
{
    return meters / 2 * kNmPerMeter;
}

// A working folder with the database encrypted into "input", and the log open.
struct DbaseFolder {
    explicit DbaseFolder(const ReferenceXml& xml) { writeEncryptedInput(folder.path(), "dbase.enc", xml.text()); }
    TempFolder folder{true};
    LogCapture log;
};

XmlRow lf_span(const std::string& type, const std::string& meters)
{
    return {"wingspan", {{"type", type}, {"meters", meters}}};
}

std::string lf_userError(ReferenceXml xml)
{
    DbaseFolder setup(xml);
    try {
        gf_readDbase();
    } catch (const vtx::UserErrorException& e) {
        EXPECT_FALSE(fs::exists("input/dbase.xml"));
        return e.what();
    }
    return "no user error";
}

} // namespace

TEST(ReadDbase, LoadsSmallDatabaseAndRemovesThePlainFile)
{
    DbaseFolder setup(smallDbase());
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(setup.log.lines(), (std::vector<std::string>{"3 publishers read", "7 dbase records read"}));
    EXPECT_FALSE(fs::exists("input/dbase.xml"));
    EXPECT_TRUE(fs::exists("input/dbase.enc"));
    EXPECT_TRUE(gf_isKnownAircraftType("AT76"));  // trimmed piece of " AT76"
    EXPECT_FALSE(gf_isKnownAircraftType(""));
    EXPECT_TRUE(gf_isKnownAirline("GEC"));
    EXPECT_FALSE(gf_isKnownAirline("XXX"));
    EXPECT_TRUE(g_cargoOperators.contains("FDX"));
    EXPECT_TRUE(g_simAddonAirports.contains("LOWW"));
    EXPECT_EQ(g_typeFixes.at("A20"), "A20N");
    EXPECT_EQ(g_similarTypeGroups.front(), (std::vector<std::string>{"A20N", "A320", "A321"}));
    ASSERT_EQ(g_thirdParties20.size(), 1u);
    EXPECT_EQ(g_thirdParties20[0].airports, (std::vector<std::string>{"EDDF 1", "LOWW 2"}));
}

TEST(ReadDbase, SizeClassesAreTestedLargeFirst)
{
    DbaseFolder setup(smallDbase().add("heavy", {"hvy", {{"types", "A321"}}}));
    ASSERT_TRUE(gf_readDbase());
    struct Row {
        const char* type;
        Category category;
    };
    for (const Row row : {Row{"A320", Category::Large}, Row{"A321", Category::Large}, Row{"B744", Category::Heavy},
                          Row{"H25B", Category::Buzjet}, Row{"EC35", Category::Rotorcraft},
                          Row{"F16", Category::HighPerf}, Row{"C172", Category::Light}, Row{"ZZZZ", Category::Light}}) {
        EXPECT_EQ(gf_aircraftSizeClass(row.type), row.category) << row.type;
    }
}

TEST(ReadDbase, SpansByTypeAndByCategory)
{
    DbaseFolder setup(smallDbase());
    ASSERT_TRUE(gf_readDbase());
    EXPECT_DOUBLE_EQ(gf_wingspan("A320"), lf_half(35.8));
    // Types without a row get the average of their category.
    EXPECT_DOUBLE_EQ(gf_wingspan("A321"), (lf_half(35.8) + lf_half(35.79)) / 2);
    EXPECT_DOUBLE_EQ(gf_wingspan("B77W"), (lf_half(64.44) + lf_half(79.75)) / 2);
    EXPECT_DOUBLE_EQ(gf_wingspan("R44"), lf_half(10.2));
    EXPECT_DOUBLE_EQ(gf_wingspan("UNKN"), lf_half(11.0));
    EXPECT_DOUBLE_EQ(g_largestHalfWingspan, lf_half(79.75));
}

TEST(ReadDbase, FaultyAndRepeatedSpanRowsAreLoggedOrKeptFirst)
{
    DbaseFolder setup(smallDbase()
                          .add("wingspans", lf_span("ZZZZ", "500"))
                          .add("wingspans", lf_span("", "12"))
                          .add("wingspans", lf_span("A320", "90")));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(setup.log.contains("==> wingspan model ZZZZ is not valid, skipped"));
    EXPECT_TRUE(setup.log.contains("==> wingspan model  is not valid, skipped"));
    EXPECT_DOUBLE_EQ(gf_wingspan("A320"), lf_half(35.8));
    // The repeated row takes part in the largest value, the skipped one does not.
    EXPECT_DOUBLE_EQ(g_largestHalfWingspan, lf_half(90));
    EXPECT_DOUBLE_EQ(gf_wingspan("A321"), (lf_half(35.8) + lf_half(35.79)) / 2);
}

TEST(ReadDbase, CategoryWithoutSpansTakesTheOverallAverage)
{
    auto xml = smallDbase().clear("wingspans");
    xml.add("wingspans", lf_span("A320", "30")).add("wingspans", lf_span("B744", "60"));
    DbaseFolder setup(xml);
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(setup.log.contains("==> no wingspan for category 5, the average of all types is used"));
    EXPECT_DOUBLE_EQ(gf_wingspan("EC35"), lf_half(45));
    EXPECT_FALSE(std::isnan(gf_wingspan("C172")));
}

TEST(ReadDbase, NoSpansAtAllGiveZeroNotNaN)
{
    DbaseFolder setup(smallDbase().drop("wingspans"));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(gf_wingspan("A320"), 0.0);
    EXPECT_EQ(g_largestHalfWingspan, 0.0);
}

TEST(ReadDbase, FaultyFixesAreLoggedAndTheFirstStays)
{
    DbaseFolder setup(smallDbase()
                          .add("fixes", {"fx", {{"wro", "A3"}, {"cor", "XXXX"}}})
                          .add("fixes", {"fx", {{"wro", "A20"}, {"cor", "A320"}}}));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(setup.log.contains("==> wrong fix A3 -> XXXX, the latter is not valid"));
    EXPECT_TRUE(setup.log.contains("==> wrong part of fix: 'A20', already exists, skipped"));
    EXPECT_EQ(g_typeFixes.at("A20"), "A20N");
    EXPECT_FALSE(g_typeFixes.contains("A3"));
}

TEST(ReadDbase, RepeatedRegistrationKeepsTheFirstRecord)
{
    DbaseFolder setup(smallDbase().add("dbase", {"db", {{"reg", "D-AIMA"}, {"airl", "XXX"}, {"type", "B738"}}}));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_TRUE(setup.log.contains("==> regcode D-AIMA already exists"));
    EXPECT_TRUE(setup.log.contains("7 dbase records read"));
    EXPECT_EQ(gf_findRegistration("D-AIMA")->type, "A388");
}

TEST(Registrations, EveryRowOfALargeTableIsFoundAndTheTableGrowsAfterLoading)
{
    constexpr int kRows = 5000;
    DbaseFolder setup(largeDbase(kRows));
    ASSERT_TRUE(gf_readDbase());
    for (int i = 0; i < kRows; i += 7) {
        const auto found = gf_findRegistration(fmt::format("X-{:06}", i));
        ASSERT_TRUE(found) << i;
        EXPECT_EQ(found->type, (std::array<std::string, 8>{"A320", "A20N", "B738", "B744", "B77W", "A388", "CRJ9",
                                                           "E190"}[i % 8]));
        EXPECT_TRUE(found->cargo);
    }
    EXPECT_FALSE(gf_findRegistration("X-005000"));
    // Added after the load, far beyond the room the load reserved.
    const std::size_t loaded = g_registrations.size();
    for (int i = 0; i < kRows * 3; ++i) {
        g_registrations[fmt::format("Y-{:06}", i)].airline = fmt::format("{:03}", i % 1000);
    }
    EXPECT_EQ(g_registrations.size(), loaded + kRows * 3);
    EXPECT_EQ(gf_registrationAirline("Y-014999"), "999");
    EXPECT_EQ(gf_registrationAirline("X-000007"), "EZY");
    gf_clearAircraftTables();
    EXPECT_FALSE(gf_findRegistration("X-000007"));
}

TEST(Registrations, SpellingsAndOperatorCodes)
{
    DbaseFolder setup(smallDbase());
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(lf_registrationVariants("DABCD"), (std::vector<std::string>{"DA-BCD", "D-ABCD", "DABCD"}));
    EXPECT_EQ(lf_registrationVariants("N12345"), (std::vector<std::string>{"N12345"}));
    EXPECT_EQ(lf_registrationVariants("D-ABCD"), (std::vector<std::string>{"D-ABCD"}));
    EXPECT_EQ(lf_registrationVariants("DABC"), (std::vector<std::string>{"DABC"}));

    EXPECT_EQ(gf_registrationAirline("DAIPA"), "DLH");
    EXPECT_EQ(gf_registrationOperator("DAIPA"), "CLH");
    EXPECT_EQ(gf_registrationOperator("PHBFA"), "KLM");
    const auto fedex = gf_findRegistration("N279FE");
    ASSERT_TRUE(fedex);
    EXPECT_TRUE(fedex->cargo);
    EXPECT_FALSE(gf_findRegistration("PH-BFA")->cargo);
    EXPECT_FALSE(gf_findRegistration(""));
    EXPECT_EQ(gf_registrationAirline("G-ZZZZ"), "");
}

TEST(Registrations, ShortRegistrationInTitleIgnoresEmptyKeysAndHasFixedOrder)
{
    DbaseFolder setup(smallDbase()
                          .add("dbase", {"db", {{"reg", ""}, {"airl", "XXX"}}})
                          .add("dbase", {"db", {{"reg", "9H-AB"}, {"airl", "AMC"}}}));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(gf_findShortRegistrationIn("Citation HBJRA private"), "HBJRA");
    EXPECT_EQ(gf_findShortRegistrationIn("HBJRA and 9H-AB"), "9H-AB");
    EXPECT_FALSE(gf_findShortRegistrationIn("Airbus A320 Lufthansa"));
    // Six characters and longer are not short registrations.
    EXPECT_FALSE(gf_findShortRegistrationIn("Boeing N279FE"));
}

TEST(Publishers, FoundInPathsWithoutRegardToCase)
{
    DbaseFolder setup(smallDbase()
                          .add("publishers", {"pub", {{"names", "Aerosoft,aerosoft-,aero soft"}}})
                          .add("publishers", {"pub", {{"names", "Blank,,"}}}));
    ASSERT_TRUE(gf_readDbase());
    EXPECT_EQ(gf_nrPublishers(), 4u);  // the repeated entry counts once
    EXPECT_EQ(gf_findPublisherInPath("Community/aerosoft-airport-eddf/scenery"), "Aerosoft");
    EXPECT_EQ(gf_findPublisherInPath("Community/FLYTAMPA-KBOS"), "FlyTampa");
    EXPECT_EQ(gf_findPublisherInPath("C:/MSFS/Aero Soft/x.bgl"), "Aerosoft");
    EXPECT_EQ(gf_findPublisherInPath("Community/blank-airport"), "Blank");
    // The empty aliases of "Blank" do not match every path.
    EXPECT_FALSE(gf_findPublisherInPath("Community/someone-else-lowi"));
}

TEST(ThirdParties, ItemNumbers)
{
    TempFolder folder(true);
    LogCapture log;
    int number = -7;
    EXPECT_FALSE(lf_thirdpartyItemNumber("Aerosoft", "EDDF", "LOWW 2", number));
    EXPECT_EQ(number, -7);
    EXPECT_TRUE(lf_thirdpartyItemNumber("Aerosoft", "EDDF", "EDDF 12", number));
    EXPECT_EQ(number, 12);
    EXPECT_TRUE(lf_thirdpartyItemNumber("Aerosoft", "EDDF", "EDDF-3", number));
    EXPECT_EQ(number, -3);
    EXPECT_TRUE(lf_thirdpartyItemNumber("Aerosoft", "EDDF", "EDDF x", number));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"==> Aerosoft EDDF EDDF x invalid number"});
}

TEST(ReadDbase, RequiredSectionsRaiseUserError61AndLeaveNoPlainFile)
{
    EXPECT_EQ(lf_userError(smallDbase().drop("heavy")), "61: Missing section: heavy");
    EXPECT_EQ(lf_userError(smallDbase().clear("buzjet")),
              "61: In XML file section [buzjet], element [bzj], attribute [types] is empty.");
    EXPECT_EQ(lf_userError(smallDbase().clear("simaddons20").add("simaddons20", {"simaddon20", {{"arpts", " , "}}})),
              "61: In XML file section [simaddons20], element [simaddon20], attribute [arpts] is empty.");
    EXPECT_EQ(lf_userError(smallDbase().drop("cargo_operators")), "61: Missing section: cargo_operators");
}

TEST(ReadDbase, DocumentWithoutRootIsUserError61)
{
    TempFolder folder(true);
    writeEncryptedInput(folder.path(), "dbase.enc", "<data><aircrafts/></data>");
    try {
        gf_readDbase();
        FAIL() << "no exception";
    } catch (const vtx::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "61: XML root missing: root");
    }
    EXPECT_FALSE(fs::exists("input/dbase.xml"));
}

TEST(ReadDbase, MalformedXmlIsLoggedAndFalse)
{
    TempFolder folder(true);
    LogCapture log;
    writeEncryptedInput(folder.path(), "dbase.enc", "<root><aircrafts>");
    EXPECT_FALSE(gf_readDbase());
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("==> 'input/dbase.xml' not read because of ")) << lines[0];
    EXPECT_FALSE(fs::exists("input/dbase.xml"));
}

TEST(ReadDbase, MissingOrDamagedDataFileThrows)
{
    TempFolder folder(true);
    LogCapture log;
    try {
        gf_readDbase();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "input/dbase.enc not available");
    }
    writeFile("input/dbase.enc", std::string(100, 'x'));
    try {
        gf_readDbase();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "input/dbase.enc stream decrypt failed");
    }
    EXPECT_FALSE(fs::exists("input/dbase.xml"));
}
