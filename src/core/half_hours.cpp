// Weekday and half-hour slots of the UTC day, and their text form.
#include "core/half_hours.h"

#include "core/log.h"
#include "core/text_strings.h"
#include "core/traffic_time.h"

#include <array>
#include <bit>
#include <charconv>
#include <chrono>
#include <fmt/format.h>
#include <vector>

namespace {

using namespace std::chrono;

constexpr int kSlots = 48;

// The calendar holds the years 1 to 9999.
bool lf_convertible(std::time_t t)
{
    return t >= -62135596800 && t <= 253402300799;
}

// A slot number 0..47 at the start of the trimmed text; digits after a valid number are ignored.
std::optional<int> lf_parseSlot(std::string_view part)
{
    int value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc{} || end == part.data() || value < 0 || value >= kSlots) {
        return std::nullopt;
    }
    return value;
}

void lf_logInvalidHour(std::string_view part, std::string_view text)
{
    gf_logMarked(fmt::format("{} invalid hour '{}' in {}", "operator ()", part, text));
}

HalfHourBitset lf_readRange(std::string_view text)
{
    std::array<int, 2> numbers{};
    std::size_t count = 0;
    bool anyInvalid = false;
    bool tooMany = false;
    gf_forEachPiece(text, ':', [&](std::string_view part) {
        if (count == numbers.size()) {
            tooMany = true;
            return false;
        }
        if (const std::optional<int> slot = lf_parseSlot(part)) {
            numbers[count++] = *slot;
        } else {
            lf_logInvalidHour(part, text);
            anyInvalid = true;
        }
        return true;
    });
    if (tooMany) {
        gf_logMarked(fmt::format("{} more than one colon char in: {}", "gf_hours2bitset", text));
        return {};
    }
    HalfHourBitset bits;
    if (anyInvalid) {
        return bits;
    }
    if (count == 1) {
        bits.set(static_cast<std::size_t>(numbers[0]));
    } else if (count == 2 && numbers[0] <= numbers[1]) {
        for (int k = numbers[0]; k <= numbers[1]; ++k) {
            bits.set(static_cast<std::size_t>(k));
        }
    } else if (count == 2) {
        gf_logMarked(fmt::format("{} descending range not allowed ({}:{} in {})", "gf_hours2bitset", numbers[0],
                                 numbers[1], text));
    } else {
        gf_logMarked(fmt::format("{} invalid range format in {}", "gf_hours2bitset", text));
    }
    return bits;
}

HalfHourBitset lf_readList(std::string_view text)
{
    HalfHourBitset bits;
    gf_forEachPiece(text, ',', [&](std::string_view piece) {
        if (const std::optional<int> slot = lf_parseSlot(piece)) {
            bits.set(static_cast<std::size_t>(*slot));
        } else {
            lf_logInvalidHour(piece, text);
        }
        return true;
    });
    return bits;
}

// One or two digits at pos, which moves past them; -1 when there are none or more than two.
int lf_plainNumber(std::string_view text, std::size_t& pos)
{
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && pos - start < 3 && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    const std::size_t digits = pos - start;
    return digits == 0 || digits > 2 ? -1 : value;
}

// The form nearly every file holds, "a:b" or "a" in one or two digits without blanks, read
// without splitting; anything else is left to the piecewise reading, which reports its faults.
std::optional<HalfHourBitset> lf_readPlainRange(std::string_view text)
{
    std::size_t pos = 0;
    const int first = lf_plainNumber(text, pos);
    int last = first;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        last = lf_plainNumber(text, pos);
    }
    if (pos != text.size() || first < 0 || last < first || last >= kSlots) {
        return std::nullopt;
    }
    const std::uint64_t throughLast = (std::uint64_t{2} << last) - 1;
    const std::uint64_t belowFirst = (std::uint64_t{1} << first) - 1;
    return HalfHourBitset(throughLast & ~belowFirst);
}

} // namespace

std::int32_t gf_weekdayOf(std::time_t t)
{
    if (!lf_convertible(t)) {
        return -1;
    }
    const sys_days day = floor<days>(sys_seconds{seconds{t}});
    return static_cast<std::int32_t>(weekday{day}.iso_encoding());
}

std::int32_t gf_halfHourOf(std::time_t t)
{
    if (!lf_convertible(t)) {
        return -1;
    }
    const sys_seconds tp{seconds{t}};
    const hh_mm_ss hms{tp - floor<days>(tp)};
    const auto hour = static_cast<int>(hms.hours().count());
    const auto minute = static_cast<int>(hms.minutes().count());
    const auto second = static_cast<int>(hms.seconds().count());
    const bool secondHalf = minute > 29 || (minute == 29 && second >= 30);
    return (2 * hour + (secondHalf ? 1 : 0)) % kSlots;
}

std::uint64_t gf_weekdayAndHalfHour()
{
    const std::time_t t = gf_feedClockSeconds();
    const auto weekday = static_cast<std::uint32_t>(gf_weekdayOf(t));
    const auto slot = static_cast<std::uint32_t>(gf_halfHourOf(t));
    return (static_cast<std::uint64_t>(slot) << 32) | weekday;
}

HalfHourBitset gf_hours2bitset(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    if (const std::optional<HalfHourBitset> plain = lf_readPlainRange(text)) {
        return *plain;
    }
    return text.find(':') != std::string_view::npos ? lf_readRange(text) : lf_readList(text);
}

std::optional<std::string> gf_bitset2hours(const HalfHourBitset& bits)
{
    const std::uint64_t set = bits.to_ullong();
    if (set == 0) {
        return std::nullopt;
    }
    const int lo = std::countr_zero(set);
    const int hi = 63 - std::countl_zero(set);
    // One run when the bits from lo to hi are all set.
    if ((set >> lo) != (std::uint64_t{2} << (hi - lo)) - 1) {
        return std::nullopt;
    }
    std::array<char, 8> text{};
    char* end = std::to_chars(text.data(), text.data() + text.size(), lo).ptr;
    if (hi != lo) {
        *end++ = ':';
        end = std::to_chars(end, text.data() + text.size(), hi).ptr;
    }
    return std::string(text.data(), end);
}
