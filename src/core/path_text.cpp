#include "core/path_text.h"

#include "core/text_convert.h"

#include <algorithm>
#include <exception>

std::string path_to_utf8(const std::filesystem::path& path)
{
    const std::u8string u8 = path.u8string();
    return {u8.begin(), u8.end()};
}

namespace {

// A narrow native path (Linux) is shown as its bytes. (Each build uses one of the two.)
[[maybe_unused]] std::string lf_nativeTextLossy(const std::string& native)
{
    return native;
}

// A wide native path (Windows: UTF-16) with its unpaired surrogates replaced.
[[maybe_unused]] std::string lf_nativeTextLossy(const std::wstring& native)
{
    std::u16string units;
    for (const wchar_t unit : native) {
        const auto value = static_cast<char32_t>(unit);
        if (value > 0xFFFF && value <= 0x10FFFF) {
            units.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(value > 0x10FFFF ? 0xFFFD : value));
        }
    }
    return gf_utf16ToUtf8Lossy(units);
}

} // namespace

std::string gf_pathTextLossy(const std::filesystem::path& path)
{
    try {
        return path_to_utf8(path);
    } catch (const std::exception&) {
        return lf_nativeTextLossy(path.native());
    }
}

std::filesystem::path gf_utf8ToPath(std::string_view text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::filesystem::path gf_storedTextToPath(std::string_view text)
{
    std::filesystem::path path;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find_first_of("\\/", start), text.size());
        if (end > start) {
            path /= gf_utf8ToPath(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return path;
}
