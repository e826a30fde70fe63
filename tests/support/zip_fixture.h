// Zip archives for tests: entries with their contents, written through libzip.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// The bytes of a zip archive holding the entries (a name ending in '/' is a folder).
std::string zipBytes(const std::vector<std::pair<std::string, std::string>>& entries);

} // namespace testsupport
