// Airport, helipad and parking records of a scenery file, read by word index; every read is
// checked against the record and the file, so a truncated record ends its walk.
#include "parking/bgl_records.h"

#include "core/geo.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/sim_choice.h"

#include <fmt/format.h>

#include <array>
#include <bit>
#include <cmath>
#include <numbers>

namespace {

constexpr std::size_t kFirstChildWord = 17;
constexpr std::size_t kHelipadWords = 8;
constexpr std::size_t kParkingEntryWords = 14;

// Name prefixes of parking entries by name code; 12..37 are the letters 'A'..'Z'.
constexpr std::array<const char*, 12> kNamePrefixes = {"", "r", "p", "np", "ep", "sep", "sp", "swp", "wp", "nwp", "g",
                                                       ""};

std::string lf_namePrefix(std::uint32_t code)
{
    if (code < kNamePrefixes.size())
        return kNamePrefixes[code];
    if (code <= 37)
        return std::string(1, static_cast<char>('A' + code - 12));
    return {};
}

float lf_float(std::uint32_t word)
{
    return std::bit_cast<float>(word);
}

bool lf_validPosition(double lat, double lon)
{
    if (!(std::abs(lat) <= 90.0) || !(std::abs(lon) <= 180.0))
        return false;
    return std::abs(lat) >= 0.0001 || std::abs(lon) >= 0.0001;
}

bool lf_sameHelipad(const LatLon& a, double lat, double lon)
{
    return std::abs(a.lat - lat) < 1e-08 && std::abs(a.lon - lon) < 1e-08;
}

bool lf_isRamp(std::uint32_t type)
{
    return (type >= 1 && type <= 7) || type == 14;
}

void lf_addParkingEntry(const std::vector<std::uint32_t>& words, std::size_t entry, Apf& apf,
                        std::set<std::string>& ids, const std::filesystem::path& path, const BglScanContext& context)
{
    const std::uint32_t packed = words[entry];
    const double radius = lf_float(words[entry + 1]);
    if (!(radius > 1.0 && radius < 200.0)) {
        context.addMessage(fmt::format("Skipped position with radius {:.1F} m in {}", radius, path_to_utf8(path)));
        return;
    }
    const std::uint32_t type = (packed >> 8) & 0xF;
    const std::string candidate = lf_namePrefix(packed & 0x3F) + std::to_string((packed >> 12) & 0xFFF);
    if (type == 0 || type == 12 || type == 13)
        return;
    const double lat = gf_bglLatitude(words[entry + 8]);
    const double lon = gf_bglLongitude(words[entry + 7]);
    if (!lf_validPosition(lat, lon)) {
        context.addMessage(fmt::format("LatLon {} invalid (skipped)", fmt::format("{:.6f},{:.6f}", lat, lon)));
        return;
    }
    auto id = lf_uniqueStandId(candidate, ids, path, context);
    if (!id)
        return;
    double heading = lf_float(words[entry + 2]) * kDegToRad;
    if (heading == 0.0)
        heading = 2.0 * std::numbers::pi;
    apf.stands.emplace_back(std::move(*id), std::vector<ParkOpt>{}, StandPlace{lat, lon, heading}, radius, type == 5,
                            lf_isRamp(type), false);
}

} // namespace

BglRecordHeader gf_bglRecordHeader(const std::vector<std::uint32_t>& words, std::size_t index)
{
    const std::uint32_t first = words[index];
    const std::uint32_t high = index + 1 < words.size() ? (words[index + 1] & 0xFFFF) : 0;
    return {static_cast<std::uint16_t>(first & 0xFFFF), (first >> 16) | (high << 16)};
}

void lf_addHelipads(std::size_t record, const std::vector<std::uint32_t>& words, Apf& apf, HelipadsSeen& seen,
                    const BglScanContext& context)
{
    const double lat = gf_bglLatitude(words[record + 4]);
    const double lon = gf_bglLongitude(words[record + 3]);
    const std::string where = fmt::format("{:.6f},{:.6f}", lat, lon);
    if (!lf_validPosition(lat, lon)) {
        context.addMessage("lat/lon helipad incorrect (skipped): " + where);
        return;
    }
    for (const LatLon& earlier : seen.positions) {
        if (lf_sameHelipad(earlier, lat, lon)) {
            context.addMessage("double helipad " + apf.airport_name + " (skipped) " + where);
            return;
        }
    }
    seen.positions.push_back({lat, lon});
    const double size = lf_float(words[record + 7]);
    apf.stands.emplace_back(fmt::format("helipad{}", seen.counter++), std::vector<ParkOpt>{},
                            StandPlace{lat, lon, 0.0}, size * 0.5, false, false, true);
}

