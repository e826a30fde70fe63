// A user's regcode file (".TXT" in "my_regcodes"): titles with their registrations, line by
// line. The reader reports every fault itself; nothing may escape it.
#include "core/program_folders.h"
#include "liveries/regcodes.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <list>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgramWithReferenceData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::writeInput(folders::myRegcodes() / "fuzz.TXT", fuzzsupport::bytes(data, size));
    std::list<RegcodeRecord> records;
    gf_readRegcodeFiles(folders::myRegcodes(), records);
    return 0;
}
