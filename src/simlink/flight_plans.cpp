// AI flight-plan files and the record of liveries the simulator refused.
#include "simlink/flight_plans.h"
#include "core/run_state.h"

#include "core/log.h"
#include "core/program_folders.h"
#include "core/stop_flags.h"
#include "core/user_error.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <fstream>
#include <system_error>

std::filesystem::path g_flightPlanFolder;
std::unordered_map<std::uint32_t, std::string_view> g_liveryTitleCache;
StringSet g_failedLiveries;
StringSet g_failedLiveryList;

namespace {

constexpr std::size_t kMostFailedLiveries = 20;
constexpr const char* kTooManyFailed = "There are too many liveries that could not be created!";

// Airport codes come from the network feed: they must not break the XML.
std::string lf_xmlText(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

bool lf_fliesIfr(Category category)
{
    return category == Category::Buzjet || category == Category::Large || category == Category::Heavy;
}

} // namespace

bool gf_createFlightPlanFolder()
{
    g_flightPlanFolder = g_appFolder / "orig_dest";
    std::error_code error;
    std::filesystem::create_directories(g_flightPlanFolder, error);
    if (error) {
        gf_log(fmt::format("gf_createFlightPlanFolder: {}", error.message()));
    }
    return std::filesystem::exists(g_flightPlanFolder);
}

std::filesystem::path gf_flightPlanPath(std::uint32_t objectId)
{
    return g_flightPlanFolder / fmt::format("{}.pln", objectId);
}

bool gf_writeFlightPlan(const std::filesystem::path& path, const AircraftData& aircraft)
{
    std::ofstream file(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file) {
        return false;
    }
    const std::string plan = fmt::format(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n"
        "<FlightPlan.FlightPlan>\n"
        "<FPType>{}</FPType>\n"
        "<DepartureID>{}</DepartureID>\n"
        "<DestinationID>{}</DestinationID>\n"
        "</FlightPlan.FlightPlan>\n"
        "</SimBase.Document>\n"
        "\n",
        lf_fliesIfr(aircraft.category) ? "IFR" : "VFR", lf_xmlText(aircraft.origin), lf_xmlText(aircraft.destination));
    file << plan;
    file.close();
    return !file.fail();
}

std::optional<std::string_view> gf_cachedLiveryTitle(std::uint32_t aircraftId)
{
    const auto cached = g_liveryTitleCache.find(aircraftId);
    if (cached == g_liveryTitleCache.end()) {
        return std::nullopt;
    }
    if (g_failedLiveries.contains(cached->second)) {
        g_liveryTitleCache.erase(cached);
        return std::nullopt;
    }
    return cached->second;
}

void gf_noteFailedLivery(const AircraftData& aircraft)
{
    if (!g_stopRequested.load() && !g_exitRequested.load()) {
        gf_showMessage(fmt::format("{} '{}' could not be created by your Sim!", aircraft.callsign, aircraft.livery),
                       true);
    }
    g_failedLiveries.emplace(aircraft.livery);
    g_failedLiveryList.insert(aircraft.type + " " + aircraft.airline);
    if (g_failedLiveries.size() >= kMostFailedLiveries) {
        gf_log(fmt::format("\n{}Error 81, {}\n", "===> ", kTooManyFailed));
        throw vtx::UserErrorException(81, fmt::format("{}, see Log.txt", kTooManyFailed));
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Simulator, g_flightPlanFolder),
    RUN_STATE(RunStateArea::Engine, g_liveryTitleCache, g_failedLiveryList),
};

} // namespace
