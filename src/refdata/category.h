// The size class of an aircraft type, derived from the aircraft database's type sets.
#pragma once

#include <cstdint>

enum class Category : std::uint32_t {
    Light = 0,
    Buzjet = 1,
    Large = 2,
    Heavy = 3,
    HighPerf = 4,
    Rotorcraft = 5,
};

inline constexpr std::uint32_t kCategoryCount = 6;
