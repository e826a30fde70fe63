// The lines of an aircraft.cfg that the livery scan reads: "key = value" lines of the keys it
// knows, "[fltsim.N]" section headers, and the treatments their values get.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cfgkey {
inline constexpr std::string_view kTitle = "title";
inline constexpr std::string_view kTexture = "texture";
inline constexpr std::string_view kBaseContainer = "base_container";
inline constexpr std::string_view kTypeDesignator = "icao_type_designator";
inline constexpr std::string_view kAtcId = "atc_id";
inline constexpr std::string_view kAirline = "icao_airline";
inline constexpr std::string_view kParkingTypes = "atc_parking_types";
} // namespace cfgkey

// A letter, digit or underscore.
constexpr bool lf_isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The value of a "key = value" line of that key (key letter case ignored, blanks around "="):
// from the first to the last non-blank character after "=". Nothing when the line is another
// line or the value is empty.
std::optional<std::string_view> lf_keyValue(std::string_view line, std::string_view key);

// The text between the first double quote and the next one; an unclosed quote gives empty
// text, a value without quotes stays as it is.
std::string lf_unquote(std::string_view value);

// A section header line: "[fltsim.N]" (letter case ignored) or, in a damaged form, a line
// holding "[fltsim." or "[FLTSIM."; a line beginning with "//" is a comment, never a header.
bool lf_isFltsimHeader(std::string_view line);
// The header's section number: its digits, or 10000 for the damaged form. Nothing when the
// digits do not fit 32 bits.
std::optional<std::int32_t> lf_fltsimNumber(std::string_view line);
inline constexpr std::int32_t kDamagedHeaderNumber = 10000;

// icao_airline: unquoted, upper case, blanks around commas removed; empty and "ZZZZ" become
// the generic code "ZZZ".
std::string lf_airlineValue(std::string_view value);
// atc_parking_types: unquoted, blanks around commas removed, upper case.
std::string lf_parkingTypesValue(std::string_view value);
// icao_type_designator: unquoted, upper case.
std::string lf_typeDesignatorValue(std::string_view value);
// base_container: the type of the simulator's default aircraft the value names after its
// three-character prefix (such as "..\Asobo_A320_NEO"); empty for any other aircraft.
std::string lf_baseContainerType(std::string_view value);

// atc_id: unquoted, cut at the first ";" (a comment), then checked piece by piece between
// commas; every piece must be non-empty, not a single blank, at most 12 characters and free
// of "*". One piece is the registration, several give an empty one; nothing when invalid.
struct AtcId {
    std::string text;                        // the value as checked, for the report
    std::optional<std::string> registration; // nothing when the value is invalid
};
AtcId lf_checkAtcId(std::string_view value);
