// Reading and writing the park file of a large airport (1,500 stands with 50 learned uses each,
// neighbour lists included) against their floors: pugixml's parse of the same file with one look
// at every attribute, and the build and save of a document of the written file's shape.
#include "parking/apf.h"
#include "support/park_file_builder.h"
#include "support/temp_folder.h"

#include <benchmark/benchmark.h>

#include <cstring>

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

// The handmade learned file of the large airport, as leaving it saves it.
Apf lf_learnedApf()
{
    testsupport::writeFile("EDDF.xml", largeParkFile());
    lf_readLargeFile("EDDF.xml");
    Apf apf;
    apf.icao = "EDDF";
    apf.publisher = "stock";
    apf.stands = g_stands;
    g_apfHandmade = true;
    return apf;
}

// The least a reader does: look once at every attribute's name and text.
std::size_t lf_walkAttributes(const pugi::xml_node& node)
{
    std::size_t characters = 0;
    for (const pugi::xml_node child : node.children()) {
        for (const pugi::xml_attribute attribute : child.attributes()) {
            characters += std::strlen(attribute.name()) + std::strlen(attribute.value());
        }
        characters += lf_walkAttributes(child);
    }
    return characters;
}

// The least a writer does: append the same elements and attribute texts, taken from a parsed copy.
void lf_copyElements(const pugi::xml_node& from, pugi::xml_node to)
{
    for (const pugi::xml_node child : from.children()) {
        pugi::xml_node copy = to.append_child(child.type());
        copy.set_name(child.name());
        for (const pugi::xml_attribute attribute : child.attributes()) {
            copy.append_attribute(attribute.name()).set_value(attribute.value());
        }
        lf_copyElements(child, copy);
    }
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

static void BM_parseAndAttributeWalkFloor(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    testsupport::writeFile("EDDF.xml", largeParkFile());
    for (auto _ : state) {
        pugi::xml_document document;
        document.load_file("EDDF.xml");
        benchmark::DoNotOptimize(lf_walkAttributes(document));
    }
}
BENCHMARK(BM_parseAndAttributeWalkFloor)->Unit(benchmark::kMillisecond);

static void BM_writeLearnedParkFile(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    const Apf apf = lf_learnedApf();
    for (auto _ : state) {
        benchmark::DoNotOptimize(gf_writeApf(apf, "learned.xml", kApfLearned, 1));
    }
}
BENCHMARK(BM_writeLearnedParkFile)->Unit(benchmark::kMillisecond);

static void BM_buildAndSaveFloor(benchmark::State& state)
{
    testsupport::TempFolder folder(true);
    gf_writeApf(lf_learnedApf(), "learned.xml", kApfLearned, 1);
    pugi::xml_document written;
    written.load_file("learned.xml", pugi::parse_default | pugi::parse_declaration);
    for (auto _ : state) {
        pugi::xml_document document;
        lf_copyElements(written, document);
        benchmark::DoNotOptimize(document.save_file("bare.xml", "  "));
    }
}
BENCHMARK(BM_buildAndSaveFloor)->Unit(benchmark::kMillisecond);

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
