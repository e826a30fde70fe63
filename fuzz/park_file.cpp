// A park file: read as the park airport's reference file (header, stands, quality factors),
// then read again as the learned file merged over the stands it gave. The caller of the
// loader reports what it throws. Stands, header and the per-airport settings start afresh
// for every input.
#include "core/airport_settings.h"
#include "core/run_state.h"
#include "parking/airport_settings_snapshot.h"
#include "parking/park_airport.h"
#include "parking/park_file_load.h"
#include "parking/stand.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <exception>
#include <vector>

namespace {

constexpr const char* kReference = "airports\\my_thirdparty\\EDDF.xml";

void lf_freshAirport()
{
    fuzzsupport::clearRamFolder();
    gf_resetRunState(RunStateArea::Engine);
    g_airportSettingsSnapshot = {};
    gf_applyAirportSettings();
    g_parkFileHeader = {};
    g_parkAirport = "EDDF";
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgramWithReferenceData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    lf_freshAirport();
    const auto path = fuzzsupport::writeInput("airports/my_thirdparty/EDDF.xml", fuzzsupport::bytes(data, size));
    try {
        gf_readApf(kReference, g_parkFileHeader);
    } catch (const std::exception&) {
    }
    std::vector<Stand> stands = g_stands;
    bool handmade = false;
    lf_readLearned(path, g_parkFileHeader, stands, handmade);
    return 0;
}
