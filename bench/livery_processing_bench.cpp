// Start-up processing of scanned liveries (60,000 liveries, 20,000 registrations, 30,000 AIG
// regcode records) against pugixml's bare parse of the same two files.
#include "core/settings.h"
#include "core/xml_file.h"
#include "liveries/livery_processing.h"
#include "liveries/livery_tables.h"
#include "refdata/aircraft_db.h"
#include "refdata/data_crypt.h"
#include "support/livery_fixtures.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <algorithm>

namespace {

constexpr std::size_t kLiveries = 60000;
constexpr std::size_t kRegistrations = 20000;
constexpr std::size_t kAigRecords = 30000;

// A working folder with the database loaded, the scan result and the AIG regcode file.
class LargeScan {
public:
    LargeScan()
    {
        testsupport::writeSmallReferenceData(m_folder.path());
        gf_readDbase();
        std::vector<LiveryData> liveries = testsupport::largeLiveries(kLiveries, kRegistrations);
        // In the order the livery scan writes its result.
        std::stable_sort(liveries.begin(), liveries.end());
        testsupport::writeLiveriesScanned(m_folder.path(), liveries);
        std::vector<testsupport::XmlRow> aig;
        aig.reserve(kAigRecords);
        for (std::size_t i = 0; i < kAigRecords; ++i) {
            // Two of three records name an installed livery; every tenth is special.
            const std::string title = i % 3 == 2 ? fmt::format("Other livery {}", i) : liveries[i * 2].title;
            aig.push_back(testsupport::aigLivery(title, fmt::format("A-{:05},B-{:05}", i, i), i % 10 == 0));
        }
        testsupport::writeAigRegcodes(m_folder.path(), aig);
        RANDOM.value = false;
        HIGH_PERF_AIRCRAFT.value = false;
        HELICOPTERS.value = false;
    }

private:
    testsupport::TempFolder m_folder{true};
};

} // namespace

static void BM_processScannedLiveries(benchmark::State& state)
{
    LargeScan scan;
    for (auto _ : state) {
        // The start-up processes into empty tables, once per process: emptying the previous
        // iteration's tables is not part of it.
        state.PauseTiming();
        gf_clearLiveryTables();
        g_liveriesProcessed = false;
        state.ResumeTiming();
        gf_processScannedLiveries();
    }
    state.counters["titles"] = static_cast<double>(g_modelTitles[kPax].size());
}
BENCHMARK(BM_processScannedLiveries)->Unit(benchmark::kMillisecond);

static void BM_bareParseFloor(benchmark::State& state)
{
    LargeScan scan;
    for (auto _ : state) {
        gf_streamDecrypt("input/AIG-regcodes.enc", "input/AIG-regcodes.xml");
        pugi::xml_document liveries;
        pugi::xml_document aig;
        benchmark::DoNotOptimize(gf_loadXmlFile(liveries, "output/LiveriesScanned.xml"));
        benchmark::DoNotOptimize(gf_loadXmlFile(aig, "input/AIG-regcodes.xml"));
    }
}
BENCHMARK(BM_bareParseFloor)->Unit(benchmark::kMillisecond);
