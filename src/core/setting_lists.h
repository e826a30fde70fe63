// Filling a setting's drop-down list from its options and selecting its value.
#pragma once

#include "core/parameter.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Lists every option as decimal text and selects the value when it is one of them.
void gf_fillIntCombo(const IntGuiParameter& setting);
// Lists every choice and selects the one that equals the value exactly.
void gf_fillChoiceCombo(const ChoiceParameter& setting);
// The same for CALLSIGN_2_OBJECTID, over its shared entries.
void gf_fillCallsignCombo();
// Index of the value among the choices (exact and case-sensitive); none when absent.
std::optional<std::size_t> gf_indexOfChoice(const ChoiceParameter& setting);
// The value formatted into a wide text with a wide format ("{:.1f}" for the hour list).
std::wstring gf_formatFloatW(std::wstring_view format, float value);
