// The steps of the aircraft.cfg searches, shared by their files.
#pragma once

#include "liveries/aircraft_cfg.h"
#include "liveries/livery_data.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The aircraft.cfg being searched. Its findings and the don't-use titles are the task's own,
// so a task given up by the scan never touches the scan's shared lists.
struct CfgFile {
    std::filesystem::path path;
    std::string pathText;   // the path as UTF-8
    std::string folderText; // the folder holding the file, as UTF-8
    std::int32_t folderIndex = 0;
    std::string type;       // ICAO type of the file's aircraft
    CfgFindings* findings = nullptr;
    const std::vector<std::string>* dontUseTitles = nullptr;

    // Keeps a line for the report list; it reaches the list when the file's findings are merged.
    void report(ReportLines& list, std::string line) const { findings->reports.emplace_back(&list, std::move(line)); }
};

using CfgSection = std::span<const std::string>;

// The type the candidate code stands for: itself when known, its correction from the fix list
// (reported to g_fixLines), else empty (reported to g_invalidModelLines).
std::string lf_checkModel(const std::string& candidate, const CfgFile& file);
// The type of an ordinary file from its icao_type_designator or base_container lines.
std::string lf_fixModel(const std::vector<std::string>& lines, const CfgFile& file);
// The type of an IVAO MTL file from its folder name "IVAO_<type>...".
std::string lf_ivaoModelFromPath(const CfgFile& file);

// Cut the lines into [fltsim.N] sections and add the liveries of each to the file's findings.
void lf_processFltsims(const std::vector<std::string>& lines, const CfgFile& file);
void lf_processIvaoFltsims(const std::vector<std::string>& lines, const CfgFile& file);
void lf_procesFltSimSection(CfgSection section, const CfgFile& file);
void lf_processIvaoFltsim(CfgSection section, const CfgFile& file);

// Calls process for every [fltsim.N] section of the lines that holds a line, in file order.
// Another section header ends a section: a line with "[" among its first six characters, or
// with ivaoHeaders anywhere in the line.
void lf_cutSections(const std::vector<std::string>& lines, bool ivaoHeaders,
                    const std::function<void(CfgSection)>& process);

// The keys both kinds of section share, read line by line.
enum class LineUse { Other, Taken, EndsSection };
class SectionReader {
public:
    SectionReader(CfgSection section, const CfgFile& file) : m_file(file), m_firstLine(section.front()) {}
    virtual ~SectionReader() = default;
    SectionReader(const SectionReader&) = delete;
    SectionReader& operator=(const SectionReader&) = delete;

    // Takes the section's lines in order until one ends the section early.
    void read(CfgSection lines)
    {
        for (const std::string& line : lines) {
            if (lf_takeLine(line) == LineUse::EndsSection) {
                m_endedEarly = true;
                return;
            }
        }
    }

protected:
    // One line of the section: what it set, or that it ends the section.
    virtual LineUse lf_takeLine(const std::string& line) = 0;
    // A title line sets the title (trimmed, the trimming logged when asked); a second one ends
    // the section.
    LineUse lf_takeTitle(const std::string& line, bool logTrimming);
    // The first atc_parking_types line sets them; a later line naming the key ends the section.
    LineUse lf_takeParkingTypes(const std::string& line);
    // The first valid atc_id line sets the registration; an invalid one is reported with the
    // format (value, title); a later line naming the key ends the section.
    LineUse lf_takeAtcId(const std::string& line, std::string_view invalidFormat);
    // Reports the section with the format (folder, first line).
    void lf_incomplete(std::string_view format) const;

    const CfgFile& m_file;
    std::string_view m_firstLine;
    std::optional<std::string> m_title;
    std::optional<std::string> m_parkingTypes;
    std::optional<std::string> m_registration;
    bool m_endedEarly = false;
};

// The section without its trailing empty and "//" lines.
CfgSection lf_withoutTrailingComments(CfgSection section);
// Whether the title is one of those the regcode files say not to use.
bool lf_isDontUseTitle(const CfgFile& file, std::string_view title);

struct NewLivery {
    std::string airline;
    std::string title;
    std::string registration;
    bool cargo = false;
};
// Adds the livery to the file's findings, with the format of the report line (folder, section's
// first line, title; a literal) it gets when its title is already taken once the findings are
// merged.
void lf_makeLiveryIfNewTitle(NewLivery livery, const CfgFile& file, std::string_view firstLine,
                             std::string_view duplicateFormat);
