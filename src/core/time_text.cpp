// UTC time text through the portable C++20 calendar.
#include "core/time_text.h"

#include "core/clock.h"
#include "core/traffic_time.h"

#include <array>
#include <chrono>
#include <fmt/format.h>

namespace {

constexpr std::array<const char*, 7> kWeekdayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Okt", "Nov", "Dec"};

const char* lf_tableName(const auto& table, unsigned index)
{
    return index < table.size() ? table[index] : "???";
}

} // namespace

std::string gf_timeText(std::time_t t)
{
    using namespace std::chrono;
    // Years outside what the calendar can hold cannot be converted.
    constexpr std::time_t kLimit = 253402300799; // 9999-12-31 23:59:59
    if (t < -62135596800 || t > kLimit) {
        return "Invalid time";
    }
    const sys_seconds tp{seconds{t}};
    const sys_days day = floor<days>(tp);
    const year_month_day ymd{day};
    const hh_mm_ss hms{tp - day};
    const weekday wd{day};
    return fmt::format("{:3} {:3} {:02} {:02}:{:02}:{:02} {:4}", lf_tableName(kWeekdayNames, wd.c_encoding()),
                       lf_tableName(kMonthNames, static_cast<unsigned>(ymd.month()) - 1),
                       static_cast<unsigned>(ymd.day()), hms.hours().count(), hms.minutes().count(),
                       hms.seconds().count(), static_cast<int>(ymd.year()));
}

namespace {

// Length of every convertible time's text form.
constexpr std::size_t kTimeTextLength = 24;

} // namespace

std::string gf_timeOfDayText(std::time_t t)
{
    const std::string text = gf_timeText(t);
    return text.size() == kTimeTextLength ? text.substr(text.size() - 13, 8) : "??:??:??";
}

std::string gf_nowTime()
{
    return gf_timeOfDayText(clk::utcNowSeconds());
}

std::string gf_dateText()
{
    const std::string text = gf_timeText(clk::utcNowSeconds());
    if (text.size() != kTimeTextLength) {
        return "??? ??, ????";
    }
    return fmt::format("{}, {}", text.substr(4, 6), text.substr(20, 4));
}

std::string gf_feedTime()
{
    return gf_timeOfDayText(gf_feedClockSeconds());
}
