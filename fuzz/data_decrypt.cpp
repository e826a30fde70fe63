// A data file as downloaded: decrypted with the program's key into its plain file, which must
// not stay behind when the file is damaged.
#include "refdata/data_crypt.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::clearRamFolder();
    const auto input = fuzzsupport::writeInput("input/dbase.enc", fuzzsupport::bytes(data, size));
    const auto output = fuzzsupport::ramFolder() / "input" / "dbase.xml";
    const bool decrypted = gf_streamDecrypt(input, output);
    if (!decrypted && std::filesystem::exists(output))
        std::abort();
    return 0;
}
