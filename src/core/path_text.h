// Paths to and from UTF-8 text, without passing through wide strings.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

std::string path_to_utf8(const std::filesystem::path& path);
std::filesystem::path gf_utf8ToPath(std::string_view text);

// A relative path stored as text with '\' or '/' separators ("airports\my_thirdparty\EDDF.xml").
std::filesystem::path gf_storedTextToPath(std::string_view text);
