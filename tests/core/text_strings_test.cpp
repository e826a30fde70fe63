#include "core/sim_choice.h"
#include "core/text_strings.h"
#include "core/user_error.h"

#include <gtest/gtest.h>
#include <gsl/narrow>

#include <cmath>
#include <cstdint>
#include <vector>

TEST(TextStrings, TrimRemovesBlanksTabsAndLineEnds)
{
    EXPECT_EQ(gf_trim(" \t abc d\r\n"), "abc d");
    EXPECT_EQ(gf_trim(" \r\n\t "), "");
    EXPECT_EQ(gf_trim(""), "");
}

TEST(TextStrings, SplitKeepsEmptyPiecesAndTrims)
{
    EXPECT_EQ(gf_split("a, ,b,", ','), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(gf_split(" x ; y ", ';'), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(gf_split("", ',').empty());
    EXPECT_EQ(gf_split(",", ','), (std::vector<std::string>{"", ""}));
    const std::list<std::string> list = gf_splitCommaList("KJFK, EDDF");
    EXPECT_EQ(list, (std::list<std::string>{"KJFK", "EDDF"}));
}

TEST(TextStrings, CompactCommaListDropsWhiteSpaceAroundPieces)
{
    std::string text = " EDDF ,\tEGLL,\r\nKJFK ";
    gf_compactCommaList(text);
    EXPECT_EQ(text, "EDDF,EGLL,KJFK");
    std::string plain = "A,B";
    gf_compactCommaList(plain);
    EXPECT_EQ(plain, "A,B");
}

TEST(TextStrings, CaseConversionLeavesBytesAboveAsciiAlone)
{
    const std::string text = "caf\xC3\xA9 \xFF z";
    EXPECT_EQ(gf_upperCase(text), "CAF\xC3\xA9 \xFF Z");
    EXPECT_EQ(gf_lowerCase("ABC\xC3\x89"), "abc\xC3\x89");
    EXPECT_EQ(gf_toupperChar('\xE9'), '\xE9');
    EXPECT_TRUE(gf_equalsUpperCase("file.xml", "FILE.XML"));
    EXPECT_FALSE(gf_equalsUpperCase("file.xm", "FILE.XML"));
    EXPECT_TRUE(gf_equalsNoCase(".Bgl", ".BGL"));
    EXPECT_FALSE(gf_equalsNoCase(".bg", ".bgl"));
}

TEST(TextStrings, EqualsWithStarNeedsExactlyOneTrailingStar)
{
    EXPECT_TRUE(gf_equalsWithStar("DLH123", "DLH123*"));
    EXPECT_FALSE(gf_equalsWithStar("DLH123", "DLH123"));
    EXPECT_FALSE(gf_equalsWithStar("DLH123", "DLH123**"));
    EXPECT_FALSE(gf_equalsWithStar("DLH12", "DLH123*"));
}

TEST(TextStrings, PluralIsSExceptForOneAndNegativeCounts)
{
    EXPECT_EQ(gf_plural(0), "s");
    EXPECT_EQ(gf_plural(1), "");
    EXPECT_EQ(gf_plural(2), "s");
    EXPECT_EQ(gf_plural(-1), "");
    EXPECT_EQ(gf_plural(std::int64_t{-5}), "");
    EXPECT_EQ(gf_plural(std::uint64_t{1}), "");
    EXPECT_EQ(gf_plural(std::size_t{0}), "s");
}

TEST(TextStrings, PercentRoundsAndRefusesSmallWholes)
{
    EXPECT_EQ(gf_percent(1, 3), 33);
    EXPECT_EQ(gf_percent(2, 3), 67);
    EXPECT_EQ(gf_percent(5, 0), 0);
    EXPECT_EQ(gf_percent(5, 0.5), 0);
    EXPECT_THROW(gf_percent(1e12, 1), gsl::narrowing_error);
    EXPECT_THROW(gf_percent(-1e12, 1), gsl::narrowing_error);
    EXPECT_THROW(gf_percent(std::nan(""), 1), gsl::narrowing_error);
}

TEST(TextStrings, FormatDecimalsShowsOneDecimalOnlyForFractions)
{
    EXPECT_EQ(gf_formatDecimals(3.0), "3");
    EXPECT_EQ(gf_formatDecimals(2.5), "2.5");
    EXPECT_EQ(gf_formatDecimals(-7.3), "-7.3");
}

TEST(TextStrings, ObjectIdIsDecimalForMsfs2020AndHexForMsfs2024)
{
    g_msfs2020 = true;
    EXPECT_EQ(gf_objectIdText(255), "255");
    g_msfs2020 = false;
    EXPECT_EQ(gf_objectIdText(255), "ff");
}

TEST(UserError, TextCarriesCodeExceptForCode99)
{
    EXPECT_STREQ(vtx::UserErrorException(3, "no root").what(), "3: no root");
    EXPECT_STREQ(vtx::UserErrorException(99, "plain").what(), "plain");
    try {
        throw vtx::UserErrorException(150, "No install path detected");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "150: No install path detected");
    }
}
