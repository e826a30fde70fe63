// One aircraft.cfg through both scan task bodies: an ordinary AI package's file and an IVAO
// MTL file, read in their charset and cut into [fltsim.N] sections, and each task's findings
// merged as the scan merges them. The scan reports what a task throws. The report lists, the
// scan's titles and its liveries start empty for every input.
#include "liveries/aircraft_cfg.h"
#include "liveries/livery_data.h"
#include "liveries/scan_report.h"
#include "support/fuzz_input.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kDontUseTitles = {"Do Not Use"};

template <typename Task>
void lf_runTask(Task task, const std::filesystem::path& path)
{
    try {
        lf_mergeCfgFindings(task(0, path, kDontUseTitles));
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initProgramWithReferenceData();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    lf_resetScanResults();
    g_scannedLiveries.clear();
    const auto input = fuzzsupport::bytes(data, size);
    lf_runTask(lf_searchLiveriesinFile,
               fuzzsupport::writeInput("Community/ai-package/SimObjects/Airplanes/model/aircraft.cfg", input));
    lf_runTask(lf_searchLiveriesinIVAOFile,
               fuzzsupport::writeInput("Community/IVAO_MTL/SimObjects/Airplanes/IVAO_B738_KLM/aircraft.cfg", input));
    return 0;
}
