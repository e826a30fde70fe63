// Searching text without regard to ASCII letter case.
#pragma once

#include <string>
#include <string_view>

// Whether the needle occurs in the text with ASCII letter case ignored; an empty needle is found.
bool gf_containsNoCase(std::string_view text, std::string_view needle);
// Whether the needle occurs in the text; an empty needle is contained.
bool gf_contains(const std::string& text, const char* needle);
