// Ghost copies of live aircraft: a callsign with a trailing '_' is a second transponder of
// a flight; it gives way to the aircraft whose callsign it copies.
#include "engine/ghost_rules.h"

#include "core/log.h"
#include "engine/ac_containers.h"
#include "engine/life_cycle.h"
#include "engine/stand_search.h"

#include <fmt/format.h>

#include <algorithm>

bool lf_ghostHasOriginal(std::string_view ghostCallsign)
{
    std::string_view base = ghostCallsign;
    if (base.ends_with('_'))
        base.remove_suffix(1);
    return std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [base](const LiveAc& ac) {
        return ac.callsign == base && ac.simState != SimState::removingfromsim;
    });
}

void lf_removeGhosts(std::string_view callsign)
{
    const std::string ghost = std::string(callsign) + '_';
    // Every spawn walks all live aircraft: the trailing '_' is looked at before the whole text.
    const auto it = std::find_if(g_liveAcs.begin(), g_liveAcs.end(), [&ghost](const LiveAc& ac) {
        return ac.callsign.size() == ghost.size() && ac.callsign.back() == '_' && ac.callsign == ghost &&
               ac.simState != SimState::removingfromsim;
    });
    if (it == g_liveAcs.end())
        return;
    if (it->flightPhase == FlightPhase::parked)
        gf_log(fmt::format("{:8}: {:8} is a ghost and will be removed, continue with {}", gf_standName(it->standId),
                           ghost, callsign));
    else
        gf_log(fmt::format("          {:8} is a ghost and will be removed, continue with {}", ghost, callsign));
    g_ghostList.push_back(ghost);
    removeAircraftFromSim(*it);
}
