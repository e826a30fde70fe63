#include "core/path_text.h"

#include <algorithm>

std::string path_to_utf8(const std::filesystem::path& path)
{
    const std::u8string u8 = path.u8string();
    return {u8.begin(), u8.end()};
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
