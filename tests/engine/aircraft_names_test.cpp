#include "engine/aircraft_names.h"
#include "engine/category_tables.h"

#include <gtest/gtest.h>

#include <numbers>
#include <stdexcept>

TEST(EnumNames, EveryValueHasItsLogName)
{
    const char* states[] = {"buffer", "adding2sim", "active", "liveryrespawn", "removingfromsim"};
    for (std::uint32_t v = 0; v < 5; ++v) {
        EXPECT_EQ(gf_simStateName(static_cast<SimState>(v)), states[v]);
    }
    const char* phases[] = {"pushing_back", "pushed_back", "taxi", "take_off", "flying", "parking", "parked", "birth"};
    for (std::uint32_t v = 0; v < 8; ++v) {
        EXPECT_EQ(gf_flightPhaseName(static_cast<FlightPhase>(v)), phases[v]);
    }
    const char* categories[] = {"Light", "Buzjets", "Large", "Heavy", "HighPerf", "Rotorcraft"};
    for (std::uint32_t v = 0; v < 6; ++v) {
        EXPECT_EQ(gf_categoryName(static_cast<Category>(v)), categories[v]);
    }
}

TEST(EnumNames, UnknownValueThrowsTheMapText)
{
    try {
        gf_flightPhaseName(static_cast<FlightPhase>(8));
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid unordered_map<K, T> key");
    }
    EXPECT_THROW(gf_simStateName(static_cast<SimState>(5)), std::out_of_range);
    EXPECT_THROW(gf_categoryName(static_cast<Category>(6)), std::out_of_range);
    EXPECT_THROW(gf_categoryRow(static_cast<Category>(6)), std::out_of_range);
}

TEST(CategoryTables, RowsInDegreesAreHeldInRadians)
{
    const auto deg = std::numbers::pi / 180.0;
    const auto& heavy = gf_categoryRow(Category::Heavy);
    EXPECT_EQ(heavy.speedKt, 150);
    EXPECT_DOUBLE_EQ(heavy.maxBankRad, 20 * deg);
    EXPECT_DOUBLE_EQ(heavy.rotationPitchRad, -5.0 * deg);
    EXPECT_EQ(heavy.ticksA, 450u);
    EXPECT_EQ(heavy.ticksD, 400u);
    EXPECT_DOUBLE_EQ(heavy.standSpeedKt, 3.0);
    const auto& rotor = gf_categoryRow(Category::Rotorcraft);
    EXPECT_EQ(rotor.speedKt, 0);
    EXPECT_DOUBLE_EQ(rotor.climbPitchRad, -30.0 * deg);
    EXPECT_DOUBLE_EQ(gf_categoryRow(Category::Buzjet).bankStepRad, 0.0275 * deg);
    EXPECT_EQ(gf_categoryRow(Category::Large).ticksB, 350u);
}

namespace {

AcIdent lf_ident(std::string airline, std::string type, std::string callsign, std::string reg = {},
                 std::string origin = {}, std::string destination = {})
{
    AcIdent id;
    id.airline = std::move(airline);
    id.type = std::move(type);
    id.callsign = std::move(callsign);
    id.registration = std::move(reg);
    id.origin = std::move(origin);
    id.destination = std::move(destination);
    return id;
}

} // namespace

TEST(AircraftDescriptions, LogLineForms)
{
    const auto dlh = lf_ident("DLH", "A20N", "DLH4AB", "D-AINA", "EDDF", "LOWW");
    EXPECT_EQ(gf_aimoString(dlh), "DLH A20N");
    EXPECT_EQ(gf_aimoString(lf_ident("", "C72", "X")), "    C72 ");
    EXPECT_EQ(gf_acDescr(dlh), "DLH4AB DLH A20N");
    EXPECT_EQ(gf_acDescrLong(dlh), "DLH4AB DLH A20N D-AINA");
    EXPECT_EQ(gf_acDescrWide(dlh), "DLH A20N DLH4AB   EDDF->LOWW");
    EXPECT_EQ(gf_routeString(lf_ident("", "", "", "", "", "")), "        ");
    EXPECT_EQ(gf_routeString(lf_ident("", "", "", "", "", "KJFK")), "   ->KJFK");
    EXPECT_EQ(gf_makeAcKey(dlh), "DLH A20ND-AINA");
}

TEST(AircraftDescriptions, SameAimoIgnoresRegistration)
{
    EXPECT_TRUE(gf_sameAimo(lf_ident("DLH", "A320", "A", "D-AIPA"), lf_ident("DLH", "A320", "B", "D-AIPB")));
    EXPECT_FALSE(gf_sameAimo(lf_ident("DLH", "A320", "A"), lf_ident("DLH", "A321", "A")));
}

TEST(AircraftIdentity, CallsignValidity)
{
    struct Row {
        const char* callsign;
        bool valid;
    };
    for (const Row row : {Row{"DLH4AB", true}, Row{"ABCDEFGH", true}, Row{"ABCDEFGHI", false},
                          Row{"@@@@@@@@", false}, Row{"", false}}) {
        EXPECT_EQ(gf_hasCallsign(lf_ident("", "", row.callsign)), row.valid) << row.callsign;
    }
}

TEST(AircraftIdentity, NonAircraftTypes)
{
    for (const char* type : {"BALL", "EMER", "GLID", "GRND", "PARA", "SERV", "SHIP", "VENT"}) {
        EXPECT_TRUE(gf_isNonAircraftType(type)) << type;
    }
    for (const char* type : {"A320", "glid", "GLIDE", "", "GLI"}) {
        EXPECT_FALSE(gf_isNonAircraftType(type)) << type;
    }
}

TEST(AircraftIdentity, HexidTellsLiveFromStatic)
{
    EXPECT_FALSE(gf_isLiveHexid(10000));
    EXPECT_TRUE(gf_isLiveHexid(10001));
    EXPECT_FALSE(gf_isLiveHexid(1));
}
