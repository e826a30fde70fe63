// Loading the aircraft database from its encrypted data file.
#include "refdata/aircraft_db.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/text_strings.h"
#include "core/user_error.h"
#include "core/xml_file.h"
#include "core/xml_row.h"
#include "refdata/data_crypt.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace {

constexpr double kMetersToNm = 0.0005399568034557236;

// Removes the plain XML on every way out of the loader.
class PlainFileGuard {
public:
    explicit PlainFileGuard(std::filesystem::path path) : m_path(std::move(path)) {}
    ~PlainFileGuard() { gf_removeFileWithWarning(m_path); }
    PlainFileGuard(const PlainFileGuard&) = delete;
    PlainFileGuard& operator=(const PlainFileGuard&) = delete;

private:
    std::filesystem::path m_path;
};

void lf_readXmlSection(const pugi::xml_document& doc, const char* section, const char* element,
                       const char* attribute, CodeSet& target)
{
    const auto root = doc.child("root");
    if (!root) {
        throw vtx::UserErrorException(61, std::string("XML root missing: ") + "root");
    }
    const auto node = root.child(section);
    if (!node) {
        throw vtx::UserErrorException(61, std::string("Missing section: ") + section);
    }
    bool inserted = false;
    for (const auto& item : node.children(element)) {
        for (auto& piece : gf_split(item.attribute(attribute).as_string(), ',')) {
            if (!piece.empty()) {
                target.insert(std::move(piece));
                inserted = true;
            }
        }
    }
    if (!inserted) {
        throw vtx::UserErrorException(
            61, fmt::format("In XML file section [{}], element [{}], attribute [{}] is empty.", section, element,
                            attribute));
    }
}

void lf_readTypesSection(const pugi::xml_document& doc, const char* section, const char* element, CodeSet& target)
{
    lf_readXmlSection(doc, section, element, "types", target);
}

void lf_readCodesSection(const pugi::xml_document& doc, const char* section, const char* element, CodeSet& target)
{
    lf_readXmlSection(doc, section, element, "codes", target);
}

void lf_readSimilarTypes(const pugi::xml_node& root)
{
    g_similarTypeGroups.reserve(64);
    for (const auto& item : root.child("similar_types").children("similar")) {
        auto group = gf_split(item.attribute("types").as_string(), ',');
        std::sort(group.begin(), group.end());
        g_similarTypeGroups.push_back(std::move(group));
    }
    g_similarTypeGroups.shrink_to_fit();
}

void lf_readPublishers(const pugi::xml_node& root)
{
    g_publisherTable.reserve(640);
    std::vector<std::string> texts;
    for (const auto& item : root.child("publishers").children("pub")) {
        texts.emplace_back(item.attribute("names").as_string());
    }
    std::sort(texts.begin(), texts.end());
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    for (const auto& text : texts) {
        auto aliases = gf_split(text, ',');
        aliases.shrink_to_fit();
        g_publisherTable.push_back(std::move(aliases));
    }
    g_publisherTable.shrink_to_fit();
    gf_log(fmt::format("{} publishers read", g_publisherTable.size()));
}

// Per-category averages of the half spans; a category without rows gets the average of all rows.
void lf_computeAverageSpans()
{
    std::array<double, kCategoryCount> sums{};
    std::array<int, kCategoryCount> counts{};
    double total = 0.0;
    for (const auto& [type, halfSpan] : g_halfWingspans) {
        const auto category = static_cast<std::size_t>(gf_aircraftSizeClass(type));
        sums[category] += halfSpan;
        ++counts[category];
        total += halfSpan;
    }
    const double overall = g_halfWingspans.empty() ? 0.0 : total / static_cast<double>(g_halfWingspans.size());
    for (std::size_t c = 0; c < kCategoryCount; ++c) {
        if (counts[c] > 0) {
            g_averageHalfWingspan[c] = sums[c] / counts[c];
        } else {
            g_averageHalfWingspan[c] = overall;
            gf_logMarked(fmt::format("no wingspan for category {}, the average of all types is used", c));
        }
    }
}

void lf_readWingspans(const pugi::xml_node& root)
{
    bool anyValid = false;
    for (const auto& item : root.child("wingspans").children("wingspan")) {
        const std::string type = item.attribute("type").as_string();
        if (!gf_isKnownAircraftType(type)) {
            gf_logMarked(fmt::format("wingspan model {} is not valid, skipped", type));
            continue;
        }
        const double halfSpan = item.attribute("meters").as_double(0.0) * 0.5 * kMetersToNm;
        g_halfWingspans.emplace(type, halfSpan);
        g_largestHalfWingspan = std::max(g_largestHalfWingspan, halfSpan);
        anyValid = true;
    }
    if (anyValid) {
        lf_computeAverageSpans();
    }
}

void lf_readFixes(const pugi::xml_node& root)
{
    for (const auto& item : root.child("fixes").children("fx")) {
        const std::string wrong = item.attribute("wro").as_string();
        const std::string correct = item.attribute("cor").as_string();
        if (!gf_isKnownAircraftType(correct)) {
            gf_logMarked(fmt::format("wrong fix {} -> {}, the latter is not valid", wrong, correct));
        } else if (!g_typeFixes.emplace(wrong, correct).second) {
            gf_logMarked(fmt::format("wrong part of fix: '{}', already exists, skipped", wrong));
        }
    }
}

