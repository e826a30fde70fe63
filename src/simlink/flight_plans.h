// AI flight-plan files, and the bookkeeping of liveries across creations: the
// title last chosen per aircraft and the titles the simulator refused.
#pragma once

#include "core/string_hash.h"
#include "engine/aircraft_records.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

using StringSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;

// The folder "orig_dest" under the program's app-data folder.
extern std::filesystem::path g_flightPlanFolder;
// The livery title last chosen per aircraft id (main loop thread). The titles are views into
// the livery tables, like every livery title an aircraft record or a create request holds:
// the tables outlive them all (they are rebuilt only with the engine stopped and its
// records and queues emptied), so emptying this cache leaves no record pointing nowhere.
extern std::unordered_map<std::uint32_t, std::string_view> g_liveryTitleCache;
// Livery titles whose creation the simulator refused; matching never chooses them again.
extern StringSet g_failedLiveries;
// "{type} {airline}" of each refused creation, for the matching summary.
extern StringSet g_failedLiveryList;

// Sets g_flightPlanFolder and creates it; returns whether it exists afterwards.
bool gf_createFlightPlanFolder();
// g_flightPlanFolder / "{objectId}.pln".
std::filesystem::path gf_flightPlanPath(std::uint32_t objectId);
// Writes the AceXML plan from the aircraft's origin to its destination; false when
// the file cannot be opened (nothing is written then).
bool gf_writeFlightPlan(const std::filesystem::path& path, const AircraftData& aircraft);
// The cached title of an aircraft unless it has failed since (then it is forgotten).
std::optional<std::string_view> gf_cachedLiveryTitle(std::uint32_t aircraftId);
// Records a refused creation; at 20 refused titles throws vtx::UserErrorException 81.
void gf_noteFailedLivery(const AircraftData& aircraft);
