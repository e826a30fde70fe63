// What a downloaded file must be before it replaces a working one: each check gives the
// reason a file is no good, empty when it is good.
#pragma once

#include <filesystem>
#include <string>

// An encrypted data file (".enc") decrypts whole with the program's key.
std::string gf_checkDataFile(const std::filesystem::path& file);
// A zip archive opens and lists at least one entry.
std::string gf_checkZipFile(const std::filesystem::path& file);
// The file parses as JSON.
std::string gf_checkJsonFile(const std::filesystem::path& file);
