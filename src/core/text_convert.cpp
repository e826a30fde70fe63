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
