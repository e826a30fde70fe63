// processLineSub per line over a million prebuilt lines of mixed outcomes (queued,
// beyond range, dropped type, faults), against splitting the same lines only.
#include "app/tick_state.h"
#include "support/traffic_lines.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_reader.h"
#include "traffic/traffic_record.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kLines = 1'000'000;

const std::vector<std::string>& lf_lines()
{
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> built;
        built.reserve(kLines);
        for (std::size_t i = 0; i < kLines; ++i) {
            testsupport::TrafficLine line;
            line.set(1, std::to_string(4000000 + i % 5000));
            switch (i % 10) {
            case 7: line.set(2, "55.0"); break;   // beyond the range
            case 8: line.set(10, "ZZZZ"); break;  // no type
            case 9: line.set(8, "bad"); break;    // fault
            default: break;
            }
            built.push_back(line.text());
        }
        return built;
    }();
    return lines;
}

void lf_split(std::string_view line, std::vector<std::string_view>& fields)
{
    fields.clear();
    for (std::size_t start = 0;;) {
        const auto comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
}

double lf_splitNsPerLine()
{
    std::vector<std::string_view> fields;
    fields.reserve(64);
    const auto start = std::chrono::steady_clock::now();
    for (const auto& line : lf_lines()) {
        lf_split(line, fields);
        benchmark::DoNotOptimize(fields.data());
    }
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / kLines;
}

void BM_SplitOnlyFloor(benchmark::State& state)
{
    lf_lines();
    std::vector<std::string_view> fields;
    fields.reserve(64);
    for (auto _ : state) {
        for (const auto& line : lf_lines()) {
            lf_split(line, fields);
            benchmark::DoNotOptimize(fields.data());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kLines));
}
BENCHMARK(BM_SplitOnlyFloor)->Unit(benchmark::kMillisecond);

void BM_ProcessLineSub(benchmark::State& state)
{
    gf_setLoopRunning(true);
    g_trafficReader.setReferencePosition({52.3, 4.76});
    double total = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& line : lf_lines())
            g_trafficReader.handleLine(line);
        total += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        {
            const std::lock_guard lock(g_trafficMutex);
            g_trafficQueue.clear();
        }
        state.ResumeTiming();
    }
    const double nsPerLine = total / static_cast<double>(state.iterations() * kLines);
    const double floor = lf_splitNsPerLine();
    state.counters["ns_per_line"] = nsPerLine;
    state.counters["split_ns_per_line"] = floor;
    state.counters["ratio_to_split"] = nsPerLine / floor;
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kLines));
}
BENCHMARK(BM_ProcessLineSub)->Unit(benchmark::kMillisecond);

} // namespace
