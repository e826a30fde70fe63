// Loading a 300,000-registration aircraft database: decryption, XML parse and table
// building timed apart, against pugixml's bare parse of the same XML as the floor.
#include "refdata/aircraft_db.h"
#include "refdata/data_crypt.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <chrono>

namespace {

constexpr std::size_t kRegistrations = 300000;

const testsupport::TempFolder& lf_folder()
{
    static testsupport::TempFolder folder;
    static const bool written = [] {
        testsupport::writeEncryptedInput(folder.path(), "dbase.enc", testsupport::largeDbase(kRegistrations).text());
        return true;
    }();
    (void)written;
    return folder;
}

double lf_seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The whole load, with decryption and bare parse measured separately in the same iteration.
void BM_readDbase(benchmark::State& state)
{
    const auto& folder = lf_folder();
    std::filesystem::current_path(folder.path());
    double decrypt = 0;
    double parse = 0;
    double total = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        gf_streamDecrypt(gf_dbaseEncPath(), "probe.xml");
        decrypt += lf_seconds(start);
        start = std::chrono::steady_clock::now();
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_file("probe.xml"));
        parse += lf_seconds(start);
        // The program loads into empty tables, once per process: emptying the previous
        // iteration's tables is not part of a load.
        gf_clearAircraftTables();
        start = std::chrono::steady_clock::now();
        if (!gf_readDbase()) {
            state.SkipWithError("gf_readDbase failed");
        }
        total += lf_seconds(start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["decrypt_ms"] = decrypt / n * 1e3;
    state.counters["bare_parse_ms"] = parse / n * 1e3;
    state.counters["tables_ms"] = (total - decrypt - parse) / n * 1e3;
    state.counters["total_ms"] = total / n * 1e3;
    state.counters["total_per_bare_parse"] = total / parse;
    state.counters["registrations"] = static_cast<double>(g_registrations.size());
}
BENCHMARK(BM_readDbase)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
