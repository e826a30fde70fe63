// What the sections of both kinds of aircraft.cfg share: cutting the file into sections, the
// title, parking and registration keys, and the one livery per title of a scan.
#include "liveries/aircraft_cfg_parts.h"
#include "liveries/cfg_lines.h"
#include "liveries/regcodes.h"

#include "core/log.h"
#include "core/text_strings.h"

#include <fmt/format.h>

#include <algorithm>

void lf_cutSections(const std::vector<std::string>& lines, bool ivaoHeaders,
                    const std::function<void(CfgSection)>& process)
{
    const auto isOtherHeader = [ivaoHeaders](const std::string& line) {
        const std::string_view searched = ivaoHeaders ? std::string_view(line) : std::string_view(line).substr(0, 6);
        return searched.find('[') != std::string_view::npos;
    };
    std::size_t start = 0;
    bool inSection = false;
    const auto endSection = [&](std::size_t end) {
        if (inSection && end > start) {
            process(CfgSection(lines).subspan(start, end - start));
        }
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lf_isFltsimHeader(lines[i])) {
            endSection(i);
            inSection = true;
            start = i + 1;
        } else if (inSection && isOtherHeader(lines[i])) {
            endSection(i);
            inSection = false;
        }
    }
    endSection(lines.size());
}

LineUse SectionReader::lf_takeTitle(const std::string& line, bool logTrimming)
{
    const auto value = lf_keyValue(line, cfgkey::kTitle);
    if (!value) {
        return LineUse::Other;
    }
    if (m_title) {
        lf_incomplete("{} {} has more than one title key");
        return LineUse::EndsSection;
    }
    const std::string raw = lf_unquote(*value);
    m_title = gf_trim(raw);
    if (logTrimming && *m_title != raw) {
        gf_log(fmt::format("removed spaces around title '{}' --> '{}'", raw, *m_title));
    }
    return LineUse::Taken;
}

LineUse SectionReader::lf_takeParkingTypes(const std::string& line)
{
    if (m_parkingTypes) {
        if (line.find(cfgkey::kParkingTypes) == std::string::npos) {
            return LineUse::Other;
        }
        lf_incomplete("{} {} has more than one atc_parking_types key");
        return LineUse::EndsSection;
    }
    const auto value = lf_keyValue(line, cfgkey::kParkingTypes);
    if (!value) {
        return LineUse::Other;
    }
    m_parkingTypes = lf_parkingTypesValue(*value);
    return LineUse::Taken;
}

LineUse SectionReader::lf_takeAtcId(const std::string& line, std::string_view invalidFormat)
{
    if (m_registration) {
        if (line.find("atc_id=") == std::string::npos) {
            return LineUse::Other;
        }
        lf_incomplete("{}, {}, has more than one atc_id key");
        return LineUse::EndsSection;
    }
    const auto value = lf_keyValue(line, cfgkey::kAtcId);
    if (!value) {
        return LineUse::Other;
    }
    AtcId atcId = lf_checkAtcId(*value);
    if (atcId.registration) {
        m_registration = std::move(atcId.registration);
    } else {
        m_file.report(g_incompleteSections, fmt::format(fmt::runtime(invalidFormat), atcId.text, m_title.value_or("")));
    }
    return LineUse::Taken;
}

void SectionReader::lf_incomplete(std::string_view format) const
{
    m_file.report(g_incompleteSections, fmt::format(fmt::runtime(format), m_file.folderText, m_firstLine));
}

CfgSection lf_withoutTrailingComments(CfgSection section)
{
    while (!section.empty() && (gf_trimView(section.back()).empty() || section.back().starts_with("//"))) {
        section = section.first(section.size() - 1);
    }
    return section;
}

bool lf_isDontUseTitle(const CfgFile& file, std::string_view title)
{
    return std::find(file.dontUseTitles->begin(), file.dontUseTitles->end(), title) != file.dontUseTitles->end();
}

void lf_makeLiveryIfNewTitle(NewLivery livery, const CfgFile& file, std::string_view firstLine,
                             std::string_view duplicateFormat)
{
    file.findings->liveries.push_back({{std::move(livery.airline), file.type, std::move(livery.title),
                                        std::move(livery.registration), file.folderIndex, livery.cargo},
                                       duplicateFormat,
                                       std::string(firstLine)});
}

std::vector<LiveryData> lf_mergeCfgFindings(CfgFindings findings)
{
    for (auto& [list, line] : findings.reports) {
        list->append(std::move(line));
    }
    std::vector<LiveryData> liveries;
    liveries.reserve(findings.liveries.size());
    const std::lock_guard lock(g_scanTitlesMutex);
    for (CfgFindings::Livery& livery : findings.liveries) {
        if (g_scanTitles.insert(livery.data.title).second) {
            liveries.push_back(std::move(livery.data));
        } else {
            g_incompleteSections.append(fmt::format(fmt::runtime(livery.duplicateFormat), findings.folderText,
                                                    livery.firstLine, livery.data.title));
        }
    }
    return liveries;
}
