// How a test sees one static parking adjustment: what it planned and took out as it finished,
// when everything it asked for has settled, and whether every stand its plan filled then holds
// its static aircraft.
#pragma once

#include "parking/static_park_plan.h"

#include <string>
#include <vector>

namespace testsupport {

struct AdjustmentMade {
    std::vector<StaticParkEntry> plan; // the entries to be created
    std::vector<std::string> leaving;  // callsigns of the static aircraft it took out
};

// Taken on the tick the adjustment ran, before the engine creates anything of its plan.
AdjustmentMade adjustmentJustMade();

// No entry planned or waiting, no static on its way in or out, no creation or removal queued and
// no renewal asked for.
bool staticParkingSettled();

// Once settled: every stand of the plan holds its static aircraft, unless a live aircraft parked
// there or beside it, a static one that stays, or the limit of parked aircraft kept it off; one
// sentence per breach. logged: the lines the program logged since the adjustment began.
std::vector<std::string> unfilledPlanStands(const AdjustmentMade& made, const std::vector<std::string>& logged);

} // namespace testsupport
