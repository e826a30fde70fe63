// A text file's encoding: detection, and reading the file as UTF-8 lines.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

enum class Charset : int {
    ANSI = 0,
    Unicode = 1,            // UTF-16 little-endian
    Unicode_big_endian = 2, // UTF-16 big-endian
    UTF8_with_BOM = 3,
    UTF8_without_BOM = 4,
    none_found = 5, // the file could not be opened
};

// Bytes of the well-formed UTF-8 character that starts at `at`; 0 when none starts there.
std::size_t gf_utf8CharacterLength(std::string_view text, std::size_t at);

// "ANSI", "Unicode", ...; throws std::out_of_range("invalid map<K, T> key") for another value.
std::string gf_charsetName(Charset charset);
Charset gf_detectCharset(const std::filesystem::path& path);

// Replaces the lines with the file's lines in UTF-8, read in the given charset.
// A failure is logged as "Read failed for '{}': {}" and gives false.
bool gf_readTextFileLines(Charset charset, const std::filesystem::path& path, std::vector<std::string>& lines);
// gf_detectCharset and gf_readTextFileLines with one read of the file: the charset found and
// whether the lines were read. none_found (and no lines) when the file cannot be opened.
struct DetectedTextLines {
    Charset charset = Charset::none_found;
    bool read = false;
};
DetectedTextLines gf_readDetectedTextFileLines(const std::filesystem::path& path, std::vector<std::string>& lines);
// Appends the lines of a UTF-16 stream. A byte-order mark decides the byte order;
// without one, the order the detector found (byteOrder Unicode or
// Unicode_big_endian). Throws std::runtime_error for an odd number of bytes.
void gf_readUtf16Lines(std::istream& stream, std::vector<std::string>& lines, Charset byteOrder = Charset::Unicode);
