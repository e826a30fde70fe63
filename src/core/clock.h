// The program's one clock: UTC now and steady time. Tests set it so that
// weekday, half-hour, expiry and pacing logic runs without sleeping.
#pragma once

#include <chrono>
#include <ctime>

namespace clk {

using SystemTime = std::chrono::system_clock::time_point;
using SteadyTime = std::chrono::steady_clock::time_point;

SystemTime utcNow();
SteadyTime steadyNow();
std::time_t utcNowSeconds();

// Test control: while frozen, utcNow and steadyNow return the set values and
// move only by advance().
void freeze(SystemTime utc);
void advance(std::chrono::nanoseconds step);
void unfreeze();
bool isFrozen();

} // namespace clk
