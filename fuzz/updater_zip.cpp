// A downloaded archive as the updater takes it: the download's zip check, then unzipped as
// the new program's installer and unpacked as the simulator maker's add-on airports. The
// start-up reports what the update check throws.
#include "core/version_data.h"
#include "refdata/download_checks.h"
#include "refdata/updater.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <exception>
#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::clearRamFolder();
    const auto path = fuzzsupport::writeInput("my_simaddon2024.zip", fuzzsupport::bytes(data, size));
    if (!gf_checkZipFile(path).empty())
        return 0;
    try {
        lf_unzipInstaller(path);
        lf_unpackMySimAddon(VersionData(1, 0, 0));
    } catch (const std::exception&) {
    }
    return 0;
}
