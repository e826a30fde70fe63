// The livery scan over 3,000 aircraft.cfg files of eight liveries each, against reading the
// same files bare (whole file into memory, one after the other); "ratio" is scan / bare.
#include "app/start_up_state.h"
#include "liveries/livery_data.h"
#include "liveries/livery_scan.h"
#include "liveries/scan_report.h"
#include "refdata/aircraft_db.h"
#include "support/aircraft_cfg_tree.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr std::size_t kFiles = 3000;
constexpr std::size_t kSections = 8;

// A working folder with the database loaded and the tree of AI packages.
class LargeTree {
public:
    LargeTree()
    {
        testsupport::writeSmallReferenceData(m_folder.path());
        gf_readDbase();
        paths = testsupport::writeLargeCfgTree(root(), kFiles, kSections);
        const unsigned hardware = std::thread::hardware_concurrency();
        g_workerCount = hardware == 0 ? 2 : static_cast<std::int32_t>(hardware);
    }

    std::filesystem::path root() const { return m_folder / "Community"; }
    std::vector<std::filesystem::path> paths;

private:
    testsupport::TempFolder m_folder{true};
};

std::size_t lf_readBare(const std::vector<std::filesystem::path>& paths)
{
    std::size_t bytes = 0;
    for (const auto& path : paths) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        bytes += text.str().size();
    }
    return bytes;
}

std::size_t lf_scan(const std::filesystem::path& root)
{
    g_scannedLiveries.clear();
    lf_resetScanResults();
    lf_scanLiveryFolder(1, root);
    return g_scannedLiveries.size();
}

double lf_seconds(const std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

static void BM_liveryScan(benchmark::State& state)
{
    LargeTree tree;
    double scanSeconds = 0;
    double bareSeconds = 0;
    std::size_t liveries = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(lf_readBare(tree.paths));
        bareSeconds += lf_seconds(start);
        state.ResumeTiming();
        start = std::chrono::steady_clock::now();
        liveries = lf_scan(tree.root());
        scanSeconds += lf_seconds(start);
    }
    state.counters["liveries"] = static_cast<double>(liveries);
    state.counters["bare_ms"] = 1000.0 * bareSeconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = scanSeconds / bareSeconds;
}
BENCHMARK(BM_liveryScan)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_bareReadFloor(benchmark::State& state)
{
    LargeTree tree;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lf_readBare(tree.paths));
    }
}
BENCHMARK(BM_bareReadFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
