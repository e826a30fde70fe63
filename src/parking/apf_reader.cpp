// Reading the stand list of a park file and merging learned stands into it.
#include "parking/apf.h"
#include "core/run_state.h"

#include "core/log.h"
#include "refdata/aircraft_db.h"
#include "core/text_strings.h"
#include "core/user_error.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <unordered_set>

bool g_apfHandmade = false;
std::int32_t g_Qf_real = 0;
std::int32_t g_Qf_soft = 0;
std::int32_t g_rtTrafficWeek = 0;

std::string gf_apfFileName(std::string_view icao)
{
    return std::string(icao) + ".xml";
}

std::string gf_linkFileName(std::string_view icao)
{
    return std::string(icao) + ".txt";
}

namespace {

constexpr int kParkposFormatError = 93;
constexpr int kParkposRepeatedId = 94;

bool lf_validPosition(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90.0 &&
           std::abs(longitude) <= 180.0;
}

// A heading or radius that is not a finite number (or a negative radius) would travel into the
// simulator and the neighbour test; it is taken as 0 instead.
double lf_sanitized(double value, const std::string& id, const char* name)
{
    if (std::isfinite(value) && !(name[0] == 'r' && value < 0.0)) {
        return value;
    }
    gf_logMarked(fmt::format("parking position '{}' has an invalid {} '{}', taken as 0", id, name, value));
    return 0.0;
}

// The attributes of one "opt" element, taken in one walk over them (a park file of a large
// airport holds tens of thousands of options).
struct OptAttributes {
    std::string_view reg;
    std::string_view airl;
    std::string_view type;
    std::string_view cs;
    std::string_view hh;
    int day = 0;
    bool soft = false;
    bool cpl = false;
};

OptAttributes lf_optAttributes(const pugi::xml_node& opt)
{
    OptAttributes a;
    for (const pugi::xml_attribute attribute : opt.attributes()) {
        const std::string_view name = attribute.name();
        if (name == "reg") {
            a.reg = attribute.value();
        } else if (name == "airl") {
            a.airl = attribute.value();
        } else if (name == "type") {
            a.type = attribute.value();
        } else if (name == "cs") {
            a.cs = attribute.value();
        } else if (name == "hh") {
            a.hh = attribute.value();
        } else if (name == "day") {
            a.day = attribute.as_int(0);
        } else if (name == "soft") {
            a.soft = attribute.as_bool(false);
        } else if (name == "cpl") {
            a.cpl = attribute.as_bool(false);
        }
    }
    return a;
}

OptIdentity lf_identity(const OptAttributes& a)
{
    OptIdentity identity;
    const auto colon = a.cs.find(':');
    identity.cs = std::string(a.cs.substr(0, colon));
    if (colon != std::string_view::npos) {
        identity.cs2 = std::string(a.cs.substr(colon + 1));
    }
    if (!a.reg.empty()) {
        if (const auto known = gf_findRegistration(std::string(a.reg))) {
            identity.airl = known->operatorCode.empty() ? known->airline : known->operatorCode;
            identity.type = known->type;
            return identity;
        }
    }
    identity.airl = std::string(a.airl);
    identity.type = std::string(a.type);
    return identity;
}

// One "opt" element as an option, or nothing when it has no weekday or no half hour: such an
// option could never be planned and would only be carried from file to file.
std::optional<ParkOpt> lf_readOpt(const pugi::xml_node& opt, std::uint32_t archived, bool reportEmptySet)
{
    const OptAttributes a = lf_optAttributes(opt);
    if (a.day < 1 || a.day > 7) {
        return std::nullopt;
    }
    ParkOpt option;
    option.hh = gf_hours2bitset(a.hh);
    if (option.hh.none()) {
        if (reportEmptySet) {
            gf_logMarked("empty bit set");
        }
        return std::nullopt;
    }
    OptIdentity identity = lf_identity(a);
    option.airl = std::move(identity.airl);
    option.type = std::move(identity.type);
    option.cs = std::move(identity.cs);
    option.cs2 = std::move(identity.cs2);
    option.reg = std::string(a.reg);
    option.day = static_cast<std::uint32_t>(a.day);
    option.archived = archived;
    option.real = a.soft ? 0 : 1;
    option.cpl = a.cpl;
    return option;
}

std::uint32_t lf_lastSeq(const Stand& stand)
{
    return stand.options.empty() ? 0 : stand.options.back().seq;
}

} // namespace

