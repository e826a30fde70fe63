#include "core/path_text.h"
#include "refdata/data_crypt.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::string lf_pattern(std::size_t size)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>((i * 131 + i / 4096) & 0xff);
    }
    return text;
}

std::string lf_encrypt(const std::string& plain, const DataKey& key = g_dataFileKey)
{
    std::istringstream in(plain);
    std::ostringstream out;
    gf_streamEncrypt(key, in, out);
    return out.str();
}

} // namespace

class RoundTrip : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RoundTrip, DecryptsWhatTheEncryptorWrote)
{
    TempFolder folder(true);
    const std::string plain = lf_pattern(GetParam());
    const std::string cipher = lf_encrypt(plain);
    // Header, full chunks of 4113 bytes, and the last chunk (an empty input still has one).
    const std::size_t chunks = GetParam() == 0 ? 1 : (GetParam() + 4095) / 4096;
    EXPECT_EQ(cipher.size(), 24 + GetParam() + 17 * chunks);
    writeFile("data.enc", cipher);
    ASSERT_TRUE(gf_streamDecrypt("data.enc", "data.xml"));
    EXPECT_EQ(readFile("data.xml"), plain);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip, ::testing::Values(0u, 1u, 4095u, 4096u, 4097u, 8192u, 3u << 20));

struct Damage {
    const char* name;
    std::string (*apply)(std::string cipher);
    const char* logged;
};

void PrintTo(const Damage& damage, std::ostream* out)
{
    *out << damage.name;
}

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, FailsWithLogLineAndLeavesNoOutput)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("data.enc", GetParam().apply(lf_encrypt(lf_pattern(10000))));
    writeFile("data.xml", "stale plain text from an earlier run");
    EXPECT_FALSE(gf_streamDecrypt("data.enc", "data.xml"));
    EXPECT_FALSE(fs::exists("data.xml"));
    EXPECT_TRUE(log.contains(std::string("gf_streamDecrypt exception: ") + GetParam().logged)) << log.lines().at(0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedFile,
    ::testing::Values(
        Damage{"FlippedByteInFirstChunk", [](std::string c) { c[100] ^= 1; return c; }, "Decryption failed"},
        Damage{"FlippedByteInLastChunk", [](std::string c) { c[c.size() - 3] ^= 0x40; return c; },
               "Decryption failed"},
        Damage{"DamagedHeader", [](std::string c) { c[5] ^= 1; return c; }, "Decryption failed"},
        Damage{"LastChunkMissing", [](std::string c) { return c.substr(0, 24 + 2 * 4113); },
               "Truncated data file: data.enc"},
        Damage{"CutInsideChunk", [](std::string c) { return c.substr(0, 24 + 4113 + 50); }, "Decryption failed"},
        Damage{"HeaderOnly", [](std::string c) { return c.substr(0, 24); }, "Truncated data file: data.enc"},
        Damage{"ShorterThanHeader", [](std::string c) { return c.substr(0, 10); }, "Truncated data file: data.enc"},
        Damage{"Empty", [](std::string) { return std::string(); }, "Truncated data file: data.enc"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StreamDecrypt, WrongKeyFailsOnFirstChunk)
{
    TempFolder folder(true);
    LogCapture log;
    DataKey other = g_dataFileKey;
    other[31] ^= 0x80;
    writeFile("data.enc", lf_encrypt("<root/>", other));
    EXPECT_FALSE(gf_streamDecrypt("data.enc", "data.xml"));
    EXPECT_FALSE(fs::exists("data.xml"));
    EXPECT_TRUE(log.contains("gf_streamDecrypt exception: Decryption failed"));
}

TEST(StreamDecrypt, MissingInputIsLoggedWithItsPath)
{
    TempFolder folder(true);
    LogCapture log;
    const auto missing = fs::path("input") / "dbase.enc";
    EXPECT_FALSE(gf_streamDecrypt(missing, "dbase.xml"));
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"gf_streamDecrypt exception: Could not open input file: " + path_to_utf8(missing)});
    EXPECT_FALSE(fs::exists("dbase.xml"));
}

TEST(StreamDecrypt, UnwritableOutputIsLogged)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("data.enc", lf_encrypt("x"));
    fs::create_directory("out.xml");
    EXPECT_FALSE(gf_streamDecrypt("data.enc", "out.xml"));
    EXPECT_TRUE(log.contains("gf_streamDecrypt exception: Could not open output file: out.xml"));
}

TEST(RemoveFileWithWarning, RemovesQuietlyOrLogsTheFailure)
{
    TempFolder folder(true);
    LogCapture log;
    writeFile("plain.xml", "x");
    gf_removeFileWithWarning("plain.xml");
    gf_removeFileWithWarning("never-there.xml");
    EXPECT_FALSE(fs::exists("plain.xml"));
    EXPECT_TRUE(log.lines().empty());

    writeFile(fs::path("busy") / "inside.txt", "x");
    gf_removeFileWithWarning("busy");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(log.lines()[0].starts_with("Warning: could not remove busy, errorcode: ")) << log.lines()[0];
}

TEST(EncryptedFixtures, LandInTheInputFolder)
{
    TempFolder folder;
    writeSmallReferenceData(folder.path());
    ASSERT_TRUE(gf_streamDecrypt(folder / "input/dbase.enc", folder / "input/dbase.xml"));
    EXPECT_EQ(readFile(folder / "input/dbase.xml"), smallDbase().text());
}
