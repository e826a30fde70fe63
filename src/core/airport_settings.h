// Settings that follow the park airport, the range and the maximum fit time.
#pragma once

#include "core/parameter.h"

#include <cstdint>

// Copies the per-airport settings snapshot back into the live settings, saves them and
// shows them in their controls.
void gf_applyAirportSettings();
// The MAX_FIT index as hours (0.5 to 24).
float gf_indexToHours(std::int32_t index);
// MAX_FIT_FL from MAX_FIT; its list selects the value when it is one of the options.
void gf_applyMaxFit();
// Sets RANGE (clamped to its limits), g_rangeNm and g_rangeMeters (both from the argument
// as given); returns the range in metres.
std::uint32_t gf_setRangeNm(std::int32_t nm);
// Selects the setting's value in its drop-down list when it is one of the options.
void gf_selectListValue(const IntGuiParameter& setting);
void gf_selectListValue(const FloatGuiParameter& setting);
