// A scenery package's "manifest.json" as the add-on airport scan reads it to find the
// publisher of a ".bgl" file. The scan task reports what the lookup throws; its messages are
// emptied after every input.
#include "parking/publisher_lookup.h"
#include "parking/scan_messages.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgramWithReferenceData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::writeInput("Community/package/manifest.json", fuzzsupport::bytes(data, size));
    try {
        gf_findPublisher(fuzzsupport::ramFolder() / "Community/package/scenery/airport.bgl");
    } catch (const std::exception&) {
    }
    gf_takeScanMessages();
    return 0;
}
