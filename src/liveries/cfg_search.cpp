// The scan task of one aircraft.cfg: read it in its charset, check its section headers, find
// its type and collect the liveries of its sections.
#include "liveries/aircraft_cfg.h"
#include "liveries/aircraft_cfg_parts.h"
#include "liveries/cfg_lines.h"

#include "core/charset.h"
#include "core/log.h"
#include "core/path_text.h"

#include <fmt/format.h>

namespace {

CfgFile lf_cfgFile(std::int32_t folderIndex, std::filesystem::path path, CfgFindings& findings,
                   const std::vector<std::string>& dontUseTitles)
{
    CfgFile file;
    file.findings = &findings;
    file.dontUseTitles = &dontUseTitles;
    file.pathText = path_to_utf8(path);
    file.folderText = path_to_utf8(path.parent_path());
    findings.folderText = file.folderText;
    file.path = std::move(path);
    file.folderIndex = folderIndex;
    return file;
}

// Reads the file once, its charset found from its first bytes. A file that is gone since the
// walk gives nothing, without a word, when `missingIsSilent`.
bool lf_readCfgLines(const CfgFile& file, std::vector<std::string>& lines, bool missingIsSilent)
{
    const DetectedTextLines read = gf_readDetectedTextFileLines(file.path, lines);
    if (read.charset == Charset::none_found) {
        std::error_code error;
        if (!missingIsSilent || std::filesystem::exists(file.path, error)) {
            gf_log(fmt::format("! No text encoding detected for {}", file.pathText));
        }
        return false;
    }
    if (!read.read) {
        gf_log(fmt::format("! Failed reading {}", file.pathText));
        return false;
    }
    return true;
}

// False when the file cannot be used: a section number beyond 32 bits or above 10000. A file
// without any section is listed and passes (it yields nothing).
bool lf_checkSectionHeaders(const std::vector<std::string>& lines, const CfgFile& file)
{
    bool anyHeader = false;
    for (const std::string& line : lines) {
        if (!lf_isFltsimHeader(line)) {
            continue;
        }
        anyHeader = true;
        const std::optional<std::int32_t> number = lf_fltsimNumber(line);
        if (!number) {
            gf_logMarked(fmt::format("fltsim num {} incorrect", line));
            return false;
        }
        if (*number > kDamagedHeaderNumber) {
            file.report(g_invalidCfgFiles, fmt::format("{} contains a [fltsim.x] section with a number < 0 or > {}",
                                                       file.pathText, kDamagedHeaderNumber));
            return false;
        }
    }
    if (!anyHeader) {
        file.report(g_noFltsimFiles, file.pathText);
    }
    return true;
}

void lf_searchOrdinaryFile(CfgFile& file)
{
    std::vector<std::string> lines;
    if (!lf_readCfgLines(file, lines, true) || !lf_checkSectionHeaders(lines, file)) {
        return;
    }
    file.type = lf_fixModel(lines, file);
    if (!file.type.empty()) {
        lf_processFltsims(lines, file);
    }
}

void lf_searchIvaoFile(CfgFile& file)
{
    file.type = lf_ivaoModelFromPath(file);
    if (file.type.empty()) {
        return;
    }
    std::vector<std::string> lines;
    if (lf_readCfgLines(file, lines, false) && lf_checkSectionHeaders(lines, file)) {
        lf_processIvaoFltsims(lines, file);
    }
}

} // namespace

bool lf_isIvaoPath(std::string_view pathText)
{
    return pathText.find("ivao_x-csl") != std::string_view::npos || pathText.find("IVAO_MTL") != std::string_view::npos;
}

CfgFindings lf_searchLiveriesinFile(std::int32_t folderIndex, std::filesystem::path path,
                                    const std::vector<std::string>& dontUseTitles)
{
    CfgFindings findings;
    CfgFile file = lf_cfgFile(folderIndex, std::move(path), findings, dontUseTitles);
    try {
        lf_searchOrdinaryFile(file);
        return findings;
    } catch (const std::exception& e) {
        gf_log(fmt::format("! Exception in lf_searchLiveriesinFile {}: {}", file.pathText, e.what()));
        throw;
    }
}

CfgFindings lf_searchLiveriesinIVAOFile(std::int32_t folderIndex, std::filesystem::path path,
                                        const std::vector<std::string>& dontUseTitles)
{
    CfgFindings findings;
    CfgFile file = lf_cfgFile(folderIndex, std::move(path), findings, dontUseTitles);
    try {
        lf_searchIvaoFile(file);
        return findings;
    } catch (const std::exception& e) {
        gf_log(fmt::format("! Exception in lf_searchLiveriesinIVAOFile {}: {}", file.pathText, e.what()));
        throw;
    } catch (...) {
        gf_log(fmt::format("! Unknown exception in lf_searchLiveriesinIVAOFile {}", file.pathText));
        throw;
    }
}
