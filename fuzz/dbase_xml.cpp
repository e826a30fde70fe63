// The aircraft database's plain XML, reached through the decryption of "input/dbase.enc" (a
// fuzzed encrypted file would never pass its check). The start-up reports what it throws.
#include "refdata/aircraft_db.h"
#include "support/fuzz_input.h"
#include "support/reference_xml.h"

#include <cstdint>
#include <exception>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::clearRamFolder();
    testsupport::writeEncryptedInput(fuzzsupport::ramFolder(), "dbase.enc", std::string(fuzzsupport::bytes(data, size)));
    try {
        gf_readDbase();
    } catch (const std::exception&) {
    }
    return 0;
}
