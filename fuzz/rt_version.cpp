// RealTraffic's reply to the version request: its edition and the text of the panel.
// Nothing may escape the reader.
#include "support/fuzz_input.h"
#include "traffic/rt_link.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    lf_processRTVersion(fuzzsupport::bytes(data, size));
    return 0;
}
