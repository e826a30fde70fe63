// The size class of an aircraft type, derived from the aircraft database's type sets.
#pragma once

#include <cstdint>

enum class Category : std::uint32_t { Light, Buzjet, Large, Heavy, HighPerf, Rotorcraft };

inline constexpr std::uint32_t kCategoryCount = 6;
