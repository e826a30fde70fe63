// Encoding detection by byte-order mark, zero bytes and a UTF-8 check of the
// file's first 4096 bytes; reading as UTF-8 lines.
#include "core/charset.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/text_convert.h"
#include "core/text_lines.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fmt/format.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace {

constexpr std::size_t kCheckedBytes = 4096;

constexpr std::array<const char*, 6> kCharsetNames{"ANSI",          "Unicode",          "Unicode_big_endian",
                                                   "UTF8_with_BOM", "UTF8_without_BOM", "none_found"};

// Length of the UTF-8 sequence that starts with the lead byte, 0 when the byte cannot lead one.
std::size_t lf_sequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

bool lf_validContinuation(unsigned char lead, std::size_t position, unsigned char byte)
{
    if (position == 1) {
        if (lead == 0xE0) {
            return byte >= 0xA0 && byte <= 0xBF;
        }
        if (lead == 0xED) {
            return byte >= 0x80 && byte <= 0x9F; // not a UTF-16 surrogate
        }
        if (lead == 0xF0) {
            return byte >= 0x90 && byte <= 0xBF;
        }
        if (lead == 0xF4) {
            return byte >= 0x80 && byte <= 0x8F;
        }
    }
    return (byte & 0xC0) == 0x80;
}

// Where the run of ASCII bytes from `at` ends (at most at `end`), taken eight bytes at a time.
std::size_t lf_asciiRunEnd(const std::string& bytes, std::size_t at, std::size_t end)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    while (at + 8 <= end) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        if ((word & kHighBits) != 0) {
            break;
        }
        at += 8;
    }
    while (at < end && static_cast<unsigned char>(bytes[at]) < 0x80) {
        ++at;
    }
    return at;
}

// Checks the sequences that start in the first kCheckedBytes bytes. The bytes
// may run up to three past the window, so a character cut only by the window
// is checked whole; one cut by the end of the file is invalid.
bool lf_isUtf8(const std::string& bytes)
{
    const std::size_t window = std::min(bytes.size(), kCheckedBytes);
    for (std::size_t i = 0; i < window;) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            i = lf_asciiRunEnd(bytes, i, window);
            continue;
        }
        const std::size_t length = gf_utf8CharacterLength(bytes, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace

std::size_t gf_utf8CharacterLength(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lf_sequenceLength(lead);
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (!lf_validContinuation(lead, k, static_cast<unsigned char>(text[at + k]))) {
            return 0;
        }
    }
    return length;
}

namespace {

Charset lf_charsetByMarks(const std::string& head)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(head[k]); };
    const std::size_t n = head.size();
    if (n >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        return Charset::UTF8_with_BOM;
    }
    if (n < 2) {
        return Charset::none_found;
    }
    const bool bigEndianMark = b(0) == 0xFE && b(1) == 0xFF;
    if ((b(0) == 0xFF && b(1) == 0xFE) || (!bigEndianMark && b(1) == 0 && (n < 4 || b(3) == 0))) {
        return Charset::Unicode;
    }
    if (bigEndianMark || (b(0) == 0 && (n < 4 || b(2) == 0))) {
        return Charset::Unicode_big_endian;
    }
    return Charset::none_found;
}

std::u16string lf_utf16Units(const std::string& bytes, std::size_t offset, bool bigEndian)
{
    std::u16string units;
    units.reserve((bytes.size() - offset) / 2);
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return units;
}

Charset lf_detectCharset(const std::string& head)
{
    const Charset byMarks = lf_charsetByMarks(head.substr(0, 4));
    if (byMarks != Charset::none_found) {
        return byMarks;
    }
    return lf_isUtf8(head) ? Charset::UTF8_without_BOM : Charset::ANSI;
}

void lf_utf16Lines(const std::string& bytes, std::vector<std::string>& lines, Charset byteOrder)
{
    if (bytes.size() % 2 != 0) {
        throw std::runtime_error(fmt::format("UTF-16 text of odd length ({} bytes)", bytes.size()));
    }
    bool bigEndian = byteOrder == Charset::Unicode_big_endian;
    std::size_t offset = 0;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        bigEndian = bytes[0] == '\xFE';
        offset = 2;
    }
    gf_splitLines(utf16_to_utf8(lf_utf16Units(bytes, offset, bigEndian)), lines);
}

