// A hash for string-keyed unordered containers that finds std::string keys by
// std::string_view or C string without building a temporary string.
#pragma once

#include <functional>
#include <string>
#include <string_view>

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};
