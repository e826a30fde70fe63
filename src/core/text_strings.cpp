// Splitting, trimming, case, plural endings and small number formats.
#include "core/text_strings.h"

#include "core/checked_round.h"
#include "core/sim_choice.h"

#include <cmath>
#include <fmt/format.h>

namespace {

constexpr std::string_view kBlanks = " \t\n\r";

char lf_tolowerChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : c;
}

} // namespace

std::string_view gf_trimView(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string gf_trim(std::string_view text)
{
    return std::string(gf_trimView(text));
}

std::vector<std::string> gf_split(std::string_view text, char delimiter)
{
    std::vector<std::string> pieces;
    gf_forEachPiece(text, delimiter, [&pieces](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
    return pieces;
}

std::vector<std::string> gf_splitComma(std::string_view text)
{
    return gf_split(text, ',');
}

std::list<std::string> gf_splitCommaList(std::string_view text)
{
    std::list<std::string> pieces;
    gf_forEachPiece(text, ',', [&pieces](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
    return pieces;
}

void gf_compactCommaList(std::string& text)
{
    if (text.find_first_of(kBlanks) == std::string::npos) {
        return;
    }
    std::string joined;
    joined.reserve(text.size());
    bool first = true;
    gf_forEachPiece(text, ',', [&](std::string_view piece) {
        if (!first) {
            joined += ',';
        }
        first = false;
        joined += piece;
        return true;
    });
    text = std::move(joined);
}

char gf_toupperChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : c;
}

std::string gf_upperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = gf_toupperChar(c);
    }
    return out;
}

std::string gf_lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = lf_tolowerChar(c);
    }
    return out;
}

bool gf_equalsUpperCase(std::string text, std::string_view upperText)
{
    return gf_upperCase(text) == upperText;
}

bool gf_equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (gf_toupperChar(a[i]) != gf_toupperChar(b[i])) {
            return false;
        }
    }
    return true;
}

bool gf_equalsWithStar(std::string_view a, std::string_view b)
{
    return b.size() == a.size() + 1 && b.back() == '*' && b.starts_with(a);
}

std::int32_t gf_percent(double part, double whole)
{
    if (!(whole >= 1)) {
        return 0;
    }
    return gf_roundToInt32(part * 100 / whole);
}

std::string gf_formatDecimals(double x)
{
    return std::fmod(x, 1.0) != 0 ? fmt::format("{:.1f}", x) : fmt::format("{:.0f}", x);
}

std::string gf_objectIdText(std::uint32_t objectId)
{
    return g_msfs2020.load() ? fmt::format("{}", objectId) : fmt::format("{:x}", objectId);
}
