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
#include <stdexcept>

std::vector<Airport> g_airports;
std::unordered_set<std::string> g_airportCodes;

namespace {

bool g_airportsLoaded = false;

// Checks one "airport" element and appends it; each finding is logged.
void lf_readAirport(const pugi::xml_node& item, const std::string& code)
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
        g_airports.push_back(std::move(airport));
        g_airportCodes.insert(code);
    } catch (const std::exception& e) {
        gf_log(fmt::format("Error parsing coordinates for airport '{}': {}", code, e.what()));
    }
}

void lf_loadTable(const std::filesystem::path& xmlPath)
{
    g_airports.reserve(15000);
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
        lf_readAirport(item, item.attribute("code").as_string());
    }
    std::sort(g_airports.begin(), g_airports.end(),
              [](const Airport& a, const Airport& b) { return a.code < b.code; });
    gf_log(fmt::format("{} airports read", g_airports.size()));
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
    if (g_airportsLoaded) {
        return !g_airports.empty();
    }
    const auto xmlPath = gf_airportsXmlPath();
    try {
        // A failed decryption leaves no plain file and shows up as a file that does not load.
        gf_streamDecrypt(gf_airportsEncPath(), xmlPath);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception : {}", "gf_readAirports", e.what()));
        throw;
    }
    try {
        lf_loadTable(xmlPath);
    } catch (const std::exception& e) {
        gf_removeFileWithWarning(xmlPath);
        g_airports.clear();
        g_airportCodes.clear();
        throw vtx::UserErrorException(88, e.what());
    }
    gf_removeFileWithWarning(xmlPath);
    g_airports.shrink_to_fit();
    g_airportsLoaded = true;
    return !g_airports.empty();
}

bool gf_isKnownAirport(std::string_view code)
{
    return g_airportCodes.contains(std::string(code));
}

const Airport* gf_findAirport(std::string_view code)
{
    const auto it = std::find_if(g_airports.begin(), g_airports.end(),
                                 [&](const Airport& airport) { return airport.code == code; });
    return it == g_airports.end() ? nullptr : &*it;
}

std::string gf_airportLabel(const Airport& airport)
{
    const std::string code = airport.code.empty() ? "?" : airport.code;
    return airport.iata.empty() ? code : fmt::format("{} ({})", code, airport.iata);
}
