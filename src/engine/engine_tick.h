// The engine's clock: one count per 10 ms tick of the adding stack (100 per second).
// Due ticks, timers, hold times and pacing of the engine count in it.
#pragma once

#include <atomic>
#include <cstdint>

// Written by the main loop thread; the Traffic Reader reads it for the due tick of a sample.
extern std::atomic<std::int32_t> g_engineTick;

inline constexpr std::int32_t kTicksPerSecond = 100;

// Steady time in ticks of 100 ns, the unit of a parked aircraft's parking time.
std::int64_t gf_steadyTicks100ns();
