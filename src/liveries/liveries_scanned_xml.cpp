// Writing, reading and removing "LiveriesScanned.xml".
#include "liveries/liveries_scanned_xml.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/program_version.h"
#include "core/sim_choice.h"
#include "core/user_error.h"
#include "core/xml_file.h"
#include "core/xml_meta.h"
#include "core/xml_row.h"
#include "liveries/livery_data.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <system_error>

namespace {

constexpr int kFileNotFound = 51;
constexpr int kNoLiveriesSection = 52;
constexpr int kNoLiveries = 533;
constexpr int kMissingAttribute = 999;

// The attributes of one "liv" row: airl, type, title, atcid, cargo.
constexpr std::array<std::string_view, 5> kLiveryAttributes{"airl", "type", "title", "atcid", "cargo"};

std::string lf_requiredAttribute(const pugi::xml_node& element, const pugi::xml_attribute& attribute,
                                 std::string_view name)
{
    std::string value = attribute.as_string();
    if (value.empty()) {
        throw vtx::UserErrorException(kMissingAttribute, fmt::format("Missing required attribute '{}' in <{}>", name,
                                                                     element.name()));
    }
    return value;
}

LiveryData lf_readLivery(const pugi::xml_node& liv)
{
    const auto [airl, type, title, atcid, cargo] = gf_rowAttributes(liv, kLiveryAttributes);
    LiveryData livery;
    livery.airl = lf_requiredAttribute(liv, airl, kLiveryAttributes[0]);
    livery.type = lf_requiredAttribute(liv, type, kLiveryAttributes[1]);
    livery.title = lf_requiredAttribute(liv, title, kLiveryAttributes[2]);
    livery.atcid = atcid.as_string();
    livery.cargo = cargo.as_bool(false);
    return livery;
}

std::size_t lf_elementCount(const pugi::xml_node& parent)
{
    std::size_t count = 0;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        count += child.type() == pugi::node_element ? 1 : 0;
    }
    return count;
}

bool lf_buildDocument(pugi::xml_document& document)
{
    XmlMeta meta;
    meta.version = gf_programVersionText();
    meta.sim = gf_simNumber();
    if (!gf_writeXmlMeta(document, meta)) {
        return false;
    }
    pugi::xml_node liveries = document.child("root").append_child("liveries");
    if (!liveries) {
        return false;
    }
    for (const LiveryData& livery : g_scannedLiveries) {
        pugi::xml_node liv = liveries.append_child("liv");
        liv.append_attribute("airl").set_value(livery.airl.c_str());
        liv.append_attribute("type").set_value(livery.type.c_str());
        if (livery.cargo) {
            liv.append_attribute("cargo").set_value(true);
        }
        liv.append_attribute("title").set_value(livery.title.c_str());
        if (!livery.atcid.empty()) {
            liv.append_attribute("atcid").set_value(livery.atcid.c_str());
        }
    }
    return true;
}

} // namespace

bool lf_writeLiveriesScannedXml()
{
    if (g_scannedLiveries.empty()) {
        return true;
    }
    const std::filesystem::path path = folders::liveriesScannedXml();
    pugi::xml_document document;
    const bool saved = lf_buildDocument(document) && gf_saveXmlFile(document, path);
    if (!saved) {
        gf_logMarked(fmt::format("Failed to save {}", path_to_utf8(path)));
        return false;
    }
    gf_log(fmt::format("{} liveries in {}", g_scannedLiveries.size(), path_to_utf8(path)));
    return true;
}

void lf_readLiveriesScannedXml()
{
    g_scannedLiveries.clear();
    const std::filesystem::path path = folders::liveriesScannedXml();
    const std::string pathText = path_to_utf8(path);
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, path)) {
        throw vtx::UserErrorException(kFileNotFound, fmt::format("File {} not found", pathText));
    }
    gf_readXmlMeta(document, true);
    const pugi::xml_node root = document.child("root");
    const pugi::xml_node liveries = root.child("liveries");
    if (root && !liveries) {
        throw vtx::UserErrorException(kNoLiveriesSection,
                                      fmt::format("{} does not contain a <liveries> section", pathText));
    }
    g_scannedLiveries.reserve(lf_elementCount(liveries));
    for (const pugi::xml_node liv : liveries.children()) {
        if (liv.type() == pugi::node_element) {
            g_scannedLiveries.push_back(lf_readLivery(liv));
        }
    }
    if (g_scannedLiveries.empty()) {
        throw vtx::UserErrorException(kNoLiveries, pathText + " does not contain liveries");
    }
    // The file is written in this order; only a file edited by hand needs sorting.
    if (!std::is_sorted(g_scannedLiveries.begin(), g_scannedLiveries.end())) {
        std::sort(g_scannedLiveries.begin(), g_scannedLiveries.end());
    }
    gf_log(fmt::format("{} liveries read from {}", g_scannedLiveries.size(), pathText));
}

void lf_removeLiveriesScannedXml(bool withResult)
{
    const std::filesystem::path files[] = {
        folders::outputInfo() / "AircraftCfgWithNoFltsimSection.txt",
        folders::liveriesScannedXml(),
        folders::outputErrors() / "InlineRegcodes.txt",
        folders::outputErrors() / "InvalidAirlineCodes.txt",
        folders::outputErrors() / "InvalidAircraftCodes.txt",
        folders::outputErrors() / "Fixes.txt",
        folders::outputErrors() / "InvalidAircraftCfgFiles.txt",
        folders::outputErrors() / "IncompleFltsimSections.txt",
    };
    std::error_code ec;
    for (const auto& file : files) {
        if (!withResult && file == folders::liveriesScannedXml()) {
            continue;
        }
        std::filesystem::remove(file, ec);
        if (ec) {
            gf_log(fmt::format("problems with removing previous files: {}", ec.message()));
            return;
        }
    }
    if (std::filesystem::is_directory(folders::outputErrors(), ec) && std::filesystem::is_empty(folders::outputErrors(), ec)) {
        std::filesystem::remove(folders::outputErrors(), ec);
    }
    if (ec) {
        gf_log(fmt::format("problems with removing previous files: {}", ec.message()));
    }
}
