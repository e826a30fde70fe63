// The simulator's "UserCfg.opt" as the start-up reads it to find the packages folder from
// its "InstalledPackagesPath" line. The start-up reports what it throws.
#include "core/known_folders.h"
#include "refdata/packages_folder.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::clearRamFolder();
    const auto file = gf_localAppDataPath() / "MSFSPackages" / "UserCfg.opt";
    fuzzsupport::writeInput(file.lexically_relative(fuzzsupport::ramFolder()), fuzzsupport::bytes(data, size));
    try {
        gf_detectMsfsPackagesPath();
    } catch (const std::exception&) {
    }
    return 0;
}
