#include "parking/park_airports.h"
#include "core/run_state.h"

#include "core/file_replace.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/text_lines.h"
#include "core/text_strings.h"
#include "engine/stand_lookup.h"
#include "parking/first_park_airport.h"
#include "parking/park_airport.h"
#include "parking/park_load_backoff.h"
#include "parking/stand.h"
#include "refdata/airport_db.h"
#include "simlink/user_aircraft.h"
#include "core/settings.h"
#include "ui/busy_state.h"
#include "ui/control_requests.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <set>
#include <vector>

std::list<ParkAirport> g_parkAirports;
std::string g_reservedStand;
std::atomic<bool> g_destinationAirportSet{false};

namespace {

constexpr const char* kFileName = "my_park_airports.txt";
constexpr std::size_t kManyAirports = 3000;

std::mutex g_requestMutex;
std::vector<ParkAirport> g_addRequests;
std::atomic<bool> g_reservedStandRequested{false};
LatLon g_lastSortPosition{};

bool lf_inList(const std::string& icao)
{
    return std::any_of(g_parkAirports.begin(), g_parkAirports.end(),
                       [&](const ParkAirport& entry) { return entry.icao == icao; });
}

// One line of the file; false when it named an airport the database does not know.
bool lf_readLine(const std::string& line, std::set<std::string>& codes)
{
    const std::vector<std::string> parts = gf_split(line, ',');
    if (parts.size() >= 3) {
        gf_logMarked(fmt::format("{}:{} wrong syntax, skipped", kFileName, line));
        return true;
    }
    const std::string& code = parts[0];
    if (!codes.insert(code).second) {
        gf_logMarked(fmt::format("{}:{} double, skipped", kFileName, code));
        return true;
    }
    const Airport* airport = gf_findAirport(code);
    if (airport == nullptr) {
        gf_showMessage(fmt::format("airport {} is unknown", code), true);
        return false;
    }
    g_parkAirports.push_back({code, parts.size() == 2 ? parts[1] : std::string(), airport->lat, airport->lon, 0.0});
    return true;
}

// Every file in "my_thirdparty" names an add-on airport with its own park file.
void lf_addThirdPartyAirports()
{
    std::error_code ec;
    std::filesystem::directory_iterator it(folders::myThirdparty(), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        const std::string code = path_to_utf8(it->path().stem());
        const Airport* airport = gf_findAirport(code);
        if (airport != nullptr && !lf_inList(code))
            g_parkAirports.push_back({code, {}, airport->lat, airport->lon, 0.0});
    }
}

std::string lf_lineOf(const ParkAirport& entry)
{
    return entry.stand.empty() ? entry.icao : fmt::format("{},{}", entry.icao, entry.stand);
}

bool lf_writeSortedLines(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return gf_replaceFile(folders::myParkAirportsTxt(),
                          [&](const std::filesystem::path& path) { return gf_writeLines(path, lines); });
}

void lf_moveToFront(const ParkAirport& request)
{
    const auto it = std::find_if(g_parkAirports.begin(), g_parkAirports.end(),
                                 [&](const ParkAirport& entry) { return entry.icao == request.icao; });
    if (it != g_parkAirports.end()) {
        g_parkAirports.splice(g_parkAirports.begin(), g_parkAirports, it);
        return;
    }
    g_parkAirports.push_front(request);
    gf_addToParkAirportsFile();
}

LatLon lf_userPosition()
{
    return {g_userAcData.latitude, g_userAcData.longitude};
}

// Every entry's distance from the user and, without a destination, nearest first.
void lf_sortByDistance(const LatLon& user)
{
    g_lastSortPosition = user;
    for (ParkAirport& entry : g_parkAirports)
        entry.distance = gf_distanceNm(user, {entry.lat, entry.lon});
    if (!g_destinationAirportSet.load())
        g_parkAirports.sort([](const ParkAirport& a, const ParkAirport& b) { return a.distance < b.distance; });
    gf_publishFirstParkAirport();
}

// A list read again comes in file order. It takes its order at once, not when the user next
// moves: nearest first, or with a destination the airport that headed it before.
void lf_restoreOrder(const std::string& previousFirst)
{
    const auto first = std::find_if(g_parkAirports.begin(), g_parkAirports.end(),
                                    [&](const ParkAirport& entry) { return entry.icao == previousFirst; });
    if (g_destinationAirportSet.load() && first != g_parkAirports.end())
        g_parkAirports.splice(g_parkAirports.begin(), g_parkAirports, first);
    if (g_userDataReceived.load() && !g_parkAirports.empty())
        lf_sortByDistance(lf_userPosition());
    else
        gf_publishFirstParkAirport();
}

} // namespace

bool lf_readMyParkAirports()
{
    g_parkAirports.clear();
    bool allKnown = true;
    try {
        std::vector<std::string> lines;
        if (!gf_readAllLines(folders::myParkAirportsTxt(), lines, 64)) {
            gf_log(fmt::format("{} not found", path_to_utf8(folders::myParkAirportsTxt())));
        } else {
            std::set<std::string> codes;
            for (const std::string& line : lines) {
                if (!gf_trim(line).empty() && !lf_readLine(line, codes))
                    allKnown = false;
            }
        }
        lf_addThirdPartyAirports();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}", "lf_readMyParkAirports", e.what()));
    }
    if (!g_parkAirports.empty())
        gf_log(fmt::format("{} park airport{} read from '{}'", g_parkAirports.size(), gf_plural(g_parkAirports.size()),
                           kFileName));
    if (g_parkAirports.size() > kManyAirports)
        gf_showMessage(fmt::format("Warning: There are a lot of airports ({}), that will cost SKWV much cpu time and "
                                   "may cause stutters",
                                   g_parkAirports.size()),
                       true);
    gf_publishFirstParkAirport();
    return allKnown;
}

