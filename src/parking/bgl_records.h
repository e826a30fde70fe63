// The records inside an airport of a scenery file: the airport itself, its helipads and
// its parking positions, which become stands.
#pragma once

#include "parking/bgl_reader.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The most records one walk of a section or an airport's children takes, so a damaged file ends.
inline constexpr std::size_t kMaxWalkRecords = 8999;
// The most records all walks of one file take, and the most scan log lines one file writes.
inline constexpr std::size_t kMaxFileRecords = 10 * (kMaxWalkRecords + 1);
inline constexpr std::size_t kMaxFileMessages = 20000;
// The most Log.txt lines about its structure one file writes.
inline constexpr std::size_t kMaxFileLogLines = 50;

// The ids of the records the walk reads.
enum BglRecordId : std::uint16_t { kHelipadRecord = 0x0026, kAirportRecord = 0x0056, kParkingRecord = 0x00E7 };

// Record id and size in bytes (header included) at a word index.
struct BglRecordHeader {
    std::uint16_t id = 0;
    std::uint32_t size = 0;
};
BglRecordHeader gf_bglRecordHeader(const std::vector<std::uint32_t>& words, std::size_t index);

// The stands of one airport, then its park file linked or generated.
void lf_processAirportRecord(std::size_t record, const std::vector<std::uint32_t>& words, std::size_t sizeWords,
                             const std::string& ident, const std::filesystem::path& path,
                             const BglScanContext& context);

// Positions of the airport's helipads so far, to skip a repeated one.
struct HelipadsSeen {
    std::vector<LatLon> positions;
    std::int32_t counter = 1;
};
void lf_addHelipads(std::size_t record, const std::vector<std::uint32_t>& words, Apf& apf, HelipadsSeen& seen,
                    const BglScanContext& context);
void lf_addParkingPositions(std::size_t record, std::size_t recordEnd, const std::vector<std::uint32_t>& words,
                            Apf& apf, std::set<std::string>& ids, const std::filesystem::path& path,
                            const BglScanContext& context);
// The candidate when it is new, else the first of candidate + 'a' .. 'j' that is.
std::optional<std::string> lf_uniqueStandId(const std::string& candidate, std::set<std::string>& ids,
                                            const std::filesystem::path& path, const BglScanContext& context);