OptIdentity lf_readAirlTypeLists(const pugi::xml_node& opt)
{
    return lf_identity(lf_optAttributes(opt));
}

void lf_readParkpos(const pugi::xml_node& parkpos, std::string id, std::uint32_t archived)
{
    const double latitude = parkpos.attribute("latitude").as_double(0.0);
    const double longitude = parkpos.attribute("longitude").as_double(0.0);
    if (latitude == 0.0 && longitude == 0.0) {
        return;
    }
    if (!lf_validPosition(latitude, longitude)) {
        gf_logMarked(fmt::format("parking position '{}' has an invalid position ({}, {}), skipped", id,
                                 parkpos.attribute("latitude").as_string(), parkpos.attribute("longitude").as_string()));
        return;
    }
    const double radius = lf_sanitized(parkpos.attribute("radius").as_double(0.0), id, "radius");
    const double heading = lf_sanitized(parkpos.attribute("heading").as_double(0.0), id, "heading");

    std::vector<ParkOpt> options;
    const auto optElements = parkpos.children("opt");
    options.reserve(static_cast<std::size_t>(std::distance(optElements.begin(), optElements.end())));
    for (const pugi::xml_node opt : optElements) {
        if (auto option = lf_readOpt(opt, archived, false)) {
            option->seq = static_cast<std::uint32_t>(options.size() + 1);
            options.push_back(std::move(*option));
        }
    }
    g_stands.emplace_back(std::move(id), std::move(options), StandPlace{latitude, longitude, heading * kDegToRad},
                          radius, parkpos.attribute("cargo").as_bool(false), parkpos.attribute("ramp").as_bool(false),
                          parkpos.attribute("heli").as_bool(false));
}

void lf_readParkpositions(const pugi::xml_node& document)
{
    const pugi::xml_node root = document.child("root") ? document.child("root") : document;
    const pugi::xml_node parkpositions = root.child("parkpositions");
    if (!parkpositions) {
        return;
    }
    std::unordered_set<std::string> seen;
    int count = 0;
    for (const pugi::xml_node parkpos : parkpositions.children("parkpos")) {
        ++count;
        const pugi::xml_attribute idAttribute = parkpos.attribute("id");
        if (!idAttribute) {
            throw vtx::UserErrorException(kParkposFormatError,
                                          fmt::format("Parking position #{} has no '{}' attribute.", count, "id"));
        }
        std::string id = gf_trim(idAttribute.as_string());
        if (id.empty()) {
            throw vtx::UserErrorException(kParkposFormatError,
                                          fmt::format("Parking position #{} has empty '{}' attribute.", count, "id"));
        }
        if (!seen.insert(id).second) {
            throw vtx::UserErrorException(kParkposRepeatedId,
                                          fmt::format("Parking position '{}' appears more than once.", id));
        }
        lf_readParkpos(parkpos, std::move(id), 1);
    }
}

void lf_readLearnedParkpos(const pugi::xml_node& parkpos, Stand& stand, bool ignoreOptions)
{
    if (parkpos.attribute("radius_change").as_bool(false)) {
        stand.radius = lf_sanitized(parkpos.attribute("radius").as_double(0.0), stand.id, "radius") * kNmPerMeter;
        stand.radius_change = true;
    }
    if (parkpos.attribute("cargo_change").as_bool(false)) {
        stand.cargo = parkpos.attribute("cargo").as_bool(false);
        stand.cargo_change = true;
    }
    if (ignoreOptions) {
        return;
    }
    for (const pugi::xml_node opt : parkpos.children("opt")) {
        auto option = lf_readOpt(opt, 0, true);
        if (!option) {
            continue;
        }
        const bool known = std::any_of(stand.options.begin(), stand.options.end(),
                                       [&](const ParkOpt& existing) { return gf_sameUse(existing, *option); });
        if (!known) {
            option->seq = lf_lastSeq(stand) + 1;
            stand.options.push_back(std::move(*option));
        }
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_apfHandmade, g_Qf_real, g_Qf_soft, g_rtTrafficWeek),
};

} // namespace
