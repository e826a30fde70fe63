// The liveries of an IVAO MTL aircraft.cfg: the type comes from the model's folder, the
// airline from the title (type code, then the airline code), each livery needs its texture.
#include "liveries/aircraft_cfg_parts.h"
#include "liveries/cfg_lines.h"

#include "core/path_text.h"
#include "core/text_strings.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <array>

namespace {

// Models whose titles carry a "W" between the type and the airline code.
bool lf_titleHasW(std::string_view pathText)
{
    static constexpr std::array<std::string_view, 5> models{"IVAO_B738WLfa", "IVAO_B739WLfa", "IVAO_A320wCFM",
                                                            "IVAO_A320wIAE", "IVAO_A319fIAEw"};
    return std::any_of(models.begin(), models.end(),
                       [&](std::string_view model) { return pathText.find(model) != std::string_view::npos; });
}

// The airline code of a title "<type>[W] <code>...", letter case ignored; as written.
std::optional<std::string> lf_airlineFromTitle(std::string_view title, std::string_view type, bool withW)
{
    if (!gf_equalsNoCase(title.substr(0, type.size()), type)) {
        return std::nullopt;
    }
    std::size_t at = type.size();
    if (withW) {
        if (at >= title.size() || (title[at] != 'W' && title[at] != 'w')) {
            return std::nullopt;
        }
        ++at;
    }
    at = std::min(title.find_first_not_of(" \t\n\v\f\r", at), title.size());
    const std::string_view code = title.substr(at, 3);
    if (code.size() < 3 || !std::all_of(code.begin(), code.end(), lf_isWordChar)) {
        return std::nullopt;
    }
    return std::string(code);
}

class IvaoSection : public SectionReader {
public:
    using SectionReader::SectionReader;

    void finish();

private:
    LineUse lf_takeLine(const std::string& line) override
    {
        LineUse use = lf_takeTitle(line, true);
        if (use == LineUse::Other) {
            use = lf_takeParkingTypes(line);
        }
        if (use == LineUse::Other) {
            use = lf_takeAtcId(line, "invalid atc_id={} in {}");
        }
        if (use == LineUse::Other && !m_texture) {
            if (const auto value = lf_keyValue(line, cfgkey::kTexture)) {
                m_texture = lf_unquote(*value);
            }
        }
        return use;
    }
    void lf_withoutAirlineInTitle();

    std::optional<std::string> m_texture;
};

void IvaoSection::finish()
{
    if (m_endedEarly) {
        return;
    }
    const std::filesystem::path textureFolder =
        m_file.path.parent_path() / gf_utf8ToPath("texture." + m_texture.value_or(""));
    std::error_code error;
    if (!std::filesystem::is_directory(textureFolder, error)) {
        m_file.report(g_incompleteSections,
                      fmt::format("{} {} does not exist", path_to_utf8(textureFolder), m_firstLine));
        return;
    }
    if (!m_title || m_title->empty()) {
        lf_incomplete("{} {} misses title");
        return;
    }
    if (lf_isDontUseTitle(m_file, *m_title)) {
        return;
    }
    std::optional<std::string> airline = lf_airlineFromTitle(*m_title, m_file.type, lf_titleHasW(m_file.pathText));
    if (!airline) {
        return lf_withoutAirlineInTitle();
    }
    if (*airline != "ZZZ" && !gf_isKnownAirline(*airline)) {
        m_file.report(g_invalidAirlineLines, fmt::format("{:12} in {} {}", *airline, m_file.pathText, m_firstLine));
        return;
    }
    if (*airline == "ZZZ") {
        m_registration.reset();
    }
    lf_makeLiveryIfNewTitle({*airline, *m_title, m_registration.value_or(""), false}, m_file, m_firstLine,
                            "{} {} title already exists: {}");
}

// A title without the airline code: the registration's airline, when the database knows it.
void IvaoSection::lf_withoutAirlineInTitle()
{
    const std::string registration = m_registration.value_or("");
    const std::string start = fmt::format("{} {} misses airlinecode in title: {}", m_file.folderText, m_firstLine, *m_title);
    if (registration.empty()) {
        m_file.report(g_incompleteSections, start + ", and no regcode");
        return;
    }
    const std::optional<RegistrationData> known = gf_findRegistration(registration);
    if (!known || known->airline.empty()) {
        m_file.report(g_incompleteSections, start + ", and regcode unknown " + registration);
        return;
    }
    lf_makeLiveryIfNewTitle({known->airline, *m_title, registration, false}, m_file, m_firstLine,
                            "{} {} title already exists: {}");
}

} // namespace

void lf_processIvaoFltsim(CfgSection section, const CfgFile& file)
{
    IvaoSection fltsim(section, file);
    fltsim.read(lf_withoutTrailingComments(section));
    fltsim.finish();
}

void lf_processIvaoFltsims(const std::vector<std::string>& lines, const CfgFile& file)
{
    lf_cutSections(lines, true, [&](CfgSection section) { lf_processIvaoFltsim(section, file); });
}
