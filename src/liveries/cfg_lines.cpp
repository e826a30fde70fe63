// Key lines, section headers and value treatments of aircraft.cfg files.
#include "liveries/cfg_lines.h"

#include "core/text_strings.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <unordered_map>

namespace {

// The blanks of a key line: what "\s" matches in the C locale (space, \t, \n, \v, \f, \r).
// Tested one by one: every line of every file passes here several times.
bool lf_isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::size_t lf_skipSpaces(std::string_view line, std::size_t at)
{
    while (at < line.size() && lf_isSpace(line[at])) {
        ++at;
    }
    return std::min(at, line.size());
}

std::string_view lf_trimSpaces(std::string_view text)
{
    const std::size_t first = lf_skipSpaces(text, 0);
    std::size_t end = text.size();
    while (end > first && lf_isSpace(text[end - 1])) {
        --end;
    }
    return text.substr(first, end - first);
}

bool lf_isDigit(char c) { return c >= '0' && c <= '9'; }

// The digits of "[fltsim.N]" with nothing but blanks around it.
std::optional<std::string_view> lf_headerDigits(std::string_view line)
{
    constexpr std::string_view opening = "[fltsim.";
    std::size_t at = lf_skipSpaces(line, 0);
    if (!gf_equalsNoCase(line.substr(at, opening.size()), opening)) {
        return std::nullopt;
    }
    at += opening.size();
    const std::size_t digitsStart = at;
    while (at < line.size() && lf_isDigit(line[at])) {
        ++at;
    }
    if (at == digitsStart || at >= line.size() || line[at] != ']' ||
        lf_skipSpaces(line, at + 1) != line.size()) {
        return std::nullopt;
    }
    return line.substr(digitsStart, at - digitsStart);
}

bool lf_isComment(std::string_view line) { return line.substr(lf_skipSpaces(line, 0)).starts_with("//"); }

std::string lf_compactUpper(std::string_view value)
{
    std::string text = lf_unquote(value);
    gf_compactCommaList(text);
    return gf_upperCase(text);
}

const std::unordered_map<std::string_view, std::string_view>& lf_defaultAircraftTypes()
{
    static const std::unordered_map<std::string_view, std::string_view> table{
        {"Asobo_FlightDesignCT", "FDCT"}, {"Asobo_DA40_NG", "DA40"},
        {"Asobo_Longitude", "C700"},      {"Asobo_Cap10C", "CP10"},
        {"Asobo_VL3", "VL3"},             {"Asobo_CJ4", "C25C"},
        {"Asobo_Savage_Cub", "SAVG"},     {"Asobo_C152", "C152"},
        {"Asobo_Savage_ShockUltra", "SAVG"}, {"Asobo_C152_Aerobat", "C152"},
        {"Asobo_XCub", "CC19"},           {"Asobo_C172sp_AS1000", "C172"},
        {"Asobo_Pitts", "PTS2"},          {"Asobo_C172sp_classic", "C172"},
        {"Asobo_SR22", "SR22"},           {"Asobo_Bonanza_G36", "BE36"},
        {"Asobo_Icon", "A5"},             {"Asobo_Baron_G58", "B58T"},
        {"Asobo_TBM930", "TBM9"},         {"Asobo_B747_8i", "B748"},
        {"Asobo_KingAir350", "B350"},     {"Asobo_B787_10", "B78X"},
        {"Asobo_E330", "E300"},           {"Asobo_208B_GRAND_CARAVAN_EX", "C208"},
        {"Asobo_DV20", "DV20"},           {"Asobo_A320_NEO", "A20N"},
        {"Asobo_DR400", "DR40"},          {"FlyByWire_A320_NEO", "A20N"},
        {"Asobo_DA62", "DA62"},           {"Asobo_DA40_TDI", "DA40"},
    };
    return table;
}

bool lf_validAtcIdPiece(std::string_view piece)
{
    return !piece.empty() && piece != " " && piece.size() <= 12 && piece.find('*') == std::string_view::npos;
}

// Whether the key starts the line at `at`, letter case ignored. The first letter is compared
// first: most lines of a section are not the key asked for.
bool lf_keyAt(std::string_view line, std::size_t at, std::string_view key)
{
    // Bytes equal when case is ignored are equal with the 0x20 bit set.
    const auto folded = [](char c) { return static_cast<unsigned char>(c) | 0x20U; };
    if (!key.empty() && (line.size() - at < key.size() || folded(line[at]) != folded(key.front()))) {
        return false;
    }
    return gf_equalsNoCase(line.substr(at, key.size()), key);
}

} // namespace

std::optional<std::string_view> lf_keyValue(std::string_view line, std::string_view key)
{
    std::size_t at = lf_skipSpaces(line, 0);
    if (!lf_keyAt(line, at, key)) {
        return std::nullopt;
    }
    at = lf_skipSpaces(line, at + key.size());
    if (at >= line.size() || line[at] != '=') {
        return std::nullopt;
    }
    const std::string_view value = lf_trimSpaces(line.substr(at + 1));
    // A line break inside the value (a stray carriage return) is no key line.
    if (value.empty() || std::any_of(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; })) {
        return std::nullopt;
    }
    return value;
}

std::string lf_unquote(std::string_view value)
{
    const std::size_t open = value.find('"');
    if (open == std::string_view::npos) {
        return std::string(value);
    }
    const std::size_t close = value.find('"', open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(value.substr(open + 1, close - open - 1));
}

bool lf_isFltsimHeader(std::string_view line)
{
    // Every form of the header has its "[": most lines are done with at once.
    if (line.find('[') == std::string_view::npos || lf_isComment(line)) {
        return false;
    }
    return lf_headerDigits(line) || line.find("[fltsim.") != std::string_view::npos ||
           line.find("[FLTSIM.") != std::string_view::npos;
}

std::optional<std::int32_t> lf_fltsimNumber(std::string_view line)
{
    const std::optional<std::string_view> digits = lf_headerDigits(line);
    if (!digits) {
        return kDamagedHeaderNumber;
    }
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(digits->data(), digits->data() + digits->size(), number);
    if (error != std::errc() || end != digits->data() + digits->size()) {
        return std::nullopt;
    }
    return number;
}

std::string lf_airlineValue(std::string_view value)
{
    std::string airline = lf_compactUpper(value);
    if (airline.empty() || airline == "ZZZZ") {
        return "ZZZ";
    }
    return airline;
}

std::string lf_parkingTypesValue(std::string_view value) { return lf_compactUpper(value); }

std::string lf_typeDesignatorValue(std::string_view value) { return gf_upperCase(lf_unquote(value)); }

std::string lf_baseContainerType(std::string_view value)
{
    const std::string container = lf_unquote(value);
    if (container.size() <= 3) {
        return {};
    }
    const auto& table = lf_defaultAircraftTypes();
    const auto found = table.find(std::string_view(container).substr(3));
    return found == table.end() ? std::string() : gf_upperCase(found->second);
}

AtcId lf_checkAtcId(std::string_view value)
{
    std::string text = lf_unquote(value);
    if (const std::size_t comment = text.find(';'); comment != std::string::npos) {
        // What stood before the comment, without the blanks that separated it.
        text = gf_trim(std::string_view(text).substr(0, comment));
    }
    AtcId result{text, std::nullopt};
    std::size_t pieces = 0;
    std::string_view rest = text;
    while (true) {
        const std::size_t comma = rest.find(',');
        if (!lf_validAtcIdPiece(rest.substr(0, comma))) {
            return result;
        }
        ++pieces;
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    result.registration = pieces == 1 ? text : std::string();
    return result;
}
