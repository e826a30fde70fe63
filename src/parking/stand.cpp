// Stands: construction, same-use test, numbering and neighbour lists.
#include "parking/stand.h"
#include "core/run_state.h"
#include "engine/stand_lookup.h"
#include "parking/learned_kept_aside.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

std::vector<Stand> g_stands;

Stand::Stand(std::string&& standId, std::vector<ParkOpt>&& standOptions, const StandPlace& place, double radiusMeters,
             bool isCargo, bool isRamp, bool isHeli)
    : options(std::move(standOptions)), id(std::move(standId)), latitude(place.latitude),
      longitude(place.longitude), heading(place.heading), radius(radiusMeters * kNmPerMeter), cargo(isCargo),
      ramp(isRamp), heli(isHeli)
{
    neighbours.reserve(8);
}

bool gf_sameUse(const ParkOpt& a, const ParkOpt& b)
{
    return a.day == b.day && a.real == b.real && a.reg == b.reg && a.airl == b.airl && a.type == b.type &&
           (a.hh & b.hh).any();
}

void gf_renumberStandOptions()
{
    for (Stand& stand : g_stands) {
        std::uint32_t seq = 1;
        for (ParkOpt& option : stand.options)
            option.seq = seq++;
    }
}

void gf_clearParkPositions()
{
    g_stands.clear();
    g_learnedKeptAside.clear();
    gf_standsChanged();
}

namespace {

// Great-circle distance is never below the distance along the meridian (60 nm per degree of
// latitude); pairs further apart than that in latitude cannot overlap and are not measured.
constexpr double kNmPerDegreeLatitude = 60.0;
constexpr double kOverlapFactor = 1.1;
constexpr double kSafety = 1.0 + 1e-9;

// Nor is it below (2/pi) min(cos lat) times the longitude difference at 60 nm per degree: the
// haversine gives sin(d/2) >= sqrt(cos lat1 cos lat2) sin(dlon/2), and sin x >= 2x/pi up to pi/2.
// This floor is far enough below the distance that rounding never makes a pair it rules out overlap.
double lf_longitudeFloorNm(const Stand& a, const Stand& b, double cosLatA, double cosLatB)
{
    const double dlon = std::abs(b.longitude - a.longitude);
    return 2.0 / std::numbers::pi * std::min(cosLatA, cosLatB) * std::min(dlon, 360.0 - dlon) * kNmPerDegreeLatitude;
}

bool lf_overlap(const Stand& a, const Stand& b, double cosLatA, double cosLatB)
{
    const double radii = a.radius + b.radius;
    if (kOverlapFactor * lf_longitudeFloorNm(a, b, cosLatA, cosLatB) > radii * kSafety) {
        return false;
    }
    return radii > kOverlapFactor * gf_distanceNm({a.latitude, a.longitude}, {b.latitude, b.longitude});
}

} // namespace

void gf_numberStandsAndFindNeighbours(std::vector<Stand>& stands)
{
    double largestRadius = 0.0;
    std::vector<double> cosLatitude(stands.size());
    for (std::size_t i = 0; i < stands.size(); ++i) {
        stands[i].number = static_cast<std::int32_t>(i + 1);
        stands[i].neighbours.clear();
        largestRadius = std::max(largestRadius, stands[i].radius);
        cosLatitude[i] = std::cos(stands[i].latitude * kDegToRad);
    }
    std::vector<std::size_t> byLatitude(stands.size());
    std::iota(byLatitude.begin(), byLatitude.end(), 0);
    std::sort(byLatitude.begin(), byLatitude.end(),
              [&](std::size_t x, std::size_t y) { return stands[x].latitude < stands[y].latitude; });

    for (std::size_t i = 0; i < byLatitude.size(); ++i) {
        const std::size_t ia = byLatitude[i];
        Stand& a = stands[ia];
        const double reach = (a.radius + largestRadius) * kSafety;
        for (std::size_t j = i + 1; j < byLatitude.size(); ++j) {
            const std::size_t ib = byLatitude[j];
            Stand& b = stands[ib];
            if ((b.latitude - a.latitude) * kNmPerDegreeLatitude * kOverlapFactor > reach) {
                break;
            }
            if (lf_overlap(a, b, cosLatitude[ia], cosLatitude[ib])) {
                a.neighbours.push_back(static_cast<std::uint32_t>(b.number));
                b.neighbours.push_back(static_cast<std::uint32_t>(a.number));
            }
        }
    }
    for (Stand& stand : stands) {
        std::sort(stand.neighbours.begin(), stand.neighbours.end());
        stand.neighbours.shrink_to_fit();
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_stands),
};

} // namespace
