// "my_park_airports.txt": the user's park airports with their reserved stands. The reader
// reports every fault itself and rebuilds the list from empty; nothing may escape it.
#include "core/program_folders.h"
#include "parking/park_airports.h"
#include "support/fuzz_input.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgramWithReferenceData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::writeInput(folders::myParkAirportsTxt(), fuzzsupport::bytes(data, size));
    lf_readMyParkAirports();
    return 0;
}
