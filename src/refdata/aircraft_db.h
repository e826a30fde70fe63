// The aircraft database: types, size classes, wingspans, airlines, registrations and
// scenery publishers, loaded once from "input/dbase.enc" and read-only afterwards.
#pragma once

#include "refdata/category.h"
#include "refdata/registration_table.h"

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One entry per publisher: element 0 is its name, every element (the name too) a search alias.
using PublisherTable = std::vector<std::vector<std::string>>;

// A scenery publisher with its airport items ("ICAO" followed by a signed number).
struct ThirdPartyList {
    std::string publisher;
    std::vector<std::string> airports;
};

using CodeSet = std::set<std::string, std::less<>>;

extern CodeSet g_knownAircraftTypes;
extern CodeSet g_highPerformanceTypes;
extern CodeSet g_heavyTypes;
extern CodeSet g_largeTypes;
extern CodeSet g_buzjetTypes;
extern CodeSet g_rotorcraftTypes;
extern CodeSet g_cargoTypes;
extern std::vector<std::vector<std::string>> g_similarTypeGroups;
extern CodeSet g_knownAirlines;
extern CodeSet g_cargoOperators;
extern PublisherTable g_publisherTable;
// Half wingspans in nautical miles by type; the per-category averages and the largest value.
extern std::map<std::string, double, std::less<>> g_halfWingspans;
extern std::array<double, kCategoryCount> g_averageHalfWingspan;
extern double g_largestHalfWingspan;
// Wrong type code -> correct type code.
extern std::unordered_map<std::string, std::string> g_typeFixes;
extern CodeSet g_simAddonAirports;
extern std::vector<ThirdPartyList> g_thirdParties20;
extern std::vector<ThirdPartyList> g_thirdParties24;
extern RegistrationTable g_registrations;
// The registrations shorter than 6 characters, in ascending order.
extern std::vector<std::string> g_shortRegistrations;

// "input/dbase.enc" and its temporary plain form.
std::filesystem::path gf_dbaseEncPath();
std::filesystem::path gf_dbaseXmlPath();

// Loads every table. Throws std::runtime_error when the data file is missing or does not
// decrypt, vtx::UserErrorException (code 61) when a required section is missing or empty;
// false when the XML does not parse. The plain XML never stays on disk.
bool gf_readDbase();
// Empties every table that gf_readDbase fills.
void gf_clearAircraftTables();

Category gf_aircraftSizeClass(std::string_view type);
bool gf_isKnownAircraftType(std::string_view type);
bool gf_isKnownAirline(std::string_view airline);
// Half wingspan in nautical miles; a type without its own value gets its category's average.
double gf_wingspan(std::string_view type);

// The spellings of a registration to look up, most specific first (DABCD: DA-BCD, D-ABCD, DABCD).
std::vector<std::string> lf_registrationVariants(const std::string& registration);
std::optional<RegistrationData> gf_findRegistration(const std::string& registration);
// The table's entry for the registration (any of its spellings) without copying it; null when unknown.
const RegistrationData* gf_registrationEntry(const std::string& registration);
std::string gf_registrationAirline(const std::string& registration);
std::string gf_registrationOperator(const std::string& registration);
// The first short registration (in ascending order) that occurs in the text.
std::optional<std::string> gf_findShortRegistrationIn(std::string_view text);

// The publisher whose alias occurs in the path, ASCII case ignored.
std::optional<std::string> gf_findPublisherInPath(const std::filesystem::path& path);
std::size_t gf_nrPublishers();
// Whether the airport item belongs to the ICAO code; its number goes to `number`
// (an unreadable number is logged and the item still belongs to the code).
bool lf_thirdpartyItemNumber(const std::string& publisher, std::string_view icao, const std::string& item,
                             int& number);
