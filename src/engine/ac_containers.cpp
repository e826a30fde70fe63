#include "engine/ac_containers.h"

#include "app/tick_state.h"
#include "engine/learned_updates.h"
#include "parking/park_adjustment.h"
#include "parking/park_airport.h"
#include "parking/park_airports.h"
#include "parking/park_file_load.h"
#include "parking/stand.h"
#include "parking/static_park_plan.h"
#include "parking/static_parking.h"
#include "traffic/reader_lights.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <mutex>

std::vector<LiveAc> g_liveAcs;
std::vector<StaticAc> g_staticAcs;
std::vector<std::uint32_t> g_spawnList;
AddingStack g_addingStack;
std::deque<std::uint32_t> g_removalQueue;
std::vector<std::string> g_ghostList;
std::unordered_set<std::string> g_noLiverySet;

void gf_reserveAcContainers()
{
    g_liveAcs.reserve(512);
    g_staticAcs.reserve(256);
    g_stands.reserve(512);
}

namespace {

// The park airport is forgotten; the Traffic Reader sees it unset before its position changes.
void lf_forgetParkAirport()
{
    g_parkAirport.clear();
    g_parkAirportIata.clear();
    g_parkAirportSet = false;
    g_parkAirportLat = 0.0;
    g_parkAirportLon = 0.0;
    g_parkAirportElevation = 0.0;
}

} // namespace

// In the order of a fresh start. The steps of the status panel counters, the kept list of
// identified objects, the failed creations and their title cache and the busy flag belong
// here too, each at its place, as those parts come.
void gf_clearAcContainers()
{
    lf_forgetParkAirport();
    {
        std::lock_guard lock(g_simResultMutex);
        g_simResults.clear();
    }
    g_ghostList.clear();
    g_staticParkEntries.clear();
    g_spawnList.clear();
    g_parkAirports.clear();
    g_removalQueue = {};
    g_addingStack = {};
    gf_clearAdjustmentLists();
    g_staticAcs.clear();
    {
        std::lock_guard lock(g_trafficMutex);
        g_trafficQueue = {};
    }
    g_parkReloadPending = false;
    g_liveAcs.clear();
    g_stands.clear();
    g_currentQnh = 1013;
    g_parkFileHeader = {};
    g_learnedUpdates = 0;
    g_weekTime = 0;
}
