// The closest airport to a position, with the neighbour rule for airports side by side.
#include "refdata/airport_db.h"

#include "core/log.h"
#include "parking/closest_stand.h"

#include <fmt/format.h>

namespace {

constexpr double kClosestLimitNm = 5.0;
constexpr double kMetersPerNm = 1852.0;

} // namespace

const Airport* gf_findClosestAirport(const LatLon& position, bool& undecided)
{
    undecided = false;
    double bestDistance = 100.0;
    const Airport* best = nullptr;
    const Airport* neighbour = nullptr;
    for (const auto& airport : g_airports) {
        const double distance = gf_distanceNm(position, {airport.lat, airport.lon});
        if (distance <= kClosestLimitNm && distance < bestDistance) {
            if (best != nullptr) {
                neighbour = best;
            }
            best = &airport;
            bestDistance = distance;
        }
    }
    if (best == nullptr || neighbour == nullptr) {
        return best;
    }
    // Both lookups are asked in the same pass, so both files are fetched together.
    std::string bestStand;
    std::string neighbourStand;
    const auto bestStandNm = gf_readDestApfForClosestStand(best->code, position, bestStand);
    const auto neighbourStandNm = gf_readDestApfForClosestStand(neighbour->code, position, neighbourStand);
    if (!bestStandNm || !neighbourStandNm) {
        undecided = true;
        return nullptr;
    }
    gf_log(fmt::format("Airport {} is closest, neighbour is {}", best->code, neighbour->code));
    if (*neighbourStandNm < *bestStandNm) {
        gf_log(fmt::format("Airport {} is closest, but stand {} at neighbouring airport {} is closer at {:.0F} meters ...",
                           best->code, neighbourStand, neighbour->code, *neighbourStandNm * kMetersPerNm));
        return neighbour;
    }
    return best;
}
