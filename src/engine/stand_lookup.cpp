#include "engine/stand_lookup.h"

#include "parking/stand.h"

#include <algorithm>

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
    const Stand* stand = gf_nearestStand(position);
    return stand == nullptr ? std::string() : stand->id;
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
