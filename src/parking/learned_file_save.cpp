// Saving what was learned about the park airport's stands into its learned park file.
#include "parking/static_parking.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/sim_choice.h"
#include "core/text_strings.h"
#include "core/time_text.h"
#include "engine/learned_updates.h"
#include "parking/apf.h"
#include "parking/apf_sources.h"
#include "parking/learned_kept_aside.h"
#include "parking/park_airport.h"
#include "parking/park_file_load.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace {

void lf_createFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec && ec != std::errc::no_such_file_or_directory)
        throw std::filesystem::filesystem_error("create_directories", folder, ec);
}

// The stands worth keeping: learned ones only (archived uses dropped) with what the stands could
// not take, or all of a handmade file.
Apf lf_learnedApf()
{
    Apf apf;
    apf.icao = g_parkAirport;
    apf.airport_name = g_parkFileHeader.airportName;
    apf.altitude = g_parkFileHeader.altitude;
    apf.publisher = g_parkFileHeader.publisher;
    if (g_apfHandmade) {
        apf.stands = g_stands;
        std::tie(apf.Qf_real, apf.Qf_soft) = gf_computeQualityFactors();
        return apf;
    }
    apf.keptAside = g_learnedKeptAside;
    for (Stand& stand : g_stands) {
        std::erase_if(stand.options, [](const ParkOpt& option) { return option.archived == 1; });
        if (stand.manual || stand.radius_change || stand.cargo_change || !stand.options.empty())
            apf.stands.push_back(stand);
    }
    return apf;
}

} // namespace

void lf_saveLearnedApf()
{
    std::filesystem::path path;
    try {
        const Apf apf = lf_learnedApf();
        const std::filesystem::path folder = gf_learnedFolder(g_parkFileHeader.publisher);
        path = folder / gf_utf8ToPath(g_parkAirport + ".xml");
        lf_createFolder(folder);
        if (gf_writeApf(apf, path, kApfLearned, g_parkFileHeader.sim != 0 ? g_parkFileHeader.sim : gf_simNumber())) {
            const std::uint32_t updates = gf_learnedUpdates();
            gf_log(fmt::format("{}{} '{}' saved with {} update{}", gf_nowTime(), g_apfHandmade ? " handmade" : "",
                               path_to_utf8(path), updates, gf_plural(updates)));
            return;
        }
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}", "lf_saveLearnedApf", e.what()));
    }
    gf_log(fmt::format("{} saving '{}' did not succeed", gf_nowTime(), path_to_utf8(path)));
}