// The lines of the file's bytes in the charset.
void lf_textLines(const std::string& bytes, std::vector<std::string>& lines, Charset charset)
{
    if (charset == Charset::Unicode || charset == Charset::Unicode_big_endian) {
        lf_utf16Lines(bytes, lines, charset);
        return;
    }
    gf_splitLines(bytes, lines);
    if (charset == Charset::ANSI) {
        for (std::string& line : lines) {
            line = gf_ansiToUtf8(line);
        }
    }
}

// The whole file in one read when its size is known; none when it cannot be opened. The size
// is a hint only: what the read gives counts.
std::optional<std::string> lf_fileBytes(const std::filesystem::path& path)
{
    constexpr std::size_t kChunk = 64 * 1024;
    constexpr std::streamoff kLargestHint = 64 * 1024 * 1024;
    std::ifstream file;
    // Unbuffered: the bytes are read straight into the string.
    file.rdbuf()->pubsetbuf(nullptr, 0);
    file.open(path, std::ios::in | std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::filebuf& buffer = *file.rdbuf();
    const std::streamoff end = buffer.pubseekoff(0, std::ios::end, std::ios::in);
    buffer.pubseekpos(0, std::ios::in);
    std::size_t wanted = end > 0 && end <= kLargestHint ? static_cast<std::size_t>(end) : kChunk;
    std::string bytes;
    while (true) {
        const std::size_t had = bytes.size();
        bytes.resize(had + wanted);
        const std::streamsize got =
            std::max<std::streamsize>(buffer.sgetn(bytes.data() + had, static_cast<std::streamsize>(wanted)), 0);
        bytes.resize(had + static_cast<std::size_t>(got));
        if (static_cast<std::size_t>(got) < wanted ||
            std::char_traits<char>::eq_int_type(buffer.sgetc(), std::char_traits<char>::eof())) {
            return bytes;
        }
        wanted = kChunk;
    }
}

void lf_readLines(const std::filesystem::path& path, std::vector<std::string>& lines, Charset charset)
{
    const std::optional<std::string> bytes = lf_fileBytes(path);
    if (!bytes) {
        throw std::runtime_error(fmt::format("cannot open {}", path_to_utf8(path)));
    }
    lf_textLines(*bytes, lines, charset);
}

void lf_logReadFailure(const std::filesystem::path& path, const std::exception& e)
{
    gf_logMarked(fmt::format("Read failed for '{}': {}", path_to_utf8(path), e.what()));
}

} // namespace

std::string gf_charsetName(Charset charset)
{
    const auto index = static_cast<std::size_t>(charset);
    if (index >= kCharsetNames.size()) {
        throw std::out_of_range("invalid map<K, T> key");
    }
    return kCharsetNames[index];
}

Charset gf_detectCharset(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file) {
        return Charset::none_found;
    }
    std::string bytes(kCheckedBytes + 3, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return lf_detectCharset(bytes);
}

void gf_readUtf16Lines(std::istream& stream, std::vector<std::string>& lines, Charset byteOrder)
{
    std::ostringstream content;
    content << stream.rdbuf();
    lf_utf16Lines(content.str(), lines, byteOrder);
}

bool gf_readTextFileLines(Charset charset, const std::filesystem::path& path, std::vector<std::string>& lines)
{
    lines.clear();
    try {
        switch (charset) {
        case Charset::ANSI:
        case Charset::Unicode:
        case Charset::Unicode_big_endian:
        case Charset::UTF8_with_BOM:
        case Charset::UTF8_without_BOM:
            lf_readLines(path, lines, charset);
            return true;
        default:
            throw std::runtime_error(
                fmt::format("file {} has unknown charset: {}", path_to_utf8(path), gf_charsetName(charset)));
        }
    } catch (const std::exception& e) {
        lf_logReadFailure(path, e);
        return false;
    }
}

DetectedTextLines gf_readDetectedTextFileLines(const std::filesystem::path& path, std::vector<std::string>& lines)
{
    lines.clear();
    const std::optional<std::string> bytes = lf_fileBytes(path);
    if (!bytes) {
        return {};
    }
    // The detection sees the bytes gf_detectCharset reads: the first ones of the file.
    const Charset charset = lf_detectCharset(bytes->substr(0, kCheckedBytes + 3));
    try {
        lf_textLines(*bytes, lines, charset);
        return {charset, true};
    } catch (const std::exception& e) {
        lf_logReadFailure(path, e);
        return {charset, false};
    }
}
