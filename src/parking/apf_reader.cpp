// Reading the stand list of a park file and merging learned stands into it.
#include "parking/apf.h"
#include "core/run_state.h"

#include "core/log.h"
#include "parking/learned_kept_aside.h"
#include "refdata/aircraft_db.h"
#include "core/text_strings.h"
#include "core/user_error.h"
#include "core/xml_row.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
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

// Sets field to the attribute's text when the attribute has the expected name.
void lf_takeText(const pugi::xml_attribute& attribute, const char* name, std::string_view expected,
                 std::string_view& field)
{
    if (gf_sameXmlName(name, expected)) {
        field = attribute.value();
    }
}

OptAttributes lf_optAttributes(const pugi::xml_node& opt)
{
    OptAttributes a;
    for (pugi::xml_attribute attribute = opt.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        // The first letter picks the name to compare with.
        switch (name[0]) {
        case 'r': lf_takeText(attribute, name, "reg", a.reg); break;
        case 'a': lf_takeText(attribute, name, "airl", a.airl); break;
        case 't': lf_takeText(attribute, name, "type", a.type); break;
        case 'h': lf_takeText(attribute, name, "hh", a.hh); break;
        case 'c':
            lf_takeText(attribute, name, "cs", a.cs);
            a.cpl = gf_sameXmlName(name, "cpl") ? attribute.as_bool(false) : a.cpl;
            break;
        case 'd': a.day = gf_sameXmlName(name, "day") ? attribute.as_int(0) : a.day; break;
        case 's': a.soft = gf_sameXmlName(name, "soft") ? attribute.as_bool(false) : a.soft; break;
        default: break;
        }
    }
    return a;
}

// Callsign and second callsign from "cs"; airline and type from the aircraft database when it
// knows the option's registration, else from the element.
void lf_setIdentity(const OptAttributes& a, ParkOpt& option)
{
    const auto colon = a.cs.find(':');
    option.cs.assign(a.cs.substr(0, colon));
    if (colon != std::string_view::npos) {
        option.cs2.assign(a.cs.substr(colon + 1));
    }
    if (const RegistrationData* known = gf_registrationEntry(option.reg)) {
        option.airl = known->operatorCode.empty() ? known->airline : known->operatorCode;
        option.type = known->type;
        return;
    }
    option.airl.assign(a.airl);
    option.type.assign(a.type);
}

// Fills option from one "opt" element; false when the element has no weekday or no half hour:
// such an option could never be planned and would only be carried from file to file.
bool lf_readOpt(const pugi::xml_node& opt, std::uint32_t archived, bool reportEmptySet, ParkOpt& option)
{
    const OptAttributes a = lf_optAttributes(opt);
    if (a.day < 1 || a.day > 7) {
        return false;
    }
    option.hh = gf_hours2bitset(a.hh);
    if (option.hh.none()) {
        if (reportEmptySet) {
            gf_logMarked("empty bit set");
        }
        return false;
    }
    option.reg.assign(a.reg);
    lf_setIdentity(a, option);
    option.day = static_cast<std::uint32_t>(a.day);
    option.archived = archived;
    option.real = a.soft ? 0 : 1;
    option.cpl = a.cpl;
    return true;
}

std::size_t lf_childCount(const pugi::xml_node& node)
{
    std::size_t count = 0;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        ++count;
    }
    return count;
}

std::uint32_t lf_lastSeq(const Stand& stand)
{
    return stand.options.empty() ? 0 : stand.options.back().seq;
}

} // namespace

bool gf_readLearnedOpt(const pugi::xml_node& opt, ParkOpt& option)
{
    return lf_readOpt(opt, 0, false, option);
}

OptIdentity lf_readAirlTypeLists(const pugi::xml_node& opt)
{
    const OptAttributes a = lf_optAttributes(opt);
    ParkOpt option;
    option.reg.assign(a.reg);
    lf_setIdentity(a, option);
    return {std::move(option.cs), std::move(option.cs2), std::move(option.airl), std::move(option.type)};
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

    // The list is sized once for all children (nearly all are "opt" elements); each option is read
    // into its place at its end and taken back when refused.
    std::vector<ParkOpt> options;
    options.reserve(lf_childCount(parkpos));
    for (pugi::xml_node opt = parkpos.first_child(); opt; opt = opt.next_sibling()) {
        if (!gf_sameXmlName(opt.name(), "opt")) {
            continue;
        }
        ParkOpt& option = options.emplace_back();
        if (lf_readOpt(opt, archived, false, option)) {
            option.seq = static_cast<std::uint32_t>(options.size());
        } else {
            options.pop_back();
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
    const std::size_t children = lf_childCount(parkpositions);
    g_stands.reserve(g_stands.size() + children);
    std::unordered_set<std::string> seen;
    seen.reserve(children);
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
        ParkOpt option;
        if (!lf_readOpt(opt, 0, true, option)) {
            continue;
        }
        const auto known = std::find_if(stand.options.begin(), stand.options.end(),
                                        [&](const ParkOpt& existing) { return gf_sameUse(existing, option); });
        if (known != stand.options.end()) {
            // A repeat of a reference use carries nothing the reference lacks; a repeat of another
            // learned use is kept aside for the save to decide on.
            if (known->archived == 0) {
                gf_keepLearnedUse(stand.id, opt);
            }
        } else {
            option.seq = lf_lastSeq(stand) + 1;
            stand.options.push_back(std::move(option));
        }
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_apfHandmade, g_Qf_real, g_Qf_soft, g_rtTrafficWeek),
};

} // namespace
