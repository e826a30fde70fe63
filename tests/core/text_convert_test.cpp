#include "core/path_text.h"
#include "core/text_convert.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

TEST(TextConvert, RoundTripsUtf8ThroughWide)
{
    const std::string text = "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x9B\xA9";
    const std::wstring wide = utf8_to_wide(text);
    EXPECT_EQ(wide_to_utf8(wide), text);
    EXPECT_EQ(utf8_to_wide(""), L"");
    EXPECT_EQ(wide_to_utf8(L""), "");
}

TEST(TextConvert, InvalidUtf8ThrowsWithItsText)
{
    for (const std::string bad : {"\xC0\xAF", "a\xFF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3"}) {
        try {
            utf8_to_wide(bad);
            ADD_FAILURE() << "accepted invalid UTF-8";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "utf8_to_wide: invalid UTF-8");
        }
    }
}

TEST(TextConvert, InvalidWideThrowsWithItsText)
{
    // A lone surrogate is invalid in every wide encoding.
    const std::wstring bad(1, static_cast<wchar_t>(0xD800));
    try {
        wide_to_utf8(bad);
        ADD_FAILURE() << "accepted a lone surrogate";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "wide_to_utf8: invalid UTF-16");
    }
}

TEST(TextConvert, AnsiIsWindows1252)
{
    const std::pair<const char*, const char*> ansiAndUtf8[] = {
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80 \x9F", "\xE2\x82\xAC \xC5\xB8"},
        // Bytes the code page leaves undefined come out as the C1 controls of the same value.
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        {"", ""},
    };
    for (const auto& [ansi, utf8] : ansiAndUtf8) {
        EXPECT_EQ(gf_ansiToUtf8(ansi), utf8) << ansi;
    }
}

TEST(PathText, NonAsciiPathsRoundTrip)
{
    const std::string text = "C:/Users/J\xC3\xB6rg/AppData";
    EXPECT_EQ(path_to_utf8(gf_utf8ToPath(text)), text);
}

TEST(TextConvert, LossyUtf16ReplacesOnlyUnpairedSurrogates)
{
    struct Case {
        std::u16string units;
        std::string utf8;
    };
    const Case cases[] = {
        {u"bad\xD800x", "bad\xEF\xBF\xBDx"},
        {u"\xDC00", "\xEF\xBF\xBD"},
        {u"a\xDBFF", "a\xEF\xBF\xBD"},
        {u"\xD83D\xDEE9 Z\u00FCrich", "\xF0\x9F\x9B\xA9 Z\xC3\xBCrich"},
        {u"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gf_utf16ToUtf8Lossy(c.units), c.utf8);
}
