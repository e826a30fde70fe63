// The aircraft database's tables and the queries on them.
#include "refdata/aircraft_db.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/text_search.h"

#include <fmt/format.h>

#include <charconv>

CodeSet g_knownAircraftTypes;
CodeSet g_highPerformanceTypes;
CodeSet g_heavyTypes;
CodeSet g_largeTypes;
CodeSet g_buzjetTypes;
CodeSet g_rotorcraftTypes;
CodeSet g_cargoTypes;
std::vector<std::vector<std::string>> g_similarTypeGroups;
CodeSet g_knownAirlines;
CodeSet g_cargoOperators;
PublisherTable g_publisherTable;
std::map<std::string, double, std::less<>> g_halfWingspans;
std::array<double, kCategoryCount> g_averageHalfWingspan{};
double g_largestHalfWingspan = 0.0;
std::unordered_map<std::string, std::string> g_typeFixes;
CodeSet g_simAddonAirports;
std::vector<ThirdPartyList> g_thirdParties20;
std::vector<ThirdPartyList> g_thirdParties24;
RegistrationTable g_registrations;
std::vector<std::string> g_shortRegistrations;

Category gf_aircraftSizeClass(std::string_view type)
{
    if (g_largeTypes.contains(type)) {
        return Category::Large;
    }
    if (g_heavyTypes.contains(type)) {
        return Category::Heavy;
    }
    if (g_buzjetTypes.contains(type)) {
        return Category::Buzjet;
    }
    if (g_rotorcraftTypes.contains(type)) {
        return Category::Rotorcraft;
    }
    if (g_highPerformanceTypes.contains(type)) {
        return Category::HighPerf;
    }
    return Category::Light;
}

bool gf_isKnownAircraftType(std::string_view type)
{
    return !type.empty() && g_knownAircraftTypes.contains(type);
}

bool gf_isKnownAirline(std::string_view airline)
{
    return !airline.empty() && g_knownAirlines.contains(airline);
}

double gf_wingspan(std::string_view type)
{
    const auto it = g_halfWingspans.find(type);
    if (it != g_halfWingspans.end()) {
        return it->second;
    }
    return g_averageHalfWingspan[static_cast<std::size_t>(gf_aircraftSizeClass(type))];
}

namespace {

// Hands each spelling of a registration to take, most specific first, built one after the other
// in one string; stops when take returns true.
template <typename Take>
void lf_forEachRegistrationVariant(const std::string& registration, Take&& take)
{
    if (registration.size() >= 5 && registration[0] != 'N' && registration.find('-') == std::string::npos) {
        std::string spelling;
        for (const std::size_t dash : {std::size_t{2}, std::size_t{1}}) {
            spelling.assign(registration, 0, dash);
            spelling += '-';
            spelling.append(registration, dash);
            if (take(spelling)) {
                return;
            }
        }
    }
    take(registration);
}

} // namespace

std::vector<std::string> lf_registrationVariants(const std::string& registration)
{
    std::vector<std::string> variants;
    lf_forEachRegistrationVariant(registration, [&](const std::string& spelling) {
        variants.push_back(spelling);
        return false;
    });
    return variants;
}

const RegistrationData* gf_registrationEntry(const std::string& registration)
{
    const RegistrationData* entry = nullptr;
    if (registration.empty() || g_registrations.empty()) {
        return entry;
    }
    lf_forEachRegistrationVariant(registration, [&](const std::string& spelling) {
        entry = g_registrations.find(spelling);
        return entry != nullptr;
    });
    return entry;
}

std::optional<RegistrationData> gf_findRegistration(const std::string& registration)
{
    if (const RegistrationData* entry = gf_registrationEntry(registration)) {
        return *entry;
    }
    return std::nullopt;
}

std::string gf_registrationAirline(const std::string& registration)
{
    const auto found = gf_findRegistration(registration);
    return found ? found->airline : std::string();
}

std::string gf_registrationOperator(const std::string& registration)
{
    const auto found = gf_findRegistration(registration);
    return found ? found->operatorCode : std::string();
}

std::optional<std::string> gf_findShortRegistrationIn(std::string_view text)
{
    for (const auto& registration : g_shortRegistrations) {
        if (text.find(registration) != std::string_view::npos) {
            return registration;
        }
    }
    return std::nullopt;
}

std::optional<std::string> gf_findPublisherInPath(const std::filesystem::path& path)
{
    const std::string text = path_to_utf8(path);
    for (const auto& entry : g_publisherTable) {
        for (const auto& alias : entry) {
            // An empty alias would match every path.
            if (!alias.empty() && gf_containsNoCase(text, alias)) {
                return entry.front();
            }
        }
    }
    return std::nullopt;
}

std::size_t gf_nrPublishers()
{
    return g_publisherTable.size();
}

bool lf_thirdpartyItemNumber(const std::string& publisher, std::string_view icao, const std::string& item,
                             int& number)
{
    if (!std::string_view(item).starts_with(icao)) {
        return false;
    }
    std::string_view rest = item.size() > 4 ? std::string_view(item).substr(4) : std::string_view();
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.front() == '+') {
        rest.remove_prefix(1);
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || rest.empty()) {
        gf_logMarked(fmt::format("{} {} {} {}", publisher, icao, item, "invalid number"));
    } else {
        number = value;
    }
    return true;
}
