// Per-tick timing of the engine benchmarks: the main loop thread's CPU time, so that a tick's
// figure leaves out the time that the shared machine gave to other processes, and the
// median, 99th percentile and maximum of the ticks as the benchmark's counters.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <ctime>
#include <vector>

namespace testsupport {

inline double threadCpuMicros()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// The value below which the fraction (0 to 1) of the values lies; reorders them.
inline double percentile(std::vector<double>& values, double fraction)
{
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

// The counters "median_us", "p99_us" and "max_us" of the ticks' times in microseconds.
inline void reportTickTimes(benchmark::State& state, std::vector<double>& micros)
{
    state.counters["median_us"] = percentile(micros, 0.5);
    state.counters["p99_us"] = percentile(micros, 0.99);
    state.counters["max_us"] = *std::max_element(micros.begin(), micros.end());
}

} // namespace testsupport