void lf_addParkingPositions(std::size_t record, std::size_t recordEnd, const std::vector<std::uint32_t>& words,
                            Apf& apf, std::set<std::string>& ids, const std::filesystem::path& path,
                            const BglScanContext& context)
{
    const std::size_t end = std::min(recordEnd, words.size());
    if (record + 2 > end)
        return;
    const std::uint32_t count = words[record + 1] >> 16;
    std::size_t entry = record + 2;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (entry + kParkingEntryWords > end) {
            gf_bglLogLine(context, fmt::format("   Error: parking entry {} of {} exceeds its record in {}, aborting.",
                                               i + 1, count, path_to_utf8(path)));
            return;
        }
        lf_addParkingEntry(words, entry, apf, ids, path, context);
        entry += kParkingEntryWords + (words[entry] >> 24);
    }
}

std::optional<std::string> lf_uniqueStandId(const std::string& candidate, std::set<std::string>& ids,
                                            const std::filesystem::path& path, const BglScanContext& context)
{
    if (ids.insert(candidate).second)
        return candidate;
    for (char suffix = 'a'; suffix <= 'j'; ++suffix) {
        std::string id = candidate + suffix;
        if (ids.insert(id).second)
            return id;
    }
    context.addMessage(
        fmt::format("{}Warning: more than 10 duplicate IDs {} in {}", "===> ", candidate, path_to_utf8(path)));
    return std::nullopt;
}

namespace {

// Walks the child records of an airport: helipads, then the first parking record.
void lf_readStands(std::size_t record, std::size_t recordEnd, const std::vector<std::uint32_t>& words, Apf& apf,
                   HelipadsSeen& helipads, const std::filesystem::path& path, const BglScanContext& context)
{
    std::set<std::string> ids;
    std::size_t index = record + kFirstChildWord;
    for (std::size_t count = 0; index < recordEnd; ++count) {
        if (count > kMaxWalkRecords) {
            gf_bglLogLine(context, "==> Error: Maximum loop iterations reached (1) ");
            return;
        }
        if (index >= words.size()) {
            gf_bglLogLine(context,
                          fmt::format("   Error: o3={} exceeded data buffer size ({}), aborting.", index, words.size()));
            return;
        }
        const BglRecordHeader child = gf_bglRecordHeader(words, index);
        const std::size_t sizeWords = child.size / 4;
        if (child.id == kParkingRecord) {
            lf_addParkingPositions(index, index + sizeWords, words, apf, ids, path, context);
            return;
        }
        if (sizeWords == 0) {
            if (child.id != kHelipadRecord)
                gf_bglLogLine(context, fmt::format("   Warning: decodeSizeAtBoundary returned 0 at o3 = {}", index));
            return;
        }
        if (child.id == kHelipadRecord && sizeWords >= kHelipadWords && index + kHelipadWords <= words.size())
            lf_addHelipads(index, words, apf, helipads, context);
        index += sizeWords;
    }
}

} // namespace

void lf_processAirportRecord(std::size_t record, const std::vector<std::uint32_t>& words, std::size_t sizeWords,
                             const std::string& ident, const std::filesystem::path& path,
                             const BglScanContext& context)
{
    Apf apf;
    apf.icao = ident;
    apf.altitude = lf_readAirportElevation(record, words);
    std::int32_t archived = 0;
    const bool linked = context.linkArchivedApf(apf, archived, path);
    if (linked && !g_msfs2020.load())
        return;
    HelipadsSeen helipads;
    lf_readStands(record, record + sizeWords, words, apf, helipads, path, context);
    const auto found = static_cast<std::int32_t>(apf.stands.size());
    if (linked && found > archived && apf.publisher != "simaddon")
        context.addMessage(fmt::format("{}{} has {} parkpos while archived one has {}", "===> ", ident, found, archived));
    if (linked && (found <= archived || apf.publisher == "simaddon"))
        return;
    context.generateApf(apf, helipads.counter - 1);
}
