// One weather datagram through the QNH Reader: parsed, its "QNH" checked and published.
// Nothing may escape the reader; the last QNH starts at 1013 for every input.
#include "support/fuzz_input.h"
#include "traffic/qnh_reader.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgram();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    g_qnhReader.resetQnh();
    g_qnhReader.handleWeather(fuzzsupport::bytes(data, size));
    return 0;
}
