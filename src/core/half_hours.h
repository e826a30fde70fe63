// The weekday and half-hour slot of the UTC day that drive static parking
// occupancy, and the text form of a set of half-hour slots in park files.
#pragma once

#include <bitset>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// Bit k is half hour k of the UTC day (2 x hour, +1 for the second half).
using HalfHourBitset = std::bitset<48>;

// Weekday 1..7 (Monday 1, Sunday 7) of t; -1 when t cannot be converted.
std::int32_t gf_weekdayOf(std::time_t t);
// Half-hour slot 0..47 of t: the second half of an hour starts at minute 29
// second 30; -1 when t cannot be converted.
std::int32_t gf_halfHourOf(std::time_t t);

// Low 32 bits the weekday, high 32 bits the half-hour slot, of the traffic
// time while the "prof" edition reports one, else of now.
std::uint64_t gf_weekdayAndHalfHour();
inline std::int32_t gf_packedWeekday(std::uint64_t packed)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(packed & 0xFFFFFFFFu));
}
inline std::int32_t gf_packedHalfHour(std::uint64_t packed)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(packed >> 32));
}

// A packed weekday and slot as a half hour of the week, and how many half hours ago a half hour
// of the week lies before now, 0..335: the week wraps, so Sunday 23:30 lies one half hour
// before Monday 00:00. Which of two half hours is later is decided by their ages.
inline constexpr std::int32_t kWeekHalfHours = 7 * 48;
inline std::int32_t gf_weekHalfHour(std::int32_t weekday, std::int32_t slot)
{
    return weekday * 48 + slot;
}
inline std::int32_t gf_weekHalfHour(std::uint64_t packed)
{
    return gf_weekHalfHour(gf_packedWeekday(packed), gf_packedHalfHour(packed));
}
inline std::int32_t gf_halfHoursAgo(std::int32_t now, std::int32_t then)
{
    return ((now - then) % kWeekHalfHours + kWeekHalfHours) % kWeekHalfHours;
}

// Reads one range "a:b" (or one slot "a") or a comma-separated list of single
// slots; errors are logged, never thrown.
HalfHourBitset gf_hours2bitset(std::string_view text);
// "lo:hi" (or "lo") for one contiguous run; nothing for an empty set or a set with gaps.
std::optional<std::string> gf_bitset2hours(const HalfHourBitset& bits);
