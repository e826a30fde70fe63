// Scanned liveries and the report lists of a scan.
#include "liveries/livery_data.h"

#include <tuple>

std::vector<LiveryData> g_scannedLiveries;

ReportLines g_noFltsimFiles;
ReportLines g_invalidCfgFiles;
ReportLines g_incompleteSections;
ReportLines g_invalidAirlineLines;
ReportLines g_invalidModelLines;
ReportLines g_fixLines;
ReportLines g_dbaseCorrectionLines;

std::mutex g_scanTitlesMutex;
std::unordered_set<std::string> g_scanTitles;

bool lf_sameLivery(const LiveryData& a, const LiveryData& b)
{
    return a.title == b.title && a.airl == b.airl && a.type == b.type && a.atcid == b.atcid && a.cargo == b.cargo;
}

bool operator<(const LiveryData& a, const LiveryData& b)
{
    return std::tie(a.airl, a.type, a.title) < std::tie(b.airl, b.type, b.title);
}

void ReportLines::append(std::string line)
{
    std::lock_guard lock(mutex);
    lines.push_back(std::move(line));
}

std::vector<std::string> ReportLines::snapshot()
{
    std::lock_guard lock(mutex);
    return lines;
}

void ReportLines::clear()
{
    std::lock_guard lock(mutex);
    lines.clear();
}
