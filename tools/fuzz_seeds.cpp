// Writes the seed corpora of the fuzz targets, one folder per target under the given folder,
// from the fixture builders the tests use, so the seeds follow the formats as they change.
//   fuzz_seeds <folder>
#include "support/traffic_lines.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Seeds = std::vector<std::string>;
using testsupport::TrafficLine;

Seeds lf_trafficLines()
{
    return {
        TrafficLine(),
        TrafficLine().set(4, "0").set(8, "12").set(9, "KLM55").set(17, "mlat"),
        TrafficLine().set(9, "null").set(11, "PH-BXB").set(28, "A1"),
        TrafficLine().set(10, "null"),
        TrafficLine().set(25, "-1").set(20, "-1").set(23, "-1"),
        TrafficLine().text() + "\r\n",
        "rtraffic,4738157,52.3,4.76",
    };
}

// Target name and the function that makes its seeds.
const std::vector<std::pair<std::string, std::function<Seeds()>>> kTargets = {
    {"traffic_line", lf_trafficLines},
};

void lf_writeSeeds(const std::filesystem::path& folder, const Seeds& seeds)
{
    std::filesystem::create_directories(folder);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(folder / ("seed-" + std::to_string(i)), std::ios::binary | std::ios::trunc);
        out << seeds[i];
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path root(argv[1]);
    for (const auto& [name, make] : kTargets)
        lf_writeSeeds(root / name, make());
    return 0;
}
