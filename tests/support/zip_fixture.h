// Zip archives for tests: entries with their contents, written through libzip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// The bytes of a zip archive holding the entries (a name ending in '/' is a folder).
std::string zipBytes(const std::vector<std::pair<std::string, std::string>>& entries);

// The archive with the central directory claiming the size for its entry at the index (a
// zip64 size field, as a damaged or hostile archive may hold); the entry's data stays as it is.
std::string withClaimedSize(std::string zip, std::size_t entry, std::uint64_t size);

} // namespace testsupport
