// "parameters.xml" as the start-up reads it: every setting from its "parameter" element, a
// missing one appended, an old file migrated. The start-up reports what it throws; every
// setting is read or defaulted, so no value of an earlier input survives.
#include "core/parameters_xml.h"
#include "core/program_folders.h"
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
    const std::filesystem::path& path = g_parametersPath;
    fuzzsupport::writeInput(path.lexically_relative(fuzzsupport::ramFolder()), fuzzsupport::bytes(data, size));
    try {
        gf_initParameters();
    } catch (const std::exception&) {
    }
    return 0;
}
