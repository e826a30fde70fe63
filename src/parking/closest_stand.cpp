// Nearest stand of an airport, from the stands of its reference park file.
#include "parking/closest_stand.h"

#include "core/log.h"
#include "core/program_folders.h"
#include "core/xml_file.h"
#include "parking/apf_sources.h"

#include <fmt/format.h>

#include <exception>
#include <system_error>

namespace {

constexpr double kNoStand = 100.0;

// Removes the downloaded copy when the lookup is done with it.
struct DownloadedCopy {
    std::filesystem::path path;
    ~DownloadedCopy()
    {
        std::error_code ec;
        if (!path.empty()) {
            std::filesystem::remove(path, ec);
        }
    }
};

double lf_nearestStand(const pugi::xml_document& document, const LatLon& position, std::string& standId)
{
    double nearest = kNoStand;
    const pugi::xml_node list = document.child("root").child("parkpositions");
    if (!list) {
        return kNoStand;
    }
    bool found = false;
    for (const pugi::xml_node parkpos : list.children("parkpos")) {
        const LatLon stand{parkpos.attribute("latitude").as_double(), parkpos.attribute("longitude").as_double()};
        const double distance = gf_distanceNm(position, stand);
        if (!found || distance < nearest) {
            found = true;
            nearest = distance;
            standId = parkpos.attribute("id").as_string();
        }
    }
    return nearest;
}

double lf_closestStand(const std::string& icao, const LatLon& position, std::string& standId)
{
    const std::string reference = gf_archivedStockFileExists(icao);
    if (reference.empty()) {
        return kNoStand;
    }
    DownloadedCopy copy;
    std::filesystem::path local = gf_referencePath(reference);
    if (reference.rfind(kAirportsPrefix, 0) != 0) {
        local = folders::airports() / "airport.xml";
        if (!lf_downloadApf(reference, local).empty()) {
            return kNoStand;
        }
        copy.path = local;
    }
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, local, pugi::parse_default)) {
        return kNoStand;
    }
    return lf_nearestStand(document, position, standId);
}

} // namespace

double gf_readDestApfForClosestStand(const std::string& icao, const LatLon& position, std::string& standId)
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
