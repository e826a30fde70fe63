#include "core/clock.h"
#include "core/log.h"
#include "core/stop_flags.h"
#include "core/time_text.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

void closeLog()
{
    std::lock_guard lock(g_logMutex);
    g_logFile.close();
}

} // namespace

TEST(Log, HeaderLineCarriesUtcTimeAndVersion)
{
    TempFolder folder(true);
    clk::freeze(std::chrono::sys_days{std::chrono::year{2026} / 12 / 6} + std::chrono::hours{12} +
                std::chrono::minutes{47} + std::chrono::seconds{8});
    gf_openLogFile();
    closeLog();
    EXPECT_EQ(readFile("Log.txt"), "Sun Dec 06 12:47:08 2026 (utc) Skyweaver version 11.10.8 for MSFS 2020/2024\n");
}

TEST(Log, RotatesThreeGenerations)
{
    TempFolder folder(true);
    writeFile("Log.txt", "current\n");
    writeFile("Log0.txt", "gen1\n");
    writeFile("Log00.txt", "gen2\n");
    gf_openLogFile();
    closeLog();
    EXPECT_EQ(readFile("Log000.txt"), "gen2\n");
    EXPECT_EQ(readFile("Log00.txt"), "gen1\n");
    EXPECT_EQ(readFile("Log0.txt"), "current\n");
    EXPECT_EQ(lines(readFile("Log.txt")).size(), 1u);
}

TEST(Log, FirstRunCreatesNoGeneration)
{
    TempFolder folder(true);
    gf_openLogFile();
    closeLog();
    EXPECT_FALSE(std::filesystem::exists("Log0.txt"));
    EXPECT_FALSE(std::filesystem::exists("Log00.txt"));
    EXPECT_FALSE(std::filesystem::exists("Log000.txt"));
}

TEST(Log, WritersMarkAndIndentAndStaySilentWhenClosed)
{
    TempFolder folder(true);
    gf_log("before open");
    gf_openLogFile();
    gf_log("plain");
    gf_logMarked("important");
    gf_logIndented("continued");
    g_stopRequested = true;
    gf_logUnlessQuitting("not while quitting");
    g_stopRequested = false;
    gf_logUnlessQuitting("while running");
    closeLog();
    gf_log("after close");
    const auto written = lines(readFile("Log.txt"));
    ASSERT_EQ(written.size(), 5u);
    EXPECT_EQ(written[1], "plain");
    EXPECT_EQ(written[2], "==> important");
    EXPECT_EQ(written[3], "          continued");
    EXPECT_EQ(written[4], "while running");
}

TEST(Log, ConcurrentLinesNeverInterleave)
{
    TempFolder folder(true);
    gf_openLogFile();
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([t] {
            const std::string line(200, static_cast<char>('a' + t));
            for (int i = 0; i < 500; ++i) {
                gf_log(line);
            }
        });
    }
    for (auto& w : writers) {
        w.join();
    }
    closeLog();
    const auto written = lines(readFile("Log.txt"));
    ASSERT_EQ(written.size(), 2001u);
    for (std::size_t i = 1; i < written.size(); ++i) {
        ASSERT_EQ(written[i], std::string(200, written[i][0]));
    }
}

TEST(Log, StarBanners)
{
    EXPECT_EQ(gf_starBanner(70, 0, true, false, "parameters"),
              "\n" + std::string(34, '*') + " parameters " + std::string(34, '*'));
    EXPECT_EQ(gf_starBanner(70, 10, false, true), std::string(80, '*') + "\n");
    // Odd widths round up to even.
    EXPECT_EQ(gf_starBanner(9, 0, false, false, "ab"), "**** ab ****");
    // Text too long for the width comes back alone, without the leading newline.
    EXPECT_EQ(gf_starBanner(4, 0, true, true, "long text"), "long text\n");
}

TEST(Log, GenerationNames)
{
    EXPECT_EQ(gf_generationName("parameters.xml", 1), "parameters0.xml");
    EXPECT_EQ(gf_generationName("Log.txt", 3), "Log000.txt");
    // A dot in a folder counts when the file name has none.
    EXPECT_EQ(gf_generationName("dir.d/file", 1), "dir0.d/file");
    EXPECT_FALSE(gf_save1GenerationOf("nodot"));
}

TEST(TimeText, FormatsUtcWithOctoberAsOkt)
{
    EXPECT_EQ(gf_timeText(0), "Thu Jan 01 00:00:00 1970");
    EXPECT_EQ(gf_timeText(1791979200), "Wed Okt 14 12:00:00 2026");
    EXPECT_EQ(gf_timeText(std::numeric_limits<std::time_t>::max()), "Invalid time");
}
