#include "engine/ac_containers.h"

#include "app/tick_state.h"

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
}

// In the order of a fresh start; the steps of the simulator results, the static-parking
// plan, the failed creations, the park airports, the traffic queue, the QNH, the panel and
// the park file header belong here too, each at its place, as those parts come.
void gf_clearAcContainers()
{
    g_ghostList.clear();
    g_spawnList.clear();
    g_removalQueue = {};
    g_staticAcs.clear();
    g_liveAcs.clear();
    g_weekTime = 0;
}
