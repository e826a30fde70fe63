// UTF-8, wide and ANSI conversions through the Win32 code-page calls.
#include "core/text_convert.h"

#include "platform/win32.h"

#include <cstdint>
#include <gsl/narrow>
#include <stdexcept>

std::string wide_to_utf8(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int units = gsl::narrow<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        throw std::runtime_error("wide_to_utf8: invalid UTF-16");
    }
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), units, out.data(), bytes, nullptr, nullptr) !=
        bytes) {
        throw std::runtime_error("wide_to_utf8: invalid UTF-16");
    }
    return out;
}

std::wstring utf8_to_wide(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const int bytes = gsl::narrow<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), bytes, nullptr, 0);
    if (units <= 0) {
        throw std::runtime_error("utf8_to_wide: invalid UTF-8");
    }
    std::wstring out(static_cast<std::size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), bytes, out.data(), units) != units) {
        throw std::runtime_error("utf8_to_wide: invalid UTF-8");
    }
    return out;
}

std::string gf_ansiToUtf8(std::string_view text)
{
    if (text.empty() || text.size() > static_cast<std::size_t>(INT32_MAX)) {
        return {};
    }
    const int bytes = static_cast<int>(text.size());
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), bytes, nullptr, 0);
    if (units <= 0) {
        units = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    }
    if (units <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    units = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, wide.data(), units);
    if (units <= 0) {
        return {};
    }
    wide.resize(static_cast<std::size_t>(units));
    try {
        return wide_to_utf8(wide);
    } catch (const std::exception&) {
        return {};
    }
}

namespace {

void lf_appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

namespace {

// UTF-16 to UTF-8; an unpaired surrogate throws, or becomes U+FFFD when lossy.
std::string lf_utf16ToUtf8(std::u16string_view units, bool lossy)
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit < 0xD800 || unit > 0xDFFF) {
            lf_appendUtf8(out, unit);
            continue;
        }
        const bool pairs = unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (!pairs) {
            if (!lossy) {
                throw std::runtime_error("wide_to_utf8: invalid UTF-16");
            }
            lf_appendUtf8(out, 0xFFFD);
            continue;
        }
        lf_appendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
        ++i;
    }
    return out;
}

} // namespace

std::string utf16_to_utf8(std::u16string_view units)
{
    return lf_utf16ToUtf8(units, false);
}

std::string gf_utf16ToUtf8Lossy(std::u16string_view units)
{
    return lf_utf16ToUtf8(units, true);
}
