#include "support/zip_fixture.h"

#include "core/zip_archive.h"
#include "support/temp_folder.h"

#include <stdexcept>

namespace testsupport {

std::string zipBytes(const std::vector<std::pair<std::string, std::string>>& entries)
{
    TempFolder folder;
    ZipArchive archive(folder.path() / "fixture.zip");
    if (!archive.open(ZipArchive::Mode::New)) {
        throw std::runtime_error("zip fixture cannot be created");
    }
    for (const auto& [name, content] : entries) {
        archive.addData(name, content);
    }
    if (!archive.close()) {
        throw std::runtime_error("zip fixture cannot be written");
    }
    return readFile(folder.path() / "fixture.zip");
}

namespace {

void lf_putLittleEndian(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t lf_littleEndian(const std::string& bytes, std::size_t at, std::size_t width)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

} // namespace

std::string withClaimedSize(std::string zip, std::size_t entry, std::uint64_t size)
{
    // Central directory entry: uncompressed size at 24, name length at 28, extra length at 30,
    // name and extra fields from 46. The end record holds the directory's size at 12.
    std::size_t at = zip.find("PK\x01\x02");
    for (std::size_t i = 0; i < entry && at != std::string::npos; ++i)
        at = zip.find("PK\x01\x02", at + 4);
    const std::size_t end = zip.rfind("PK\x05\x06");
    if (at == std::string::npos || end == std::string::npos)
        throw std::runtime_error("zip fixture: no such entry");
    const std::size_t extraLength = lf_littleEndian(zip, at + 30, 2);
    std::string zip64(12, '\0');
    lf_putLittleEndian(zip64, 0, 1, 2);  // zip64 extended information
    lf_putLittleEndian(zip64, 2, 8, 2);
    lf_putLittleEndian(zip64, 4, size, 8);
    lf_putLittleEndian(zip, at + 24, 0xFFFFFFFF, 4);
    lf_putLittleEndian(zip, at + 30, extraLength + zip64.size(), 2);
    lf_putLittleEndian(zip, end + 12, lf_littleEndian(zip, end + 12, 4) + zip64.size(), 4);
    zip.insert(at + 46 + lf_littleEndian(zip, at + 28, 2) + extraLength, zip64);
    return zip;
}

} // namespace testsupport
