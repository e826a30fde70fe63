// The ICAO type of an aircraft.cfg: from its type designator or default-aircraft container,
// or from the folder name of an IVAO MTL model, checked against the aircraft database.
#include "liveries/aircraft_cfg_parts.h"
#include "liveries/cfg_lines.h"

#include "core/text_search.h"
#include "core/text_strings.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <algorithm>

namespace {

std::string lf_firstTypeDesignator(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        if (const auto value = lf_keyValue(line, cfgkey::kTypeDesignator)) {
            std::string type = lf_typeDesignatorValue(*value);
            if (!type.empty()) {
                return type;
            }
        }
    }
    return {};
}

std::string lf_fixModelFromBaseContainer(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        if (const auto value = lf_keyValue(line, cfgkey::kBaseContainer)) {
            std::string type = lf_baseContainerType(*value);
            if (!type.empty()) {
                return type;
            }
        }
    }
    return {};
}

// The path's components, split at both kinds of separator.
std::vector<std::string_view> lf_pathComponents(std::string_view pathText)
{
    std::vector<std::string_view> components;
    while (true) {
        const std::size_t separator = pathText.find_first_of("\\/");
        components.push_back(pathText.substr(0, separator));
        if (separator == std::string_view::npos) {
            return components;
        }
        pathText.remove_prefix(separator + 1);
    }
}

bool lf_allWordChars(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), lf_isWordChar);
}

} // namespace

std::string lf_checkModel(const std::string& candidate, const CfgFile& file)
{
    if (gf_isKnownAircraftType(candidate)) {
        return candidate;
    }
    if (const auto fix = g_typeFixes.find(candidate); fix != g_typeFixes.end()) {
        file.report(g_fixLines,
                    fmt::format("Model fix: {} found in {} changed into {}", candidate, file.pathText, fix->second));
        return fix->second;
    }
    file.report(g_invalidModelLines, fmt::format("{:16} in {}", candidate, file.pathText));
    return {};
}

std::string lf_fixModel(const std::vector<std::string>& lines, const CfgFile& file)
{
    std::string candidate = lf_firstTypeDesignator(lines);
    if (candidate.empty()) {
        candidate = lf_fixModelFromBaseContainer(lines);
    }
    if (candidate.empty()) {
        // Two airliner add-ons name their type elsewhere; they are no AI package fault.
        if (file.pathText.find("pmdg-aircraft-7") == std::string::npos &&
            file.pathText.find("fnx-aircraft-3") == std::string::npos) {
            file.report(g_invalidCfgFiles, "Line icao_type_designator= is missing in [General] section of " + file.pathText);
        }
        return {};
    }
    return lf_checkModel(candidate, file);
}

// The path must end in <...>\IVAO_MTL (or ivao_x-csl)\SimObjects\Airplanes\IVAO_<name>\aircraft.cfg,
// letter case ignored; the type is the first four characters of <name>.
std::string lf_ivaoModelFromPath(const CfgFile& file)
{
    const std::vector<std::string_view> parts = lf_pathComponents(file.pathText);
    const std::size_t n = parts.size();
    if (n < 6) {
        return {};
    }
    const std::string_view model = parts[n - 2];
    const bool packageFolder = gf_equalsNoCase(parts[n - 5], "IVAO_MTL") || gf_equalsNoCase(parts[n - 5], "ivao_x-csl");
    const std::size_t prefixLength = static_cast<std::size_t>(parts[n - 5].data() - file.pathText.data());
    const bool shape = gf_equalsNoCase(parts[n - 1], "aircraft.cfg") && gf_equalsNoCase(parts[n - 3], "Airplanes") &&
                       gf_equalsNoCase(parts[n - 4], "SimObjects") && packageFolder && prefixLength >= 2 &&
                       gf_equalsNoCase(model.substr(0, 5), "IVAO_") && lf_allWordChars(model.substr(5));
    if (!shape) {
        return {};
    }
    return lf_checkModel(std::string(model.substr(5, 4)), file);
}
