// Loading the airport database and looking airports up by code.
#include "refdata/airport_db.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/user_error.h"
#include "core/xml_file.h"
#include "refdata/data_crypt.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <mutex>
#include <shared_mutex>
#include <stdexcept>

std::vector<Airport> g_airports;
std::unordered_set<std::string> g_airportCodes;
bool g_airportsLoaded = false;

namespace {

// The GUI thread looks airports up while the start-up thread may still load them: the
// table is built aside and put in place under this lock, and the lookups take it.
std::shared_mutex g_airportsMutex;

struct AirportTable {
    std::vector<Airport> airports;
    std::unordered_set<std::string> codes;
};

// Checks one "airport" element and appends it; each finding is logged.
void lf_readAirport(AirportTable& table, const pugi::xml_node& item, const std::string& code)
{
    if (!item.attribute("lat") || !item.attribute("lon")) {
        gf_logMarked(fmt::format("Missing latLons for airport '{}'", code));
        return;
    }
    if (!item.attribute("alt")) {
        gf_logMarked(fmt::format("Missing alt for airport '{}'", code));
        return;
    }
    if (!item.attribute("stands")) {
        gf_logMarked(fmt::format("Missing stands for airport '{}'", code));
    }
    if (!item.attribute("iata")) {
        gf_logMarked(fmt::format("Missing IATA for airport '{}'", code));
        return;
    }
    try {
        Airport airport{code,
                        item.attribute("iata").as_string(),
                        item.attribute("lat").as_double(0.0),
                        item.attribute("lon").as_double(0.0),
                        item.attribute("alt").as_double(0.0),
                        item.attribute("stands").as_int(0)};
        table.airports.push_back(std::move(airport));
        table.codes.insert(code);
    } catch (const std::exception& e) {
        gf_log(fmt::format("Error parsing coordinates for airport '{}': {}", code, e.what()));
    }
}

AirportTable lf_loadTable(const std::filesystem::path& xmlPath)
{
    AirportTable table;
    table.airports.reserve(15000);
    pugi::xml_document doc;
    const auto parsed = gf_loadXmlFile(doc, xmlPath);
    if (!parsed) {
        throw std::runtime_error(path_to_utf8(xmlPath) + " not loaded: " + parsed.description());
    }
    const auto airports = doc.child("root").child("airports");
    if (!airports) {
        throw std::runtime_error("Missing <airports> root in: " + path_to_utf8(xmlPath));
    }
    for (const auto& item : airports.children("airport")) {
        lf_readAirport(table, item, item.attribute("code").as_string());
    }
    std::sort(table.airports.begin(), table.airports.end(),
              [](const Airport& a, const Airport& b) { return a.code < b.code; });
    gf_log(fmt::format("{} airports read", table.airports.size()));
    return table;
}

void lf_publish(AirportTable& table)
{
    table.airports.shrink_to_fit();
    const std::unique_lock lock(g_airportsMutex);
    g_airports.swap(table.airports);
    g_airportCodes.swap(table.codes);
}

} // namespace

std::filesystem::path gf_airportsEncPath()
{
    return folders::input() / "airports.enc";
}

std::filesystem::path gf_airportsXmlPath()
{
    return folders::input() / "airports.xml";
}

bool gf_readAirports()
{
    if (!g_airportsLoaded) {
        lf_readAirportsFile();
    }
    return !g_airports.empty();
}

void lf_readAirportsFile()
{
    const auto xmlPath = gf_airportsXmlPath();
    try {
        // A failed decryption leaves no plain file and shows up as a file that does not load.
        gf_streamDecrypt(gf_airportsEncPath(), xmlPath);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception : {}", "gf_readAirports", e.what()));
        throw;
    }
    AirportTable table;
    try {
        table = lf_loadTable(xmlPath);
    } catch (const std::exception& e) {
        gf_removeFileWithWarning(xmlPath);
        throw vtx::UserErrorException(88, e.what());
    }
    gf_removeFileWithWarning(xmlPath);
    lf_publish(table);
    g_airportsLoaded = true;
}

bool gf_isKnownAirport(std::string_view code)
{
    const std::shared_lock lock(g_airportsMutex);
    return g_airportCodes.contains(std::string(code));
}

const Airport* gf_findAirport(std::string_view code)
{
    // Once in place the table is never changed again, so the airport outlives the lock.
    const std::shared_lock lock(g_airportsMutex);
    const auto it = std::find_if(g_airports.begin(), g_airports.end(),
                                 [&](const Airport& airport) { return airport.code == code; });
    return it == g_airports.end() ? nullptr : &*it;
}

std::string gf_airportLabel(const Airport& airport)
{
    const std::string code = airport.code.empty() ? "?" : airport.code;
    return airport.iata.empty() ? code : fmt::format("{} ({})", code, airport.iata);
}
