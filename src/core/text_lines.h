// Reading and writing text files as lines.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Appends the lines of a text: a leading UTF-8 byte-order mark is dropped; lines
// end at "\n" with one "\r" before it dropped; a final "\n" adds no empty line.
void gf_splitLines(std::string_view text, std::vector<std::string>& lines);
// Reads the whole stream and appends its lines.
void gf_readStreamLines(std::istream& stream, std::vector<std::string>& lines);

struct ReadLinesResult {
    bool ok = false;
    std::string error; // "open_failed" when the file could not be opened
    explicit operator bool() const { return ok; }
};
// Replaces the lines with those of the file; room for hint lines is reserved first.
ReadLinesResult gf_readAllLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::size_t hint);

// Writes the text (and "\n" when asked); false when the file cannot be written.
bool gf_writeTextFile(const std::filesystem::path& path, std::string_view text, bool newline);
// Writes each line followed by "\n"; false when the file cannot be written.
bool gf_writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines);