void lf_readThirdParties(const pugi::xml_node& root, const char* section, const char* element,
                         std::vector<ThirdPartyList>& target)
{
    const auto node = root.child(section);
    if (!node) {
        return;
    }
    for (const auto& item : node.children(element)) {
        target.push_back({item.attribute("pub").as_string(), gf_split(item.attribute("arpts").as_string(), ',')});
    }
}

// The attributes of one "db" row: reg, airl, type, opr, cargo.
constexpr std::array<std::string_view, 5> kRegistrationAttributes{"reg", "airl", "type", "opr", "cargo"};

void lf_readRegistrations(const pugi::xml_node& root)
{
    g_registrations.clear();
    const pugi::xml_node section = root.child("dbase");
    // Every child counted, rows or not: a bound found without comparing names.
    g_registrations.reserve(static_cast<std::size_t>(std::distance(section.begin(), section.end())));
    for (const auto& item : section.children("db")) {
        const auto [reg, airl, type, opr, cargo] = gf_rowAttributes(item, kRegistrationAttributes);
        const std::string_view key = reg.as_string();
        if (!g_registrations.insert(key, {airl.as_string(), type.as_string(), opr.as_string(), cargo.as_bool(false)})) {
            gf_logMarked(fmt::format("regcode {} already exists", key));
        } else if (!key.empty() && key.size() < 6) {
            // Short enough to turn up inside a livery title; taken here, as the row is read,
            // rather than by a second walk over the whole table.
            g_shortRegistrations.emplace_back(key);
        }
    }
    // A fixed order, so that a search does not depend on hash or file order.
    std::sort(g_shortRegistrations.begin(), g_shortRegistrations.end());
}

void lf_readTables(const pugi::xml_document& doc)
{
    lf_readTypesSection(doc, "aircrafts", "aircraft", g_knownAircraftTypes);
    lf_readTypesSection(doc, "high_performance", "hpf", g_highPerformanceTypes);
    lf_readTypesSection(doc, "heavy", "hvy", g_heavyTypes);
    lf_readTypesSection(doc, "large", "lar", g_largeTypes);
    lf_readTypesSection(doc, "buzjet", "bzj", g_buzjetTypes);
    lf_readTypesSection(doc, "rotorcraft", "rot", g_rotorcraftTypes);
    lf_readTypesSection(doc, "cargo_types", "cargo_type", g_cargoTypes);
    const auto root = doc.child("root");
    lf_readSimilarTypes(root);
    lf_readCodesSection(doc, "ICAO_airlines", "ICAO", g_knownAirlines);
    lf_readCodesSection(doc, "cargo_operators", "ICAO", g_cargoOperators);
    lf_readPublishers(root);
    lf_readWingspans(root);
    lf_readFixes(root);
    lf_readXmlSection(doc, "simaddons20", "simaddon20", "arpts", g_simAddonAirports);
    lf_readThirdParties(root, "thirdparties20", "thirdpartie20", g_thirdParties20);
    lf_readThirdParties(root, "thirdparties24", "thirdpartie24", g_thirdParties24);
    lf_readRegistrations(root);
}

} // namespace

void gf_clearAircraftTables()
{
    for (CodeSet* set : {&g_knownAircraftTypes, &g_highPerformanceTypes, &g_heavyTypes, &g_largeTypes,
                         &g_buzjetTypes, &g_rotorcraftTypes, &g_cargoTypes, &g_knownAirlines, &g_cargoOperators,
                         &g_simAddonAirports}) {
        set->clear();
    }
    g_similarTypeGroups.clear();
    g_publisherTable.clear();
    g_halfWingspans.clear();
    g_averageHalfWingspan.fill(0.0);
    g_largestHalfWingspan = 0.0;
    g_typeFixes.clear();
    g_thirdParties20.clear();
    g_thirdParties24.clear();
    g_registrations.clear();
    g_shortRegistrations.clear();
}

std::filesystem::path gf_dbaseEncPath()
{
    return folders::input() / "dbase.enc";
}

std::filesystem::path gf_dbaseXmlPath()
{
    return folders::input() / "dbase.xml";
}

bool gf_readDbase()
{
    const auto encPath = gf_dbaseEncPath();
    const auto xmlPath = gf_dbaseXmlPath();
    if (!std::filesystem::exists(encPath)) {
        throw std::runtime_error(fmt::format("{} not available", path_to_utf8(encPath)));
    }
    if (!gf_streamDecrypt(encPath, xmlPath)) {
        throw std::runtime_error(fmt::format("{} stream decrypt failed", path_to_utf8(encPath)));
    }
    const PlainFileGuard removeXml(xmlPath);
    gf_clearAircraftTables();
    pugi::xml_document doc;
    const auto parsed = gf_loadXmlFile(doc, xmlPath);
    if (!parsed) {
        gf_logMarked(fmt::format("'{}' not read because of {}", path_to_utf8(xmlPath), parsed.description()));
        return false;
    }
    lf_readTables(doc);
    gf_log(fmt::format("{} dbase records read", g_registrations.size()));
    {
        std::lock_guard lock(g_logMutex);
        g_logFile.flush();
    }
    return true;
}
