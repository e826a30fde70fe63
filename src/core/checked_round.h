// Rounding of a double to a 32-bit integer that refuses a value without one (NaN, or out of
// the range) with gsl::narrowing_error, as gsl::narrow refuses integers: a plain conversion
// of such a value is undefined behaviour.
#pragma once

#include <cstdint>

// The nearest integer, halves away from zero, as std::round.
std::int32_t gf_roundToInt32(double value);
