// The closest-airport search over 40,000 airports against a bare loop of distances over
// the same table.
#include "core/geo.h"
#include "refdata/airport_db.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>

namespace {

void lf_loadAirports()
{
    static const bool loaded = [] {
        testsupport::TempFolder folder(true);
        testsupport::writeEncryptedInput(folder.path(), "airports.enc", testsupport::largeAirports(40000).text());
        return gf_readAirports();
    }();
    (void)loaded;
}

const LatLon kPositions[] = {{50.03, 8.57}, {-33.9, 151.2}, {40.6, -73.8}, {0.0, 0.0}, {64.1, -21.9}};

void BM_findClosestAirport(benchmark::State& state)
{
    lf_loadAirports();
    std::size_t i = 0;
    bool undecided = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_findClosestAirport(kPositions[i++ % 5], undecided));
    }
    state.counters["airports"] = static_cast<double>(g_airports.size());
}
BENCHMARK(BM_findClosestAirport)->Unit(benchmark::kMicrosecond);

void BM_bareDistanceLoopFloor(benchmark::State& state)
{
    lf_loadAirports();
    std::size_t i = 0;
    for (auto _ : state) {
        const LatLon p = kPositions[i++ % 5];
        double best = 1e9;
        for (const auto& airport : g_airports) {
            best = std::min(best, gf_distanceNm(p, {airport.lat, airport.lon}));
        }
        benchmark::DoNotOptimize(best);
    }
}
BENCHMARK(BM_bareDistanceLoopFloor)->Unit(benchmark::kMicrosecond);

} // namespace