bool lf_updateParkStand(const ParkAirport& entry, std::string& line)
{
    if (gf_trim(line.substr(0, line.find(','))) != entry.icao)
        return false;
    line = lf_lineOf(entry);
    gf_log(fmt::format("{}:{} updated stand", kFileName, line));
    return true;
}

void gf_addToParkAirportsFile()
{
    if (g_parkAirports.empty())
        return;
    const ParkAirport& entry = g_parkAirports.front();
    const std::string newLine = lf_lineOf(entry);
    std::vector<std::string> lines;
    if (!gf_readAllLines(folders::myParkAirportsTxt(), lines, 64)) {
        lines = {newLine};
        gf_log(fmt::format("{} created with {}", kFileName, newLine));
    } else {
        const auto updated = std::find_if(lines.begin(), lines.end(),
                                          [&](std::string& line) { return lf_updateParkStand(entry, line); });
        if (updated == lines.end()) {
            lines.insert(lines.begin(), newLine);
            gf_log(fmt::format("{}:{} new entry", kFileName, newLine));
        }
    }
    lf_writeSortedLines(std::move(lines));
}

void gf_addParkAirport(const std::string& icao, const Airport& airport)
{
    std::lock_guard lock(g_requestMutex);
    g_addRequests.push_back({icao, {}, airport.lat, airport.lon, 0.0});
}

void gf_applyParkAirportRequests()
{
    std::vector<ParkAirport> requests;
    {
        std::lock_guard lock(g_requestMutex);
        requests.swap(g_addRequests);
    }
    for (const ParkAirport& request : requests)
        lf_moveToFront(request);
    if (!requests.empty())
        gf_publishFirstParkAirport();
    // A chosen destination has been taken in: "Re-read" is usable again unless one is pending.
    if (!requests.empty() && !g_rereadRequested.load())
        EnableWindow(BUTTON_REREAD.hwnd, TRUE);
}

void lf_sortParkAirports(const LatLon& user)
{
    if (g_parkAirports.empty())
        return;
    const bool moved = std::abs(user.lat - g_lastSortPosition.lat) > 1e-8 ||
                       std::abs(user.lon - g_lastSortPosition.lon) > 1e-8;
    if (!moved) {
        ParkAirport& first = g_parkAirports.front();
        first.distance = gf_distanceNm(user, {first.lat, first.lon});
        return;
    }
    lf_sortByDistance(user);
}

void gf_updateReservedStand()
{
    g_reservedStandRequested.store(false);
    if (!g_userDataReceived.load() || g_userAcData.groundSpeed > 2.0)
        return;
    const std::string stand = gf_nearestStandName(lf_userPosition());
    if (stand.empty() || g_parkAirports.empty())
        return;
    ParkAirport& first = g_parkAirports.front();
    if (first.icao != g_parkAirport || first.stand == stand)
        return;
    first.stand = stand;
    gf_addToParkAirportsFile();
}

void gf_requestReservedStandUpdate()
{
    g_reservedStandRequested.store(true);
}

void gf_handleReservedStandRequest()
{
    if (g_reservedStandRequested.load())
        gf_updateReservedStand();
}

bool gf_checkParkAirports(bool check, std::string& message)
{
    const std::string previousFirst = g_parkAirports.empty() ? std::string() : g_parkAirports.front().icao;
    const bool allKnown = lf_readMyParkAirports();
    lf_restoreOrder(previousFirst);
    if (!allKnown)
        return false;
    if (!check)
        return true;
    // Re-read gives airports whose park file failed to load a new chance at once.
    gf_clearParkLoadBackOff();
    const bool changed = g_userDataReceived.load() && !g_busy.load() && !g_parkAirports.empty() &&
                         g_parkAirports.front().icao == g_parkAirport &&
                         gf_nearestStandName(lf_userPosition()).empty() && !g_parkAirports.front().stand.empty() &&
                         g_parkAirports.front().stand != g_reservedStand;
    if (!changed) {
        message = "park airports and stands are okay";
        return true;
    }
    const std::string& newStand = g_parkAirports.front().stand;
    message = fmt::format("reserved stand changed from '{}' to '{}'", g_reservedStand, newStand);
    if (Stand* old = gf_standById(g_reservedStand); old != nullptr)
        old->keepFree = false;
    g_reservedStand = newStand;
    if (Stand* stand = gf_standById(g_reservedStand); stand != nullptr)
        stand->keepFree = true;
    gf_showReservedStand(g_reservedStand);
    return true;
}

std::string gf_reservedStandName()
{
    return g_reservedStand;
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_parkAirports, g_reservedStand, g_destinationAirportSet, g_reservedStandRequested,
              g_lastSortPosition),
    RUN_STATE_LOCKED(RunStateArea::Engine, g_requestMutex, g_addRequests),
};

} // namespace
