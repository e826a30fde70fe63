// The livery scan over 3,000 aircraft.cfg files of eight liveries each. On an idle machine it is
// held against the walk plus reading the same files on all cores; with a busy-loop thread on
// every core beside it, against the same scan parsing every file on one thread.
#include "core/scan_pool.h"
#include "liveries/aircraft_cfg.h"
#include "liveries/livery_data.h"
#include "liveries/livery_scan.h"
#include "liveries/regcodes.h"
#include "liveries/scan_report.h"
#include "refdata/aircraft_db.h"
#include "support/aircraft_cfg_tree.h"
#include "support/bench_floor.h"
#include "support/reference_xml.h"
#include "support/scan_bench_load.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>

#include <iterator>

namespace {

constexpr std::size_t kFiles = 3000;
constexpr std::size_t kSections = 8;

// A working folder with the database loaded and the tree of AI packages, built once.
class LargeTree {
public:
    LargeTree()
    {
        testsupport::writeSmallReferenceData(m_folder.path());
        gf_readDbase();
        testsupport::writeLargeCfgTree(root(), kFiles, kSections);
        g_workerCount = static_cast<std::int32_t>(testsupport::coreCount());
    }

    std::filesystem::path root() const { return m_folder / "Community"; }

private:
    testsupport::TempFolder m_folder{true};
};

const LargeTree& lf_tree()
{
    static const LargeTree tree;
    return tree;
}

// The walk alone: every aircraft.cfg below the root, in listing order.
std::vector<std::filesystem::path> lf_listCfgFiles(const std::filesystem::path& root)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().filename() == "aircraft.cfg") {
            files.push_back(entry.path());
        }
    }
    return files;
}

std::size_t lf_walkAndRead(const std::filesystem::path& root)
{
    return testsupport::readFilesOnAllCores(lf_listCfgFiles(root));
}

std::size_t lf_scan(const std::filesystem::path& root)
{
    g_scannedLiveries.clear();
    lf_resetScanResults();
    lf_scanLiveryFolder(1, root);
    return g_scannedLiveries.size();
}

// The same scan without parallel work: the walk, then each file parsed and merged in turn.
std::size_t lf_scanOnOneThread(const std::filesystem::path& root)
{
    g_scannedLiveries.clear();
    lf_resetScanResults();
    for (const std::filesystem::path& file : lf_listCfgFiles(root)) {
        std::vector<LiveryData> liveries = lf_mergeCfgFindings(lf_searchLiveriesinFile(1, file, g_dontUseTitles));
        g_scannedLiveries.insert(g_scannedLiveries.end(), std::make_move_iterator(liveries.begin()),
                                 std::make_move_iterator(liveries.end()));
    }
    return g_scannedLiveries.size();
}

} // namespace

static void BM_liveryScan(benchmark::State& state)
{
    const std::filesystem::path root = lf_tree().root();
    testsupport::measureAgainstFloor(
        state, [&] { benchmark::DoNotOptimize(lf_scan(root)); },
        [&] { benchmark::DoNotOptimize(lf_walkAndRead(root)); });
    state.counters["liveries"] = static_cast<double>(lf_scan(root));
}
BENCHMARK(BM_liveryScan)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_liveryScanMachineBusy(benchmark::State& state)
{
    const std::filesystem::path root = lf_tree().root();
    const testsupport::BusyMachine busy;
    testsupport::measureAgainstFloor(
        state, [&] { benchmark::DoNotOptimize(lf_scan(root)); },
        [&] { benchmark::DoNotOptimize(lf_scanOnOneThread(root)); });
}
// Few iterations: the busy-loop threads take every core of a shared machine while they run.
BENCHMARK(BM_liveryScanMachineBusy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
