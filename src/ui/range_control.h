// The traffic range: chosen in its list, or following the user aircraft with AUTO_RANGE.
#pragma once

#include <cstdint>

// Remembers the manual range and, with AUTO_RANGE on, lets the range follow the user
// aircraft; with it off, the manual range comes back. The list is usable only when off.
void gf_applyRange();
// A range picked in the list: the manual range, kept while AUTO_RANGE decides.
void gf_pickManualRange(std::int32_t nm);
// The range, in nautical miles, for the user aircraft's state: on the ground, its altitude
// in feet, and its distance in nautical miles to the first park airport.
std::int32_t gf_autoRangeNm(bool onGround, double altitudeFt, double parkAirportNm);
