// One compiled scenery file (".bgl") through the add-on airport scan's task: the cheap test of
// its section table, then every airport record with its parking and helipads, linked or made
// into a generated park file. The task balances the running-task count that the pool raised.
#include "parking/addon_airport_scan.h"
#include "parking/bgl_reader.h"
#include "parking/scan_messages.h"
#include "support/fuzz_input.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgramWithReferenceData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto path =
        fuzzsupport::writeInput("Community/scenery-package/scenery/airport.bgl", fuzzsupport::bytes(data, size));
    if (!lf_bglHasAirportSection(path))
        return 0;
    ScanOutputs outputs;
    std::atomic<std::int32_t> runningTasks{1};
    const BglScanContext context{
        lf_addScanMessage,
        [&outputs](Apf& apf, std::int32_t& archivedCount, const std::filesystem::path& bglPath) {
            return lf_linkArchivedApf(apf, archivedCount, bglPath, outputs);
        },
        [&outputs](Apf& apf, std::int32_t helipadCount) { lf_generateApf(apf, helipadCount, outputs); },
        &runningTasks, {}};
    lf_processBGLfile(path, context);
    if (runningTasks.load() != 0)
        std::abort();
    gf_takeScanMessages();
    return 0;
}
