// Entering regcodes into the tables at start-up, and the don't-use titles before a scan.
#include "liveries/regcodes.h"

#include "core/folders.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/text_lines.h"
#include "core/text_strings.h"
#include "liveries/livery_data.h"
#include "refdata/data_crypt.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>
#include <system_error>
#include <unordered_set>

RegcodeMap g_regcodeMap;
std::set<std::string> g_uniqueRegs;
std::vector<std::string_view> g_boundTitles;
std::vector<std::string> g_dontUseTitles;
std::vector<std::string> g_regcodeReport;

namespace {

// g_boundTitles by text: matching asks for every pick whether a title is bound.
std::unordered_set<std::string_view, Fnv1aHash> g_boundTitleIndex;

std::filesystem::path lf_aigRegcodesEnc()
{
    return folders::input() / "AIG-regcodes.enc";
}

// Writes report lines into a file of the error report folder, replacing it.
std::filesystem::path lf_writeErrorReport(const char* fileName, const std::vector<std::string>& lines)
{
    std::error_code ec;
    std::filesystem::create_directories(folders::outputErrors(), ec);
    const std::filesystem::path file = folders::outputErrors() / fileName;
    gf_writeLines(file, lines);
    return file;
}

void lf_processRegcodeFile()
{
    const std::string file = path_to_utf8(folders::aigRegcodesXml());
    g_regcodeReport.push_back(fmt::format("Processing file {}", file));
    std::list<RegcodeRecord> records;
    if (!gf_readAigRegcodesXml(records)) {
        g_regcodeReport.push_back(
            fmt::format("There were errors processing the AIG-regcode file '{}', see Log.txt", file));
    }
    lf_mergeRegcodes(records);
}

void lf_processRegcodeFolder()
{
    const std::filesystem::path folder = folders::myRegcodes();
    if (!gf_dirHasEntries(folder)) {
        return;
    }
    g_regcodeReport.push_back(fmt::format("Processing files in {}", path_to_utf8(folder)));
    std::list<RegcodeRecord> records;
    if (!gf_readRegcodeFiles(folder, records)) {
        gf_showMessage(fmt::format("There were errors processing the regcode files in folder '{}', see Log.txt",
                                   path_to_utf8(folder)),
                       true);
    }
    lf_mergeRegcodes(records);
}

void lf_writeOfflineReport()
{
    const std::filesystem::path file = folders::outputErrors() / "OfflineRegcodes.txt";
    std::error_code ec;
    std::filesystem::remove(file, ec);
    if (!g_regcodeReport.empty()) {
        lf_writeErrorReport("OfflineRegcodes.txt", g_regcodeReport);
        gf_log(fmt::format("Offline regcode files processed, results can be found in '{}'", path_to_utf8(file)));
    }
}

std::size_t lf_appendDontUseTitles(const std::list<RegcodeRecord>& records)
{
    std::size_t added = 0;
    for (const RegcodeRecord& record : records) {
        if (record.regs.empty()) {
            g_dontUseTitles.push_back(record.title);
            ++added;
        }
    }
    return added;
}

void lf_readDontUseTitlesFile()
{
    if (!gf_streamDecrypt(lf_aigRegcodesEnc(), folders::aigRegcodesXml())) {
        return;
    }
    std::list<RegcodeRecord> records;
    gf_readAigRegcodesXml(records);
    const std::size_t added = lf_appendDontUseTitles(records);
    gf_log(fmt::format("{} don't use title{} read", added, gf_plural(added)));
    gf_removeFileWithWarning(folders::aigRegcodesXml());
}

void lf_readDontUseTitlesFolder()
{
    const std::filesystem::path folder = folders::myRegcodes();
    if (!gf_dirHasEntries(folder)) {
        return;
    }
    std::list<RegcodeRecord> records;
    gf_readRegcodeFiles(folder, records);
    const std::size_t added = lf_appendDontUseTitles(records);
    gf_log(fmt::format("{} don't use title{} read from files in {}", added, gf_plural(added), path_to_utf8(folder)));
}

} // namespace

