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

// Reads one range "a:b" (or one slot "a") or a comma-separated list of single
// slots; errors are logged, never thrown.
HalfHourBitset gf_hours2bitset(std::string_view text);
// "lo:hi" (or "lo") for one contiguous run; nothing for an empty set or a set with gaps.
std::optional<std::string> gf_bitset2hours(const HalfHourBitset& bits);
