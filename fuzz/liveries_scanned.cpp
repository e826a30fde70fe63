// "LiveriesScanned.xml" as the start-up reads it back: every "liv" with its attributes. The
// start-up reports the user errors and faults it throws.
#include "core/program_folders.h"
#include "liveries/livery_data.h"
#include "liveries/liveries_scanned_xml.h"
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
    fuzzsupport::writeInput(folders::liveriesScannedXml(), fuzzsupport::bytes(data, size));
    try {
        lf_readLiveriesScannedXml();
    } catch (const std::exception&) {
    }
    g_scannedLiveries.clear();
    return 0;
}
