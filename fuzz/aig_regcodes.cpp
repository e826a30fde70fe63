// The AIG regcode file as decrypted: its meta header and the "livery" rows with their titles
// and registrations. The reader reports every fault itself; nothing may escape it.
#include "core/program_folders.h"
#include "liveries/regcodes.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <list>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::writeInput(folders::aigRegcodesXml(), fuzzsupport::bytes(data, size));
    std::list<RegcodeRecord> records;
    gf_readAigRegcodesXml(records);
    return 0;
}
