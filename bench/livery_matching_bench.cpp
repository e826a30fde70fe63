// Livery matching against 60,000 liveries with 4,000 registration-bound titles and 100 refused
// titles, RANDOM off and on, against a bare airline-and-model lookup of the same identities.
#include "core/settings.h"
#include "liveries/livery_matching.h"
#include "liveries/livery_processing.h"
#include "refdata/aircraft_db.h"
#include "simlink/flight_plans.h"
#include "support/livery_fixtures.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

namespace {

constexpr std::size_t kLiveries = 60000;
constexpr std::size_t kBoundTitles = 4000;
constexpr std::size_t kFailedTitles = 100;
constexpr std::size_t kIdentities = 1000;

class MatchingTables {
public:
    MatchingTables()
    {
        testsupport::writeSmallReferenceData(m_folder.path());
        gf_readDbase();
        const std::vector<LiveryData> liveries = testsupport::largeLiveries(kLiveries, 20000);
        testsupport::writeLiveriesScanned(m_folder.path(), liveries);
        std::vector<testsupport::XmlRow> bound;
        for (std::size_t i = 0; i < kBoundTitles; ++i) {
            bound.push_back(testsupport::aigLivery(liveries[i * 15].title, fmt::format("B-{:05}", i), true));
        }
        testsupport::writeAigRegcodes(m_folder.path(), bound);
        HIGH_PERF_AIRCRAFT.value = false;
        HELICOPTERS.value = false;
        gf_processScannedLiveries();
        for (std::size_t i = 0; i < kFailedTitles; ++i) {
            g_failedLiveries.insert(liveries[i * 600 + 1].title);
        }
        identities.reserve(kIdentities);
        for (std::size_t i = 0; i < kIdentities; ++i) {
            AircraftData ac;
            ac.callsign = fmt::format("CS{}", i);
            // Airlines beyond the installed 300 and types beyond the installed 40 walk down the ladder.
            ac.airline = fmt::format("A{:02}", (i * 7) % 330);
            ac.type = fmt::format("T{:03}", (i * 3) % 44);
            ac.registration = i % 4 == 0 ? fmt::format("R{:06}", i * 5) : std::string();
            ac.category = gf_aircraftSizeClass(ac.type);
            ac.cargo = i % 9 == 0 ? 1 : 0;
            identities.push_back(std::move(ac));
        }
    }

    std::vector<AircraftData> identities;

private:
    testsupport::TempFolder m_folder{true};
};

} // namespace

static void BM_matchLivery(benchmark::State& state)
{
    MatchingTables tables;
    RANDOM.value = state.range(0) != 0;
    std::size_t next = 0;
    for (auto _ : state) {
        AircraftData& ac = tables.identities[next++ % kIdentities];
        gf_matchLivery(ac);
        benchmark::DoNotOptimize(ac.livery.data());
    }
    state.SetLabel(RANDOM.value ? "RANDOM on" : "RANDOM off");
}
BENCHMARK(BM_matchLivery)->Arg(0)->Arg(1)->Iterations(100000)->Unit(benchmark::kMicrosecond);

static void BM_bareLookupFloor(benchmark::State& state)
{
    MatchingTables tables;
    std::size_t next = 0;
    for (auto _ : state) {
        const AircraftData& ac = tables.identities[next++ % kIdentities];
        const auto airline = g_airlineModelTitles[kPax].find(std::string_view(ac.airline));
        if (airline != g_airlineModelTitles[kPax].end()) {
            const auto model = airline->second.find(std::string_view(ac.type));
            benchmark::DoNotOptimize(model);
        }
    }
}
BENCHMARK(BM_bareLookupFloor)->Iterations(100000)->Unit(benchmark::kMicrosecond);
