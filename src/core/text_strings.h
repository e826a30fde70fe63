// Splitting, trimming, case, plural endings and small number formats.
#pragma once

#include <concepts>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

// Copy without leading and trailing blanks, tabs, CRs and LFs.
std::string gf_trim(std::string_view text);
// The same part of the text, not copied.
std::string_view gf_trimView(std::string_view text);
// Pieces between the delimiters, each trimmed. Empty pieces stay (a trailing
// delimiter gives a final empty piece); an empty text gives no pieces.
std::vector<std::string> gf_split(std::string_view text, char delimiter);
// The pieces gf_split gives, handed to `take` one by one without copying; `take` returns
// false to stop early.
template <std::predicate<std::string_view> Take>
void gf_forEachPiece(std::string_view text, char delimiter, Take&& take)
{
    if (text.empty()) {
        return;
    }
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(delimiter, start);
        const std::size_t length = end == std::string_view::npos ? std::string_view::npos : end - start;
        if (!take(gf_trimView(text.substr(start, length))) || end == std::string_view::npos) {
            return;
        }
        start = end + 1;
    }
}
std::vector<std::string> gf_splitComma(std::string_view text);
std::list<std::string> gf_splitCommaList(std::string_view text);
// Removes white space around the pieces of a comma-separated list.
void gf_compactCommaList(std::string& text);

// Byte-wise upper and lower case of ASCII letters; other bytes stay as they are.
char gf_toupperChar(char c);
std::string gf_upperCase(std::string_view text);
std::string gf_lowerCase(std::string_view text);
// The text upper-cased equals upperText.
bool gf_equalsUpperCase(std::string text, std::string_view upperText);
// Equal when ASCII letter case is ignored (file names and extensions as Windows compares them).
bool gf_equalsNoCase(std::string_view a, std::string_view b);
// b is a followed by exactly one '*'.
bool gf_equalsWithStar(std::string_view a, std::string_view b);

// The plural ending for a count: "s" for every count except exactly 1 (a
// negative count takes none).
template <std::integral T>
constexpr std::string_view gf_plural(T count)
{
    if constexpr (std::signed_integral<T>) {
        return count >= 0 && count != 1 ? "s" : "";
    } else {
        return count != 1 ? "s" : "";
    }
}

// round(part x 100 / whole); 0 when whole < 1. Throws gsl::narrowing_error when
// the result does not fit 32 bits.
std::int32_t gf_percent(double part, double whole);
// One decimal when x has a fractional part, else none.
std::string gf_formatDecimals(double x);
// A simulator object id as the selected simulator shows it: decimal for MSFS
// 2020, lower-case hexadecimal for MSFS 2024.
std::string gf_objectIdText(std::uint32_t objectId);
