// The engine's aircraft containers and their reset.
#include "engine/ac_containers.h"

#include "core/run_state.h"
#include "engine/no_match_lines.h"
#include "parking/stand.h"

#include <fmt/format.h>

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

// Every registered piece of engine and static-parking state, the park airport among
// them, back to its fresh-start value.
void gf_clearAcContainers()
{
    gf_resetRunState(RunStateArea::Engine);
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_liveAcs, g_staticAcs, g_spawnList, g_removalQueue, g_ghostList, g_noLiverySet,
              g_noMatchLines),
    {"g_addingStack", RunStateArea::Engine, [] { g_addingStack = {}; },
     [] { return fmt::format("{} live, {} static", g_addingStack.live.size(), g_addingStack.statics.size()); }},
};

} // namespace
