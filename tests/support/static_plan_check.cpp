#include "support/static_plan_check.h"

#include "app/tick_state.h"
#include "engine/ac_containers.h"
#include "engine/stand_lookup.h"
#include "parking/stand.h"
#include "parking/static_parking.h"

#include <fmt/format.h>

#include <algorithm>

namespace testsupport {

namespace {

bool lf_liveParkedAtOrBeside(const Stand& stand)
{
    return std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [&](const LiveAc& ac) {
        return ac.flightPhase == FlightPhase::parked &&
               (ac.standId == stand.number ||
                std::find(stand.neighbours.begin(), stand.neighbours.end(), static_cast<std::uint32_t>(ac.standId)) !=
                    stand.neighbours.end());
    });
}

} // namespace

AdjustmentMade adjustmentJustMade()
{
    AdjustmentMade made{g_staticParkEntries, {}};
    for (const StaticAc& ac : g_staticAcs) {
        if (ac.simState == SimState::removingfromsim)
            made.leaving.push_back(ac.callsign);
    }
    return made;
}

bool staticParkingSettled()
{
    const bool passing = std::any_of(g_staticAcs.begin(), g_staticAcs.end(), [](const StaticAc& ac) {
        return ac.simState == SimState::adding2sim || ac.simState == SimState::removingfromsim;
    });
    return g_staticParkEntries.empty() && !gf_staticEntriesWaiting() && !passing && g_removalQueue.empty() &&
           g_addingStack.statics.empty() && !g_renewalRequested.load();
}

std::vector<std::string> unfilledPlanStands(const AdjustmentMade& made, const std::vector<std::string>& logged)
{
    // Lines about a stand begin with its name.
    const auto find = [&logged](const std::string& stand, const std::string& part) -> const std::string* {
        const std::string start = fmt::format("{:8}: ", stand);
        const auto line = std::find_if(logged.begin(), logged.end(), [&](const std::string& l) {
            return l.starts_with(start) && l.find(part) != std::string::npos;
        });
        return line == logged.end() ? nullptr : &*line;
    };
    std::vector<std::string> breaches;
    for (const StaticParkEntry& entry : made.plan) {
        const Stand* stand = gf_standByNumber(static_cast<std::int32_t>(entry.stand));
        const std::string standName = stand == nullptr ? std::to_string(entry.stand) : stand->id;
        const bool standing = std::any_of(g_staticAcs.begin(), g_staticAcs.end(), [&](const StaticAc& ac) {
            return ac.simState == SimState::active && ac.standId == static_cast<std::int32_t>(entry.stand) &&
                   ac.registration == entry.reg;
        });
        if (standing)
            continue;
        // An entry without a callsign is refused as "".
        if (const std::string* refusal = find(standName, fmt::format("no static parking for {}, ", entry.cs))) {
            for (const std::string& gone : made.leaving) {
                if (refusal->find(fmt::format("static aircraft {} is adjacent", gone)) != std::string::npos)
                    breaches.push_back(fmt::format("{} ({}) planned for stand {} was refused because of {}, which "
                                                   "the adjustment had taken out: \"{}\"",
                                                   entry.cs, entry.reg, standName, gone, *refusal));
            }
            continue;
        }
        // Created, then taken out again by the limit of parked aircraft.
        if ((stand != nullptr && lf_liveParkedAtOrBeside(*stand)) || find(standName, "static max park exceeded"))
            continue;
        breaches.push_back(fmt::format("{} ({}) planned for stand {} never stood there and nothing refused it",
                                       entry.cs, entry.reg, standName));
    }
    return breaches;
}

} // namespace testsupport
