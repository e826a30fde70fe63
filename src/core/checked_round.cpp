#include "core/checked_round.h"

#include <gsl/narrow>

#include <cmath>

std::int32_t gf_roundToInt32(double value)
{
    const double rounded = std::round(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        throw gsl::narrowing_error();
    }
    return static_cast<std::int32_t>(rounded);
}
