// Times a benchmark's figure beside its floor in the same iterations, so that their ratio
// holds on a machine whose load changes while the benchmark runs.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

namespace testsupport {

// Each iteration runs the floor (not timed by the benchmark) and then the figure; the counters
// are the floor's mean time ("floor_ms") and figure / floor ("ratio").
template <typename Figure, typename Floor>
void measureAgainstFloor(benchmark::State& state, Figure&& figure, Floor&& floor)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration figureTime{};
    Clock::duration floorTime{};
    for (auto _ : state) {
        state.PauseTiming();
        auto start = Clock::now();
        floor();
        floorTime += Clock::now() - start;
        state.ResumeTiming();
        start = Clock::now();
        figure();
        figureTime += Clock::now() - start;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["floor_ms"] = std::chrono::duration<double, std::milli>(floorTime).count() / iterations;
    state.counters["ratio"] = std::chrono::duration<double>(figureTime) / std::chrono::duration<double>(floorTime);
}

} // namespace testsupport
