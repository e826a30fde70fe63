// Stand lookups by position and the marks static parking sets on stands.
#pragma once

#include "core/geo.h"

#include <cstdint>
#include <string>

struct Stand;

// Stands within this distance of a position count as the stand the position is at (55 m).
inline constexpr double kStandCatchNm = 0.029697624190064796;

// The stand of g_stands nearest to the position within 55 m; null when none is that close.
Stand* gf_nearestStand(const LatLon& position);
// Its id; empty when no stand is within 55 m. The last answer is kept for its position.
std::string gf_nearestStandName(const LatLon& position);
// Forgets the kept answer: called whenever stands are loaded, added or cleared.
void gf_standsChanged();
// The stand becomes selected and every neighbour stand found gets neighbourTaken.
void gf_markStands(Stand& stand);
// The stand of that number (binary search of g_stands); null for numbers below 1 or missing.
Stand* gf_standByNumber(std::int32_t number);
// The first stand with that id; null when there is none.
Stand* gf_standById(const std::string& id);