void lf_processInlineRegcodes()
{
    std::vector<std::string> clashes;
    // Room for every registration at once, so the map does not grow step by step.
    g_regcodeMap.reserve(g_regcodeMap.size() +
                         static_cast<std::size_t>(std::count_if(g_scannedLiveries.begin(), g_scannedLiveries.end(),
                                                                [](const LiveryData& l) { return !l.atcid.empty(); })));
    for (const LiveryData& livery : g_scannedLiveries) {
        if (livery.atcid.empty()) {
            continue;
        }
        const std::string_view title = lf_findTitle(livery.title);
        if (title.empty()) {
            clashes.push_back(fmt::format("==> [{:3} {:4}] {} '{}' not available, system error, should not happen?",
                                          livery.airl, livery.type, livery.atcid, livery.title));
            continue;
        }
        const auto [entry, inserted] = g_regcodeMap.try_emplace(livery.atcid, title);
        if (!inserted && entry->second != title) {
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", livery.atcid, title, entry->second));
        }
    }
    if (!clashes.empty()) {
        const std::filesystem::path file = lf_writeErrorReport("InlineRegcodes.txt", clashes);
        gf_log(fmt::format("{} in-line regcode clashes, see '{}'", clashes.size(), path_to_utf8(file)));
    }
}

void lf_processOfflineRegcodes()
{
    g_regcodeReport.clear();
    if (!gf_streamDecrypt(lf_aigRegcodesEnc(), folders::aigRegcodesXml())) {
        return;
    }
    lf_processRegcodeFile();
    gf_removeFileWithWarning(folders::aigRegcodesXml());
    lf_processRegcodeFolder();
    lf_writeOfflineReport();
    if (!g_boundTitles.empty()) {
        gf_log(fmt::format("{} special liveries", g_boundTitles.size()));
    }
    if (!g_uniqueRegs.empty()) {
        gf_log(fmt::format("{} unique liveries", g_uniqueRegs.size()));
    }
}

void lf_mergeRegcodes(const std::list<RegcodeRecord>& records)
{
    std::size_t added = 0;
    std::size_t replaced = 0;
    std::size_t special = 0;
    std::size_t registrations = 0;
    for (const RegcodeRecord& record : records) {
        registrations += record.regs.size();
    }
    g_regcodeMap.reserve(g_regcodeMap.size() + registrations);
    for (const RegcodeRecord& record : records) {
        const std::string_view title = lf_findTitle(record.title);
        if (title.empty()) {
            continue;
        }
        for (const std::string& reg : record.regs) {
            const auto [entry, inserted] = g_regcodeMap.try_emplace(reg, title);
            if (inserted) {
                ++added;
            } else if (entry->second != title) {
                g_regcodeReport.push_back(
                    fmt::format("   regcode {} for '{}', instead of the same for '{}'", reg, title, entry->second));
                entry->second = title;
                ++replaced;
            }
        }
        if (record.special) {
            if (record.regs.size() == 1) {
                g_uniqueRegs.insert(record.regs.front());
            }
            g_boundTitles.push_back(title);
            g_boundTitleIndex.insert(title);
            ++special;
        }
    }
    std::string line = fmt::format("{} new regcode{} added", added, gf_plural(added));
    if (replaced > 0) {
        line += fmt::format(", {} regcode{} replaced", replaced, gf_plural(replaced));
    }
    if (special > 0) {
        line += fmt::format(", {} regcode{} defined as special", special, gf_plural(special));
    }
    gf_log(line);
}

bool gf_isBoundTitle(std::string_view title)
{
    return g_boundTitleIndex.contains(title);
}

void lf_clearBoundTitles()
{
    g_boundTitles.clear();
    g_boundTitleIndex.clear();
}

void lf_loadDontUseTitles()
{
    try {
        lf_readDontUseTitlesFile();
        lf_readDontUseTitlesFolder();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("exception: {}", e.what()));
    }
}
