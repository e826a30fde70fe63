#include "liveries/cfg_lines.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct KeyCase {
    const char* line;
    std::optional<std::string> value;
};

std::optional<std::string> titleOf(const char* line)
{
    const auto value = lf_keyValue(line, cfgkey::kTitle);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

} // namespace

TEST(CfgLines, TitleLinesTheWayPackagesWriteThem)
{
    const KeyCase cases[] = {
        {"title=Airbus A320 Lufthansa", "Airbus A320 Lufthansa"},
        {"TITLE = Airbus A320 Lufthansa  ", "Airbus A320 Lufthansa"},
        {"\t Title\t=\t\"Boeing 737\"\t", "\"Boeing 737\""},
        {"title=", std::nullopt},
        {"title =   ", std::nullopt},
        {"titles=Airbus", std::nullopt},
        {"ui_title=Airbus", std::nullopt},
        {"title Airbus", std::nullopt},
        {"title=Air\rbus", std::nullopt},
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(titleOf(c.line), c.value) << c.line;
    }
}

TEST(CfgLines, QuotesRule)
{
    EXPECT_EQ(lf_unquote("\"KLM Cityhopper\" // the second"), "KLM Cityhopper");
    EXPECT_EQ(lf_unquote("plain value"), "plain value");
    EXPECT_EQ(lf_unquote("\"unclosed"), "");
    EXPECT_EQ(lf_unquote("a \"b\" \"c\""), "b");
}

TEST(CfgLines, SectionHeadersAndTheirNumbers)
{
    EXPECT_TRUE(lf_isFltsimHeader("[fltsim.0]"));
    EXPECT_TRUE(lf_isFltsimHeader("  [FltSim.12]  "));
    EXPECT_EQ(lf_fltsimNumber("[FLTSIM.12]"), 12);
    // A comment after the header still starts a section, numbered as a damaged header.
    EXPECT_TRUE(lf_isFltsimHeader("[fltsim.3] // old livery"));
    EXPECT_EQ(lf_fltsimNumber("[fltsim.3] // old livery"), kDamagedHeaderNumber);
    EXPECT_EQ(lf_fltsimNumber("[fltsim.10001]"), 10001);
    EXPECT_EQ(lf_fltsimNumber("[fltsim.99999999999]"), std::nullopt);
    EXPECT_FALSE(lf_isFltsimHeader("//[fltsim.3]"));
    EXPECT_FALSE(lf_isFltsimHeader("  // [fltsim.3]"));
    EXPECT_FALSE(lf_isFltsimHeader("[General]"));
    EXPECT_FALSE(lf_isFltsimHeader("[FltSim.x]")); // neither the pattern nor a damaged header as written
}

TEST(CfgLines, AirlineParkingAndTypeValues)
{
    EXPECT_EQ(lf_airlineValue("\"\""), "ZZZ");
    EXPECT_EQ(lf_airlineValue("ZZZZ"), "ZZZ");
    EXPECT_EQ(lf_airlineValue("\"dlh\""), "DLH");
    EXPECT_EQ(lf_parkingTypesValue("\"gate , cargo\""), "GATE,CARGO");
    EXPECT_EQ(lf_typeDesignatorValue("\"a20n\""), "A20N");
    EXPECT_EQ(lf_baseContainerType("\"..\\Asobo_A320_NEO\""), "A20N");
    EXPECT_EQ(lf_baseContainerType("..\\FlyByWire_A320_NEO"), "A20N");
    EXPECT_EQ(lf_baseContainerType("..\\asobo_a320_neo"), "");
    EXPECT_EQ(lf_baseContainerType("..\\Some_Other"), "");
    EXPECT_EQ(lf_baseContainerType(".."), "");
}

TEST(CfgLines, AtcIdRule)
{
    struct Case {
        const char* value;
        std::optional<std::string> registration;
    };
    const Case cases[] = {
        {"D-AIPA", "D-AIPA"},
        {"\"D-AIPA\"", "D-AIPA"},
        {"D-AIPA ; the first one", "D-AIPA"},
        {"D-AIPA,D-AIPB", ""},
        {"D-AIPA, D-AIPB", ""},
        {"ABCDEFGHIJKL", "ABCDEFGHIJKL"},
        {"ABCDEFGHIJKLM", std::nullopt},
        {"D-AI*", std::nullopt},
        {"D-AIPA,", std::nullopt},
        {"D-AIPA, ,D-AIPB", std::nullopt},
        {"\"\"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lf_checkAtcId(c.value).registration, c.registration) << c.value;
    }
    EXPECT_EQ(lf_checkAtcId("AB*C ; x").text, "AB*C");
}
