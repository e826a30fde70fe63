// Corrections, summary lines and report files of a livery scan.
#include "liveries/scan_report.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/text_lines.h"
#include "core/text_strings.h"
#include "liveries/livery_data.h"
#include "liveries/regcodes.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <algorithm>
#include <system_error>

namespace {

const char* lf_flag(bool value)
{
    return value ? "true" : "false";
}

void lf_correct(LiveryData& livery, const RegistrationData& known)
{
    if (known.cargo != livery.cargo) {
        g_dbaseCorrectionLines.append(fmt::format("{:80} {} cargo {} => {}", livery.title, livery.atcid,
                                                  lf_flag(livery.cargo), lf_flag(known.cargo)));
        livery.cargo = known.cargo;
    }
    // A registration without an airline or a type keeps the scanned one: a livery needs both.
    const std::string& airline = known.operatorCode.empty() ? known.airline : known.operatorCode;
    if (!airline.empty() && airline != livery.airl) {
        g_dbaseCorrectionLines.append(
            fmt::format("{:80} {} airl {} => {}", livery.title, livery.atcid, livery.airl, airline));
        livery.airl = airline;
    }
    if (!known.type.empty() && known.type != livery.type) {
        g_dbaseCorrectionLines.append(
            fmt::format("{:80} {} model {} => {}", livery.title, livery.atcid, livery.type, known.type));
        livery.type = known.type;
    }
}

void lf_ensureErrorsFolder()
{
    std::error_code ec;
    std::filesystem::create_directories(folders::outputErrors(), ec);
}

// Writes one report and logs its summary line with the count and the file.
void lf_report(const std::filesystem::path& file, const std::vector<std::string>& lines, std::size_t count,
               const std::string& format)
{
    gf_writeLines(file, lines);
    gf_log(fmt::format(fmt::runtime(format), count, path_to_utf8(file)));
}

void lf_sortedReport(std::vector<std::string> lines, const char* fileName, const char* format)
{
    if (lines.empty()) {
        return;
    }
    std::sort(lines.begin(), lines.end());
    lf_ensureErrorsFolder();
    lf_report(folders::outputErrors() / fileName, lines, lines.size(), format);
}

void lf_codeReport(std::vector<std::string> lines, const char* fileName, const char* what)
{
    if (lines.empty()) {
        return;
    }
    std::sort(lines.begin(), lines.end());
    lf_ensureErrorsFolder();
    const std::filesystem::path file = folders::outputErrors() / fileName;
    gf_writeLines(file, lines);
    gf_log(fmt::format("{} invalid {} code{}, see {}", lines.size(), what, gf_plural(lines.size()),
                       path_to_utf8(file)));
}

void lf_fixReport(const std::vector<std::string>& lines)
{
    if (lines.empty()) {
        return;
    }
    const std::filesystem::path file = folders::outputErrors() / "Fixes.txt";
    std::error_code ec;
    std::filesystem::create_directories(folders::outputErrors(), ec);
    if (ec || !gf_writeLines(file, lines)) {
        gf_log(fmt::format("Error writing file {}: {}", path_to_utf8(file),
                           ec ? ec.message() : std::string("cannot open the file")));
        return;
    }
    gf_log(fmt::format("{} code fixes, see {}", lines.size(), path_to_utf8(file)));
}

void lf_incompleteReport(std::vector<std::string> lines)
{
    if (lines.empty()) {
        return;
    }
    const std::size_t count = lines.size();
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    lf_ensureErrorsFolder();
    lf_report(folders::outputErrors() / "IncompleFltsimSections.txt", lines, count,
              "{} incomplete [fltsim.x] sections, see {}");
}

} // namespace

void lf_writeDbaseCorrections()
{
    for (LiveryData& livery : g_scannedLiveries) {
        if (livery.atcid.empty()) {
            continue;
        }
        if (const auto known = gf_findRegistration(livery.atcid)) {
            lf_correct(livery, *known);
        }
    }
}

void lf_writeScanReport()
{
    std::vector<std::string> invalidAirlines = g_invalidAirlineLines.snapshot();
    std::vector<std::string> invalidModels = g_invalidModelLines.snapshot();
    std::vector<std::string> fixes = g_fixLines.snapshot();
    std::vector<std::string> invalidCfgFiles = g_invalidCfgFiles.snapshot();
    std::vector<std::string> incomplete = g_incompleteSections.snapshot();
    std::vector<std::string> noFltsim = g_noFltsimFiles.snapshot();
    std::vector<std::string> corrections = g_dbaseCorrectionLines.snapshot();

    const bool errors = !invalidAirlines.empty() || !invalidModels.empty() || !fixes.empty() ||
                        !invalidCfgFiles.empty() || !incomplete.empty();
    gf_log(errors ? "\nErrors:" : "\nNo errors");
    lf_codeReport(std::move(invalidAirlines), "InvalidAirlineCodes.txt", "airline");
    lf_codeReport(std::move(invalidModels), "InvalidAircraftCodes.txt", "model");
    lf_fixReport(fixes);
    lf_sortedReport(std::move(invalidCfgFiles), "InvalidAircraftCfgFiles.txt",
                    "{} invalid aircraft.cfg files, see {}");
    lf_incompleteReport(std::move(incomplete));

    gf_log("\nInformation:");
    if (!noFltsim.empty()) {
        std::sort(noFltsim.begin(), noFltsim.end());
        lf_report(folders::outputInfo() / "AircraftCfgWithNoFltsimSection.txt", noFltsim, noFltsim.size(),
                  "{} empty aircraft.cfg files, see {}");
    }
    if (!corrections.empty()) {
        lf_report(folders::outputInfo() / "AirlineModelConversions.txt", corrections, corrections.size(),
                  "{} liveries updated with real live data from dbase, see {}");
    }
}

void lf_resetScanResults()
{
    for (ReportLines* list : {&g_noFltsimFiles, &g_invalidCfgFiles, &g_incompleteSections, &g_invalidAirlineLines,
                              &g_invalidModelLines, &g_fixLines, &g_dbaseCorrectionLines}) {
        list->clear();
    }
    {
        std::lock_guard lock(g_scanTitlesMutex);
        g_scanTitles.clear();
    }
    g_dontUseTitles.clear();
}
