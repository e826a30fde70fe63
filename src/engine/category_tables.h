// What each size class of aircraft gets: speeds, attitudes and timings of the engine.
#pragma once

#include "refdata/category.h"

#include <cstdint>

struct CategoryRow {
    double speedKt;            // ground manoeuvre speed
    double maxBankRad;
    double bankStepRad;        // per tick
    double pitchStepRad;       // per tick
    double groundTurnRateRad;  // per tick
    double rotationPitchRad;   // negative is nose up
    double climbPitchRad;
    std::uint32_t ticksA;
    std::uint32_t ticksB;
    std::uint32_t ticksC;
    std::uint32_t ticksD;
    double climbLimitFt;       // per tick
    double standSpeedKt;       // pull-out, pushback and drive to stand
};

// The row of a category; a value outside the six categories throws std::out_of_range
// "invalid unordered_map<K, T> key".
const CategoryRow& gf_categoryRow(Category category);
