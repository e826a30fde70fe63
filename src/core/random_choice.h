// Per-thread random choices; the RANDOM setting switches the choosing ones off.
#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

// One generator per thread, seeded on the thread's first use.
extern thread_local std::mt19937 g_rng;

// A uniform index in [0, n) while RANDOM is on and n >= 2; else 0.
std::size_t gf_randomIndex(std::size_t n);
// Shuffles the list in place while RANDOM is on and it has at least 2 entries.
void gf_shuffle(std::vector<std::string>& items);
// value raised or lowered by percent of itself, the direction chosen at
// random; unchanged when percent <= 0. Not switched off by RANDOM.
double gf_randomizePercent(double value, double percent);
