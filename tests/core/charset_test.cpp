#include "core/charset.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

using testsupport::LogCapture;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

// "Ab" then "é€" on a second line, as UTF-16 code units with the given byte order.
std::string utf16(bool bigEndian, bool mark)
{
    const char16_t units[] = {u'A', u'b', u'\r', u'\n', 0x00E9, 0x20AC};
    std::string bytes;
    if (mark) {
        bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    }
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

const std::vector<std::string> kAbLines{"Ab", "\xC3\xA9\xE2\x82\xAC"};

} // namespace

TEST(Charset, DetectsEncodingFromBytes)
{
    struct Case {
        const char* why;
        std::string bytes;
        Charset expected;
    };
    // 4095 ASCII bytes and a two-byte character: the window ends inside it.
    const std::string cutByWindow = std::string(4095, 'a') + "\xC3\xA9" + "tail";
    const Case cases[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBFhello", Charset::UTF8_with_BOM},
        {"UTF-8 without BOM", "caf\xC3\xA9\n", Charset::UTF8_without_BOM},
        {"empty", "", Charset::UTF8_without_BOM},
        {"one byte", "a", Charset::UTF8_without_BOM},
        {"cp1252", "caf\xE9\n", Charset::ANSI},
        {"UTF-16 LE with BOM", utf16(false, true), Charset::Unicode},
        {"UTF-16 BE with BOM", utf16(true, true), Charset::Unicode_big_endian},
        {"UTF-16 LE without BOM", utf16(false, false), Charset::Unicode},
        {"UTF-16 BE without BOM", utf16(true, false), Charset::Unicode_big_endian},
        {"character cut by the check window", cutByWindow, Charset::UTF8_without_BOM},
        {"character cut by the end of the file", "caf\xC3", Charset::ANSI},
        {"overlong", "a\xC0\xAF", Charset::ANSI},
        {"invalid only after the window", std::string(5000, 'a') + "\xE9", Charset::UTF8_without_BOM},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        writeFile(folder / "f.txt", c.bytes);
        EXPECT_EQ(gf_charsetName(gf_detectCharset(folder / "f.txt")), gf_charsetName(c.expected)) << c.why;
    }
    TempFolder folder;
    EXPECT_EQ(gf_detectCharset(folder / "missing.txt"), Charset::none_found);
}

// Reading and detecting in one read decides on the same first bytes as the detector alone.
TEST(Charset, OneReadDetectionSeesOnlyTheWindow)
{
    const std::pair<std::string, Charset> cases[] = {
        {std::string(5000, 'a') + "\xE9", Charset::UTF8_without_BOM},
        {std::string(4095, 'a') + "\xC3\xA9tail", Charset::UTF8_without_BOM},
        {std::string(4000, 'a') + "\xE9", Charset::ANSI},
    };
    for (const auto& [bytes, expected] : cases) {
        TempFolder folder;
        writeFile(folder / "f.txt", bytes);
        std::vector<std::string> lines;
        const DetectedTextLines read = gf_readDetectedTextFileLines(folder / "f.txt", lines);
        EXPECT_TRUE(read.read) << bytes.size();
        EXPECT_EQ(gf_charsetName(read.charset), gf_charsetName(expected)) << bytes.size();
        EXPECT_EQ(read.charset, gf_detectCharset(folder / "f.txt")) << bytes.size();
    }
}

TEST(Charset, NamesAndUnknownValue)
{
    EXPECT_EQ(gf_charsetName(Charset::Unicode_big_endian), "Unicode_big_endian");
    EXPECT_EQ(gf_charsetName(Charset::none_found), "none_found");
    try {
        gf_charsetName(static_cast<Charset>(6));
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid map<K, T> key");
    }
}

TEST(Charset, ReadsEveryEncodingAsUtf8Lines)
{
    struct Case {
        const char* why;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF" "Ab\r\n\xC3\xA9\xE2\x82\xAC\n", kAbLines},
        {"UTF-8 without BOM", "Ab\n\xC3\xA9\xE2\x82\xAC", kAbLines},
        {"cp1252", "Ab\r\n\xE9\x80\n", kAbLines},
        {"UTF-16 LE with BOM", utf16(false, true), kAbLines},
        {"UTF-16 BE with BOM", utf16(true, true), kAbLines},
        {"UTF-16 LE without BOM", utf16(false, false), kAbLines},
        {"UTF-16 BE without BOM", utf16(true, false), kAbLines},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        writeFile(folder / "f.txt", c.bytes);
        std::vector<std::string> lines{"stale"};
        const Charset charset = gf_detectCharset(folder / "f.txt");
        EXPECT_TRUE(gf_readTextFileLines(charset, folder / "f.txt", lines)) << c.why;
        EXPECT_EQ(lines, c.lines) << c.why;
    }
}

TEST(Charset, MissingFileIsReportedAndFails)
{
    TempFolder folder(true);
    LogCapture log;
    std::vector<std::string> lines{"stale"};
    EXPECT_FALSE(gf_readTextFileLines(gf_detectCharset("missing.txt"), "missing.txt", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_NE(log.text().find(
                  "==> Read failed for 'missing.txt': file missing.txt has unknown charset: none_found\n"),
              std::string::npos);
}

TEST(Charset, Utf16OfOddLengthOrBrokenSurrogateIsReportedAndFails)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("odd.txt", utf16(false, true) + "x");
    writeFile("lone.txt", std::string("\xFF\xFE\x00\xD8", 4));
    std::vector<std::string> lines;
    EXPECT_FALSE(gf_readTextFileLines(Charset::Unicode, "odd.txt", lines));
    EXPECT_FALSE(gf_readTextFileLines(Charset::Unicode, "lone.txt", lines));
    const std::string logged = log.text();
    EXPECT_NE(logged.find("==> Read failed for 'odd.txt': UTF-16 text of odd length (15 bytes)\n"), std::string::npos);
    EXPECT_NE(logged.find("==> Read failed for 'lone.txt': wide_to_utf8: invalid UTF-16\n"), std::string::npos);
}

TEST(Charset, Utf16SurrogatePairsBecomeOneCharacter)
{
    std::istringstream stream(std::string("\xFF\xFE\x3D\xD8\xE9\xDE", 6));
    std::vector<std::string> lines;
    gf_readUtf16Lines(stream, lines);
    EXPECT_EQ(lines, std::vector<std::string>{"\xF0\x9F\x9B\xA9"});
}
