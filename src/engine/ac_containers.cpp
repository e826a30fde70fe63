#include "engine/ac_containers.h"

#include "app/tick_state.h"
#include "parking/park_airport.h"
#include "parking/stand.h"

std::vector<LiveAc> g_liveAcs;
std::vector<StaticAc> g_staticAcs;
std::vector<std::uint32_t> g_spawnList;
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
}

} // namespace

// In the order of a fresh start; the steps of the simulator results, the static-parking
// plan, the failed creations, the park airports, the traffic queue, the QNH, the panel and
// the park file header belong here too, each at its place, as those parts come.
void gf_clearAcContainers()
{
    lf_forgetParkAirport();
    g_ghostList.clear();
    g_spawnList.clear();
    g_removalQueue = {};
    g_staticAcs.clear();
    g_liveAcs.clear();
    g_stands.clear();
    g_weekTime = 0;
}
