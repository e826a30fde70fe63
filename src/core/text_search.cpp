#include "core/text_search.h"

#include <algorithm>

namespace {

char lf_lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool gf_containsNoCase(std::string_view text, std::string_view needle)
{
    const auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return lf_lowerAscii(a) == lf_lowerAscii(b); });
    return needle.empty() || found != text.end();
}

bool gf_contains(const std::string& text, const char* needle)
{
    return text.find(needle) != std::string::npos;
}
