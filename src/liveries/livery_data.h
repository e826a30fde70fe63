// One scanned livery, the list of them, and the report lists a livery scan fills.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

struct LiveryData {
    std::string airl;  // ICAO airline code; "ZZZ" generic, "PVT" private
    std::string type;  // ICAO type designator
    std::string title; // the simulator's name of the livery
    std::string atcid; // registration, may be empty
    std::int32_t folderIndex = 0; // 1-based livery folder of the scan; 0 when read back from the file
    bool cargo = false;
};

// Same livery: everything but the livery folder.
bool lf_sameLivery(const LiveryData& a, const LiveryData& b);
inline bool operator==(const LiveryData& a, const LiveryData& b)
{
    return lf_sameLivery(a, b);
}
// Scan order: airline, then type, then title, byte-wise.
bool operator<(const LiveryData& a, const LiveryData& b);

extern std::vector<LiveryData> g_scannedLiveries;

// A report list of one scan: lines appended from the scan tasks under its own mutex.
struct ReportLines {
    std::mutex mutex;
    std::vector<std::string> lines;

    void append(std::string line);
    std::vector<std::string> snapshot();
    void clear();
};

extern ReportLines g_noFltsimFiles;
extern ReportLines g_invalidCfgFiles;
extern ReportLines g_incompleteSections;
extern ReportLines g_invalidAirlineLines;
extern ReportLines g_invalidModelLines;
extern ReportLines g_fixLines;
extern ReportLines g_dbaseCorrectionLines;

// Titles accepted in this scan, kept unique by the aircraft.cfg parser. Hashed: a scan claims
// tens of thousands of titles one by one, and their order is never read.
extern std::mutex g_scanTitlesMutex;
extern std::unordered_set<std::string> g_scanTitles;
