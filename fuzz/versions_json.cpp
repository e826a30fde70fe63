// "versions.json" as the start-up's update check takes it from the download host: the
// download's JSON check, then the version of every key the check compares. The same bytes
// also go through the version text reader. The start-up reports what the check throws.
#include "core/version_data.h"
#include "refdata/download_checks.h"
#include "refdata/updater.h"
#include "support/fuzz_input.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzzsupport::bytes(data, size);
    VersionData{input};
    const auto path = fuzzsupport::writeInput("versions.json", input);
    if (!gf_checkJsonFile(path).empty())
        return 0;
    try {
        if (const auto versions = lf_readVersionsFile(path)) {
            for (const char* key : {"msfs", "simaddon", "airports", "aig", "liveries", "addons", "dbase"})
                lf_webVersion(*versions, key);
        }
    } catch (const std::exception&) {
    }
    return 0;
}
