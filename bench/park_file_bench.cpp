// Reading and writing the park file of a large airport (1,500 stands with 50 learned uses each,
// neighbour lists included) against pugixml's bare parse and save of the same file.
#include "parking/apf.h"
#include "support/park_file_builder.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kStands = 1500;
constexpr int kOptionsPerStand = 50;

const std::string& largeParkFile()
{
    static const std::string xml = testsupport::parkFileXml(testsupport::largeAirportStands(kStands, kOptionsPerStand));
    return xml;
}

void lf_readLargeFile(const std::filesystem::path& path)
{
    gf_clearParkPositions();
    pugi::xml_document document;
    document.load_file(path.c_str());
    lf_readParkpositions(document);
    gf_numberStandsAndFindNeighbours(g_stands);
}

} // namespace

static void BM_readParkFile(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    testsupport::writeFile("EDDF.xml", largeParkFile());
    for (auto _ : state) {
        lf_readLargeFile("EDDF.xml");
        benchmark::DoNotOptimize(g_stands.data());
    }
    state.counters["stands"] = static_cast<double>(g_stands.size());
}
BENCHMARK(BM_readParkFile)->Unit(benchmark::kMillisecond);

static void BM_writeLearnedParkFile(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    testsupport::writeFile("EDDF.xml", largeParkFile());
    lf_readLargeFile("EDDF.xml");
    Apf apf;
    apf.icao = "EDDF";
    apf.publisher = "stock";
    apf.stands = g_stands;
    g_apfHandmade = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_writeApf(apf, "learned.xml", kApfLearned, 1));
    }
}
BENCHMARK(BM_writeLearnedParkFile)->Unit(benchmark::kMillisecond);

static void BM_bareParseFloor(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    testsupport::writeFile("EDDF.xml", largeParkFile());
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file("EDDF.xml"));
    }
}
BENCHMARK(BM_bareParseFloor)->Unit(benchmark::kMillisecond);

static void BM_bareSaveFloor(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    pugi::xml_document document;
    document.load_string(largeParkFile().c_str());
    for (auto _ : state) {
        benchmark::DoNotOptimize(document.save_file("bare.xml", "  "));
    }
}
BENCHMARK(BM_bareSaveFloor)->Unit(benchmark::kMillisecond);

// The parts of a read: the stand list from a parsed document, and the neighbour lists.
static void BM_standsFromParsedDocument(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_string(largeParkFile().c_str());
    for (auto _ : state) {
        gf_clearParkPositions();
        lf_readParkpositions(document);
    }
}
BENCHMARK(BM_standsFromParsedDocument)->Unit(benchmark::kMillisecond);

static void BM_neighbourLists(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_string(largeParkFile().c_str());
    gf_clearParkPositions();
    lf_readParkpositions(document);
    for (auto _ : state) {
        gf_numberStandsAndFindNeighbours(g_stands);
    }
}
BENCHMARK(BM_neighbourLists)->Unit(benchmark::kMillisecond);
