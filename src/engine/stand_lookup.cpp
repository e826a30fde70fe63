#include "engine/stand_lookup.h"

#include "core/run_state.h"
#include "parking/stand.h"

#include <algorithm>
#include <optional>

namespace {

// The last position asked for by name and its answer. The user aircraft stands still most of
// the time, so the same position is asked for again and again; the answer holds until the
// stands change.
struct NearestStandAnswer {
    LatLon position;
    std::string name;
};

std::optional<NearestStandAnswer> lf_lastNearest;

} // namespace

Stand* gf_nearestStand(const LatLon& position)
{
    Stand* nearest = nullptr;
    double best = kStandCatchNm;
    for (Stand& stand : g_stands) {
        const double d = gf_distanceNm(position, {stand.latitude, stand.longitude});
        if (d <= best) {
            best = d;
            nearest = &stand;
        }
    }
    return nearest;
}

std::string gf_nearestStandName(const LatLon& position)
{
    if (lf_lastNearest && lf_lastNearest->position.lat == position.lat && lf_lastNearest->position.lon == position.lon)
        return lf_lastNearest->name;
    const Stand* stand = gf_nearestStand(position);
    lf_lastNearest = NearestStandAnswer{position, stand == nullptr ? std::string() : stand->id};
    return lf_lastNearest->name;
}

void gf_standsChanged()
{
    lf_lastNearest.reset();
}

Stand* gf_standByNumber(std::int32_t number)
{
    if (number < 1)
        return nullptr;
    const auto it = std::lower_bound(g_stands.begin(), g_stands.end(), number,
                                     [](const Stand& stand, std::int32_t n) { return stand.number < n; });
    return it != g_stands.end() && it->number == number ? &*it : nullptr;
}

Stand* gf_standById(const std::string& id)
{
    const auto it = std::find_if(g_stands.begin(), g_stands.end(), [&](const Stand& s) { return s.id == id; });
    return it == g_stands.end() ? nullptr : &*it;
}

void gf_markStands(Stand& stand)
{
    stand.selected = true;
    for (const std::uint32_t number : stand.neighbours) {
        if (Stand* neighbour = gf_standByNumber(static_cast<std::int32_t>(number)); neighbour != nullptr)
            neighbour->neighbourTaken = true;
    }
}

namespace {

const RunStateRegistration lf_runState{
    {"lf_lastNearest", RunStateArea::Engine, [] { gf_standsChanged(); },
     [] { return lf_lastNearest ? fmt::format("{} at {}, {}", lf_lastNearest->name, lf_lastNearest->position.lat,
                                                lf_lastNearest->position.lon)
                                : std::string("none"); }},
};

} // namespace
