#include "core/clock.h"
#include "core/half_hours.h"
#include "core/log.h"
#include "core/time_text.h"
#include "core/traffic_time.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono;
using testsupport::readFile;
using testsupport::TempFolder;

namespace {

// Monday 2026-12-07.
sys_seconds monday(int hour, int minute, int second)
{
    return sys_days{year{2026} / 12 / 7} + hours{hour} + minutes{minute} + seconds{second};
}

std::string closeAndReadLog()
{
    {
        std::lock_guard lock(g_logMutex);
        g_logFile.close();
    }
    return readFile("Log.txt");
}

std::string logAfterHeader(const std::string& log)
{
    return log.substr(log.find('\n') + 1);
}

} // namespace

TEST(HalfHours, SlotBoundaries)
{
    struct Case {
        int hour, minute, second, slot;
    };
    const Case cases[] = {{0, 0, 0, 0},      {0, 29, 29, 0},    {0, 29, 30, 1},    {10, 29, 29, 20},
                          {10, 29, 30, 21},  {10, 59, 59, 21},  {11, 0, 0, 22},    {23, 29, 30, 47},
                          {23, 59, 59, 47}};
    for (const Case& c : cases) {
        const auto t = monday(c.hour, c.minute, c.second).time_since_epoch().count();
        EXPECT_EQ(gf_halfHourOf(t), c.slot) << c.hour << ":" << c.minute << ":" << c.second;
    }
}

TEST(HalfHours, WeekdayRunsMondayOneToSundaySeven)
{
    for (int offset = 0; offset < 7; ++offset) {
        const auto t = (monday(12, 0, 0) + days{offset}).time_since_epoch().count();
        EXPECT_EQ(gf_weekdayOf(t), offset + 1);
    }
    // The week wraps: Sunday 23:59:59 is followed by Monday slot 0.
    const auto sundayLate = (monday(23, 59, 59) - days{1}).time_since_epoch().count();
    EXPECT_EQ(gf_weekdayOf(sundayLate), 7);
    EXPECT_EQ(gf_weekdayOf(sundayLate + 1), 1);
    EXPECT_EQ(gf_halfHourOf(sundayLate + 1), 0);
    EXPECT_EQ(gf_weekdayOf(253402300800), -1);
}

TEST(HalfHours, PackedWeekdayAndSlotFollowTheClockOrTheProfTrafficTime)
{
    clk::freeze(monday(10, 29, 30));
    std::uint64_t packed = gf_weekdayAndHalfHour();
    EXPECT_EQ(gf_packedWeekday(packed), 1);
    EXPECT_EQ(gf_packedHalfHour(packed), 21);
    EXPECT_EQ(packed, (std::uint64_t{21} << 32) | 1u);

    // A traffic time counts only in the "prof" edition.
    const sys_seconds sunday = monday(18, 5, 0) - days{1};
    g_trafficTime = static_cast<double>(sunday.time_since_epoch().count()) + 0.75;
    EXPECT_EQ(gf_packedWeekday(gf_weekdayAndHalfHour()), 1);
    g_rtEditionProf = true;
    packed = gf_weekdayAndHalfHour();
    EXPECT_EQ(gf_packedWeekday(packed), 7);
    EXPECT_EQ(gf_packedHalfHour(packed), 36);
    EXPECT_EQ(gf_feedTime(), "18:05:00");
    EXPECT_EQ(gf_nowTime(), "10:29:30");
    g_trafficTime = 0.5;
    EXPECT_EQ(gf_feedTime(), "10:29:30");
}

TEST(TimeText, NowAndDateTexts)
{
    clk::freeze(sys_days{year{2026} / 12 / 6} + hours{12} + minutes{47} + seconds{8});
    EXPECT_EQ(gf_nowTime(), "12:47:08");
    EXPECT_EQ(gf_dateText(), "Dec 06, 2026");
    EXPECT_EQ(gf_feedTime(), "12:47:08");
    EXPECT_EQ(gf_timeOfDayText(253402300800), "??:??:??");
    clk::freeze(sys_days{year{2026} / 10 / 1});
    EXPECT_EQ(gf_dateText(), "Okt 01, 2026");
}

TEST(HalfHours, ReadsRangesListsAndSingleSlots)
{
    struct Case {
        const char* text;
        HalfHourBitset bits;
    };
    HalfHourBitset all;
    all.set();
    const Case cases[] = {{"0:47", all},
                          {"5", HalfHourBitset{1u << 5}},
                          {"1,5,7", HalfHourBitset{(1u << 1) | (1u << 5) | (1u << 7)}},
                          {" 2 : 4 ", HalfHourBitset{(1u << 2) | (1u << 3) | (1u << 4)}},
                          {"6:6", HalfHourBitset{1u << 6}},
                          {"0", HalfHourBitset{1u}},
                          {"07:09", HalfHourBitset{(1u << 7) | (1u << 8) | (1u << 9)}},
                          {"005:6", HalfHourBitset{(1u << 5) | (1u << 6)}},
                          {"46:47", HalfHourBitset{3ull << 46}},
                          {"", HalfHourBitset{}}};
    for (const Case& c : cases) {
        EXPECT_EQ(gf_hours2bitset(c.text), c.bits) << c.text;
    }
}

TEST(HalfHours, LogsBadTextAndSetsNothingOrTheValidSlots)
{
    struct Case {
        const char* text;
        HalfHourBitset bits;
        const char* log;
    };
    const Case cases[] = {
        {"3:1", {}, "==> gf_hours2bitset descending range not allowed (3:1 in 3:1)\n"},
        {"1:2:3", {}, "==> gf_hours2bitset more than one colon char in: 1:2:3\n"},
        {"1,48,3", HalfHourBitset{(1u << 1) | (1u << 3)}, "==> operator () invalid hour '48' in 1,48,3\n"},
        {"48:50", {}, "==> operator () invalid hour '48' in 48:50\n==> operator () invalid hour '50' in 48:50\n"},
        {"x:3", {}, "==> operator () invalid hour 'x' in x:3\n"},
        {"47:48", {}, "==> operator () invalid hour '48' in 47:48\n"},
        {"5:", {}, "==> operator () invalid hour '' in 5:\n"},
        {"4:5x", HalfHourBitset{(1u << 4) | (1u << 5)}, ""},
    };
    for (const Case& c : cases) {
        TempFolder folder(true);
        gf_openLogFile();
        EXPECT_EQ(gf_hours2bitset(c.text), c.bits) << c.text;
        EXPECT_EQ(logAfterHeader(closeAndReadLog()), c.log) << c.text;
    }
}

TEST(HalfHours, WritesOneRunOrNothing)
{
    EXPECT_EQ(gf_bitset2hours(HalfHourBitset{(1u << 4) | (1u << 5) | (1u << 6)}), "4:6");
    EXPECT_EQ(gf_bitset2hours(HalfHourBitset{1u << 9}), "9");
    EXPECT_EQ(gf_bitset2hours(HalfHourBitset{(1u << 1) | (1u << 3)}), std::nullopt);
    EXPECT_EQ(gf_bitset2hours(HalfHourBitset{}), std::nullopt);
    HalfHourBitset all;
    all.set();
    EXPECT_EQ(gf_bitset2hours(all), "0:47");
    // What is written reads back the same.
    EXPECT_EQ(gf_hours2bitset(*gf_bitset2hours(HalfHourBitset{0xFF00})), HalfHourBitset{0xFF00});
}
