// Paths to and from UTF-8 text, without passing through wide strings.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

std::string path_to_utf8(const std::filesystem::path& path);
// The path as UTF-8 for a message; never throws: what does not convert (an unpaired
// UTF-16 surrogate, which a Windows file name may hold) shows as U+FFFD.
std::string gf_pathTextLossy(const std::filesystem::path& path);
std::filesystem::path gf_utf8ToPath(std::string_view text);

// A relative path stored as text with '\' or '/' separators ("airports\my_thirdparty\EDDF.xml").
std::filesystem::path gf_storedTextToPath(std::string_view text);
