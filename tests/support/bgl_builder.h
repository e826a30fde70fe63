// Builds small compiled scenery files (".bgl"): airport sections with airport records,
// their helipads and one parking record, in the layout the scenery reader walks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct BglParking {
    std::uint32_t nameCode = 12; // 'A'
    std::uint32_t type = 8;      // an ordinary gate
    std::uint32_t number = 1;
    float radius = 20.0f;        // metres
    float heading = 90.0f;       // degrees
    double lat = 52.3;
    double lon = 4.76;
    std::uint32_t airlineCodes = 0;
};

struct BglHelipad {
    double lat = 52.31;
    double lon = 4.77;
    float size = 30.0f; // metres
};

struct BglAirport {
    std::string ident = "EHAM";
    std::uint32_t elevationMm = 0;
    std::vector<BglHelipad> helipads;
    std::vector<BglParking> parkings;
    // Child records of another kind before the parking record.
    std::uint32_t otherChildren = 0;
    // The record size the airport record declares, when not its own (a damaged record).
    std::uint32_t declaredSize = 0;
};

// The packed forms the files hold.
std::uint32_t bglIdent(const std::string& ident);
std::uint32_t bglLatitude(double lat);
std::uint32_t bglLongitude(double lon);

// A file with one airport section holding the airports, preceded by a section of another type.
std::string bglFile(const std::vector<BglAirport>& airports);
// A damaged file: `times` airport section entries that all point at the same airports.
std::string bglFileRepeatingSection(const std::vector<BglAirport>& airports, std::uint32_t times);
// A file of airport sections, each with its own airports, `between` lying after each but the last.
std::string bglFileOfSections(const std::vector<std::vector<BglAirport>>& sections, const std::string& between);
// Byte offset of the first airport record in a file from bglFile.
std::size_t bglFirstRecordOffset();
// Reads or overwrites a 32-bit little-endian value.
std::uint32_t bglWord(const std::string& bytes, std::size_t offset);
void setBglWord(std::string& bytes, std::size_t offset, std::uint32_t value);
void writeBgl(const std::filesystem::path& path, const std::vector<BglAirport>& airports);

} // namespace testsupport
