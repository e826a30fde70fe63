// Regcodes: registrations bound to livery titles, from the scanned liveries' own registrations,
// the AIG regcode file and the user's ".TXT" files in "my_regcodes".
#pragma once

#include "liveries/livery_tables.h"

#include <pugixml.hpp>

#include <filesystem>
#include <list>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct RegcodeRecord {
    std::string title;
    std::list<std::string> regs;
    bool special = false;
};

// Registration -> a view of the title stored in g_liveryTable.
using RegcodeMap = TextMap<std::string_view>;

extern RegcodeMap g_regcodeMap;
// Registrations of special records that list exactly one registration.
extern std::set<std::string> g_uniqueRegs;
// Titles of special records: the random title choice avoids them for other aircraft.
extern std::vector<std::string_view> g_boundTitles;
// Whether the title is one of g_boundTitles (by text, through an index kept beside the list).
bool gf_isBoundTitle(std::string_view title);
void lf_clearBoundTitles();
// Titles of records without registrations: the livery scan leaves such liveries out.
extern std::vector<std::string> g_dontUseTitles;
// Report lines of one offline processing run ("OfflineRegcodes.txt").
extern std::vector<std::string> g_regcodeReport;

// Reads every ".TXT" file of the folder (not its subfolders); false after any fault, with the
// good records still appended.
bool gf_readRegcodeFiles(const std::filesystem::path& folder, std::list<RegcodeRecord>& records);
// Reads the decrypted AIG regcode file; false after any fault.
bool gf_readAigRegcodesXml(std::list<RegcodeRecord>& records);
// The attribute's text, empty when absent.
std::string gf_xmlAttrString(const pugi::xml_node& node, const char* name);

// Start-up processing, after the livery tables exist: the scanned liveries' registrations,
// then the AIG file and the user's files (later definitions win).
void lf_processInlineRegcodes();
void lf_processOfflineRegcodes();
void lf_mergeRegcodes(const std::list<RegcodeRecord>& records);
// Before a scan: the titles the AIG file and the user's files say not to use.
void lf_loadDontUseTitles();
