#include "support/bgl_builder.h"

#include "support/temp_folder.h"

#include <bit>
#include <cmath>

namespace testsupport {

namespace {

constexpr std::uint32_t kHeaderSize = 0x38;
constexpr std::uint32_t kFirstRecord = kHeaderSize + 20 * 2 + 16;

void lf_u16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void lf_u32(std::string& out, std::uint32_t value)
{
    lf_u16(out, value & 0xFFFF);
    lf_u16(out, value >> 16);
}

// A record: id, size of 6 header bytes plus the body, then the body.
std::string lf_record(std::uint32_t id, const std::string& body)
{
    std::string out;
    lf_u16(out, id);
    lf_u32(out, static_cast<std::uint32_t>(body.size() + 6));
    return out + body;
}

std::string lf_helipad(const BglHelipad& helipad)
{
    std::string body(6, '\0'); // bytes 0x06..0x0B
    lf_u32(body, bglLongitude(helipad.lon));
    lf_u32(body, bglLatitude(helipad.lat));
    body.append(8, '\0');
    lf_u32(body, std::bit_cast<std::uint32_t>(helipad.size));
    body.append(4, '\0');
    return lf_record(0x26, body);
}

std::string lf_parkingEntry(const BglParking& p)
{
    std::string out;
    lf_u32(out, (p.nameCode & 0x3F) | ((p.type & 0xF) << 8) | ((p.number & 0xFFF) << 12) | (p.airlineCodes << 24));
    lf_u32(out, std::bit_cast<std::uint32_t>(p.radius));
    lf_u32(out, std::bit_cast<std::uint32_t>(p.heading));
    out.append(16, '\0');
    lf_u32(out, bglLongitude(p.lon));
    lf_u32(out, bglLatitude(p.lat));
    out.append(20, '\0');
    for (std::uint32_t i = 0; i < p.airlineCodes; ++i)
        lf_u32(out, 0x4B4C4D00u + i);
    return out;
}

std::string lf_parkingRecord(const std::vector<BglParking>& parkings)
{
    std::string body;
    lf_u16(body, static_cast<std::uint32_t>(parkings.size()));
    for (const BglParking& p : parkings)
        body += lf_parkingEntry(p);
    return lf_record(0xE7, body);
}

std::string lf_airport(const BglAirport& airport)
{
    std::string children;
    for (const BglHelipad& helipad : airport.helipads)
        children += lf_helipad(helipad);
    for (std::uint32_t i = 0; i < airport.otherChildren; ++i)
        children += lf_record(0x19, std::string(10, '\0'));
    if (!airport.parkings.empty())
        children += lf_parkingRecord(airport.parkings);
    std::string body(14, '\0'); // bytes 0x06..0x13
    lf_u32(body, airport.elevationMm);
    body.append(16, '\0');
    lf_u32(body, bglIdent(airport.ident));
    body.append(0x44 - 0x2C, '\0');
    std::string record = lf_record(0x56, body + children);
    if (airport.declaredSize != 0)
        setBglWord(record, 2, airport.declaredSize);
    return record;
}

} // namespace

std::uint32_t bglIdent(const std::string& ident)
{
    std::uint32_t value = 0;
    for (char c : ident)
        value = value * 38 + (c >= 'A' ? static_cast<std::uint32_t>(c - 'A' + 12) : static_cast<std::uint32_t>(c - '0' + 2));
    return value << 5;
}

std::uint32_t bglLatitude(double lat)
{
    return static_cast<std::uint32_t>(std::llround((90.0 - lat) / 3.3527612686157227e-7));
}

std::uint32_t bglLongitude(double lon)
{
    return static_cast<std::uint32_t>(std::llround((lon + 180.0) / 4.470348358154297e-7));
}

namespace {

// A file whose sections, of the given types, all point at one subsection holding the airports.
// The file header for the number of sections.
std::string lf_fileHeader(std::uint32_t sections)
{
    std::string out;
    lf_u32(out, 0x19920201);
    lf_u32(out, kHeaderSize);
    out.append(12, '\0');
    lf_u32(out, sections);
    out.append(32, '\0');
    return out;
}

// A section table entry: type, flags, subsection count, subsection offset, size.
void lf_section(std::string& out, std::uint32_t type, std::size_t count, std::size_t subsection)
{
    for (const std::size_t word : {std::size_t{type}, std::size_t{0}, count, subsection, std::size_t{0}})
        lf_u32(out, static_cast<std::uint32_t>(word));
}

// A subsection entry: id, record count, records' offset, their size.
void lf_subsection(std::string& out, std::size_t count, std::size_t offset, std::size_t size)
{
    for (const std::size_t word : {std::size_t{0}, count, offset, size})
        lf_u32(out, static_cast<std::uint32_t>(word));
}

std::string lf_records(const std::vector<BglAirport>& airports)
{
    std::string records;
    for (const BglAirport& airport : airports)
        records += lf_airport(airport);
    return records;
}

std::string lf_bglFile(const std::vector<BglAirport>& airports, const std::vector<std::uint32_t>& sectionTypes)
{
    const auto sections = static_cast<std::uint32_t>(sectionTypes.size());
    const std::uint32_t subsection = kHeaderSize + 20 * sections;
    std::string out = lf_fileHeader(sections);
    for (std::uint32_t type : sectionTypes)
        lf_section(out, type, airports.size(), subsection);
    const std::string records = lf_records(airports);
    lf_subsection(out, airports.size(), subsection + 16, records.size());
    return out + records;
}

} // namespace

std::string bglFile(const std::vector<BglAirport>& airports)
{
    // A section of another type, then the airport section.
    return lf_bglFile(airports, {0x65u, 3u});
}

std::string bglFileRepeatingSection(const std::vector<BglAirport>& airports, std::uint32_t times)
{
    return lf_bglFile(airports, std::vector<std::uint32_t>(times, 3u));
}

std::string bglFileOfSections(const std::vector<std::vector<BglAirport>>& sections, const std::string& between)
{
    const std::uint32_t firstSubsection = kHeaderSize + 20 * static_cast<std::uint32_t>(sections.size());
    const std::size_t firstRecord = firstSubsection + 16 * sections.size();
    std::string out = lf_fileHeader(static_cast<std::uint32_t>(sections.size()));
    std::string subsections;
    std::string records;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        lf_section(out, 3, sections[i].size(), firstSubsection + 16 * i);
        const std::string own = lf_records(sections[i]);
        lf_subsection(subsections, sections[i].size(), firstRecord + records.size(), own.size());
        records += own + (i + 1 < sections.size() ? between : "");
    }
    return out + subsections + records;
}

std::size_t bglFirstRecordOffset()
{
    return kFirstRecord;
}

std::uint32_t bglWord(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

void setBglWord(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void writeBgl(const std::filesystem::path& path, const std::vector<BglAirport>& airports)
{
    std::filesystem::create_directories(path.parent_path());
    writeFile(path, bglFile(airports));
}

} // namespace testsupport
