// The liveries of an ordinary aircraft.cfg's sections (AIG, FSLTL, JustFlight and user
// packages): title, airline, parking types and registration of each [fltsim.N] section.
#include "liveries/aircraft_cfg_parts.h"
#include "liveries/cfg_lines.h"

#include "core/log.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

namespace {

class FltSimSection : public SectionReader {
public:
    using SectionReader::SectionReader;

    void finish();

private:
    LineUse lf_takeLine(const std::string& line) override;
    LineUse lf_takeAirline(const std::string& line);
    bool lf_airlineFromRegistration();

    std::optional<std::string> m_airline;
    bool m_silent = false; // ended without any report
};

LineUse FltSimSection::lf_takeLine(const std::string& line)
{
    LineUse use = lf_takeTitle(line, false);
    if (use == LineUse::Taken &&
        (m_title->find("FenixA320") != std::string::npos || m_title->find("PMDG 737") != std::string::npos)) {
        // Airliner add-ons, no AI models: left out without a word.
        m_silent = true;
        return LineUse::EndsSection;
    }
    if (use == LineUse::Other) {
        use = lf_takeAirline(line);
    }
    if (use == LineUse::Other) {
        use = lf_takeParkingTypes(line);
    }
    if (use == LineUse::Other) {
        use = lf_takeAtcId(line, "invalid atc_id={} in: {}");
    }
    return use;
}

LineUse FltSimSection::lf_takeAirline(const std::string& line)
{
    if (m_airline) {
        if (line.find(cfgkey::kAirline) == std::string::npos) {
            return LineUse::Other;
        }
        lf_incomplete("{} {} has more than one icao_airline key");
        return LineUse::EndsSection;
    }
    const auto value = lf_keyValue(line, cfgkey::kAirline);
    if (!value) {
        return LineUse::Other;
    }
    std::string candidate = lf_airlineValue(*value);
    if (candidate.size() == 4 && (candidate[3] == 'X' || candidate[3] == 'C')) {
        candidate.resize(3);
    }
    // "ZZZ" is the program's own code of a generic livery.
    if (candidate == "ZZZ" || gf_isKnownAirline(candidate)) {
        m_airline = std::move(candidate);
        return LineUse::Taken;
    }
    if (candidate == "RFO") {
        return LineUse::EndsSection;
    }
    m_file.report(g_invalidAirlineLines, fmt::format("{:12} in {} {}", candidate, m_file.pathText, m_firstLine));
    return LineUse::Taken;
}

// A section without an airline takes its registration's airline, or becomes a private
// aircraft unless it is a heavy one; false when it yields no livery.
bool FltSimSection::lf_airlineFromRegistration()
{
    const bool heavy = gf_aircraftSizeClass(m_file.type) == Category::Heavy;
    const std::string registration = m_registration.value_or("");
    if (!registration.empty()) {
        // A registration the database holds without an airline counts as not found.
        const std::optional<RegistrationData> known = gf_findRegistration(registration);
        if (known && !known->airline.empty()) {
            m_airline = known->airline;
            return true;
        }
        if (heavy) {
            lf_incomplete("'{}' '{}' has no airline and regcode not in dbase");
            return false;
        }
        m_airline = "PVT";
        return true;
    }
    if (heavy) {
        lf_incomplete("'{}' '{}' has no airline and no regcode info");
        return false;
    }
    m_airline = "PVT";
    m_registration = gf_findShortRegistrationIn(*m_title).value_or("");
    return true;
}

void FltSimSection::finish()
{
    if (m_silent) {
        return;
    }
    if (!m_airline) {
        m_file.report(g_incompleteSections, fmt::format("{} {} icao_airline is missing, or it has invalid info ",
                                                        m_file.pathText, m_firstLine));
    }
    if (m_endedEarly) {
        return;
    }
    // An empty title would make the scan's result file unreadable: it counts as missing.
    if (!m_title || m_title->empty()) {
        lf_incomplete("{} {} misses title");
        return;
    }
    if (m_title->ends_with("-STUB")) {
        m_airline = "ZZZ";
    }
    if (lf_isDontUseTitle(m_file, *m_title)) {
        return;
    }
    if (m_airline == "ZZZ") {
        m_registration.reset();
    }
    if (!m_airline && !lf_airlineFromRegistration()) {
        return;
    }
    const std::string parking = m_parkingTypes.value_or("");
    const bool cargo = parking.find("CARGO") != std::string::npos && parking.find("GATE") == std::string::npos;
    lf_makeLiveryIfNewTitle({*m_airline, *m_title, m_registration.value_or(""), cargo}, m_file, m_firstLine,
                            "{} {} title '{}' already exists");
}

} // namespace

void lf_procesFltSimSection(CfgSection section, const CfgFile& file)
{
    try {
        FltSimSection fltsim(section, file);
        fltsim.read(lf_withoutTrailingComments(section));
        fltsim.finish();
    } catch (const std::exception& e) {
        gf_log(fmt::format("Exception in lf_procesFltSimSection: {}, file: {}", e.what(), file.pathText));
        throw;
    }
}

void lf_processFltsims(const std::vector<std::string>& lines, const CfgFile& file)
{
    lf_cutSections(lines, false, [&](CfgSection section) { lf_procesFltSimSection(section, file); });
}
