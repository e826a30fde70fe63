// Ghost lookups; the ghost removal itself comes with the proximity rules.
#include "engine/ghost_rules.h"

#include "engine/ac_containers.h"

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

void lf_removeGhosts(std::string_view) {}
