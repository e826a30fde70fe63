// The add-on airport scan over a Community folder of 100 airport add-ons, each with its airport
// file (half of them linked to a publisher's archived park file, half generated from their 120
// stands) and 29 other scenery files: 3,000 ".bgl" files. On an idle machine it is held against
// the walk plus reading the same files on all cores; with a busy-loop thread on every core
// beside it, against the same scan with one worker.
#include "core/scan_pool.h"
#include "core/program_folders.h"
#include "core/sim_choice.h"
#include "parking/addon_airport_scan.h"
#include "parking/scan_messages.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "support/bench_floor.h"
#include "support/bgl_builder.h"
#include "support/program_state.h"
#include "support/scan_bench_load.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <mutex>

namespace fs = std::filesystem;

namespace {

constexpr int kAddons = 100;
constexpr int kOtherFiles = 29;
constexpr int kStands = 120;
constexpr std::size_t kOtherFileBytes = 4096;

std::string lf_icao(int addon)
{
    return fmt::format("K{}{}{}", static_cast<char>('A' + addon / 26 % 26), static_cast<char>('A' + addon % 26), 'X');
}

testsupport::BglAirport lf_airport(const std::string& icao)
{
    testsupport::BglAirport airport;
    airport.ident = icao;
    for (int i = 1; i <= kStands; ++i) {
        airport.parkings.push_back({12, 8, static_cast<std::uint32_t>(i), 20.0f, 90.0f, 40.0 + i * 0.001, -90.0});
    }
    return airport;
}

// A scenery file without airports: its second section is of another type, and it is padded to
// the size of a small object library.
std::string lf_otherSceneryFile()
{
    std::string bytes = testsupport::bglFile({});
    testsupport::setBglWord(bytes, 0x38 + 20, 0x2C);
    bytes.resize(kOtherFileBytes, '\0');
    return bytes;
}

// The working folder, the airport database and publisher lists, and the Community folder.
class AddonTree {
public:
    AddonTree()
    {
        testsupport::useAppDataRoot(m_folder.path());
        g_msfs2020 = true;
        g_publisherTable = {{"FlyTampa", "flytampa"}};
        ThirdPartyList archived{"FlyTampa", {}};
        const std::string other = lf_otherSceneryFile();
        for (int addon = 0; addon < kAddons; ++addon) {
            const std::string icao = lf_icao(addon);
            g_airportCodes.insert(icao);
            const bool linked = addon % 2 == 0;
            const fs::path package = root() / fmt::format("{}-{}", linked ? "flytampa" : "somedev", icao);
            if (linked) {
                archived.airports.push_back(fmt::format("{} {}", icao, kStands));
            }
            testsupport::writeBgl(package / "scenery" / (icao + ".bgl"), {lf_airport(icao)});
            for (int file = 0; file < kOtherFiles; ++file) {
                testsupport::writeFile(package / "scenery" / fmt::format("objects_{:02}.bgl", file), other);
            }
        }
        g_thirdParties20 = {archived};
        fs::create_directories(folders::myThirdparty());
    }

    fs::path root() const { return m_folder / "Community"; }

private:
    testsupport::TempFolder m_folder{true};
};

const AddonTree& lf_tree()
{
    static const AddonTree tree;
    return tree;
}

std::size_t lf_walkAndRead(const fs::path& root)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file() && entry.path().extension() == ".bgl") {
            files.push_back(entry.path());
        }
    }
    return testsupport::readFilesOnAllCores(files);
}

// The scan of the Community folder with the given number of workers; the scan log's line count.
std::size_t lf_scan(const fs::path& root, unsigned workers)
{
    g_workerCount = static_cast<std::int32_t>(workers);
    {
        const std::lock_guard lock(g_scanMessageMutex);
        g_scanMessages.clear();
    }
    lf_scanFolderChecked({root});
    return gf_takeScanMessages().size();
}

} // namespace

static void BM_addonAirportScan(benchmark::State& state)
{
    const fs::path root = lf_tree().root();
    testsupport::measureAgainstFloor(
        state, [&] { benchmark::DoNotOptimize(lf_scan(root, testsupport::coreCount())); },
        [&] { benchmark::DoNotOptimize(lf_walkAndRead(root)); });
    state.counters["log_lines"] = static_cast<double>(lf_scan(root, testsupport::coreCount()));
}
BENCHMARK(BM_addonAirportScan)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_addonAirportScanMachineBusy(benchmark::State& state)
{
    const fs::path root = lf_tree().root();
    const testsupport::BusyMachine busy;
    testsupport::measureAgainstFloor(
        state, [&] { benchmark::DoNotOptimize(lf_scan(root, testsupport::coreCount())); },
        [&] { benchmark::DoNotOptimize(lf_scan(root, 1)); });
}
// Few iterations: the busy-loop threads take every core of a shared machine while they run.
BENCHMARK(BM_addonAirportScanMachineBusy)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
