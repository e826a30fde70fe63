// Nearest stand of an airport, from the stands of its reference park file; archived files come
// through the fetch worker and their stands are kept.
#include "parking/closest_stand.h"

#include "core/clock.h"
#include "core/log.h"
#include "core/program_folders.h"
#include "core/run_state.h"
#include "core/xml_file.h"
#include "parking/apf_sources.h"
#include "parking/park_file_fetch.h"

#include <fmt/format.h>

#include <chrono>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

constexpr double kNoStand = 100.0;
constexpr auto kRetryAfter = std::chrono::minutes(10);

struct StandPoint {
    std::string id;
    LatLon position;
};
using StandPoints = std::vector<StandPoint>;

// Stands of fetched archive files by ICAO code: written by the fetch worker, read on the main loop.
std::mutex g_closestStandsMutex;
std::map<std::string, StandPoints> g_fetchedStands;
// When a fetch failed, by ICAO code (main loop thread).
std::map<std::string, clk::SteadyTime> g_failedStandFetches;

const RunStateRegistration lf_runState{
    RUN_STATE_LOCKED(RunStateArea::Engine, g_closestStandsMutex, g_fetchedStands),
    RUN_STATE(RunStateArea::Engine, g_failedStandFetches),
};

// Removes the downloaded copy when the lookup is done with it.
struct DownloadedCopy {
    std::filesystem::path path;
    ~DownloadedCopy()
    {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

// The stands of a park file; none when it holds no stand list.
StandPoints lf_standPoints(const std::filesystem::path& file)
{
    pugi::xml_document document;
    StandPoints stands;
    if (!gf_loadXmlFile(document, file, pugi::parse_default)) {
        return stands;
    }
    for (const pugi::xml_node parkpos : document.child("root").child("parkpositions").children("parkpos")) {
        stands.push_back({parkpos.attribute("id").as_string(),
                          {parkpos.attribute("latitude").as_double(), parkpos.attribute("longitude").as_double()}});
    }
    return stands;
}

// The nearest stand; ties keep the first.
double lf_nearestStand(const StandPoints& stands, const LatLon& position, std::string& standId)
{
    double nearest = kNoStand;
    bool found = false;
    for (const StandPoint& stand : stands) {
        const double distance = gf_distanceNm(position, stand.position);
        if (!found || distance < nearest) {
            found = true;
            nearest = distance;
            standId = stand.id;
        }
    }
    return nearest;
}

// Work of the fetch worker: the archived file is downloaded, its stands kept, the copy removed.
std::string lf_fetchStands(const std::string& icao, const std::string& reference)
{
    const DownloadedCopy copy{folders::airports() / "airport.xml"};
    if (std::string status = lf_downloadApf(reference, copy.path); !status.empty()) {
        return status;
    }
    StandPoints stands = lf_standPoints(copy.path);
    const std::lock_guard lock(g_closestStandsMutex);
    g_fetchedStands[icao] = std::move(stands);
    return {};
}

// A failed fetch counts as no file until it is 10 minutes old; then it is asked again.
std::optional<double> lf_failedFetch(const std::string& icao, const std::string& key)
{
    const auto failure = g_failedStandFetches.try_emplace(icao, clk::steadyNow()).first;
    if (clk::steadyNow() - failure->second < kRetryAfter) {
        return kNoStand;
    }
    g_failedStandFetches.erase(failure);
    gf_takeFetchOutcome(key);
    return std::nullopt;
}

std::optional<double> lf_archivedClosestStand(const std::string& icao, const std::string& reference,
                                              const LatLon& position, std::string& standId)
{
    const std::string key = "closest stand " + icao;
    const auto status = gf_fetchOutcome(key, [icao, reference] { return lf_fetchStands(icao, reference); });
    if (!status) {
        return std::nullopt;
    }
    if (!status->empty()) {
        return lf_failedFetch(icao, key);
    }
    const std::lock_guard lock(g_closestStandsMutex);
    return lf_nearestStand(g_fetchedStands[icao], position, standId);
}

std::optional<double> lf_closestStand(const std::string& icao, const LatLon& position, std::string& standId)
{
    const std::string reference = gf_archivedStockFileExists(icao);
    if (reference.empty()) {
        return kNoStand;
    }
    if (reference.rfind(kAirportsPrefix, 0) != 0) {
        return lf_archivedClosestStand(icao, reference, position, standId);
    }
    return lf_nearestStand(lf_standPoints(gf_referencePath(reference)), position, standId);
}

} // namespace

std::optional<double> gf_readDestApfForClosestStand(const std::string& icao, const LatLon& position,
                                                    std::string& standId)
{
    standId.clear();
    try {
        return lf_closestStand(icao, position, standId);
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "gf_readDestApfForClosestStand", e.what()));
        standId.clear();
        return kNoStand;
    }
}
